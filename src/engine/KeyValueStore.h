#pragma once

#include "engine/Refusal.h"
#include "engine/StoreValue.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZQ {

// A per-user key-value store: the game's user defaults and its cloud copy
// share this interface. Values live in memory; synchronize makes them
// durable. A store never fails a read: an absent key, or a value of another
// kind, reads as the typed getter's default.
//
// Ownership: the store owns its values; object() hands out a pointer that
// stays valid until the next change to that key (set, remove or an external
// change pulled in). Threads: main thread only.
class KeyValueStore {
public:
    virtual ~KeyValueStore() = default;

    // The value under `key`, or null when there is none.
    virtual const StoreValue* object(std::string_view key) const = 0;
    virtual void setObject(std::string_view key, StoreValue value) = 0;
    virtual void remove(std::string_view key) = 0;
    // Makes every change so far durable. False when that failed (logged, a
    // refusal once as it begins); the values stay in memory and the next
    // synchronize tries again. False too when another writer changed a key
    // set here before it was written: such a key takes the other writer's
    // value instead, is reported by takeConflicts, and its owner merges its
    // own value with it and sets it again (update does all of that).
    virtual bool synchronize() = 0;
    // Keys whose values another writer changed since the store last read or
    // wrote them, now taken into memory; empty when nothing changed. Keys set
    // here and not yet synchronized keep their local values, unless the other
    // writer changed them too: those are conflicts, taken in as well.
    virtual std::vector<std::string> pullExternalChanges() = 0;
    // The keys set here whose writes gave way to another writer's value
    // since the last call (see synchronize).
    virtual std::vector<std::string> takeConflicts() = 0;
    // Why this store can keep nothing (another user's file or way, a file
    // that cannot be read, damage that cannot be kept aside), with what
    // mends it; nothing while it can. The game stops before its first frame
    // on a store it needs that refuses, and plays without an optional one.
    virtual std::optional<Refusal> refusal() const = 0;
    // Whether the game needs the store: an optional one that refuses owes
    // nothing, and the game plays on without it.
    virtual bool needed() const = 0;
    // Changes made here that no synchronize has made durable, named by the
    // store's file: why the last try failed, or the refusal while a store
    // the game needs refuses (even with nothing changed: it keeps nothing),
    // with what mends it. Nothing when every change is saved, or when an
    // optional store refuses. The session's end tries once more and names
    // each store that still holds some.
    virtual std::optional<Refusal> unsaved() const = 0;
    // Every key with its value, ordered by key.
    virtual const StoreValue::Dictionary& contents() const = 0;

    // Lets `change` set what it makes of the values held, and synchronizes.
    // When another writer changed one of the keys it set before they were
    // written, `change` runs again over that writer's values, so that the
    // two are merged and neither is written over: a few times at most, for
    // a writer that never stops. True when the last synchronize wrote it all.
    bool update(const std::function<void(KeyValueStore&)>& change);
    // Typed reads: a boolean reads an integer as (value != 0), as the
    // platform stores did; anything else of another kind reads as the default.
    bool boolForKey(std::string_view key) const;
    int64_t integerForKey(std::string_view key) const;
    std::string stringForKey(std::string_view key) const;
    StoreValue::Data dataForKey(std::string_view key) const;
    // Null when absent or of another kind.
    const StoreValue::Array* arrayForKey(std::string_view key) const;
    const StoreValue::Dictionary* dictionaryForKey(std::string_view key) const;

    void setBool(std::string_view key, bool value) { setObject(key, StoreValue::boolean(value)); }
    void setInteger(std::string_view key, int64_t value) { setObject(key, StoreValue::integer(value)); }
    void setString(std::string_view key, std::string value) {
        setObject(key, StoreValue::string(std::move(value)));
    }
    void setData(std::string_view key, StoreValue::Data value) {
        setObject(key, StoreValue::data(std::move(value)));
    }
    void setArray(std::string_view key, StoreValue::Array value) {
        setObject(key, StoreValue::array(std::move(value)));
    }
    void setDictionary(std::string_view key, StoreValue::Dictionary value) {
        setObject(key, StoreValue::dictionary(std::move(value)));
    }
};

} // namespace ZQ
