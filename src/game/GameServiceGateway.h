#pragma once

#include <cstdint>
#include <span>

namespace ZQ {

// One score for one leaderboard ("velmora.points").
struct LeaderboardScore {
    const char* leaderboard;
    int64_t value;
};

// What the game flow asks of the game service: leaderboard scores and the
// leaderboard screen. The platform shell implements it; a report that fails
// is the gateway's to log and forget, the game goes on. Whether a player is
// logged in is the engine globals' gameCenterAuthenticated, which the
// gateway's login keeps.
//
// Gateways are never deleted through this interface. Main thread only.
class IGameServiceGateway {
public:
    // The scores of one saved record, reported together: a service keeps
    // all of them or none.
    virtual void reportScores(std::span<const LeaderboardScore> scores) = 0;
    // Shows the leaderboards over the game; the frames stop while they show.
    virtual void showLeaderboards() = 0;

protected:
    ~IGameServiceGateway() = default;
};

// The process-wide gateway. Until the shell installs its own there is no
// game service: reports go nowhere and no screen is shown.
class GameServiceGateway final : public IGameServiceGateway {
public:
    // Never null.
    static IGameServiceGateway* instance();
    // Puts `gateway` in place (null brings the built-in one back) and returns
    // the one it replaced.
    static IGameServiceGateway* setInstance(IGameServiceGateway* gateway);

    void reportScores(std::span<const LeaderboardScore>) override {}
    void showLeaderboards() override {}
};

} // namespace ZQ
