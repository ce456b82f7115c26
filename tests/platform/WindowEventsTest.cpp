#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "platform/ZQAppDelegate.h"
#include "platform/ZQView.h"
#include "platform/ZQWindowEvents.h"
#include "support/HeadlessGL.h"

#include "ShellRecorders.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <gtest/gtest.h>

namespace {

// SDL events made by hand, for a window SDL does not know: positions then
// count as points of the view as they are.
class WindowEventsTest : public HeadlessGLTest {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        view = std::make_unique<ZQView>(*HeadlessGL::context(), PVRTVec2(320.0f, 480.0f), 2.0f,
                                        ZQ::DeviceProfile::forPlatformType(3));
        ZQ::gGlobals.masterController = &input;
        delegate = std::make_unique<RecordingDelegate>(*view);
        events = std::make_unique<ZQWindowEvents>(*view, *delegate, *HeadlessGL::context(),
                                                  PVRTVec2(320.0f, 480.0f));
    }
    void TearDown() override {
        events.reset();
        delegate.reset();
        view.reset();
        HeadlessGLTest::TearDown();
    }

    bool window(uint8_t what) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = what;
        return events->handle(e);
    }
    void button(uint32_t type, int x, int y, uint8_t which = SDL_BUTTON_LEFT, uint32_t mouse = 0) {
        SDL_Event e{};
        e.type = type;
        e.button.button = which;
        e.button.which = mouse;
        e.button.x = x;
        e.button.y = y;
        events->handle(e);
    }
    // The button event SDL hands over after a window system's event
    // stamped `serverTime` (ms), both read at SDL's `ticks`.
    void timedButton(uint32_t type, int x, int y, uint32_t serverTime, uint32_t ticks) {
        SDL_SysWMmsg message{};
        SDL_VERSION(&message.version);
        message.subsystem = SDL_SYSWM_X11;
        message.msg.x11.event.type = type == SDL_MOUSEBUTTONDOWN ? ButtonPress : ButtonRelease;
        message.msg.x11.event.xbutton.time = serverTime;
        SDL_Event system{};
        system.type = SDL_SYSWMEVENT;
        system.syswm.timestamp = ticks;
        system.syswm.msg = &message;
        events->handle(system);
        SDL_Event e{};
        e.type = type;
        e.button.timestamp = ticks;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = x;
        e.button.y = y;
        events->handle(e);
    }
    void motion(int x, int y, uint32_t mouse = 0) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.which = mouse;
        e.motion.x = x;
        e.motion.y = y;
        events->handle(e);
    }
    void finger(uint32_t type, SDL_FingerID id, float pressure) {
        SDL_Event e{};
        e.type = type;
        e.tfinger.fingerId = id;
        e.tfinger.pressure = pressure;
        events->handle(e);
    }

    std::unique_ptr<ZQView> view;
    std::unique_ptr<RecordingDelegate> delegate;
    std::unique_ptr<ZQWindowEvents> events;
    InputRecorder input;
};

