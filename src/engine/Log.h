#pragma once

namespace ZQ {

// The engine's formatted log for the model and texture readers: printf
// conventions, written to standard error as it stands (the caller supplies
// any newline). Output longer than 1023 characters is cut there.
void logToStderr(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace ZQ
