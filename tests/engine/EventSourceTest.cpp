#include "engine/Model.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class CountingListener : public ZQ::EventListener {
public:
    int solved = 0;
    int lastTile = -1;
    std::function<void()> onSolvedHook;
    void onSolved() override {
        ++solved;
        if (onSolvedHook) {
            onSolvedHook();
        }
    }
    void onTile(int id) override { lastTile = id; }
};

TEST(EventSourceTest, ListenerAddedTwiceIsCalledTwiceAndRemovedAtOnce) {
    ZQ::Model model;
    CountingListener l;
    model.addListener(&l);
    model.addListener(&l);
    model.notify(&ZQ::EventListener::onSolved);
    EXPECT_EQ(l.solved, 2);
    model.removeListener(&l);
    model.notify(&ZQ::EventListener::onSolved);
    EXPECT_EQ(l.solved, 2);
}

TEST(EventSourceTest, ListenerRemovingItselfStillGetsThatNotificationOnly) {
    ZQ::Model model;
    CountingListener self, other;
    self.onSolvedHook = [&] { model.removeListener(&self); };
    model.addListener(&self);
    model.addListener(&other);
    model.notify(&ZQ::EventListener::onSolved);
    model.notify(&ZQ::EventListener::onSolved);
    EXPECT_EQ(self.solved, 1);
    EXPECT_EQ(other.solved, 2);
}

TEST(EventSourceTest, ListenerAddedDuringNotifyIsCalledFromTheNextOne) {
    ZQ::Model model;
    CountingListener adder, late;
    adder.onSolvedHook = [&] {
        if (adder.solved == 1) {
            model.addListener(&late);
        }
    };
    model.addListener(&adder);
    model.notify(&ZQ::EventListener::onSolved);
    EXPECT_EQ(late.solved, 0);
    model.notify(&ZQ::EventListener::onSolved);
    EXPECT_EQ(late.solved, 1);
}

TEST(EventSourceTest, ArgumentsReachTheNamedOperation) {
    ZQ::Model model;
    CountingListener l;
    model.addListener(&l);
    model.notify(&ZQ::EventListener::onTile, 42);
    EXPECT_EQ(l.lastTile, 42);
    EXPECT_EQ(l.solved, 0);
}

TEST(EventSourceTest, NullListenerIsLoggedAndRefused) {
    ZQ::Model model;
    testing::internal::CaptureStderr();
    model.addListener(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "evtLst==NULL\n");
    EXPECT_TRUE(model.getListeners().empty());
    model.notify(&ZQ::EventListener::onSolved); // must not crash
}

TEST(EventSourceTest, TearDownLeavesNoListenersAndPauseToggles) {
    ZQ::Model model;
    CountingListener l;
    model.setUp();
    model.addListener(&l);
    model.pause();
    EXPECT_TRUE(model.isPaused());
    model.resume();
    EXPECT_FALSE(model.isPaused());
    model.tearDown();
    EXPECT_TRUE(model.getListeners().empty());
}

} // namespace
