#include "engine/Assert.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ZQ {

void assertionFailed(const char* expression, const char* function, const char* file, int line) {
    const char* slash = std::strrchr(file, '/');
    const char* base = slash ? slash + 1 : file;
    std::fprintf(stderr, "velmora: check failed: %s\n    in %s, %s:%d\n", expression, function, base, line);
    std::fflush(stderr);
    std::abort();
}

} // namespace ZQ
