#include "engine/KeyValueStore.h"

namespace ZQ {

namespace {

// A file-sync tool brings another machine's file in a few times a minute at
// most; a conflict each time round means something rewrites the file
// without pause, and the file keeps that writer's values.
constexpr int kUpdateAttempts = 8;

// The value under `key` as `As` reads it: null when absent or of another kind.
template <auto As> auto held(const KeyValueStore& store, std::string_view key) {
    const StoreValue* value = store.object(key);
    return value != nullptr ? (value->*As)() : nullptr;
}

} // namespace

bool KeyValueStore::update(const std::function<void(KeyValueStore&)>& change) {
    for (int attempt = 1;; ++attempt) {
        change(*this);
        const bool written = synchronize();
        if (takeConflicts().empty() || attempt == kUpdateAttempts) {
            return written;
        }
    }
}

bool KeyValueStore::boolForKey(std::string_view key) const {
    if (const bool* b = held<&StoreValue::asBoolean>(*this, key)) {
        return *b;
    }
    return integerForKey(key) != 0;
}

int64_t KeyValueStore::integerForKey(std::string_view key) const {
    const int64_t* i = held<&StoreValue::asInteger>(*this, key);
    return i != nullptr ? *i : 0;
}

std::string KeyValueStore::stringForKey(std::string_view key) const {
    const std::string* s = held<&StoreValue::asString>(*this, key);
    return s != nullptr ? *s : std::string();
}

StoreValue::Data KeyValueStore::dataForKey(std::string_view key) const {
    const StoreValue::Data* d = held<&StoreValue::asData>(*this, key);
    return d != nullptr ? *d : StoreValue::Data();
}

const StoreValue::Array* KeyValueStore::arrayForKey(std::string_view key) const {
    return held<&StoreValue::asArray>(*this, key);
}

const StoreValue::Dictionary* KeyValueStore::dictionaryForKey(std::string_view key) const {
    return held<&StoreValue::asDictionary>(*this, key);
}

} // namespace ZQ
