#include "engine/DeviceIdentification.h"

#include <cstdlib>

namespace ZQ::DeviceIdentification {

namespace {

enum class Test { Is, Starts };

struct Rule {
    Test test;
    const char* text;
    uint32_t type;
};

// First rule that holds wins. Models sharing a prefix are ordered so the
// longer one is tried first ("iPad5,3" before "iPad5,1"), and the family
// prefixes come after every model.
// clang-format off
constexpr Rule kRules[] = {
    {Test::Is,     "iFPGA",      44},
    {Test::Is,     "iPhone1,1",   5},
    {Test::Is,     "iPhone1,2",   6},
    {Test::Starts, "iPhone2",     7},
    {Test::Starts, "iPhone3",     8},
    {Test::Starts, "iPhone4",     9},
    {Test::Starts, "iPhone5",    10},
    {Test::Starts, "iPhone6",    11},
    {Test::Starts, "iPhone7,2",  12},
    {Test::Starts, "iPhone7,1",  13},
    {Test::Starts, "iPhone8,1",  14},
    {Test::Starts, "iPhone8,2",  15},
    {Test::Starts, "iPhone8,4",  16},
    {Test::Starts, "iPhone9,1",  17},
    {Test::Starts, "iPhone9,3",  17},
    {Test::Starts, "iPhone9,2",  18},
    {Test::Starts, "iPhone9,4",  18},
    {Test::Starts, "iPhone10,1", 19},
    {Test::Starts, "iPhone10,4", 19},
    {Test::Starts, "iPhone10,2", 20},
    {Test::Starts, "iPhone10,5", 20},
    {Test::Starts, "iPhone10,3", 21},
    {Test::Starts, "iPhone10,6", 21},
    {Test::Starts, "iPod1",      22},
    {Test::Starts, "iPod2",      23},
    {Test::Starts, "iPod3",      24},
    {Test::Starts, "iPod4",      25},
    {Test::Starts, "iPod5",      26},
    {Test::Starts, "iPod7",      27},
    {Test::Starts, "iPad1",      28},
    {Test::Starts, "iPad2",      29},
    {Test::Starts, "iPad3,1",    30},
    {Test::Starts, "iPad3,2",    30},
    {Test::Starts, "iPad3,4",    31},
    {Test::Starts, "iPad3,5",    31},
    {Test::Starts, "iPad3,6",    31},
    {Test::Starts, "iPad4",      32},
    {Test::Starts, "iPad5,3",    34},
    {Test::Starts, "iPad5,4",    34},
    {Test::Starts, "iPad5,1",    33},
    {Test::Starts, "iPad5,2",    33},
    {Test::Starts, "iPad6",      35},
    {Test::Starts, "iPad7",      36},
    {Test::Starts, "AppleTV2",   37},
    {Test::Starts, "AppleTV3",   38},
    {Test::Starts, "iPhone",     40},
    {Test::Starts, "iPod",       41},
    {Test::Starts, "iPad",       42},
    {Test::Starts, "AppleTV",    43},
};
// clang-format on

// Simulators report the host's architecture.
constexpr uint32_t kSimulatorNarrow = 2;
constexpr uint32_t kSimulatorWide = 3;
constexpr float kWideScreenPoints = 768.0f;

} // namespace

std::string platform() {
    const char* value = std::getenv(kDeviceVariable);
    return value != nullptr ? std::string(value) : std::string(kDefaultIdentifier);
}

uint32_t platformTypeFor(std::string_view identifier, float screenWidthPoints) {
    for (const Rule& rule : kRules) {
        const bool holds =
            rule.test == Test::Is ? identifier == rule.text : identifier.starts_with(rule.text);
        if (holds) {
            return rule.type;
        }
    }
    if (identifier.ends_with("86") || identifier == "x86_64") {
        return screenWidthPoints < kWideScreenPoints ? kSimulatorNarrow : kSimulatorWide;
    }
    return kUnrecognised;
}

uint32_t platformType() {
    return platformTypeFor(platform(), kMainScreenWidthPoints);
}

} // namespace ZQ::DeviceIdentification
