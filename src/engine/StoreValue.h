#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace ZQ {

// One value of a key-value store: the property-list kinds the game keeps
// (booleans, 64-bit integers, reals, UTF-8 strings, raw data, arrays and
// dictionaries), as a plain value that copies deeply and compares by content.
// An integer above INT64_MAX (up to UINT64_MAX, which a list written
// elsewhere may hold, though the game never writes one) is a kind of its
// own, so that it is never read, or written back, as a negative number.
// A store hands values out and takes them in; nothing here touches a file.
//
// Ownership: a value owns everything below it. Threads: a value is used by
// one thread at a time, like any standard container.
class StoreValue {
public:
    using Data = std::vector<uint8_t>;
    using Array = std::vector<StoreValue>;
    // Ordered by key, so a store writes the same bytes for the same contents.
    using Dictionary = std::map<std::string, StoreValue, std::less<>>;

    enum class Kind { Boolean, Integer, Real, String, Data, Array, Dictionary, Unsigned };

    // Named makers: an int would convert equally well to bool, int64_t and
    // double, so no converting constructors.
    static StoreValue boolean(bool value) { return StoreValue(std::in_place_index<0>, value); }
    static StoreValue integer(int64_t value) { return StoreValue(std::in_place_index<1>, value); }
    static StoreValue real(double value) { return StoreValue(std::in_place_index<2>, value); }
    static StoreValue string(std::string value) {
        return StoreValue(std::in_place_index<3>, std::move(value));
    }
    static StoreValue data(Data value) { return StoreValue(std::in_place_index<4>, std::move(value)); }
    static StoreValue array(Array value) { return StoreValue(std::in_place_index<5>, std::move(value)); }
    static StoreValue dictionary(Dictionary value) {
        return StoreValue(std::in_place_index<6>, std::move(value));
    }
    // `value` above INT64_MAX.
    static StoreValue unsignedInteger(uint64_t value);
    // An array of integers, the shape of every per-level table.
    static StoreValue integers(const int32_t* values, std::size_t count);

    Kind kind() const { return static_cast<Kind>(storage.index()); }

    // The value when it is of that kind, else null.
    const bool* asBoolean() const { return std::get_if<0>(&storage); }
    const int64_t* asInteger() const { return std::get_if<1>(&storage); }
    const double* asReal() const { return std::get_if<2>(&storage); }
    const std::string* asString() const { return std::get_if<3>(&storage); }
    const Data* asData() const { return std::get_if<4>(&storage); }
    const Array* asArray() const { return std::get_if<5>(&storage); }
    const Dictionary* asDictionary() const { return std::get_if<6>(&storage); }
    const uint64_t* asUnsigned() const { return std::get_if<7>(&storage); }

    // The entry under `key` of a dictionary value; null when absent or when
    // this is not a dictionary.
    const StoreValue* find(std::string_view key) const;

    // Same kind and same content; reals compare as numbers, and every NaN
    // is the same content (lists spell them all "nan"), so a store holding
    // one still sees that nothing changed.
    friend bool operator==(const StoreValue& a, const StoreValue& b);

    // A short description for log lines ("an integer (3)", "an array of 5").
    std::string describe() const;

private:
    using Storage = std::variant<bool, int64_t, double, std::string, Data, Array, Dictionary, uint64_t>;
    // Built in place: a temporary variant moved in trips gcc's
    // maybe-uninitialized analysis.
    template <std::size_t I, class T>
    StoreValue(std::in_place_index_t<I> index, T&& value) : storage(index, std::forward<T>(value)) {}

    Storage storage;
};

} // namespace ZQ
