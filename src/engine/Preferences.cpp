#include "engine/Preferences.h"

#include "engine/Assert.h"
#include "engine/Log.h"
#include "engine/StoreLocations.h"

#include <limits>

namespace ZQ {

Preferences& Preferences::shared() {
    static Preferences preferences(ZQ::userDefaults(), ZQ::cloudStore());
    return preferences;
}

const PlistRoom& Preferences::writtenRoom() {
    static const PlistRoom room = [] {
        // The widest of each kind the game writes there: any 64-bit number
        // for the mode, the longer of the two booleans for the flags.
        PlistRoom widest = plistRoomOf({
            {kGameModeKey, StoreValue::integer(std::numeric_limits<int64_t>::min())},
            {kTutorialCompletedKey, StoreValue::boolean(false)},
            {kAppRatedKey, StoreValue::boolean(false)},
        });
        widest.emplace(kStateKey, kSavedStateRoom);
        return widest;
    }();
    return room;
}

GameMode Preferences::getGameMode() const {
    const StoreValue* stored = defaults.object(kGameModeKey);
    if (stored == nullptr) {
        return ArcadeMode;
    }
    const int64_t* mode = stored->asInteger();
    if (mode != nullptr && (*mode == ArcadeMode || *mode == ZenMode)) {
        return static_cast<GameMode>(*mode);
    }
    if (!reportedBadMode) {
        reportedBadMode = true;
        platformLog("Stored %s is %s, not 0 or 1: playing arcade mode", kGameModeKey,
                    stored->describe().c_str());
    }
    return ArcadeMode;
}

void Preferences::setGameMode(int32_t mode) {
    ZQ_ASSERT(mode == ArcadeMode || mode == ZenMode);
    // The player's choice here is the newest: set again over another
    // writer's, whatever it was.
    const auto choose = [mode](KeyValueStore& store) { store.setInteger(kGameModeKey, mode); };
    defaults.update(choose);
    cloud.update(choose);
    reportedBadMode = false;
}

void Preferences::flipGameMode() {
    setGameMode(getGameMode() == ZenMode ? ArcadeMode : ZenMode);
}

void Preferences::setTutorialCompleted() {
    // Completed anywhere is completed: another writer's value changes nothing.
    const auto complete = [](KeyValueStore& store) { store.setBool(kTutorialCompletedKey, true); };
    defaults.update(complete);
    cloud.update(complete);
}

bool Preferences::isShadowDisabled() {
    // Thread-safe one-time initialisation: any thread may ask.
    static const bool disabled = ZQ::userDefaults().boolForKey(kDisableShadowKey);
    return disabled;
}

} // namespace ZQ
