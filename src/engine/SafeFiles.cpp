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

AsideOutcome setAsideIf(const std::string& path, const std::function<bool(const struct stat&)>& still,
                        std::string& aside) {
    aside.clear();
    struct stat now {};
    if (::lstat(path.c_str(), &now) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? AsideOutcome::Gone : AsideOutcome::Failed;
    }
    if (!still(now)) {
        return AsideOutcome::Replaced;
    }
    aside = setAside(path);
    if (aside.empty()) {
        return errno == ENOENT ? AsideOutcome::Gone : AsideOutcome::Failed;
    }
    // Between the look and the rename another writer may have put its file
    // at the path: that file goes back. Should yet another have come since,
    // it stays aside under its new name, kept like any file set aside.
    struct stat moved {};
    if (::lstat(aside.c_str(), &moved) == 0 && !still(moved) &&
        ::renameat2(AT_FDCWD, aside.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
        aside.clear();
        return AsideOutcome::Replaced;
    }
    return AsideOutcome::Moved;
}

} // namespace ZQ
