#pragma once

#include <functional>
#include <string>

class ZQLeaderboardStore;

// An error a platform service hands to its caller.
struct ZQServiceError {
    std::string domain;
    std::string description;
    std::string debugDescription;
};

// The game service's local player on a desktop: the operating-system user,
// whose scores go to the local leaderboard file. There is no account to log
// in to: the player is logged in while that file does not refuse (another
// user's, unreadable). A write that fails for a moment (a full disk) waits
// for the next, as any store's does.
//
// Ownership: refers to the leaderboard store, owns nothing. Threads: main
// thread only; the handler is called on it.
class ZQLocalPlayer {
public:
    // Called once the login state is known; `error` null on success.
    using AuthenticateHandler = std::function<void(const ZQServiceError* error)>;

    static constexpr const char* kErrorDomain = "velmora.leaderboards";

    ZQLocalPlayer(ZQLeaderboardStore& store, std::string name) : store(store), name(std::move(name)) {}

    // A login request: calls `handler` at once with the outcome, as a
    // service that knows its player without asking would. Nothing changes
    // the state afterwards, so the handler is not kept.
    void setAuthenticateHandler(const AuthenticateHandler& handler);
    bool isAuthenticated() const { return authenticated; }
    // The player's identifier: the user name.
    const std::string& playerID() const { return name; }

    // The user running the game: the account's login name, else $USER or
    // $LOGNAME, else "player"; a name longer than the leaderboard file takes
    // is passed over.
    static std::string operatingSystemUser();

private:
    ZQLeaderboardStore& store;
    std::string name;
    bool authenticated = false;
};