TEST_F(WindowEventsTest, WindowStatesDriveTheLifeCycle) {
    delegate->applicationDidBecomeActive();
    EXPECT_TRUE(window(SDL_WINDOWEVENT_FOCUS_LOST));
    EXPECT_FALSE(view->isAnimating());
    window(SDL_WINDOWEVENT_MINIMIZED);
    window(SDL_WINDOWEVENT_RESTORED);
    window(SDL_WINDOWEVENT_RESTORED); // a maximised window back to its size: no return from the background
    window(SDL_WINDOWEVENT_FOCUS_GAINED);
    window(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_TRUE(view->isAnimating());
    const std::vector<std::string> calls = {"becomeActive", "resignActive", "background",
                                            "foreground",   "becomeActive", "becomeActive"};
    EXPECT_EQ(delegate->calls, calls);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_FALSE(events->handle(quit)) << "closing the window ends the loop";
}

TEST_F(WindowEventsTest, TheLeftButtonIsOneFingerAndAHeldOneIsCancelledOnFocusLoss) {
    motion(50, 50);                                                          // hovering: nothing
    button(SDL_MOUSEBUTTONDOWN, 10, 20, SDL_BUTTON_RIGHT);                   // not a finger
    button(SDL_MOUSEBUTTONDOWN, 10, 20, SDL_BUTTON_LEFT, SDL_TOUCH_MOUSEID); // a finger's echo
    button(SDL_MOUSEBUTTONDOWN, 400, 20);                                    // beside the view
    EXPECT_TRUE(input.inputs.empty());

    button(SDL_MOUSEBUTTONDOWN, 10, 20);
    motion(30, 20);
    button(SDL_MOUSEBUTTONUP, 30, 20);
    button(SDL_MOUSEBUTTONDOWN, 100, 200);
    window(SDL_WINDOWEVENT_FOCUS_LOST);
    button(SDL_MOUSEBUTTONUP, 100, 200); // the lift after the cancel is no touch of ours
    const std::vector<InputRecorder::Input> expected = {
        {"touchBegan", PVRTVec2(20.0f, 960.0f - 40.0f), 36.0f},
        {"touchMoved", PVRTVec2(60.0f, 960.0f - 40.0f), 36.0f},
        {"touchEnded", PVRTVec2(60.0f, 960.0f - 40.0f), 36.0f},
        {"touchBegan", PVRTVec2(200.0f, 960.0f - 400.0f), 36.0f},
        {"touchCancelled", PVRTVec2(200.0f, 960.0f - 400.0f), 36.0f},
    };
    EXPECT_EQ(input.inputs, expected);
}

TEST_F(WindowEventsTest, FingersAreTouchesOfTheirOwnWithAPressureRadius) {
    finger(SDL_FINGERDOWN, 7, 1.0f);
    finger(SDL_FINGERDOWN, 9, 0.5f);
    finger(SDL_FINGERMOTION, 9, 0.5f);
    finger(SDL_FINGERUP, 7, 1.0f);
    finger(SDL_FINGERUP, 7, 1.0f); // lifted twice: once is enough
    finger(SDL_FINGERUP, 9, 0.5f);
    const std::vector<std::string> calls = {"touchBegan", "touchBegan", "touchMoved", "touchEnded",
                                            "touchEnded"};
    EXPECT_EQ(input.calls(), calls);
    EXPECT_EQ(input.inputs[0].value, 36.0f) << "full pressure: no measured size";
    EXPECT_EQ(input.inputs[1].value, 0.5f * ZQWindowEvents::kFullPressureRadius);
}

// The game reads the window's events once a frame: a tap whose lift is
// read after a slow frame is still a tap, timed by when the hand made it.
TEST_F(WindowEventsTest, ATapReadLateIsTimedByTheWindowSystem) {
    // Pressed at server time 10000 and read at once; lifted 80 ms later but
    // read a second after the press, behind a slow frame.
    timedButton(SDL_MOUSEBUTTONDOWN, 50, 60, 10000, 2000);
    timedButton(SDL_MOUSEBUTTONUP, 50, 60, 10080, 3000);
    EXPECT_EQ(view->inputTally().taps, 1);

    // The same, stamped only when read: as long as a hold, not a tap.
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = 200;
    e.button.y = 300;
    e.button.timestamp = 6000;
    events->handle(e);
    e.type = SDL_MOUSEBUTTONUP;
    e.button.timestamp = 7000;
    events->handle(e);
    EXPECT_EQ(view->inputTally().taps, 1) << "a press held a second is no tap";

    // Read together 2.5 s late: the clocks' offset stays at the quickest
    // read seen (the first press's), so the two keep their 50 ms apart.
    timedButton(SDL_MOUSEBUTTONDOWN, 100, 100, 20000, 12500);
    timedButton(SDL_MOUSEBUTTONUP, 100, 100, 20050, 12500);
    EXPECT_EQ(view->inputTally().taps, 2);
    EXPECT_EQ(view->inputTally().began, 3);
    EXPECT_EQ(view->inputTally().ended, 3);
}

} // namespace
