#include "GameDataFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

// A headless run that renders only the frames it writes plays exactly as one
// that draws every frame: the road's runs rely on it. Should anything the
// game decides come to read what was drawn (or the render passes keep state
// from frame to frame), the flow or the picture would differ here.

namespace {

// The lines that tell of the flow: "state S at frame F".
std::string states(const std::string& output) {
    std::istringstream lines(output);
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("state ", 0) == 0) {
            kept += line + "\n";
        }
    }
    return kept;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ShotsOnlyTest, ARunRenderingOnlyItsShotsPlaysAndDrawsThemAsOneDrawingEveryFrame) {
    GameDataFolder everyFrame;
    GameDataFolder shotsOnly;
    ASSERT_TRUE(everyFrame.ok() && shotsOnly.ok());
    const std::string arguments = "--headless --seed 5 --print-states --frames 90 --shot 80:";
    const std::string drawn = everyFrame.storeFolder() + "-every.png";
    const std::string stepped = shotsOnly.storeFolder() + "-shots.png";
    const GameRun a = everyFrame.run(arguments + "'" + drawn + "'");
    const GameRun b = shotsOnly.run(arguments + "'" + stepped + "' --draw-shots-only");
    ASSERT_EQ(a.status, 0) << a.output;
    ASSERT_EQ(b.status, 0) << b.output;
    EXPECT_NE(states(a.output), "");
    EXPECT_EQ(states(a.output), states(b.output));
    const std::string picture = fileBytes(drawn);
    EXPECT_FALSE(picture.empty());
    EXPECT_TRUE(picture == fileBytes(stepped)) << "frame 80 differs when the frames before it are not drawn";
}

} // namespace
