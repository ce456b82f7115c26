#pragma once

#include <sys/types.h>

#include <string>

// Points every folder the game takes from its environment at folders of this
// process's own, made fresh under the system's temporary folder: the data
// folder (XDG_DATA_HOME, with the cloud folder under it), the home (and with
// it the desktop's pictures and documents, where shares go), the desktop's
// settings (XDG_CONFIG_HOME), and the bundle, which is then the one the build
// generated. So no test or benchmark reads or writes a player's files,
// whatever the shell names (VELMORA_CLOUD_DIR and VELMORA_BUNDLE included),
// whether ctest runs it or a maintainer does by hand.
//
// Ownership: the process that made the folders removes them, with everything
// in them, when this object goes. A process of ours started by one of ours
// (a death test run anew, the isolation test's child) makes its folders
// inside its parent's, so one that dies leaves nothing behind.
class OwnFolders {
public:
    OwnFolders();
    ~OwnFolders();
    OwnFolders(const OwnFolders&) = delete;
    OwnFolders& operator=(const OwnFolders&) = delete;

    const std::string& path() const { return folder; }

    // Names the folders of the process that made them, for its children.
    static constexpr const char* kVariable = "VELMORA_OWN_FOLDERS";

private:
    std::string folder;
    pid_t owner;
};
