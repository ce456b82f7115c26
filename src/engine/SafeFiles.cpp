#include "engine/SafeFiles.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace ZQ {

namespace {

std::string utcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

} // namespace

std::string folderOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

bool syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

std::string setAside(const std::string& path) {
    const std::string base = path + ".corrupt-" + utcStamp();
    std::string aside = base;
    for (int n = 1; n <= 100; ++n) {
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) {
            syncFolder(folderOf(path));
            return aside;
        }
        if (errno != EEXIST) {
            return {};
        }
        aside = base + "-" + std::to_string(n);
    }
    return {};
}

} // namespace ZQ
