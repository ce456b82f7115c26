#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace ZQ {

// The system calls through which the stores, the data folder's lock and the
// shares take each step inside a folder they opened. A table, as SQLite's
// file layer has, so that a test can make one step fail (EPERM, EXDEV, or
// EINVAL for every rename flag, as NFS gives) or change the folder between
// two steps without hunting a race; the game itself never changes it.
// Threads: read from any thread; a test sets it while no other thread takes
// a step.
struct FileCalls {
    int (*openat)(int folder, const char* name, int flags, mode_t mode);
    int (*fstatat)(int folder, const char* name, struct stat* info, int flags);
    int (*mkdirat)(int folder, const char* name, mode_t mode);
    int (*renameat2)(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags);
    int (*unlinkat)(int folder, const char* name, int flags);
    int (*fchmod)(int file, mode_t mode);
    int (*linkat)(int fromFolder, const char* from, int toFolder, const char* to, int flags);
    ssize_t (*readlinkat)(int folder, const char* name, char* target, size_t size);
};

// The calls in use; `kSystemFileCalls` are the system's own.
extern FileCalls gFileCalls;
extern const FileCalls kSystemFileCalls;

// Gives the entry `from` in `folder` the name `to`, which must be free: -1
// with EEXIST when it is taken, and nothing moved. Where rename takes no
// flags (the kernel's NFS client, some FUSE file systems), a hard link, which
// never replaces a name, then the old name removed while it still names the
// entry linked; where there are no links either, as renameToFreshName does.
int renameNoReplace(int folder, const char* from, const char* to);

// Moves whatever stands at `from` now to the new name `to`, whole: the
// rename itself picks the entry, so one that took the name since the caller
// looked is moved, never removed. Where rename takes no flags, `to` is first
// made as an empty file (an empty folder, to move a folder) of our own and a
// plain rename replaces it once a last look finds it still ours; a kill
// between the two leaves that empty entry at `to`.
int renameToFreshName(int folder, const char* from, const char* to);

} // namespace ZQ
