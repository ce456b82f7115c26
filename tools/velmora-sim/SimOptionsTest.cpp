#include "SimOptions.h"

#include <gtest/gtest.h>

namespace {

using velmora_sim::parseOptions;
using velmora_sim::SimOptions;

bool parse(std::vector<std::string> args, SimOptions& options, std::string& error) {
    return parseOptions(args, options, error);
}

TEST(SimOptionsTest, ReadsEveryOption) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(
        parse({"--level", "12", "--frames", "900", "--every", "10", "--screen", "750x1334"}, o, error));
    EXPECT_EQ(o.level, 12);
    EXPECT_EQ(o.frames, 900);
    EXPECT_EQ(o.every, 10);
    EXPECT_EQ(o.width, 750);
    EXPECT_EQ(o.height, 1334);
}

TEST(SimOptionsTest, DefaultsNeedOnlyTheLevel) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--level", "0"}, o, error));
    EXPECT_EQ(o.frames, 300);
    EXPECT_EQ(o.every, 30);
    EXPECT_EQ(o.width, 640);
    EXPECT_EQ(o.height, 1136);
}

TEST(SimOptionsTest, PicturesOfTheRoom) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--level", "3", "--screenshot", "room.png"}, o, error));
    EXPECT_EQ(o.screenshot, "room.png");
    EXPECT_TRUE(o.contactSheet.empty());
    // The sheet draws every level, so it needs none.
    SimOptions sheet;
    ASSERT_TRUE(parse({"--contact-sheet", "ROOMS.PNG", "--screen", "320x568"}, sheet, error)) << error;
    EXPECT_EQ(sheet.contactSheet, "ROOMS.PNG");
    SimOptions shot;
    EXPECT_FALSE(parse({"--screenshot", "room.png"}, shot, error));
    EXPECT_EQ(error, "--level is required");
    EXPECT_FALSE(parse({"--level", "1", "--screenshot", ""}, shot, error));
    EXPECT_NE(error.find("--screenshot expects a file name"), std::string::npos) << error;
}

TEST(SimOptionsTest, TheScriptOptionTakesAFileName) {
    SimOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--level", "0", "--script", "touches.txt"}, options, error)) << error;
    EXPECT_EQ(options.script, "touches.txt");
    EXPECT_FALSE(parse({"--level", "0", "--script", ""}, options, error));
    EXPECT_NE(error.find("--script expects a file name"), std::string::npos) << error;
    EXPECT_FALSE(parse({"--level", "0", "--script"}, options, error));
    EXPECT_NE(error.find("--script needs a value"), std::string::npos) << error;
}

TEST(SimOptionsTest, HelpNeedsNothingElse) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--help"}, o, error));
    EXPECT_TRUE(o.help);
}

TEST(SimOptionsTest, RefusesWhatItCannotUseWithAMessageNamingIt) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{}, "--level is required"},
        {{"--frames", "10"}, "--level is required"},
        {{"--level"}, "--level needs a value"},
        {{"--level", "abc"}, "'abc'"},
        {{"--level", "-1"}, "'-1'"},
        {{"--level", "3x"}, "'3x'"},
        {{"--level", ""}, "''"},
        {{"--level", "99999999999"}, "'99999999999'"},
        {{"--level", "1", "--every", "0"}, "--every expects"},
        {{"--level", "1", "--frames", "-5"}, "--frames expects"},
        // The game draws at least one frame, and so steps the player.
        {{"--level", "1", "--frames", "0"}, "--frames expects a frame count from 1"},
        // A picture is a PNG: a name saying another format, or none, would hide it.
        {{"--level", "1", "--screenshot", "room.jpg"},
         "--screenshot room.jpg: a PNG needs a name ending in .png"},
        {{"--contact-sheet", "rooms"}, "--contact-sheet rooms: a PNG needs a name ending in .png"},
        {{"--level", "1", "--screen", "640"}, "--screen expects"},
        {{"--level", "1", "--screen", "8x1136"}, "'8x1136'"},
        {{"--level", "1", "--screen", "640x"}, "'640x'"},
        {{"--level", "1", "--fast"}, "unknown argument '--fast'"},
        {{"7"}, "unknown argument '7'"},
    };
    for (const auto& [args, message] : bad) {
        SimOptions o;
        std::string error;
        EXPECT_FALSE(parse(args, o, error)) << message;
        EXPECT_NE(error.find(message), std::string::npos) << "got: " << error;
    }
}

} // namespace
