#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "platform/ZQInputScript.h"
#include "platform/ZQView.h"
#include "support/HeadlessGL.h"

#include "ShellRecorders.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

bool parse(const std::string& text, ZQInputScript& script, std::string& error) {
    std::istringstream in(text);
    return script.parse(in, error);
}

TEST(InputScriptTest, BadLinesAreRefusedNamingTheLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"10 began 0 1 2\n12 moved 0 3 4 5 6 7\n", "line 2: unexpected '7'"},
        {"# comment\n\n5 hover 1 2\n", "line 3: unknown event 'hover'"},
        {"5 began x 1 2\n", "line 1: a touch needs a whole finger number"},
        {"5 swipe 1 2 sideways\n", "line 1: a swipe needs one direction"},
        {"5 tap 1 nan\n", "line 1: expected X Y in points"},
        {"5 tap 1 2 -3\n", "line 1: a radius or tolerance must be"},
        {"9 tap 1 2\n8 tap 1 2\n", "line 2: frame 8 comes after frame 9"},
        {"-1 tap 1 2\n", "line 1: expected a frame"},
        {"5 doubletap 1 2 3\n", "line 1: unexpected '3'"},
    };
    for (const auto& [text, message] : cases) {
        ZQInputScript script;
        std::string error;
        EXPECT_FALSE(parse(text, script, error)) << text;
        EXPECT_EQ(error.rfind(message, 0), 0u) << text << " gave: " << error;
    }
    // Past 16 MB a file is refused, though each of its lines is allowed.
    std::string comments;
    for (int line = 0; line < 4097; ++line) {
        comments += "#" + std::string(4094, ' ') + "\n";
    }
    ZQInputScript large;
    std::string tooMuch;
    EXPECT_FALSE(parse(comments, large, tooMuch));
    EXPECT_EQ(tooMuch, "line 4097: the file goes on past 16 MB");

    ZQInputScript script;
    std::string error;
    EXPECT_FALSE(script.load("/nonexistent/velmora-input.txt", error));
    EXPECT_NE(error.find("cannot read input file '/nonexistent/velmora-input.txt'"), std::string::npos);
}

// What a line says, as the sim's report and the game read it back.
TEST(InputScriptTest, AnEventDescribedReadsBackAsItWas) {
    ZQInputScript script;
    std::string error;
    ASSERT_TRUE(parse("1 began 2 10.5 20 30 4.25\n1 moved 3 -1 667\n2 ended 2 10.5 20\n3 cancelled 9 1 2 0\n"
                      "4 swipe 30 40 left\n5 tap 60 70 12\n6 tap 1 2\n7 doubletap 8 9\n",
                      script, error))
        << error;
    for (const ZQInputScript::Event& e : script.events()) {
        const std::string line = std::to_string(e.frame) + " " + ZQInputScript::describe(e);
        ZQInputScript again;
        ASSERT_TRUE(parse(line, again, error)) << line << ": " << error;
        const ZQInputScript::Event& back = again.events().at(0);
        EXPECT_TRUE(back.kind == e.kind && back.finger == e.finger && back.location == e.location &&
                    back.hasRadius == e.hasRadius && back.radius == e.radius &&
                    back.tolerance == e.tolerance && back.direction == e.direction)
            << line;
    }
}

// Frame 0 is drawn as the game starts, before any input: its events come
// with frame 1's, and every frame takes what is due once.
TEST(InputScriptTest, EachFrameTakesTheEventsItIsTheFirstToShow) {
    ZQInputScript script;
    std::string error;
    ASSERT_TRUE(parse("0 tap 1 1\n1 tap 2 2\n3 tap 3 3\n3 tap 4 4\n", script, error)) << error;
    EXPECT_TRUE(script.take(0).empty());
    EXPECT_EQ(script.take(1).size(), 2u);
    EXPECT_TRUE(script.take(2).empty());
    EXPECT_EQ(script.take(3).size(), 2u);
    EXPECT_TRUE(script.finished());
}

class InputReplayTest : public HeadlessGLTest {
protected:
    void TearDown() override {
        view.reset();
        HeadlessGLTest::TearDown();
    }
    std::unique_ptr<ZQView> view;
    InputRecorder input;
};

TEST_F(InputReplayTest, TouchesGoThroughTheRecognisersAndGesturesStraightToTheEngine) {
    ZQInputScript script;
    std::string error;
    // Two fingers down together, a tap, a swipe and a double tap given as such.
    ASSERT_TRUE(parse("3 began 1 10 20 20 5\n"
                      "3 began 2 100 200\n"
                      "4 moved 1 12 20\n"
                      "6 ended 1 12 20\n"
                      "6 ended 2 100 200\n"
                      "8 began 3 50 50\n"
                      "9 ended 3 50 50\n"
                      "9 swipe 30 40 up\n"
                      "12 tap 60 70\n"
                      "12 doubletap 60 70\n",
                      script, error))
        << error;
    view = std::make_unique<ZQView>(*HeadlessGL::context(), PVRTVec2(320.0f, 480.0f), 2.0f,
                                    ZQ::DeviceProfile::forPlatformType(3));
    ZQ::gGlobals.masterController = &input;
    const double secondsPerFrame = 1.0 / 30.0;
    script.deliver(*view, 2, secondsPerFrame, 36.0f);
    EXPECT_TRUE(input.inputs.empty()) << "nothing is due before frame 3";
    script.deliver(*view, 3, secondsPerFrame, 36.0f);
    const std::vector<InputRecorder::Input> together = {
        {"touchBegan", PVRTVec2(20.0f, 960.0f - 40.0f), 20.0f},
        {"touchBegan", PVRTVec2(200.0f, 960.0f - 400.0f), 36.0f},
    };
    EXPECT_EQ(input.inputs, together);
    script.deliver(*view, 20, secondsPerFrame, 36.0f);
    EXPECT_TRUE(script.finished());
    const std::vector<std::string> calls = {"touchBegan", "touchBegan", "touchMoved", "touchEnded",
                                            "touchEnded", "touchBegan", "touchEnded", "tap",
                                            "swipe",      "tap",        "doubleTap"};
    EXPECT_EQ(input.calls(), calls) << "two fingers make no tap; the lone quick touch does";
    EXPECT_EQ(input.inputs[7].point, PVRTVec2(100.0f, 960.0f - 100.0f));
    EXPECT_EQ(input.inputs[8].value, 4.0f);
    EXPECT_EQ(input.inputs[9].value, 36.0f) << "a tap line without a radius takes the profile's";
}

} // namespace
