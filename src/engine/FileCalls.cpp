#include "engine/FileCalls.h"

#include <fcntl.h>
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
};

FileCalls gFileCalls = kSystemFileCalls;

} // namespace ZQ
