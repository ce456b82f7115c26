#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace ZQ {

// The system calls through which the stores, the data folder's lock and the
// shares take each step inside a folder they opened. A table, as SQLite's
// file layer has, so that a test can make one step fail (EPERM, EXDEV) or
// change the folder between two steps without hunting a race; the game
// itself never changes it. Threads: read from any thread; a test sets it
// while no other thread takes a step.
struct FileCalls {
    int (*openat)(int folder, const char* name, int flags, mode_t mode);
    int (*fstatat)(int folder, const char* name, struct stat* info, int flags);
    int (*mkdirat)(int folder, const char* name, mode_t mode);
    int (*renameat2)(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags);
    int (*unlinkat)(int folder, const char* name, int flags);
    int (*fchmod)(int file, mode_t mode);
};

// The calls in use; `kSystemFileCalls` are the system's own.
extern FileCalls gFileCalls;
extern const FileCalls kSystemFileCalls;

} // namespace ZQ
