#include "engine/Log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace ZQ {

namespace {

std::atomic<LogLevel> gLevel{LogLevel::Info};

void write(LogLevel level, const char* format, va_list args) {
    if (level < gLevel.load(std::memory_order_relaxed)) {
        return;
    }
    // A fixed buffer keeps the log usable while memory is short; vsnprintf
    // truncates and always terminates. One byte past the text is kept for
    // the newline.
    char buffer[1025];
    std::vsnprintf(buffer, 1024, format, args);
    size_t length = std::strlen(buffer);
    if (length == 0 || buffer[length - 1] != '\n') {
        buffer[length++] = '\n';
        buffer[length] = '\0';
    }
    std::fwrite(buffer, 1, length, stderr);
}

} // namespace

void setLogLevel(LogLevel level) {
    gLevel.store(level, std::memory_order_relaxed);
}

LogLevel logLevel() {
    return gLevel.load(std::memory_order_relaxed);
}

void logMessage(LogLevel level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    write(level, format, args);
    va_end(args);
}

void platformLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    write(LogLevel::Warning, format, args);
    va_end(args);
}

void logToStderr(const char* format, ...) {
    va_list args;
    va_start(args, format);
    write(LogLevel::Error, format, args);
    va_end(args);
}

} // namespace ZQ
