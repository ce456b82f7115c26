#include "cords/GraspModel.h"
#include "cords/Grasp.h"
#include "engine/EventListener.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records the life it sees at each update and its own deletion.
class ProbeGrasp : public ZQ::Grasp {
public:
    ProbeGrasp(int32_t lives, std::vector<int>* deleted, int tag, std::vector<int>* updates = nullptr,
               std::vector<int>* livesSeen = nullptr)
        : Grasp({}, 0, lives), deletions(deleted), updateLog(updates), lifeLog(livesSeen), name(tag) {}
    ~ProbeGrasp() override { deletions->push_back(name); }

    void update() override {
        if (updateLog != nullptr) {
            updateLog->push_back(name);
        }
        if (lifeLog != nullptr) {
            lifeLog->push_back(life);
        }
    }
    int32_t getType() const override { return Drag; }

private:
    std::vector<int>* deletions;
    std::vector<int>* updateLog;
    std::vector<int>* lifeLog;
    int name;
};

// Sees each new grasp and what the model holds at that moment.
class AdmissionListener : public ZQ::EventListener {
public:
    explicit AdmissionListener(const ZQ::GraspModel& m) : model(m) {}
    void onGrasp(ZQ::Grasp* grasp) override {
        seen.push_back(grasp);
        countsSeen.push_back(model.count());
        idsSeen.push_back(grasp->id);
    }
    const ZQ::GraspModel& model;
    std::vector<ZQ::Grasp*> seen;
    std::vector<int32_t> countsSeen;
    std::vector<int32_t> idsSeen;
};

TEST(GraspModelTest, LifeOfLMeansLPlusOneUpdatesThenDeletion) {
    for (int32_t life : {0, 1, 15, 30}) {
        std::vector<int> deleted;
        std::vector<int> livesSeen;
        ZQ::GraspModel model;
        model.admit(new ProbeGrasp(life, &deleted, 7, nullptr, &livesSeen));
        // Every update but the last leaves the grasp in the list.
        for (int32_t frame = 0; frame < life; ++frame) {
            model.doStep();
            ASSERT_EQ(model.count(), 1) << "life " << life << " frame " << frame;
            ASSERT_TRUE(deleted.empty());
        }
        model.doStep();
        EXPECT_EQ(model.count(), 0);
        EXPECT_EQ(deleted, std::vector<int>{7});
        std::vector<int> expectedLives;
        for (int32_t l = life - 1; l >= -1; --l) {
            expectedLives.push_back(l);
        }
        EXPECT_EQ(livesSeen, expectedLives) << "life " << life;
    }
}

TEST(GraspModelTest, ListenersSeeTheGraspBeforeTheModelHoldsIt) {
    std::vector<int> deleted;
    ZQ::GraspModel model;
    AdmissionListener listener(model);
    model.addListener(&listener);

    auto* first = new ProbeGrasp(5, &deleted, 1);
    auto* second = new ProbeGrasp(5, &deleted, 2);
    first->id = 99; // overwritten on admission
    model.admit(first);
    model.admit(second);
    model.admit(nullptr); // dropped without a notification

    EXPECT_EQ(listener.seen, (std::vector<ZQ::Grasp*>{first, second}));
    EXPECT_EQ(listener.countsSeen, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(listener.idsSeen, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(first->id, 0);
    EXPECT_EQ(second->id, 1);
    ASSERT_EQ(model.count(), 2);
    EXPECT_EQ(model.grasps.back(), second);

    // Ids are the count at admission, not a running number: after the first
    // grasp expires, the next one takes id 1 again.
    for (int i = 0; i < 6; ++i) {
        model.doStep();
    }
    ASSERT_EQ(model.count(), 0);
    auto* third = new ProbeGrasp(40, &deleted, 3);
    model.admit(third);
    EXPECT_EQ(third->id, 0);
    model.removeListener(&listener);
}

TEST(GraspModelTest, AnExpiringGraspDoesNotMakeTheStepSkipTheNext) {
    std::vector<int> deleted;
    std::vector<int> updates;
    ZQ::GraspModel model;
    model.admit(new ProbeGrasp(0, &deleted, 1, &updates));
    model.admit(new ProbeGrasp(2, &deleted, 2, &updates));
    model.admit(new ProbeGrasp(0, &deleted, 3, &updates));

    model.doStep();
    EXPECT_EQ(updates, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(deleted, (std::vector<int>{1, 3}));
    ASSERT_EQ(model.count(), 1);
    EXPECT_EQ(model.grasps.front()->life, 1);
}

TEST(GraspModelTest, GraspsKeepActingWhileThePauseFlagIsSet) {
    std::vector<int> deleted;
    ZQ::GraspModel model;
    std::vector<int> livesSeen;
    model.admit(new ProbeGrasp(3, &deleted, 1, nullptr, &livesSeen));
    model.pause();
    model.setUp(); // keeps the pause flag
    EXPECT_TRUE(model.isPaused());
    model.doStep();
    EXPECT_EQ(livesSeen, std::vector<int>{2});
}

TEST(GraspModelTest, TearDownLeavesListenersAndDeletesGrasps) {
    std::vector<int> deleted;
    ZQ::GraspModel model;
    AdmissionListener listener(model);
    model.addListener(&listener);
    model.admit(new ProbeGrasp(10, &deleted, 1));
    model.admit(new ProbeGrasp(10, &deleted, 2));

    // A level reload: the grasps go, the listeners stay.
    model.removeAllGrasps();
    EXPECT_EQ(deleted, (std::vector<int>{1, 2}));
    EXPECT_EQ(model.count(), 0);
    model.admit(new ProbeGrasp(10, &deleted, 3));
    EXPECT_EQ(listener.seen.size(), 3u);

    model.tearDown();
    EXPECT_EQ(deleted, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(model.getListeners().empty());
    model.admit(new ProbeGrasp(10, &deleted, 4));
    EXPECT_EQ(listener.seen.size(), 3u);
}

TEST(GraspModelTest, DestructorDeletesWhatTheListHolds) {
    std::vector<int> deleted;
    {
        ZQ::GraspModel model;
        model.admit(new ProbeGrasp(10, &deleted, 1));
        model.admit(new ProbeGrasp(10, &deleted, 2));
    }
    EXPECT_EQ(deleted, (std::vector<int>{1, 2}));
}

} // namespace
