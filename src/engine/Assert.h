#pragma once

// Programming errors stop the program in every build type: a capacity
// overflow must never turn into memory corruption. The message names the
// check that failed (the expression as written), then the function, the
// source file and the line:
//   velmora: check failed: p_count<PARTICLE_ARRAY_SIZE
//       in addParticle, FxParticleSystem.cpp:42
// A check with no condition of its own names itself in words:
// ZQ_ASSERT(!"a barrier has no particles of its own").

namespace ZQ {
[[noreturn]] void assertionFailed(const char* expression, const char* function, const char* file, int line);
}

#define ZQ_ASSERT(expr)                                                                                      \
    ((expr) ? static_cast<void>(0) : ::ZQ::assertionFailed(#expr, __func__, __FILE__, __LINE__))
