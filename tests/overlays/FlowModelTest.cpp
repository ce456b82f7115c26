#include "overlays/FlowModel.h"
#include "engine/Composite.h"
#include "engine/DeviceProfile.h"
#include "engine/EasingPresets.h"
#include "engine/LeafActions.h"
#include "engine/Random.h"
#include "overlays/FlowInstance.h"
#include "overlays/FlowSteps.h"
#include "overlays/HudFixture.h"
#include "render/Texture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using ZQ::FlowModel;

class FlowTest : public HudTest {
protected:
    // A flow of the caption at (x, y) pixels; its id and letter count.
    std::pair<int32_t, int32_t> lay(const std::string& name, float x, float y) {
        int32_t id = -1;
        int32_t n = -1;
        flows.addFlow(box->getCaption(name), &id, &n, x, y, 0.0f);
        return {id, n};
    }

    const std::vector<double>& edges(const std::string& name) {
        return dynamic_cast<const ZQ::TextureMetrics&>(*box->getCaption(name)->texture).metrics;
    }

    static FlowModel::Batch* batch(std::vector<ZQ::FlowStep*> steps) { return new FlowModel::Batch(steps); }

    static ZQ::FlowAnim* wait(int32_t flow, int32_t letter, int32_t frames) {
        return new ZQ::FlowAnim(flow, letter, new ZQ::WaitAction(frames));
    }

    bool busy(int32_t flow, int32_t letter) const {
        const ZQ::Action* action = flows.findLetter(flow, letter)->getAction();
        return action != nullptr && !action->isFinished();
    }
};

TEST_F(FlowTest, LettersFlyFromTheirMetricsThroughTheWorldAndSettleAtTheirTargets) {
    const float s = ZQ::gGlobals.worldScale;
    const auto [id, n] = lay("messages_extratime", 100.0f, 600.0f);
    const std::vector<double>& e = edges("messages_extratime");
    ASSERT_EQ(n, static_cast<int32_t>(e.size()) - 1);
    ASSERT_EQ(n, 10) << "EXTRA TIME";
    EXPECT_EQ(flowWorld.getParticleCount(), n);
    EXPECT_EQ(flowWorld.getConstraintCount(), n - 1);
    EXPECT_EQ(flowWorld.getForceCount(), n);
    // Each letter starts its own width right of the one before.
    for (int32_t i = 1; i < n; ++i) {
        const float gap = flowWorld.getPosition(i).x - flowWorld.getPosition(i - 1).x;
        EXPECT_NEAR(gap / s, e[static_cast<std::size_t>(i)] - e[static_cast<std::size_t>(i) - 1], 1e-3);
        EXPECT_EQ(flowWorld.getPosition(i).y, 600.0f * s);
    }
    // Every letter pulled to its place on a row one link apart, then held.
    const float spacing = 1.0f / s;
    auto* steps = new FlowModel::Batch();
    std::vector<PVRTVec3> targets;
    for (int32_t i = 0; i < n; ++i) {
        targets.emplace_back(200.0f + spacing * static_cast<float>(i), 300.0f, 0.0f);
        steps->push_back(
            new ZQ::FlowAnim(id, i,
                             new ZQ::Sequence({new ZQ::FlowMoveAction(30, targets.back(), ZQ::easeSmooth()),
                                               new ZQ::FlowStopAction(20)})));
    }
    flows.addSteps({steps});
    step(52);
    EXPECT_TRUE(flows.isReady());
    for (int32_t i = 0; i < n; ++i) {
        const ZQ::FlowInstance* letter = flows.findLetter(id, i);
        const PVRTVec3 start(100.0f + static_cast<float>(e[static_cast<std::size_t>(i)] - e[0]), 600.0f,
                             0.0f);
        // The stop holds the letter where the move's pins had brought it by
        // then, a few frames' steps short of the target.
        const float travel = (targets[static_cast<std::size_t>(i)] - start).length();
        const PVRTVec3& at = letter->layout.position;
        EXPECT_EQ(at.z, ZQ::DeviceProfile::get().hudDepth);
        EXPECT_LT(PVRTVec2(at.x - targets[static_cast<std::size_t>(i)].x, at.y - 300.0f).length(),
                  0.1f * travel)
            << i;
    }
}

