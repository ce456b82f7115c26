#include "ProbeAction.h"
#include "engine/CloudletContainer.h"
#include "engine/Composite.h"
#include "engine/LeafActions.h"
#include "engine/SoundAction.h"
#include "engine/Spot.h"
#include "support/RecordingSoundGateway.h"

#include <gtest/gtest.h>

namespace {

using ZQ::Action;
using Journal = std::vector<std::string>;

TEST(CloudletTest, StepTicksTheRootOncePerStep) {
    ZQ::Cloudlet item;
    auto* root = new ProbeAction(Action::Running, {Action::Running});
    item.setAction(root);
    EXPECT_EQ(root->getCloudlet(), &item);
    item.step();
    item.step();
    EXPECT_EQ(root->starts, 1);
    EXPECT_EQ(root->runs, 2);
    EXPECT_EQ(item.getPosition(), item.layout.position);
}

TEST(CloudletTest, SetActionDeletesTheOldTreeAtOnceAndTheNewOneStartsNextTick) {
    Journal journal;
    ZQ::Cloudlet item;
    item.setAction(new ProbeAction(Action::Running, {Action::Running}, &journal, "old"));
    item.step();
    journal.clear();
    auto* fresh = new ProbeAction(Action::Running, {Action::Running}, &journal, "new");
    item.setAction(fresh);
    EXPECT_EQ(journal, (Journal{"old.deleted", "new.bind", "new.reset"}));
    EXPECT_EQ(fresh->getState(), Action::NotStarted);
    item.step();
    EXPECT_EQ(fresh->starts, 1);
}

TEST(CloudletTest, InstallingTheSameRootAgainOnlyRebindsAndResetsIt) {
    Journal journal;
    ZQ::Cloudlet item;
    auto* root = new ProbeAction(Action::Running, {Action::Running}, &journal, "root");
    item.setAction(root);
    item.step();
    journal.clear();
    item.setAction(root);
    EXPECT_EQ(journal, (Journal{"root.bind", "root.reset"}));
    EXPECT_EQ(item.getAction(), root);
    item.step(); // the root is alive and starts over
    EXPECT_EQ(root->starts, 2);
}

TEST(CloudletTest, NullActionAndDestructionFreeTheTree) {
    Journal journal;
    auto* item = new ZQ::Cloudlet();
    item->setAction(new ProbeAction(Action::Running, {Action::Running}, &journal, "a"));
    item->setAction(nullptr);
    EXPECT_EQ(journal, (Journal{"a.bind", "a.reset", "a.deleted"}));
    item->step(); // nothing to tick
    item->setAction(new ZQ::Sequence({new ProbeAction(Action::Running, {Action::Running}, &journal, "b")}));
    journal.clear();
    delete item;
    EXPECT_EQ(journal, (Journal{"b.deleted"}));
}

TEST(CloudletTest, BuiltWithDefaultsThatDrawAtFullSize) {
    ZQ::Spot spot;
    EXPECT_EQ(spot.drawn, 1);
    EXPECT_EQ(spot.sound, 0);
    EXPECT_EQ(spot.getAction(), nullptr);
    EXPECT_EQ(spot.layout.scale, 1.0f);
    EXPECT_EQ(spot.layout.alpha, 1.0f);
    EXPECT_EQ(spot.baseLayout.orientation, PVRTQuaternion());
    EXPECT_EQ(spot.pair, PVRTVec2(1.0f, 1.0f));
    EXPECT_EQ(spot.third, 1.0f);
}

class SoundFollowTest : public ::testing::Test {
protected:
    RecordingSoundGateway sound;
    ScopedSoundGateway use{&sound};
};

TEST_F(SoundFollowTest, ItemWithoutActionStillMovesItsSound) {
    ZQ::Cloudlet item;
    item.layout.position = {1, 2, 3};
    item.step();
    EXPECT_TRUE(sound.calls.empty());
    item.sound = 42;
    item.step();
    ASSERT_EQ(sound.count("moveSource"), 1u);
    EXPECT_EQ(sound.last("moveSource").args, (std::vector<double>{42, 1, 2, 3}));
}

TEST_F(SoundFollowTest, SoundActionLeavesItsHandleAndTheItemMovesItAfterEachStep) {
    ZQ::Cloudlet item;
    item.layout.position = {1, 2, 3};
    sound.nextHandle = 7;
    auto* play = new ZQ::SoundAction(&ZQ::ISoundGateway::playStringOut);
    item.setAction(play);
    item.step();
    EXPECT_EQ(play->getState(), Action::Success);
    EXPECT_EQ(item.sound, 7);
    // Played at the item, then moved after the action within the same step.
    EXPECT_EQ(sound.names(), (std::vector<std::string>{"playStringOut", "moveSource"}));
    EXPECT_EQ(sound.last("playStringOut").args, (std::vector<double>{1, 2, 3}));
    item.layout.position = {4, 5, 6};
    item.step();
    EXPECT_EQ(sound.count("playStringOut"), 1u);
    EXPECT_EQ(sound.last("moveSource").args, (std::vector<double>{7, 4, 5, 6}));
}

TEST_F(SoundFollowTest, SoundInASequencePlaysWhereTheItemIsWhenItsTurnComes) {
    ZQ::Cloudlet item;
    auto* seq = new ZQ::Sequence({new ZQ::LambdaAction([](ZQ::Cloudlet* c) { c->layout.position.x = 9; }),
                                  new ZQ::SoundAction(&ZQ::ISoundGateway::playRandomSwish16)});
    item.setAction(seq);
    item.step();
    EXPECT_EQ(sound.last("playRandomSwish16").args, (std::vector<double>{9, 0, 0}));
}

TEST_F(SoundFollowTest, NoFreeSourceLeavesNoHandleAndNothingToMove) {
    sound.sourcesFree = false;
    ZQ::Cloudlet item;
    item.setAction(new ZQ::SoundAction(&ZQ::ISoundGateway::playRandomSwish17));
    item.step();
    item.step();
    EXPECT_EQ(item.sound, 0);
    EXPECT_EQ(sound.names(), std::vector<std::string>{"playRandomSwish17"});
}

TEST(SoundGatewayTest, BuiltInGatewayIsSilentAndCanBeReplacedAndRestored) {
    ZQ::ISoundGateway* builtIn = ZQ::SoundGateway::instance();
    ASSERT_NE(builtIn, nullptr);
    EXPECT_EQ(builtIn, ZQ::SoundGateway::instance());
    EXPECT_EQ(builtIn->playStringIn(1, 2, 3), 0);
    EXPECT_EQ(builtIn->playBeep(), 0);
    {
        RecordingSoundGateway sound;
        ScopedSoundGateway use(&sound);
        EXPECT_EQ(ZQ::SoundGateway::instance(), &sound);
        ZQ::Cloudlet item;
        item.setAction(new ZQ::SoundAction(&ZQ::ISoundGateway::playSwish));
        item.step();
        EXPECT_EQ(item.sound, 1);
    }
    EXPECT_EQ(ZQ::SoundGateway::instance(), builtIn);
    EXPECT_EQ(ZQ::SoundGateway::setInstance(nullptr), builtIn);
    EXPECT_EQ(ZQ::SoundGateway::instance(), builtIn);
}

class Shelf : public ZQ::CloudletContainer {
public:
    std::vector<ZQ::Cloudlet*> items;
    void getCloudlets(std::vector<ZQ::Cloudlet*>& out) override {
        out.insert(out.end(), items.begin(), items.end());
    }
};

TEST(CloudletContainerTest, ReadyWhenEveryActionHasEnded) {
    Shelf shelf;
    EXPECT_TRUE(shelf.isReady());
    EXPECT_TRUE(shelf.isEmpty());

    ZQ::Cloudlet bare, succeeded, failed, waiting;
    succeeded.setAction(new ZQ::TauAction(Action::Success));
    failed.setAction(new ZQ::TauAction(Action::Failure));
    waiting.setAction(new ZQ::WaitAction(1));
    shelf.items = {&bare, &succeeded, &failed};
    EXPECT_FALSE(shelf.isReady()); // bound but not yet ticked: not started is not finished
    for (ZQ::Cloudlet* c : shelf.items) {
        c->step();
    }
    EXPECT_TRUE(shelf.isReady());
    EXPECT_FALSE(shelf.isEmpty());

    shelf.items.push_back(&waiting);
    waiting.step();
    EXPECT_FALSE(shelf.isReady());
    waiting.step();
    EXPECT_TRUE(shelf.isReady());
}

} // namespace
