#pragma once

#include "engine/KeyValueStore.h"
#include "engine/PlistCodec.h"

#include <cstdint>
#include <string>

namespace ZQ {

enum GameMode : int32_t {
    ArcadeMode = 0, // the level timer runs
    ZenMode = 1,    // no timer; the calm strings are counted instead
};

// The player's preferences: the game's only settings, kept in the user
// defaults under keys prefixed "zr_". The game mode and the tutorial flag are
// also written to the cloud store, whose changes come back through the cloud
// merge. Every reader asks on every use (no cache) except isShadowDisabled.
//
// It lives with the engine because the renderer (the shadow switch) and the
// overlays (the mode tile's face) read it as well as the game flow.
//
// Ownership: holds references to the two stores, which outlive it.
// Threads: main thread only, except isShadowDisabled (any thread).
class Preferences {
public:
    static constexpr const char* kGameModeKey = "zr_gamemode";
    static constexpr const char* kTutorialCompletedKey = "zr_tutorial_completed";
    static constexpr const char* kDisableParallaxKey = "zr_disable_parallax";
    static constexpr const char* kDisableShadowKey = "zr_disable_shadow";
    static constexpr const char* kAppRatedKey = "zr_apprated";
    static constexpr const char* kStateKey = "zr_state";

    Preferences(KeyValueStore& defaults, KeyValueStore& cloud) : defaults(defaults), cloud(cloud) {}

    // The most a saved record takes under kStateKey, written as XML: one of
    // the widest numbers takes 225 values and 7.4 KB (the saved state's tests
    // hold its widest record to this).
    static constexpr PlistMeasure kSavedStateRoom = {256, 10u << 10, 0};

    // The keys the game writes into the user defaults and the cloud store
    // itself, each with the most it writes there, for which their files keep
    // room (PlistFileStore).
    static const PlistRoom& writtenRoom();

    // The preferences of the process's own stores.
    static Preferences& shared();

    // ArcadeMode or ZenMode. A stored value that is neither (another number,
    // another kind) is logged once and read as ArcadeMode: a hand-edited or
    // damaged file must not stop the game.
    GameMode getGameMode() const;
    // Both stores, each synchronized; failures are logged by the stores.
    void setGameMode(int32_t mode);
    void flipGameMode();

    bool isTutorialCompleted() const { return defaults.boolForKey(kTutorialCompletedKey); }
    // Both stores, each synchronized.
    void setTutorialCompleted();
    bool isParallaxDisabled() const { return defaults.boolForKey(kDisableParallaxKey); }
    bool isAppRated() const { return defaults.boolForKey(kAppRatedKey); }
    // Not synchronized: the next synchronize of the defaults carries it.
    void setAppRated() { defaults.setBool(kAppRatedKey, true); }

    // The player's shadow switch, read from the process's user defaults at
    // the first call and kept: shaders are compiled once, so a change takes
    // effect at the next start.
    static bool isShadowDisabled();

    KeyValueStore& userDefaults() const { return defaults; }
    KeyValueStore& cloudStore() const { return cloud; }

private:
    KeyValueStore& defaults;
    KeyValueStore& cloud;
    mutable bool reportedBadMode = false;
};

} // namespace ZQ
