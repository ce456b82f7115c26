#pragma once

#include "engine/KeyValueStore.h"
#include "engine/OwnedFolder.h"

#include <string>

namespace ZQ {

// Where the game keeps its two per-user stores, and the process's two stores.
//
//   user defaults:  $XDG_DATA_HOME/velmora/defaults.plist
//                   ($XDG_DATA_HOME unset, empty or relative: ~/.local/share)
//   cloud store:    $VELMORA_CLOUD_DIR/cloud.plist
//                   (unset, empty or relative: <the defaults' folder>/cloud)
//
// The cloud folder is one a player may keep in step between machines with
// any file-sync tool. The environment is read once, at the first call, and
// each folder opened once, on a way of the game's user (OwnedFolder): the
// data folder made when missing, the cloud folder at its first write. A
// relative $XDG_DATA_HOME, $VELMORA_CLOUD_DIR or $HOME is ignored, and the
// log says so.
// Threads: the folders from any thread; the stores on the main thread only.

// The data folder rule: `xdgDataHome` and `home` are the variables' values
// (null when unset).
std::string chooseDataFolder(const char* xdgDataHome, const char* home);
std::string chooseCloudFolder(const char* cloudDir, const std::string& dataFolder);

const std::string& dataFolder();
const std::string& cloudFolder();
const OwnedFolder::Handle& openedDataFolder();
const OwnedFolder::Handle& openedCloudFolder();

// The process's stores, read from their files at the first call and kept to
// the end of the process.
KeyValueStore& userDefaults();
KeyValueStore& cloudStore();

} // namespace ZQ
