#include "engine/StoreLocations.h"

#include "engine/Log.h"
#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"

#include <cstdlib>

namespace ZQ {

namespace {

// XDG base folders, and HOME, must be absolute: a relative one would be
// taken from whatever folder the game was started in.
bool absoluteOrIgnored(const char* variable, const char* value) {
    if (value != nullptr && value[0] != '\0' && value[0] != '/') {
        platformLog("%s=%s is not an absolute path; the game ignores it", variable, value);
    }
    return value != nullptr && value[0] == '/';
}

} // namespace

std::string chooseDataFolder(const char* xdgDataHome, const char* home) {
    if (absoluteOrIgnored("XDG_DATA_HOME", xdgDataHome)) {
        return joinPath(xdgDataHome, "velmora");
    }
    absoluteOrIgnored("HOME", home);
    return joinPath(homeFolder(home), ".local/share/velmora");
}

std::string chooseCloudFolder(const char* cloudDir, const std::string& dataFolder) {
    return absoluteOrIgnored("VELMORA_CLOUD_DIR", cloudDir) ? std::string(cloudDir) : joinPath(dataFolder, "cloud");
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
    static const OwnedFolder::Handle folder = OwnedFolder::open(dataFolder(), OwnedFolder::Make::yes);
    return folder;
}

const OwnedFolder::Handle& openedCloudFolder() {
    // The default cloud folder is reached through the data folder opened.
    static const OwnedFolder::Handle folder = cloudFolder() == dataFolder() + "/cloud"
                                                  ? openedDataFolder()->below("cloud", OwnedFolder::Make::no)
                                                  : OwnedFolder::open(cloudFolder(), OwnedFolder::Make::no);
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
