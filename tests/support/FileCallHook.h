#pragma once

#include "engine/FileCalls.h"

#include <fcntl.h>
#include <functional>
#include <stdio.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Runs a test's hook ahead of each system call the stores, the lock and the
// shares take in their folders, for the hook's scope: it sees the call, the
// entry it names (and a rename's new name) and its flags or mode, and may act
// as another writer would between two steps, or fail the call with an errno
// of its own. Threads: the test's thread.
class FileCallHook {
public:
    // 0 to let the call go on, or the errno it fails with.
    using Hook = std::function<int(const std::string& call, const std::string& entry, const std::string& to,
                                   unsigned flags)>;

    explicit FileCallHook(Hook hook) {
        current() = std::move(hook);
        ZQ::gFileCalls = {
            [](int folder, const char* name, int flags, mode_t mode) {
                return fails("openat", name, "", static_cast<unsigned>(flags))
                           ? -1
                           : ZQ::kSystemFileCalls.openat(folder, name, flags, mode);
            },
            [](int folder, const char* name, struct stat* info, int flags) {
                return fails("fstatat", name, "", static_cast<unsigned>(flags))
                           ? -1
                           : ZQ::kSystemFileCalls.fstatat(folder, name, info, flags);
            },
            [](int folder, const char* name, mode_t mode) {
                return fails("mkdirat", name, "", mode) ? -1
                                                        : ZQ::kSystemFileCalls.mkdirat(folder, name, mode);
            },
            [](int from, const char* name, int to, const char* newName, unsigned flags) {
                return fails("renameat2", name, newName, flags)
                           ? -1
                           : ZQ::kSystemFileCalls.renameat2(from, name, to, newName, flags);
            },
            [](int folder, const char* name, int flags) {
                return fails("unlinkat", name, "", static_cast<unsigned>(flags))
                           ? -1
                           : ZQ::kSystemFileCalls.unlinkat(folder, name, flags);
            },
            [](int file, mode_t mode) {
                return fails("fchmod", "", "", mode) ? -1 : ZQ::kSystemFileCalls.fchmod(file, mode);
            },
            [](int from, const char* name, int to, const char* newName, int flags) {
                return fails("linkat", name, newName, static_cast<unsigned>(flags))
                           ? -1
                           : ZQ::kSystemFileCalls.linkat(from, name, to, newName, flags);
            },
            [](int folder, const char* name, char* target, size_t size) -> ssize_t {
                return fails("readlinkat", name, "", 0)
                           ? -1
                           : ZQ::kSystemFileCalls.readlinkat(folder, name, target, size);
            },
        };
    }
    ~FileCallHook() {
        ZQ::gFileCalls = ZQ::kSystemFileCalls;
        current() = nullptr;
    }
    FileCallHook(const FileCallHook&) = delete;
    FileCallHook& operator=(const FileCallHook&) = delete;

private:
    static Hook& current() {
        static Hook hook;
        return hook;
    }
    // True, with errno set, when the hook fails the call.
    static bool fails(const char* call, const char* entry, const char* to, unsigned flags) {
        const int error = current() ? current()(call, entry, to, flags) : 0;
        errno = error != 0 ? error : errno;
        return error != 0;
    }
};