TEST_F(FlowTest, BatchesWaitUntilEveryLetterOfEveryFlowIsIdle) {
    const auto [a, na] = lay("a", 100.0f, 900.0f);
    const auto [b, nb] = lay("a", 100.0f, 500.0f);
    ASSERT_EQ(na, 2);
    ASSERT_EQ(nb, 2);
    // An empty queue applies the new batch at once.
    flows.addSteps({batch({wait(a, 0, 5)})});
    EXPECT_TRUE(busy(a, 0));
    // Two waiting, a third handed in: the oldest is applied, the new one waits last.
    flows.queue.push_back(batch({wait(b, 0, 1)}));
    flows.queue.push_back(batch({wait(b, 1, 1)}));
    auto* third = batch({wait(a, 1, 1)});
    flows.addSteps({third});
    EXPECT_TRUE(busy(b, 0));
    ASSERT_EQ(flows.queue.size(), 2u);
    EXPECT_EQ(flows.queue.back(), third);
    // Flow a's letter 0 still runs (a wait of 5 succeeds on its 6th tick):
    // nothing more is applied, whoever it is for.
    step(6);
    EXPECT_EQ(flows.queue.size(), 2u);
    EXPECT_FALSE(busy(b, 1));
    step(); // all idle at the start of this frame
    EXPECT_EQ(flows.queue.size(), 1u);
    EXPECT_TRUE(busy(b, 1));

    // With no letters at all, queued batches go one a frame.
    flows.tearDown();
    flows.queue.push_back(batch({wait(a, 0, 1)}));
    flows.queue.push_back(batch({wait(a, 0, 1)}));
    step();
    EXPECT_EQ(flows.queue.size(), 1u);
    step();
    EXPECT_TRUE(flows.queue.empty());
}

TEST_F(FlowTest, TheWorldEmptiesWithTheLastFlowAndStartsAgainAtParticleZero) {
    const auto [a, na] = lay("a", 100.0f, 900.0f);
    const auto [b, nb] = lay("a", 100.0f, 500.0f);
    flows.addSteps({batch({wait(a, 0, 3), new ZQ::FlowRemove(a), new ZQ::FlowRemove(b)})});
    step();
    EXPECT_EQ(flows.letterCount(b), 0) << "an idle flow marked goes at once";
    EXPECT_EQ(flows.letterCount(a), na) << "a busy one waits for its letters";
    EXPECT_EQ(flowWorld.getParticleCount(), na + nb) << "particles stay while any letter is left";
    step(3);
    EXPECT_TRUE(flows.letters.empty());
    EXPECT_TRUE(flows.flowsToRemove.empty());
    EXPECT_EQ(flowWorld.getParticleCount(), 0);
    EXPECT_EQ(flowWorld.getConstraintCount(), 0);
    EXPECT_EQ(flowWorld.getForceCount(), 0);
    lay("a", 0.0f, 0.0f);
    EXPECT_EQ(flows.letters.front()->particle, 0);
    EXPECT_EQ(flows.letters.front()->flow, b + 1) << "ids keep counting";
}

