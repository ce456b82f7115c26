#include "platform/DeviceHardware.h"

#include "engine/Log.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>

namespace ZQ::DeviceHardware {

namespace {

// The whole file, or empty when it cannot be read.
std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Without trailing newlines, spaces and the NUL device-tree strings end with.
std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\0' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

uint32_t saturated(uint64_t value) {
    return static_cast<uint32_t>(std::min<uint64_t>(value, std::numeric_limits<uint32_t>::max()));
}

std::optional<struct statvfs> homeFileSystem() {
    const char* home = std::getenv("HOME");
    struct statvfs info {};
    if (statvfs(home != nullptr && home[0] != '\0' ? home : "/", &info) != 0) {
        return std::nullopt;
    }
    return info;
}

} // namespace

std::string hwmodel() {
    std::string model = trimmed(readFile("/sys/devices/virtual/dmi/id/product_name"));
    if (model.empty()) {
        model = trimmed(readFile("/proc/device-tree/model"));
    }
    return model;
}

std::string getSysInfoByName(std::string_view name) {
    // Only letters, digits, '_' and '-' between single dots: a name can
    // never climb out of /proc/sys.
    bool afterDot = true;
    for (char c : name) {
        const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '_' || c == '-';
        if (!(word || (c == '.' && !afterDot))) {
            return {};
        }
        afterDot = c == '.';
    }
    if (name.empty() || afterDot) {
        return {};
    }
    std::string path = "/proc/sys/" + std::string(name);
    std::replace(path.begin() + 10, path.end(), '.', '/');
    return trimmed(readFile(path));
}

uint32_t deviceFamily(std::string_view identifier) {
    constexpr std::string_view kFamilies[] = {"iPhone", "iPod", "iPad", "AppleTV"};
    for (uint32_t family = 0; family < std::size(kFamilies); ++family) {
        if (identifier.starts_with(kFamilies[family])) {
            return family;
        }
    }
    return 4;
}

uint32_t getSysInfo(unsigned selector) {
    struct sysinfo memory {};
    switch (selector) {
    case kCpuCount:
        return saturated(static_cast<uint64_t>(std::max(0L, sysconf(_SC_NPROCESSORS_ONLN))));
    case kTotalMemory:
    case kUserMemory:
        if (sysinfo(&memory) != 0) {
            return 0;
        }
        return saturated((selector == kTotalMemory ? memory.totalram : memory.freeram) *
                         static_cast<uint64_t>(memory.mem_unit));
    case kCpuFrequency: {
        // Kilohertz in the file, hertz here.
        const std::string khz = trimmed(readFile("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq"));
        return saturated(std::strtoull(khz.c_str(), nullptr, 10) * 1000u);
    }
    case kMaxSocketBufferSize:
        return saturated(std::strtoull(getSysInfoByName("net.core.rmem_max").c_str(), nullptr, 10));
    default:
        return 0; // the bus frequency among them: Linux does not tell it
    }
}

std::optional<uint64_t> totalDiskSpace() {
    const auto info = homeFileSystem();
    return info ? std::optional<uint64_t>(static_cast<uint64_t>(info->f_blocks) * info->f_frsize)
                : std::nullopt;
}

std::optional<uint64_t> freeDiskSpace() {
    const auto info = homeFileSystem();
    return info ? std::optional<uint64_t>(static_cast<uint64_t>(info->f_bavail) * info->f_frsize)
                : std::nullopt;
}

bool hasRetinaDisplay(float screenScale) {
    return screenScale == 2.0f;
}

std::optional<std::string> macaddress() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        platformLog("Error: getifaddrs");
        return std::nullopt;
    }
    const sockaddr_ll* chosen = nullptr;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_PACKET ||
            (entry->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
        if (link->sll_halen != 6) {
            continue;
        }
        if (std::string_view(entry->ifa_name) == "en0") {
            chosen = link;
            break;
        }
        if (chosen == nullptr) {
            chosen = link;
        }
    }
    std::optional<std::string> address;
    if (chosen != nullptr) {
        char text[18];
        const unsigned char* a = chosen->sll_addr;
        std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
        address = text;
    } else {
        platformLog("Error: no network interface with a link-level address");
    }
    freeifaddrs(list);
    return address;
}

} // namespace ZQ::DeviceHardware
