#include "stage/BalloonModel.h"

#include "engine/LeafActions.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using ZQ::BalloonInstance;
using ZQ::BalloonModel;

// A balloon whose action runs for `frames` frames (none for 0).
BalloonInstance* balloon(int frames, float alpha = 1.0f) {
    auto* b = new BalloonInstance();
    b->layout.alpha = alpha;
    b->layout.position = PVRTVec3(10.0f, 20.0f, 0.0f);
    if (frames > 0) {
        b->setAction(new ZQ::WaitAction(frames));
    }
    return b;
}

std::vector<ZQ::Cloudlet*> listed(BalloonModel& model) {
    std::vector<ZQ::Cloudlet*> out;
    model.getCloudlets(out);
    return out;
}

TEST(BalloonModelTest, BalloonsLiveWhileTheirActionRunsAndGoAtTheNextStepAfter) {
    BalloonModel model;
    BalloonInstance* bare = balloon(0);
    BalloonInstance* brief = balloon(2);
    BalloonInstance* lasting = balloon(100);
    model.addBalloon(bare);
    model.addBalloon(brief);
    model.addBalloon(lasting);
    EXPECT_EQ(listed(model), (std::vector<ZQ::Cloudlet*>{bare, brief, lasting}));
    EXPECT_TRUE(model.isEmpty()) << "balloons never hold up a wait for empty models";
    EXPECT_TRUE(model.isReady());

    model.doStep();
    EXPECT_EQ(listed(model), (std::vector<ZQ::Cloudlet*>{brief, lasting})) << "no action: gone at once";
    for (int f = 0; f < 5; ++f) {
        model.doStep();
    }
    EXPECT_EQ(listed(model), (std::vector<ZQ::Cloudlet*>{lasting}));
}

TEST(BalloonModelTest, APausedModelKeepsEverythingAndListsNothing) {
    BalloonModel model;
    BalloonInstance* ended = balloon(1);
    model.addBalloon(ended);
    model.addBalloon(balloon(0));
    model.pause();
    for (int f = 0; f < 5; ++f) {
        model.doStep();
    }
    EXPECT_TRUE(listed(model).empty());
    EXPECT_EQ(model.getBalloons().size(), 2u);
    EXPECT_EQ(ended->getAction()->getState(), ZQ::Action::NotStarted) << "nothing was stepped";
    model.resume();
    EXPECT_EQ(listed(model).size(), 2u);
    model.doStep();
    model.doStep();
    EXPECT_TRUE(model.getBalloons().empty());
}

TEST(BalloonModelTest, EaseAllFadesEveryBalloonOutInFifteenFramesFromWhereItIs) {
    BalloonModel model;
    model.easeAll(); // nothing to ease
    EXPECT_TRUE(model.getBalloons().empty());

    BalloonInstance* visible = balloon(1000, 0.8f);
    BalloonInstance* clear = balloon(1000, 0.0f);
    visible->layout.scale = 2.5f;
    model.addBalloon(visible);
    model.addBalloon(clear);
    model.doStep();
    model.easeAll();
    const ZQ::Layout before = visible->layout;
    for (int f = 1; f < BalloonModel::kEaseFrames; ++f) {
        model.doStep();
        ASSERT_EQ(model.getBalloons().size(), 2u) << "frame " << f;
        EXPECT_EQ(visible->layout.position, before.position);
        EXPECT_EQ(visible->layout.scale, before.scale);
    }
    EXPECT_GT(visible->layout.alpha, 0.0f);
    model.doStep(); // the fifteenth: transparent, finished, deleted
    EXPECT_TRUE(model.getBalloons().empty());
}

} // namespace
