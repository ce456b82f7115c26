#include "engine/PlatformLog.h"

#include <cstdarg>
#include <cstdio>

namespace ZQ {

void platformLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

} // namespace ZQ
