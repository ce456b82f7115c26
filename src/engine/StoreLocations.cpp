#include "engine/StoreLocations.h"

#include "engine/Log.h"
#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"

#include <cstdlib>
#include <sys/stat.h>

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
    return absoluteOrIgnored("VELMORA_CLOUD_DIR", cloudDir) ? std::string(cloudDir)
                                                            : joinPath(dataFolder, "cloud");
}

const std::string& dataFolder() {
    static const std::string folder = chooseDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    return folder;
}

const std::string& cloudFolder() {
    static const std::string folder = chooseCloudFolder(std::getenv("VELMORA_CLOUD_DIR"), dataFolder());
    return folder;
}

namespace {

FolderGuard gDataGuard;

// `held` while it is the very folder its way leads to now (`now`), and not
// removed (its inode may already serve another); else `now`, taken by `guard`
// (when given) before anything uses it. A refused walk changes nothing held:
// once its cause passes (a folder shut for a moment, swapped and put back),
// the way leads to `held` again, which keeps its lock and gets its saves.
OwnedFolder::Handle standing(OwnedFolder::Handle& held, OwnedFolder::Handle now, const FolderGuard& guard) {
    struct stat was {};
    struct stat is {};
    if (!now->usable()) {
        return now;
    }
    if (held != nullptr && held->missing() == now->missing() && ::fstat(held->descriptor(), &was) == 0 &&
        was.st_nlink > 0 && ::fstat(now->descriptor(), &is) == 0 && was.st_dev == is.st_dev &&
        was.st_ino == is.st_ino) {
        return held;
    }
    // One noted as missing and made since is no news.
    if (held != nullptr && !held->missing()) {
        platformLog("The folder %s is no longer the one the game opened; the game saves in the one there now",
                    held->path().c_str());
    }
    if (std::optional<Refusal> refusal = held != nullptr && guard ? guard(now) : std::nullopt) {
        return std::make_shared<OwnedFolder>(now->path(), std::move(*refusal));
    }
    held = std::move(now);
    return held;
}

} // namespace

OwnedFolder::Handle openedDataFolder() {
    static OwnedFolder::Handle held;
    return standing(held, OwnedFolder::open(dataFolder(), OwnedFolder::Make::yes), gDataGuard);
}

OwnedFolder::Handle openedCloudFolder() {
    static OwnedFolder::Handle held;
    // The default cloud folder is reached through the data folder as it
    // stands, taken as the start took it.
    return standing(held,
                    cloudFolder() == joinPath(dataFolder(), "cloud")
                        ? openedDataFolder()->below("cloud", OwnedFolder::Make::no)
                        : OwnedFolder::open(cloudFolder(), OwnedFolder::Make::no),
                    nullptr);
}

void guardDataFolder(FolderGuard guard) {
    gDataGuard = std::move(guard);
}

KeyValueStore& userDefaults() {
    static PlistFileStore store(openedDataFolder, "defaults.plist", Preferences::writtenRoom(),
                                PlistFileStore::Need::required);
    return store;
}

KeyValueStore& cloudStore() {
    static PlistFileStore store(openedCloudFolder, "cloud.plist", Preferences::writtenRoom(),
                                PlistFileStore::Need::optional,
                                {"to share progress through another folder, start the game with another "
                                 "VELMORA_CLOUD_DIR",
                                 ""});
    return store;
}

} // namespace ZQ
