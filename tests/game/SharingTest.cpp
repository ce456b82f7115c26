#include "game/Sharing.h"
#include "engine/SocialGateway.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ZQ::ISocialGateway;

// Channels opened as the test says; every share and snapshot request noted.
class ChannelsGateway final : public ISocialGateway {
public:
    bool isTwAvailable() override { return twitter; }
    bool isFbAvailable() override { return facebook; }
    bool isWeAvailable() override { return weibo; }
    bool canSendEmail() override { return mail; }
    void takeSnapshot() override { snapshot = true; }
    bool isSnapshotTaken() override { return snapshot; }
    void clearSnapshot() override { snapshot = false; }
    void publishOnProfile(int32_t service, int32_t msgType, const char* knotName) override {
        calls.push_back("post " + std::to_string(service) + " " + std::to_string(msgType) + " " + knotName);
    }
    void sendEmail(int32_t msgType, const char* knotName) override {
        calls.push_back("mail " + std::to_string(msgType) + " " + knotName);
    }

    bool twitter = false;
    bool facebook = false;
    bool weibo = false;
    bool mail = false;
    bool snapshot = false;
    std::vector<std::string> calls;
};

class SharingTest : public ::testing::Test {
protected:
    void SetUp() override { previous = ZQ::SocialGateway::setInstance(&gateway); }
    void TearDown() override { ZQ::SocialGateway::setInstance(previous); }

    // What one share does with the channels open as given: the call made,
    // or the log line.
    std::string shareWith(bool twitter, bool facebook, bool weibo, bool mail, bool award) {
        gateway.twitter = twitter;
        gateway.facebook = facebook;
        gateway.weibo = weibo;
        gateway.mail = mail;
        gateway.calls.clear();
        testing::internal::CaptureStderr();
        (award ? ZQ::shareAward : ZQ::shareKnot)("Thetes");
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_LE(gateway.calls.size() + (log.empty() ? 0u : 1u), 1u);
        return gateway.calls.empty() ? log : gateway.calls[0];
    }

    ChannelsGateway gateway;
    ISocialGateway* previous = nullptr;
};

TEST_F(SharingTest, EachShareTakesTheFirstOpenChannelAndLogsWhenThereIsNone) {
    // Every combination of open channels against the order written out:
    // Twitter, then Facebook, then (the knot only) mail; Weibo is never
    // chosen by the tiles.
    for (int open = 0; open < 16; ++open) {
        const bool twitter = (open & 1) != 0;
        const bool facebook = (open & 2) != 0;
        const bool weibo = (open & 4) != 0;
        const bool mail = (open & 8) != 0;
        const std::string knot = twitter    ? "post 1 0 Thetes"
                                 : facebook ? "post 2 0 Thetes"
                                 : mail     ? "mail 0 Thetes"
                                            : "Social networks unavailable\n";
        const std::string award = twitter    ? "post 1 1 Thetes"
                                  : facebook ? "post 2 1 Thetes"
                                             : "Social networks unavailable\n";
        EXPECT_EQ(shareWith(twitter, facebook, weibo, mail, false), knot) << open;
        EXPECT_EQ(shareWith(twitter, facebook, weibo, mail, true), award) << open;
    }
}

TEST_F(SharingTest, ASnapshotIsAskedForOnlyWhileAChannelIsOpenAndTheTilesNeedOne) {
    ZQ::requestShareSnapshot();
    EXPECT_FALSE(gateway.snapshot);
    gateway.weibo = true; // the tiles never post there
    ZQ::requestShareSnapshot();
    EXPECT_FALSE(gateway.snapshot);
    gateway.mail = true;
    EXPECT_FALSE(ZQ::SocialGateway::isSharingEnabled());
    ZQ::requestShareSnapshot();
    EXPECT_TRUE(gateway.snapshot);
    EXPECT_TRUE(ZQ::SocialGateway::isSharingEnabled());
    gateway.mail = false;
    EXPECT_FALSE(ZQ::SocialGateway::isSharingEnabled());
    gateway.facebook = true;
    EXPECT_TRUE(ZQ::SocialGateway::isSharingEnabled());
    gateway.clearSnapshot();
    EXPECT_FALSE(ZQ::SocialGateway::isSharingEnabled());

    // The built-in gateway has no channel and never a snapshot.
    ZQ::SocialGateway::setInstance(nullptr);
    ZQ::requestShareSnapshot();
    EXPECT_FALSE(ZQ::SocialGateway::isSharingEnabled());
}

} // namespace
