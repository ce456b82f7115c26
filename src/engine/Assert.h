#pragma once

// Programming errors stop the program in every build type: a capacity
// overflow must never turn into memory corruption. The message names the
// source file, the function and the expression.

namespace ZQ {
[[noreturn]] void assertionFailed(const char* expression, const char* function, const char* file, int line);
}

#define ZQ_ASSERT(expr)                                                                                      \
    ((expr) ? static_cast<void>(0) : ::ZQ::assertionFailed(#expr, __func__, __FILE__, __LINE__))
