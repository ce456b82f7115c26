#include "platform/ZQGameCenterGateway.h"

#include "engine/Globals.h"
#include "engine/Log.h"
#include "engine/StoreLocations.h"
#include "platform/ZQRootController.h"

#include <ctime>

ZQGameCenterGateway* ZQGameCenterGateway::sharedInstance() {
    // Never deleted: a report may come while statics are torn down.
    static ZQGameCenterGateway* const gateway =
        new ZQGameCenterGateway(ZQ::openedDataFolder, ZQLocalPlayer::operatingSystemUser());
    return gateway;
}

ZQGameCenterGateway::ZQGameCenterGateway(ZQ::PlistFileStore::Place folder, std::string playerName)
    : store(std::move(folder), "leaderboards.plist"), player(store, std::move(playerName)) {}

ZQRootController* ZQGameCenterGateway::mainCtrl() const {
    return ZQRootController::current();
}

void ZQGameCenterGateway::authenticateLocalPlayer() {
    // Each request renews the handler, as each login request does on a phone.
    player.setAuthenticateHandler([this](const ZQServiceError* error) { handleLogin(error); });
}

void ZQGameCenterGateway::handleLogin(const ZQServiceError* error) {
    setLastError(error);
    // A desktop never asks the player for a login screen: the state is known
    // at once.
    if (player.isAuthenticated()) {
        localPlayerId_ = player.playerID();
        ZQ::gGlobals.gameCenterAuthenticated = true;
    } else {
        ZQ::gGlobals.gameCenterAuthenticated = false;
    }
}

void ZQGameCenterGateway::setLastError(const ZQServiceError* error) {
    if (error == nullptr) {
        lastError_.reset();
        return;
    }
    lastError_ = *error;
    ZQ::platformLog("ZQZorezGateway ERROR - domain: %s, desc: %s, debugDesc: %s", error->domain.c_str(),
                    error->description.c_str(), error->debugDescription.c_str());
}

void ZQGameCenterGateway::reportScores(std::span<const ZQ::LeaderboardScore> scores) {
    if (!player.isAuthenticated()) {
        return;
    }
    store.report(scores, ZQLeaderboardStore::utcDate(std::time(nullptr)));
}

void ZQGameCenterGateway::showLeaderboards() {
    ZQRootController* root = mainCtrl();
    if (root == nullptr) {
        return;
    }
    root->presentPaused({"Leaderboards", store.summary()}, nullptr);
}
