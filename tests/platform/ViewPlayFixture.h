#pragma once

#include "engine/Preferences.h"
#include "platform/ZQEngineModels.h"
#include "platform/ZQInputScript.h"
#include "platform/ZQView.h"
#include "support/HeadlessGL.h"

#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

// One drag as the player's finger makes it: down on a particle of the cord,
// `distance` screen widths at `angle` over `moveFrames` frames, held
// `holdFrames` frames and lifted.
struct ScriptedDrag {
    int particle;
    float angle; // radians, 0 to the right, counterclockwise
    float distance;
    int moveFrames;
    int holdFrames;
};

// Five drags that untie level 0's knot in the timed mode well within its
// time, found by a search over random drags and kept.
// clang-format off
inline constexpr ScriptedDrag kLevelZeroSolution[] = {
    // particle  angle   distance  move  hold
    {19,         5.864f, 0.330f,   25,   45},
    {1,          1.492f, 0.405f,   27,   34},
    {18,         1.900f, 0.140f,   11,   43},
    {20,         3.794f, 0.436f,   30,   59},
    {17,         2.491f, 0.409f,   24,   32},
};
// clang-format on
static_assert(std::size(kLevelZeroSolution) == 5);

// The ids of the tiles on screen now (the tile model's current tree), leaves
// in visiting order.
std::vector<int32_t> tilesShown();

// Where tile `id` of the current tree is drawn now, in pixels from the
// bottom-left corner; asserts that it is on screen.
PVRTVec2 tileCentre(int32_t id);

// Base of the tests that play the game as the shell runs it headless: the
// view builds the engine in the game's order on the headless context at the
// phone's 375 x 667 points (750 x 1334 pixels), and touches go in through
// the view's own delivery, as from the window system or a replayed input
// file. The random source starts from one seed; the game mode and the
// tutorial flag are put back as they were.
class ViewPlayTest : public HeadlessGLTest {
protected:
    static constexpr float kScale = 2.0f;
    static constexpr float kRadius = 36.0f; // points

    void SetUp() override;
    void TearDown() override;

    void makeView(ZQPassFactory passes = &makeRenderPasses<ZQPlainMaker>,
                  ZQMasterFactory master = &makeGameMaster);

    // The input lines due once `drawn` frames have been drawn, through the view.
    void deliverInput();

    // Queues input lines (points, top-left origin) as from a replayed file,
    // their frames counted from now.
    void input(const std::string& lines);

    // One input line: a touch of `finger` at `at` (points) on frame `frameNumber`.
    static std::string touch(int frameNumber, const char* kind, PVRTVec2 at, int finger = 1);

    // Where cord particle `p` is on the screen now, in points from the top left.
    static PVRTVec2 pointOf(int p);

    // The input lines of drag `d`, from frame 1; its finger is lifted on
    // frame 1 + moveFrames + holdFrames.
    static std::string dragLines(const ScriptedDrag& d);

    std::unique_ptr<ZQView> view;
    std::unique_ptr<ZQInputScript> script;
    int drawn = 0;

private:
    ZQ::GameMode savedMode = ZQ::ArcadeMode;
    bool savedTutorial = false;
};
