#include "OutputFolder.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace OutputFolder {

bool make(const char* tool, const std::string& folder) {
    if (folder.empty()) {
        std::fprintf(stderr, "%s: the output folder's name is empty\n", tool);
        return false;
    }
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (code) {
        std::fprintf(stderr, "%s: cannot make the folder %s: %s\n", tool, folder.c_str(),
                     code.message().c_str());
        return false;
    }
    // An existing folder may still refuse new files (read-only, or on a
    // read-only file system); making it says nothing about that.
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        std::fprintf(stderr, "%s: cannot write in the folder %s: %s\n", tool, folder.c_str(),
                     std::strerror(errno));
        return false;
    }
    return true;
}

bool makeFor(const char* tool, const std::string& path) {
    if (path.empty()) {
        std::fprintf(stderr, "%s: the output file's name is empty\n", tool);
        return false;
    }
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return make(tool, folder.empty() ? "." : folder);
}

} // namespace OutputFolder
