#include "engine/StoreLocations.h"

#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace ZQ {

std::string homeFolder(const char* home) {
    if (home != nullptr && home[0] != '\0') {
        return home;
    }
    // Services and sandboxes may run without HOME.
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/tmp";
}

std::string chooseDataFolder(const char* xdgDataHome, const char* home) {
    // XDG base directories must be absolute; a relative one is ignored.
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
        return std::string(xdgDataHome) + "/velmora";
    }
    return homeFolder(home) + "/.local/share/velmora";
}

std::string chooseCloudFolder(const char* cloudDir, const std::string& dataFolder) {
    if (cloudDir != nullptr && cloudDir[0] != '\0') {
        return cloudDir;
    }
    return dataFolder + "/cloud";
}

const std::string& dataFolder() {
    static const std::string folder = chooseDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    return folder;
}

const std::string& cloudFolder() {
    static const std::string folder = chooseCloudFolder(std::getenv("VELMORA_CLOUD_DIR"), dataFolder());
    return folder;
}

const OwnedFolder::Handle& openedDataFolder() {
    static const OwnedFolder::Handle folder = [] {
        const std::filesystem::path data(dataFolder());
        OwnedFolder::Handle start = OwnedFolder::open(data.parent_path().string(), OwnedFolder::Make::yes);
        return start->usable() ? start->below(data.filename().string(), OwnedFolder::Make::yes) : start;
    }();
    return folder;
}

const OwnedFolder::Handle& openedCloudFolder() {
    static const OwnedFolder::Handle folder = [] {
        const char* named = std::getenv("VELMORA_CLOUD_DIR");
        if (named != nullptr && named[0] != '\0') {
            return OwnedFolder::open(named, OwnedFolder::Make::no);
        }
        const OwnedFolder::Handle& data = openedDataFolder();
        return data->usable() ? data->below("cloud", OwnedFolder::Make::no) : data;
    }();
    return folder;
}

KeyValueStore& userDefaults() {
    static PlistFileStore store(openedDataFolder(), "defaults.plist", Preferences::writtenRoom(),
                                PlistFileStore::Need::required);
    return store;
}

KeyValueStore& cloudStore() {
    static PlistFileStore store(openedCloudFolder(), "cloud.plist", Preferences::writtenRoom(),
                                PlistFileStore::Need::optional);
    return store;
}

} // namespace ZQ