TEST_F(FlowTest, MovesPinAndStopsHoldForTheirFrames) {
    const auto [id, n] = lay("a", 100.0f, 900.0f);
    ZQ::FlowInstance* letter = flows.findLetter(id, 0);
    auto* move = new ZQ::FlowMoveAction(1, PVRTVec3(400.0f, 400.0f, 0.0f), ZQ::easeSmooth());
    letter->setAction(move);
    EXPECT_EQ(move->tick(), ZQ::Action::Success) << "one frame: pinned once, at its start";
    EXPECT_EQ(flowWorld.getTmpConstraintCount(), 1);
    flowWorld.doStep();
    EXPECT_EQ(flowWorld.getTmpConstraintCount(), 0) << "the pin acts for one step";

    auto* stop = new ZQ::FlowStopAction(7);
    letter->setAction(stop);
    int running = 0;
    while (stop->tick() == ZQ::Action::Running) {
        ++running;
        flowWorld.doStep();
        ASSERT_LT(running, 20);
    }
    EXPECT_EQ(running, 6) << "7 holding frames, the 7th succeeding";

    // The snake pulls with a force while t is at most 0.9, then pins; it
    // runs frames + 1 times.
    auto* snake = new ZQ::FlowSnakeAction(10, 1, PVRTVec3(400.0f, 400.0f, 0.0f), 3, ZQ::easeSmooth());
    letter->setAction(snake);
    flowWorld.doStep();
    int ticks = 0;
    int pulls = 0;
    int pins = 0;
    while (ticks < 30) {
        const int32_t forces = flowWorld.getTmpForceCount();
        const int32_t fixes = flowWorld.getTmpConstraintCount();
        const ZQ::Action::State state = snake->tick();
        ++ticks;
        pulls += flowWorld.getTmpForceCount() - forces;
        pins += flowWorld.getTmpConstraintCount() - fixes;
        if (state != ZQ::Action::Running) {
            break;
        }
    }
    EXPECT_EQ(ticks, 11);
    EXPECT_EQ(pulls + pins, 11);
    EXPECT_GE(pins, 1);
    EXPECT_GE(pulls, 9);
    EXPECT_EQ(snake->getEasing(), ZQ::easeSmooth()) << "carried for the builders";
    (void)n;
}

TEST_F(FlowTest, ExitFlowDropsWhatIsQueuedAndSendsEveryFlowAway) {
    flows.exitFlow();
    EXPECT_TRUE(flows.queue.empty());
    EXPECT_TRUE(flows.flowsToRemove.empty());

    const auto [a, na] = lay("messages_extratime", 100.0f, 900.0f);
    const auto [b, nb] = lay("a", 100.0f, 500.0f);
    flows.addSteps({batch({wait(a, 0, 100)}), batch({wait(b, 0, 1)})});
    ASSERT_EQ(flows.queue.size(), 1u);
    flows.exitFlow();
    EXPECT_TRUE(flows.queue.empty()) << "the entering batch is dropped";
    EXPECT_EQ(flows.flowsToRemove, (std::set<int32_t>{a, b}));
    step(32);
    EXPECT_TRUE(flows.letters.empty());
    EXPECT_EQ(flowWorld.getParticleCount(), 0);
    EXPECT_EQ(sound.count("playRandomSwish16"), 2u);
    (void)na;
    (void)nb;
}

TEST_F(FlowTest, ExtraTimeIsShownAndAppliedOnceEvenBehindAnotherBatch) {
    flows.showExtraTime();
    ASSERT_EQ(flows.letters.size(), 10u);
    // 135 frames of moves, give or take the float clock of each move.
    step(130);
    EXPECT_FALSE(flows.letters.empty());
    step(6);
    EXPECT_TRUE(flows.letters.empty()) << "gone about 135 frames after it came";

    // Behind a running word with a batch still queued, the extra time waits
    // for its own batch and still plays it.
    const auto [a, na] = lay("a", 100.0f, 900.0f);
    flows.addSteps({batch({wait(a, 0, 20)}), batch({wait(a, 1, 1)})});
    sound.calls.clear();
    flows.showExtraTime();
    const int32_t extra = flows.nextFlowId - 1;
    ASSERT_EQ(flows.letterCount(extra), 10);
    step(25);
    ASSERT_EQ(flows.letterCount(extra), 10) << "not removed before its batch ran";
    EXPECT_NE(flows.findLetter(extra, 0)->getAction(), nullptr);
    EXPECT_EQ(sound.count("playRandomSwish17"), 1u) << "its batch has begun";
    step(200);
    EXPECT_EQ(flows.letterCount(extra), 0);
    EXPECT_EQ(sound.count("playRandomSwish17"), 1u) << "applied once";
    (void)na;
}

