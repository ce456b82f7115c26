#pragma once

#include <sys/types.h>

#include <string>

// Points every folder the game takes from its environment (the data, cloud,
// home, desktop, settings and cache folders, and the bundle, then the build's
// own) and GoogleTest's TempDir() at folders of this process's own under the
// temporary folder, and GL's shader cache at the build tree's, so that no
// test or benchmark reaches a player's files, whatever the shell names and
// whether ctest runs it or a maintainer does.
//
// Ownership: the process that made the folders removes them when this object
// goes; a process of ours started by one of ours (a death test run anew)
// makes its folders inside its parent's.
class OwnFolders {
public:
    OwnFolders();
    ~OwnFolders();
    OwnFolders(const OwnFolders&) = delete;
    OwnFolders& operator=(const OwnFolders&) = delete;

    const std::string& path() const { return folder; }

    // Names the folders of the process that made them, for its children.
    static constexpr const char* kVariable = "VELMORA_OWN_FOLDERS";
    // The tests' shader cache, in the build tree.
    static constexpr const char* kShaderCache = VELMORA_TEST_SHADER_CACHE;

private:
    std::string folder;
    pid_t owner;
};
