#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace ZQ {

// One drawing attribute of a caption as the captions property list gives it:
// a number, a boolean, a string or an array of numbers.
struct CaptionValue {
    enum class Kind { Number, Boolean, Text, List };

    Kind kind = Kind::Number;
    double number = 0.0; // also 1 or 0 for a boolean
    std::string text;
    std::vector<double> list;

    static CaptionValue ofNumber(double value) { return {Kind::Number, value, {}, {}}; }
    static CaptionValue ofBoolean(bool value) { return {Kind::Boolean, value ? 1.0 : 0.0, {}, {}}; }
    static CaptionValue ofText(std::string value) { return {Kind::Text, 0.0, std::move(value), {}}; }
    static CaptionValue ofList(std::vector<double> values) {
        return {Kind::List, 0.0, {}, std::move(values)};
    }

    // A boolean or a number as a truth value (any non-zero number is true).
    bool isTrue() const { return number != 0.0; }
};

// The attributes of one caption, by key ("width", "font", "label"...), as
// inherited down the property list's groups and overridden nearer the leaf.
using CaptionAttributes = std::map<std::string, CaptionValue>;

} // namespace ZQ
