#pragma once

#include <cstdint>
#include <string>

namespace ZQ {

// What the game flow asks of the game service: leaderboard scores. The
// platform shell implements it; a report that fails is the gateway's to log
// and forget, the game goes on.
//
// Gateways are never deleted through this interface. Main thread only.
class IGameServiceGateway {
public:
    // Reports `value` to the leaderboard named `leaderboard` ("velmora.points").
    virtual void reportScore(int64_t value, const std::string& leaderboard) = 0;

protected:
    ~IGameServiceGateway() = default;
};

} // namespace ZQ
