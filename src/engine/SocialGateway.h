#pragma once

#include <cstdint>

namespace ZQ {

// What the game asks of sharing: a picture of the knot kept from a frame,
// whether a channel is open, and a post or a mail of the knot or the award.
// The platform shell implements it; a failed share is the gateway's to log,
// the game goes on. The tiles read the availability answers every frame, so
// they must be cheap and must not change anything.
//
// Gateways are never deleted through this interface. Main thread only.
class ISocialGateway {
public:
    // Channels by index, as the posting operation takes them.
    static constexpr int32_t kServiceWeibo = 0;
    static constexpr int32_t kServiceTwitter = 1;
    static constexpr int32_t kServiceFacebook = 2;
    static constexpr int32_t kServiceCount = 3;
    // Message types: the knot being played (pause screen), the award just won.
    static constexpr int32_t kMessageKnot = 0;
    static constexpr int32_t kMessageAward = 1;

    virtual bool isTwAvailable() = 0;
    virtual bool isFbAvailable() = 0;
    virtual bool isWeAvailable() = 0;
    virtual bool canSendEmail() = 0;

    // The next finished frame is kept as the picture shares are cut from.
    virtual void takeSnapshot() = 0;
    virtual bool isSnapshotTaken() = 0;
    virtual void clearSnapshot() = 0;

    // `knotName` is UTF-8 and may be anything a level record holds.
    virtual void publishOnProfile(int32_t service, int32_t msgType, const char* knotName) = 0;
    virtual void sendEmail(int32_t msgType, const char* knotName) = 0;

protected:
    ~ISocialGateway() = default;
};

// The process-wide gateway. Until the shell installs its own, nothing is
// available and no snapshot is ever taken, so the share tiles stay disabled.
class SocialGateway final : public ISocialGateway {
public:
    // Never null.
    static ISocialGateway* instance();
    // Puts `gateway` in place (null brings the built-in one back) and returns
    // the one it replaced.
    static ISocialGateway* setInstance(ISocialGateway* gateway);
    // The share tiles' rule: a snapshot exists and one channel is open.
    static bool isSharingEnabled();

    bool isTwAvailable() override { return false; }
    bool isFbAvailable() override { return false; }
    bool isWeAvailable() override { return false; }
    bool canSendEmail() override { return false; }
    void takeSnapshot() override {}
    bool isSnapshotTaken() override { return false; }
    void clearSnapshot() override {}
    void publishOnProfile(int32_t, int32_t, const char*) override {}
    void sendEmail(int32_t, const char*) override {}
};

} // namespace ZQ