TEST_F(FlowTest, AFullWorldRefusesAFlowAndMissingLettersAreDropped) {
    int32_t laid = 0;
    while (true) {
        const auto [id, n] = lay("messages_extratime", 10.0f, 10.0f);
        if (n == 0) {
            break;
        }
        laid += n;
        ASSERT_LE(laid, ZQ::Fx::PARTICLE_ARRAY_SIZE);
    }
    EXPECT_EQ(laid, 1020);
    EXPECT_EQ(flowWorld.getParticleCount(), 1020);
    testing::internal::CaptureStderr();
    const auto [big, nb] = lay("messages_extratime", 10.0f, 10.0f);
    EXPECT_EQ(nb, 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("refused"), std::string::npos)
        << "one line says why";
    const auto [small, ns] = lay("a", 10.0f, 10.0f);
    EXPECT_EQ(ns, 2) << "a word that fits is still laid";
    EXPECT_EQ(small, big + 1) << "the refused flow used its id up";
    // Steps for a flow that has gone, or a letter past its word, are dropped
    // with a line each.
    testing::internal::CaptureStderr();
    flows.addSteps({batch({wait(small + 7, 0, 3), wait(small, 5, 3), wait(small, 1, 3)})});
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("letter 0 of flow " + std::to_string(small + 7) + " dropped"), std::string::npos)
        << log;
    EXPECT_NE(log.find("letter 5 of flow " + std::to_string(small) + " dropped"), std::string::npos) << log;
    EXPECT_TRUE(busy(small, 1));
    // A picture has no letters: no flow.
    const auto [picture, np] = lay("hourglass", 0.0f, 0.0f);
    EXPECT_EQ(np, 0);
    EXPECT_EQ(flowWorld.getParticleCount(), 1022);
    (void)picture;
}

TEST_F(FlowTest, APausedModelNeitherMovesNorAppliesAndShowsNothing) {
    const auto [a, na] = lay("a", 100.0f, 900.0f);
    flows.queue.push_back(batch({wait(a, 0, 1)}));
    flows.pause();
    flowWorld.pause();
    const PVRTVec3 before = flows.findLetter(a, 0)->layout.position;
    step(5);
    EXPECT_EQ(flows.queue.size(), 1u);
    EXPECT_EQ(flows.findLetter(a, 0)->layout.position, before);
    std::vector<ZQ::Cloudlet*> shown;
    flows.getCloudlets(shown);
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(flows.isReady());
    flows.resume();
    flowWorld.resume();
    step();
    EXPECT_TRUE(flows.queue.empty());
    (void)na;
}

TEST_F(FlowTest, ATipLeavesByItsFirstLastOrMiddleLetter) {
    ZQ::seedRandom(27);
    const float w = ZQ::gGlobals.screenSize.x;
    const float h = ZQ::gGlobals.screenSize.y;
    int seen[3] = {};
    for (int k = 0; k < 300; ++k) {
        int32_t pivot = -1;
        PVRTVec2 target;
        ZQ::FlowSupport::randomTipExit(&pivot, &target, 7, 0.4f * h);
        if (target.x == -w) {
            EXPECT_EQ(pivot, 0);
            EXPECT_EQ(target.y, 0.4f * h);
            ++seen[0];
        } else if (target.x == 2.0f * w) {
            EXPECT_EQ(pivot, 6);
            EXPECT_EQ(target.y, 0.4f * h);
            ++seen[1];
        } else {
            EXPECT_EQ(pivot, 3);
            EXPECT_EQ(target.y, -0.2f * h);
            EXPECT_GE(target.x, 0.0f);
            EXPECT_LE(target.x, w);
            ++seen[2];
        }
    }
    for (const int n : seen) {
        EXPECT_GT(n, 60) << "each way about a third of the time";
    }
}

} // namespace
