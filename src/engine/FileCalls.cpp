#include "engine/FileCalls.h"

#include <cerrno>
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

bool sameEntry(int folder, const char* a, const char* b) {
    struct stat first {};
    struct stat second {};
    return gFileCalls.fstatat(folder, a, &first, AT_SYMLINK_NOFOLLOW) == 0 &&
           gFileCalls.fstatat(folder, b, &second, AT_SYMLINK_NOFOLLOW) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace

int renameNoReplace(int folder, const char* from, const char* to) {
    if (gFileCalls.renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL) {
        return -1;
    }
    // A link never replaces a name. The old name goes only while it still
    // names what was linked: an entry put there meanwhile stays, and the
    // link is then a copy kept under the new name.
    if (gFileCalls.linkat(folder, from, folder, to, 0) != 0) {
        return -1;
    }
    if (sameEntry(folder, from, to)) {
        gFileCalls.unlinkat(folder, from, 0);
    }
    return 0;
}

int renameToFreshName(int folder, const char* from, const char* to) {
    if (gFileCalls.renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL) {
        return -1;
    }
    // A plain rename replaces an entry of the same kind only: an empty file
    // of our own for anything but a folder (ENOTDIR), an empty folder for one.
    for (const bool forFolder : {false, true}) {
        const int made =
            forFolder
                ? gFileCalls.mkdirat(folder, to, 0700)
                : gFileCalls.openat(folder, to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (made < 0) {
            return -1;
        }
        if (!forFolder) {
            ::close(made);
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

} // namespace ZQ
