#include "PngName.h"

#include "engine/PngName.h"

#include <cstdio>

namespace PngName {

bool refused(const char* tool, const std::string& path) {
    const std::string why = ZQ::whyNoPngName(path);
    if (!why.empty()) {
        std::fprintf(stderr, "%s: %s: %s\n", tool, path.c_str(), why.c_str());
    }
    return !why.empty();
}

} // namespace PngName
