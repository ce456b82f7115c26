#include "engine/Log.h"

#include <cstdarg>
#include <cstdio>

namespace ZQ {

void logToStderr(const char* format, ...) {
    // A fixed buffer keeps the log usable while memory is short; vsnprintf
    // truncates and always terminates.
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    std::fputs(buffer, stderr);
}

} // namespace ZQ
