#include "OutputFolder.h"

#include "engine/WritableFile.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace OutputFolder {

namespace {

// Makes `folder` and its missing parents; false, after the tool's one line,
// when it cannot.
bool makeFolder(const char* tool, const std::string& folder) {
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (code) {
        std::fprintf(stderr, "%s: cannot make the folder %s: %s\n", tool, folder.c_str(),
                     code.message().c_str());
        return false;
    }
    return true;
}

} // namespace

bool make(const char* tool, const std::string& folder) {
    if (folder.empty()) {
        std::fprintf(stderr, "%s: the output folder's name is empty\n", tool);
        return false;
    }
    if (!makeFolder(tool, folder)) {
        return false;
    }
    // An existing folder may still refuse new files (read-only, or on a
    // read-only file system); making it says nothing about that.
    if (const std::string why = ZQ::whyNoNewFileIn(folder); !why.empty()) {
        std::fprintf(stderr, "%s: cannot write in the folder %s: %s\n", tool, folder.c_str(), why.c_str());
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
    if (!folder.empty() && !makeFolder(tool, folder)) {
        return false;
    }
    // The file itself is judged, as the game judges its pictures: a player
    // may write /dev/null, whose folder is not theirs.
    if (const std::string why = ZQ::whyUnwritable(path); !why.empty()) {
        std::fprintf(stderr, "%s: cannot write %s: %s\n", tool, path.c_str(), why.c_str());
        return false;
    }
    return true;
}

} // namespace OutputFolder
