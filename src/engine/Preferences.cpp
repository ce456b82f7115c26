#include "engine/Preferences.h"

#include "engine/Assert.h"
#include "engine/Log.h"
#include "engine/StoreLocations.h"

namespace ZQ {

Preferences& Preferences::shared() {
    static Preferences preferences(ZQ::userDefaults(), ZQ::cloudStore());
    return preferences;
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
    defaults.setInteger(kGameModeKey, mode);
    defaults.synchronize();
    cloud.setInteger(kGameModeKey, mode);
    cloud.synchronize();
    reportedBadMode = false;
}

void Preferences::flipGameMode() {
    setGameMode(getGameMode() == ZenMode ? ArcadeMode : ZenMode);
}

void Preferences::setTutorialCompleted() {
    defaults.setBool(kTutorialCompletedKey, true);
    defaults.synchronize();
    cloud.setBool(kTutorialCompletedKey, true);
    cloud.synchronize();
}

bool Preferences::isShadowDisabled() {
    // Thread-safe one-time initialisation: any thread may ask.
    static const bool disabled = ZQ::userDefaults().boolForKey(kDisableShadowKey);
    return disabled;
}

} // namespace ZQ
