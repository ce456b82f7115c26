#pragma once

#include "engine/KeyValueStore.h"
#include "engine/OwnedFolder.h"

#include <functional>
#include <optional>
#include <string>

namespace ZQ {

// Where the game keeps its two per-user stores (docs/stores.md), and the
// process's two stores. The environment is read once, at the first call, and
// each folder opened on a way of the game's user (OwnedFolder): the data
// folder made when missing, the cloud folder at its first write. A folder
// that is no longer at its way (moved away, removed, another put in its
// place while the game runs) is walked to again, with every check.
// Threads: main thread only.

// The folder rules; `xdgDataHome`, `home` and `cloudDir` are the variables'
// values (null when unset).
std::string chooseDataFolder(const char* xdgDataHome, const char* home);
std::string chooseCloudFolder(const char* cloudDir, const std::string& dataFolder);

const std::string& dataFolder();
const std::string& cloudFolder();
// The folders as they stand at their ways now.
OwnedFolder::Handle openedDataFolder();
OwnedFolder::Handle openedCloudFolder();
// Asked of a data folder walked to again, before any store uses it, to take
// it as the start did (its lock); a refusal stands for the folder.
using FolderGuard = std::function<std::optional<Refusal>(const OwnedFolder::Handle&)>;
void guardDataFolder(FolderGuard guard);

// The process's stores, read from their files at the first call and kept to
// the end of the process.
KeyValueStore& userDefaults();
KeyValueStore& cloudStore();

} // namespace ZQ
