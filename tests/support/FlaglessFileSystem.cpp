#include <cerrno>
#include <stdio.h>
#include <unistd.h>

// Preloaded into the game (LD_PRELOAD) by the tests, the file system of many
// FUSE mounts (cloud drives, object stores): rename takes no flags, refusing
// RENAME_NOREPLACE with EOPNOTSUPP and any other with ENOSYS, and a hard link
// is refused with EPERM. A plain rename goes on as renameat.

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned flags) noexcept {
    if (flags != 0) {
        errno = flags == RENAME_NOREPLACE ? EOPNOTSUPP : ENOSYS;
        return -1;
    }
    return ::renameat(fromFolder, from, toFolder, to);
}

extern "C" int linkat(int, const char*, int, const char*, int) noexcept {
    errno = EPERM;
    return -1;
}
