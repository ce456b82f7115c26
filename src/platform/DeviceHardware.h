#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The hardware queries beside the device identifier, answered from Linux's
// own sources (uname, sysinfo, statvfs, getifaddrs, /proc and /sys). Nothing
// in the game relies on them; they serve diagnostics. Each one answers the
// empty, zero or absent result when its value is not available, and never
// fails otherwise.
namespace ZQ::DeviceHardware {

// The board or product model ("hw.model"): the firmware's product name, or
// the device tree's model on boards without one; empty when neither exists.
std::string hwmodel();

// A kernel variable by its dotted name ("kernel.ostype" reads
// /proc/sys/kernel/ostype), without its final newline; empty for a name that
// is not a plain dotted path or a variable that cannot be read.
std::string getSysInfoByName(std::string_view name);

// 0 for an identifier beginning "iPhone", 1 "iPod", 2 "iPad", 3 "AppleTV",
// else 4.
uint32_t deviceFamily(std::string_view identifier);

// The classic hardware selectors, one 32-bit number each, saturated at
// UINT32_MAX where the machine's value is larger (a memory size in bytes);
// 0 for a selector without a value here.
inline constexpr unsigned kMaxSocketBufferSize = 1;
inline constexpr unsigned kCpuCount = 3;
inline constexpr unsigned kTotalMemory = 5;
inline constexpr unsigned kUserMemory = 6;
inline constexpr unsigned kBusFrequency = 14;
inline constexpr unsigned kCpuFrequency = 15;
uint32_t getSysInfo(unsigned selector);

inline uint32_t cpuFrequency() {
    return getSysInfo(kCpuFrequency);
}
inline uint32_t busFrequency() {
    return getSysInfo(kBusFrequency);
}
inline uint32_t cpuCount() {
    return getSysInfo(kCpuCount);
}
inline uint32_t totalMemory() {
    return getSysInfo(kTotalMemory);
}
inline uint32_t userMemory() {
    return getSysInfo(kUserMemory);
}
inline uint32_t maxSocketBufferSize() {
    return getSysInfo(kMaxSocketBufferSize);
}

// Bytes of the file system holding the home directory; absent when it
// cannot be asked.
std::optional<uint64_t> totalDiskSpace();
std::optional<uint64_t> freeDiskSpace();

// Whether the screen's scale (pixels per point) is exactly 2.
bool hasRetinaDisplay(float screenScale);

// "%02X:%02X:%02X:%02X:%02X:%02X", the link-level address of "en0" or, as
// Linux names its interfaces otherwise, of the first interface that is not a
// loopback and has a six-byte address; absent, with one "Error: ..." line on
// the console, when there is none.
std::optional<std::string> macaddress();

} // namespace ZQ::DeviceHardware
