#include "engine/StoreValue.h"

#include "engine/Assert.h"

#include <cmath>
#include <cstdint>

namespace ZQ {

StoreValue StoreValue::unsignedInteger(uint64_t value) {
    // Below it, the value is an Integer: two kinds for one number would
    // compare unequal.
    ZQ_ASSERT(value > static_cast<uint64_t>(INT64_MAX));
    return StoreValue(std::in_place_index<7>, value);
}

bool operator==(const StoreValue& a, const StoreValue& b) {
    const double* x = a.asReal();
    const double* y = b.asReal();
    if (x != nullptr && y != nullptr) {
        return *x == *y || (std::isnan(*x) && std::isnan(*y));
    }
    // Arrays and dictionaries compare their items through this operator.
    return a.storage == b.storage;
}

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
        return *asBoolean() ? "a boolean (true)" : "a boolean (false)";
    case Kind::Integer:
        return "an integer (" + std::to_string(*asInteger()) + ")";
    case Kind::Unsigned:
        return "an integer (" + std::to_string(*asUnsigned()) + ")";
    case Kind::Real:
        return "a real (" + std::to_string(*asReal()) + ")";
    case Kind::String:
        return "a string of " + std::to_string(asString()->size()) + " bytes";
    case Kind::Data:
        return "data of " + std::to_string(asData()->size()) + " bytes";
    case Kind::Array:
        return "an array of " + std::to_string(asArray()->size());
    case Kind::Dictionary:
        return "a dictionary of " + std::to_string(asDictionary()->size());
    }
    return "a value";
}

} // namespace ZQ
