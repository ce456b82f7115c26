#pragma once

#include "engine/KeyValueStore.h"
#include "engine/OwnedFolder.h"

#include <string>

namespace ZQ {

// Where the game keeps its two per-user stores (docs/stores.md), and the
// process's two stores. The environment is read once, at the first call, and
// each folder opened once, on a way of the game's user (OwnedFolder): the
// data folder made when missing, the cloud folder at its first write.
// Threads: the folders from any thread; the stores on the main thread only.

// The folder rules; `xdgDataHome`, `home` and `cloudDir` are the variables'
// values (null when unset).
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
