#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Turns the hardware identifier of the device into the device platform type,
// the small number the device profile picks its row by. A desktop has no
// kernel "hw.machine": the identifier is the environment variable
// VELMORA_DEVICE when set (so a tester can stand in for another device), else
// "iPhone7,2", whose row is the full-quality one. It is an environment variable
// because the profile is read during static initialisation, before any
// command line is parsed.

namespace ZQ::DeviceIdentification {

inline constexpr const char* kDeviceVariable = "VELMORA_DEVICE";
inline constexpr const char* kDefaultIdentifier = "iPhone7,2";

// Platform type of an identifier that matches no rule; the profile's default row.
inline constexpr uint32_t kUnrecognised = 0;

// The desktop window stands in for the main screen of the default phone when
// a simulator identifier ("x86_64") asks for the screen width.
inline constexpr float kMainScreenWidthPoints = 375.0f;

// The hardware identifier, such as "iPhone7,2".
std::string platform();

// The platform type of `identifier` by the ordered rule table; a simulator
// identifier is told apart by the main screen's width in points.
uint32_t platformTypeFor(std::string_view identifier, float screenWidthPoints);

// platformTypeFor(platform(), kMainScreenWidthPoints).
uint32_t platformType();

} // namespace ZQ::DeviceIdentification
