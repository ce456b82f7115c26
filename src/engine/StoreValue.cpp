#include "engine/StoreValue.h"

namespace ZQ {

StoreValue StoreValue::integers(const int32_t* values, std::size_t count) {
    Array items;
    items.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        items.push_back(integer(values[i]));
    }
    return array(std::move(items));
}

const StoreValue* StoreValue::find(std::string_view key) const {
    const Dictionary* entries = asDictionary();
    if (entries == nullptr) {
        return nullptr;
    }
    const auto found = entries->find(key);
    return found != entries->end() ? &found->second : nullptr;
}

std::string StoreValue::describe() const {
    switch (kind()) {
    case Kind::Boolean:
        return *asBoolean() ? "boolean true" : "boolean false";
    case Kind::Integer:
        return "integer " + std::to_string(*asInteger());
    case Kind::Real:
        return "real " + std::to_string(*asReal());
    case Kind::String:
        return "string of " + std::to_string(asString()->size()) + " bytes";
    case Kind::Data:
        return "data of " + std::to_string(asData()->size()) + " bytes";
    case Kind::Array:
        return "array of " + std::to_string(asArray()->size());
    case Kind::Dictionary:
        return "dictionary of " + std::to_string(asDictionary()->size());
    }
    return "value";
}

} // namespace ZQ
