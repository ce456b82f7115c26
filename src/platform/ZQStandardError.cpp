#include "platform/ZQStandardError.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace ZQStandardError {

namespace {

void sayLine(const std::string& text) {
    const std::string line = "velmora: " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace

void say(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::va_list counted;
    va_copy(counted, arguments);
    const int size = std::vsnprintf(nullptr, 0, format, counted);
    va_end(counted);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, arguments);
    va_end(arguments);
    sayLine(text);
}

void say(const ZQ::Refusal& refusal) {
    sayLine(ZQ::line(refusal));
}

} // namespace ZQStandardError
