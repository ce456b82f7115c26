#pragma once

#include "game/GameServiceGateway.h"
#include "platform/ZQLeaderboardStore.h"
#include "platform/ZQLocalPlayer.h"

#include <optional>
#include <span>
#include <string>

class ZQRootController;

// The game service on a desktop: the operating-system user is the player,
// the leaderboards are a file of the game's data folder, and the leaderboard
// screen is a dialog over the game (a log in headless runs).
//
// The view logs in at start-up and at each return to the foreground; the
// login handler keeps the engine's gameCenterAuthenticated flag, which
// decides whether the saved state reports scores and whether the
// leaderboard tile is enabled. Reports without a logged-in player are
// refused, as a service refuses them; report failures are not retried
// beyond the file store's own next write.
//
// Ownership: owns the leaderboard store and the local player. Threads: main
// thread only; the login handler runs on it.
class ZQGameCenterGateway final : public ZQ::IGameServiceGateway {
public:
    // The process's gateway, over "leaderboards.plist" in the data folder,
    // made at the first call.
    static ZQGameCenterGateway* sharedInstance();

    // The boards in "leaderboards.plist" of `folder`.
    ZQGameCenterGateway(ZQ::PlistFileStore::Place folder, std::string playerName);
    ZQGameCenterGateway(const ZQGameCenterGateway&) = delete;
    ZQGameCenterGateway& operator=(const ZQGameCenterGateway&) = delete;

    // The window's root, through which the leaderboard screen is shown; null
    // when there is none, and then nothing is shown.
    ZQRootController* mainCtrl() const;

    // A login request; the handler sets the flag.
    void authenticateLocalPlayer();

    void reportScores(std::span<const ZQ::LeaderboardScore> scores) override;
    void showLeaderboards() override;

    // Keeps a copy of `error` (null clears it) and logs it.
    void setLastError(const ZQServiceError* error);

    ZQLocalPlayer* localPlayer() { return &player; }
    const std::string& localPlayerId() const { return localPlayerId_; }
    const std::optional<ZQServiceError>& lastError() const { return lastError_; }
    ZQLeaderboardStore& leaderboards() { return store; }

private:
    void handleLogin(const ZQServiceError* error);

    ZQLeaderboardStore store;
    ZQLocalPlayer player;
    std::string localPlayerId_;
    std::optional<ZQServiceError> lastError_;
};
