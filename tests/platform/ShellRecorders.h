#pragma once

#include "engine/Controller.h"
#include "engine/Model.h"
#include "platform/ZQAppDelegate.h"
#include "support/RecordingSoundGateway.h"

#include <string>
#include <utility>
#include <vector>

// What the shell's objects did, in order: (call, object), the object null
// for the sound gateway.
struct ShellCall {
    std::string call;
    const void* object;
    bool operator==(const ShellCall&) const = default;
};

inline std::vector<ShellCall>& shellLog() {
    static std::vector<ShellCall> log;
    return log;
}

// A model that logs its construction, set-up, steps and tear-down and then
// does what the model does.
template <class T> class Recorded final : public T {
public:
    template <class... Arguments>
    explicit Recorded(Arguments&&... arguments) : T(std::forward<Arguments>(arguments)...) {
        shellLog().push_back({"make", static_cast<ZQ::Model*>(this)});
    }
    void setUp() override {
        shellLog().push_back({"setUp", static_cast<ZQ::Model*>(this)});
        T::setUp();
    }
    void tearDown() override {
        shellLog().push_back({"tearDown", static_cast<ZQ::Model*>(this)});
        T::tearDown();
    }
    void doStep() override {
        shellLog().push_back({"doStep", static_cast<ZQ::Model*>(this)});
        T::doStep();
    }
};

struct RecordingMaker {
    template <class T, class... Arguments> static T* make(Arguments&&... arguments) {
        return new Recorded<T>(std::forward<Arguments>(arguments)...);
    }
};

// A sound gateway whose set-up, steps, purges and tear-down join the log.
class LoggedSoundGateway : public RecordingSoundGateway {
public:
    void setUp() override {
        shellLog().push_back({"sound setUp", nullptr});
        RecordingSoundGateway::setUp();
    }
    void tearDown() override {
        shellLog().push_back({"sound tearDown", nullptr});
        RecordingSoundGateway::tearDown();
    }
    void doStep() override {
        shellLog().push_back({"sound doStep", nullptr});
        RecordingSoundGateway::doStep();
    }
};

// The master controller's place: records the input the game engine hands
// on, points in pixels with a bottom-left origin.
class InputRecorder : public ZQ::Controller {
public:
    struct Input {
        std::string call;
        PVRTVec2 point;
        float value; // radius, direction, or 0
        bool operator==(const Input&) const = default;
    };

    void touchBegan(PVRTVec2 p, float r) override { inputs.push_back({"touchBegan", p, r}); }
    void touchMoved(PVRTVec2 p, float r) override { inputs.push_back({"touchMoved", p, r}); }
    void touchEnded(PVRTVec2 p, float r) override { inputs.push_back({"touchEnded", p, r}); }
    void touchCancelled(PVRTVec2 p, float r) override { inputs.push_back({"touchCancelled", p, r}); }
    void swipe(PVRTVec2 p, int direction) override {
        inputs.push_back({"swipe", p, static_cast<float>(direction)});
    }
    void tap(PVRTVec2 p, float r) override { inputs.push_back({"tap", p, r}); }
    void doubleTap(PVRTVec2 p) override { inputs.push_back({"doubleTap", p, 0.0f}); }

    std::vector<std::string> calls() const {
        std::vector<std::string> out;
        for (const Input& input : inputs) {
            out.push_back(input.call);
        }
        return out;
    }

    std::vector<Input> inputs;
};

// Records the life-cycle calls, then lets the view act on them.
class RecordingDelegate : public ZQAppDelegate {
public:
    using ZQAppDelegate::ZQAppDelegate;
    void applicationWillResignActive() override {
        calls.push_back("resignActive");
        ZQAppDelegate::applicationWillResignActive();
    }
    void applicationDidBecomeActive() override {
        calls.push_back("becomeActive");
        ZQAppDelegate::applicationDidBecomeActive();
    }
    void applicationDidEnterBackground() override {
        calls.push_back("background");
        ZQAppDelegate::applicationDidEnterBackground();
    }
    void applicationWillEnterForeground() override {
        calls.push_back("foreground");
        ZQAppDelegate::applicationWillEnterForeground();
    }
    std::vector<std::string> calls;
};
