#include "engine/KeyValueStore.h"

namespace ZQ {

namespace {

// A file-sync tool brings another machine's file in a few times a minute at
// most; a conflict each time round means something rewrites the file
// without pause, and the file keeps that writer's values.
constexpr int kUpdateAttempts = 8;

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
    const StoreValue* value = object(key);
    if (value == nullptr) {
        return false;
    }
    if (const bool* b = value->asBoolean()) {
        return *b;
    }
    // Hand-edited files often say 1 for yes.
    if (const int64_t* i = value->asInteger()) {
        return *i != 0;
    }
    return false;
}

int64_t KeyValueStore::integerForKey(std::string_view key) const {
    const StoreValue* value = object(key);
    const int64_t* i = value != nullptr ? value->asInteger() : nullptr;
    return i != nullptr ? *i : 0;
}

std::string KeyValueStore::stringForKey(std::string_view key) const {
    const StoreValue* value = object(key);
    const std::string* s = value != nullptr ? value->asString() : nullptr;
    return s != nullptr ? *s : std::string();
}

StoreValue::Data KeyValueStore::dataForKey(std::string_view key) const {
    const StoreValue* value = object(key);
    const StoreValue::Data* d = value != nullptr ? value->asData() : nullptr;
    return d != nullptr ? *d : StoreValue::Data();
}

const StoreValue::Array* KeyValueStore::arrayForKey(std::string_view key) const {
    const StoreValue* value = object(key);
    return value != nullptr ? value->asArray() : nullptr;
}

const StoreValue::Dictionary* KeyValueStore::dictionaryForKey(std::string_view key) const {
    const StoreValue* value = object(key);
    return value != nullptr ? value->asDictionary() : nullptr;
}

} // namespace ZQ
