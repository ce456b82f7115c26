#include "SimScript.h"
#include "SimOptions.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>

namespace {

using velmora_sim::parseScript;
using velmora_sim::ScriptEvent;

bool parse(const std::string& text, std::vector<ScriptEvent>& events, std::string& error) {
    std::istringstream in(text);
    return parseScript(in, events, error);
}

TEST(SimScriptTest, ReadsTouchesSwipesCommentsAndBlankLines) {
    std::vector<ScriptEvent> events;
    std::string error;
    ASSERT_TRUE(parse("# a drag, then a swipe\n"
                      "\n"
                      "12 began 320 600 36\n"
                      "  12 moved 330.5 640   # the radius may be left out\n"
                      "20 ended 330.5 640\n"
                      "20 cancelled 1 2 0\n"
                      "40 swipe 300 50 left\n",
                      events, error))
        << error;
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].frame, 12);
    EXPECT_EQ(events[0].kind, ScriptEvent::Kind::Began);
    EXPECT_EQ(events[0].x, 320.0f);
    EXPECT_EQ(events[0].y, 600.0f);
    EXPECT_EQ(events[0].radius, 36.0f);
    EXPECT_EQ(events[0].line, 3);
    EXPECT_EQ(events[1].kind, ScriptEvent::Kind::Moved);
    EXPECT_EQ(events[1].x, 330.5f);
    EXPECT_EQ(events[1].radius, 0.0f);
    EXPECT_EQ(events[1].line, 4);
    EXPECT_EQ(events[2].kind, ScriptEvent::Kind::Ended);
    EXPECT_EQ(events[3].kind, ScriptEvent::Kind::Cancelled);
    EXPECT_EQ(events[4].kind, ScriptEvent::Kind::Swipe);
    EXPECT_EQ(events[4].direction, 2);
    EXPECT_EQ(velmora_sim::describe(events[4]), "swipe (300.0, 50.0) left");
    EXPECT_EQ(velmora_sim::describe(events[0]), "began (320.0, 600.0) radius 36.0");
    EXPECT_EQ(velmora_sim::describe(events[2]), "ended (330.5, 640.0)");
}

TEST(SimScriptTest, SwipeDirectionsAreTheGestureNumbers) {
    std::vector<ScriptEvent> events;
    std::string error;
    ASSERT_TRUE(
        parse("0 swipe 1 1 right\n0 swipe 1 1 left\n0 swipe 1 1 up\n0 swipe 1 1 down\n", events, error));
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].direction, 1);
    EXPECT_EQ(events[1].direction, 2);
    EXPECT_EQ(events[2].direction, 4);
    EXPECT_EQ(events[3].direction, 8);
}

TEST(SimScriptTest, RefusesABadLineNamingItAndWhy) {
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"3 began 1 2\nx began 1 2\n", "line 2: frame must be a whole number"},
        {"-1 began 1 2\n", "line 1: frame must be"},
        {"99999999999 began 1 2\n", "line 1: frame must be"},
        {"3 began 1\n", "line 1: expected FRAME KIND X Y"},
        {"3 tap 1 2\n", "line 1: unknown event 'tap'"},
        {"3 began one 2\n", "line 1: x must be a number of pixels, not 'one'"},
        {"3 began 1 2px\n", "line 1: y must be a number of pixels, not '2px'"},
        {"3 began 1 nan\n", "line 1: y must be"},
        {"3 began 1 inf\n", "line 1: y must be"},
        {"3 began 1 2 -4\n", "line 1: radius must be"},
        {"3 began 1 2 big\n", "line 1: radius must be"},
        {"3 began 1 2 3 4\n", "line 1: unexpected '4'"},
        {"3 swipe 1 2\n", "line 1: a swipe needs a direction"},
        {"3 swipe 1 2 sideways\n", "line 1: unknown swipe direction 'sideways'"},
        {"3 swipe 1 2 left now\n", "line 1: a swipe needs a direction"},
        {"5 began 1 2\n\n4 ended 1 2\n", "line 3: frame 4 comes after frame 5"},
    };
    for (const auto& [text, message] : bad) {
        std::vector<ScriptEvent> events;
        std::string error;
        EXPECT_FALSE(parse(text, events, error)) << text;
        EXPECT_NE(error.find(message), std::string::npos) << "script: " << text << "got: " << error;
    }
}

TEST(SimScriptTest, TheScriptOptionTakesAFileName) {
    velmora_sim::SimOptions options;
    std::string error;
    ASSERT_TRUE(velmora_sim::parseOptions({"--level", "0", "--script", "touches.txt"}, options, error))
        << error;
    EXPECT_EQ(options.script, "touches.txt");
    EXPECT_FALSE(velmora_sim::parseOptions({"--level", "0", "--script", ""}, options, error));
    EXPECT_NE(error.find("--script expects a file name"), std::string::npos) << error;
    EXPECT_FALSE(velmora_sim::parseOptions({"--level", "0", "--script"}, options, error));
    EXPECT_NE(error.find("--script needs a value"), std::string::npos) << error;
}

TEST(SimScriptTest, AMissingFileIsNamed) {
    std::vector<ScriptEvent> events;
    std::string error;
    EXPECT_FALSE(velmora_sim::loadScript("/nonexistent/touches.txt", events, error));
    EXPECT_NE(error.find("'/nonexistent/touches.txt'"), std::string::npos) << error;
}

} // namespace
