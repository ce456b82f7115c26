#pragma once

#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace ZQ {

// The system calls through which every step inside an opened folder goes: a
// table, as SQLite's file layer has, so that a test can make one step fail
// or change the folder between two steps without hunting a race.
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
// flags, by a hard link, else over an empty file of our own (docs/stores.md).
int renameNoReplace(int folder, const char* from, const char* to);

// Makes a new file in `folder` for writing, named `prefix` and a suffix of
// its own (this process's id and a count) that no other file had: the file's
// descriptor, `name` set; -1 with errno when none can be made.
int makeTemporary(int folder, const std::string& prefix, mode_t mode, std::string& name);

// As renameNoReplace, without the hard link: the rename itself picks what
// stands at `from`, so an entry that came there since the caller looked is
// moved whole, never removed. A kill may leave the empty file at `to`.
int renameToFreshName(int folder, const char* from, const char* to);

// The time now as a set-aside name gives it, "20261209T192117.123456789Z":
// to the nanosecond, so that names sort by time and a new one is free.
std::string asideStamp();

// What an entry of `mode` is, in a message's words: "file", "folder", "FIFO"...
const char* kindOf(mode_t mode);

} // namespace ZQ
