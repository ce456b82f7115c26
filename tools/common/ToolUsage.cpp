#include "ToolUsage.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace ToolUsage {

bool asksForHelp(int argc, char** argv) {
    return argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
}

int help(const char* usage) {
    std::fputs(usage, stdout);
    return 0;
}

int refuse(const char* usage) {
    std::fputs(usage, stderr);
    return kRefused;
}

std::optional<int> answerNames(int argc, char** argv, int least, int most, const char* usage) {
    if (asksForHelp(argc, argv)) {
        return help(usage);
    }
    const int names = argc - 1;
    if (names < least || names > most) {
        return refuse(usage);
    }
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') {
            std::fprintf(stderr, "%s: unknown option \"%s\"\n",
                         std::filesystem::path(argv[0]).filename().c_str(), argv[i]);
            return refuse(usage);
        }
    }
    return std::nullopt;
}

} // namespace ToolUsage
