#include "engine/FileCalls.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <initializer_list>
#include <stdio.h>
#include <unistd.h>

namespace ZQ {

constexpr FileCalls kSystemFileCalls = {
    [](int folder, const char* name, int flags, mode_t mode) { return ::openat(folder, name, flags, mode); },
    ::fstatat,
    ::mkdirat,
    ::renameat2,
    ::unlinkat,
    ::fchmod,
    ::linkat,
    ::readlinkat,
};

FileCalls gFileCalls = kSystemFileCalls;

namespace {

// Names a process tries for a temporary: more are left only by its own
// crashed namesakes, which removeStale clears.
constexpr int kTemporaryNames = 100;

// Whether `name` still names the entry `seen` showed, of the same size.
bool stillThere(int folder, const char* name, const struct stat& seen) {
    struct stat now {};
    return gFileCalls.fstatat(folder, name, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == seen.st_dev &&
           now.st_ino == seen.st_ino && now.st_size == seen.st_size;
}

// Each way to a new name is tried where the one before failed for another
// cause than the names (EEXIST, taken; ENOENT, gone), whatever the error.
// Last comes a plain rename, which replaces an entry of the same kind only:
// over an empty file of our own (an empty folder for a folder: ENOTDIR).
int newName(int folder, const char* from, const char* to, bool link) {
    int named = gFileCalls.renameat2(folder, from, folder, to, RENAME_NOREPLACE);
    if (named != 0 && link && errno != EEXIST && errno != ENOENT) {
        // The old name goes only while it still names what was linked: an
        // entry put there meanwhile stays, and the link is a copy under `to`.
        struct stat linked {};
        named = gFileCalls.linkat(folder, from, folder, to, 0);
        if (named == 0 && gFileCalls.fstatat(folder, to, &linked, AT_SYMLINK_NOFOLLOW) == 0 &&
            stillThere(folder, from, linked)) {
            gFileCalls.unlinkat(folder, from, 0);
        }
    }
    if (named == 0 || errno == EEXIST || errno == ENOENT) {
        return named;
    }
    for (const bool forFolder : {false, true}) {
        const int made =
            forFolder
                ? gFileCalls.mkdirat(folder, to, 0700)
                : gFileCalls.openat(folder, to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (made < 0) {
            return -1;
        }
        struct stat empty {};
        const int looked =
            forFolder ? gFileCalls.fstatat(folder, to, &empty, AT_SYMLINK_NOFOLLOW) : ::fstat(made, &empty);
        if (!forFolder) {
            ::close(made);
        }
        // What another writer put at the name is theirs.
        if (looked != 0 || !stillThere(folder, to, empty)) {
            errno = EEXIST;
            return -1;
        }
        if (gFileCalls.renameat2(folder, from, folder, to, 0) == 0) {
            return 0;
        }
        const int failure = errno;
        gFileCalls.unlinkat(folder, to, forFolder ? AT_REMOVEDIR : 0);
        errno = failure;
        if (failure != ENOTDIR) {
            break;
        }
    }
    return -1;
}

} // namespace

int makeTemporary(int folder, const std::string& prefix, mode_t mode, std::string& name) {
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < kTemporaryNames; ++attempt) {
        name = prefix + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = gFileCalls.openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                               mode);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    return fd;
}

int renameNoReplace(int folder, const char* from, const char* to) {
    return newName(folder, from, to, true);
}

int renameToFreshName(int folder, const char* from, const char* to) {
    return newName(folder, from, to, false);
}

std::string asideStamp() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm parts{};
    ::gmtime_r(&now.tv_sec, &parts);
    char text[48];
    const std::size_t length = std::strftime(text, sizeof text, "%Y%m%dT%H%M%S", &parts);
    std::snprintf(text + length, sizeof text - length, ".%09ldZ", static_cast<long>(now.tv_nsec));
    return text;
}

const char* kindOf(mode_t mode) {
    return S_ISREG(mode)    ? "file"
           : S_ISLNK(mode)  ? "link"
           : S_ISDIR(mode)  ? "folder"
           : S_ISFIFO(mode) ? "FIFO"
           : S_ISSOCK(mode) ? "socket"
                            : "device";
}

} // namespace ZQ
