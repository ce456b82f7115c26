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
    // Makes every change so far durable. False when that failed (logged; the
    // values stay in memory for the next try), or when another writer changed
    // a key set here before it was written: the key takes that writer's value
    // and is reported by takeConflicts, for its owner to merge (update).
    virtual bool synchronize() = 0;
    // Keys another writer changed since the store last read or wrote them,
    // now taken into memory. Keys set here and not yet written keep their
    // values, unless that writer changed them too: conflicts, taken in too.
    virtual std::vector<std::string> pullExternalChanges() = 0;
    // Keys set here that gave way to another writer's value since the last call.
    virtual std::vector<std::string> takeConflicts() = 0;
    // Why this store can keep nothing (another user's file or way, a file it
    // cannot read, damage it cannot keep aside) and what mends it, or nothing.
    virtual std::optional<Refusal> refusal() const = 0;
    // Whether the game needs the store: it stops before its first frame on a
    // needed store that refuses, and plays on without an optional one.
    virtual bool needed() const = 0;
    // Changes no synchronize made durable, named by the store's file: why the
    // last try failed, or the refusal of a needed store (even with nothing
    // changed: it keeps nothing), with what mends it. Nothing when all is
    // saved, or when an optional store refuses.
    virtual std::optional<Refusal> unsaved() const = 0;
    // Every key with its value, ordered by key.
    virtual const StoreValue::Dictionary& contents() const = 0;

    // Lets `change` set what it makes of the values held, and synchronizes;
    // on a conflict `change` runs again over the other writer's values, so
    // that the two are merged (a few times at most, for a writer that never
    // stops). True when the last synchronize wrote it all.
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
    void setArray(std::string_view key, StoreValue::Array value) {
        setObject(key, StoreValue::array(std::move(value)));
    }
    void setDictionary(std::string_view key, StoreValue::Dictionary value) {
        setObject(key, StoreValue::dictionary(std::move(value)));
    }
};

} // namespace ZQ
