// The choreography of the story's lines: which actions the two driven
// letters of each line run, and when.
#include "game/StoryController.h"

#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "overlays/FlowSteps.h"

#include <array>
#include <vector>

namespace ZQ {

namespace {

enum class Pull : uint8_t {
    stop,  // hold the letter where it is
    move,  // pin it along a straight path to x
    snake, // drag it towards x with a wiggle of the given period
};

// One action of a driven letter. x is a fraction of the screen width; the
// height is always the line's own. The first line starts at once and hangs a
// little longer, so a few of its pulls take other values (firstPull and
// firstFrames; the other lines' values where it has none of its own).
struct LetterPull {
    Pull pull;
    int32_t frames;
    float x;
    int32_t sign;
    int32_t period;
    Pull firstPull;
    int32_t firstFrames;
};

// One step of a line: what its lead letter and its trailing letter do.
struct LineStep {
    LetterPull lead;
    LetterPull trailing;
};

constexpr int32_t kStepCount = 11;

using enum Pull;

// clang-format off
// Even lines enter from the right (lead letter 0), sweep left and leave to
// the left. The first line's own values are the last two of each pull.
constexpr std::array<LineStep, kStepCount> kEvenLine = {{
    //  lead letter: pull, frames, x, sign, period, first   trailing letter: the same
    {{stop,    45,   0.0f,  0, 0, stop,     0}, {stop,    45,   0.0f,  0, 0, stop,     0}}, // 1
    {{snake,   30,   0.8f,  1, 9, snake,   30}, {move,    30,   1.5f,  0, 0, move,    30}}, // 2
    {{stop,    45,   0.0f,  0, 0, stop,    15}, {stop,    45,   0.0f,  0, 0, stop,    15}}, // 3
    {{snake,   60,   0.0f, -1, 9, snake,   60}, {move,    60,   0.7f,  0, 0, move,    60}}, // 4
    {{stop,   165,   0.0f,  0, 0, stop,   210}, {move,    30,   1.0f,  0, 0, move,    30}}, // 5
    {{stop,    10,   0.0f,  0, 0, stop,     0}, {stop,   165,   0.0f,  0, 0, stop,   210}}, // 6
    {{snake,   30,  0.05f,  1, 5, stop,     0}, {stop,    10,   0.0f,  0, 0, stop,     0}}, // 7
    {{snake,   15,   0.1f,  1, 6, snake,   15}, {stop,    30,   0.0f,  0, 0, stop,     0}}, // 8
    {{stop,    10,   0.0f,  0, 0, stop,     0}, {move,    15,   0.7f,  0, 0, move,    15}}, // 9
    {{snake,   45,  -1.0f, -1, 6, snake,   45}, {snake,   60,  -0.2f,  1, 5, snake,   60}}, // 10
    {{stop,    30,   0.0f,  0, 0, stop,    60}, {stop,    30,   0.0f,  0, 0, stop,    60}}, // 11
}};

// Odd lines enter from the left (lead letter last), sweep right and leave to
// the right. The first line is even, so an odd line has no values of its own.
constexpr std::array<LineStep, kStepCount> kOddLine = {{
    {{stop,    45,   0.0f,  0, 0, stop,    45}, {stop,    45,   0.0f,  0, 0, stop,    45}}, // 1
    {{snake,   30,   0.1f,  1, 9, snake,   30}, {move,    30,  -0.4f,  0, 0, move,    30}}, // 2
    {{stop,    45,   0.0f,  0, 0, stop,    45}, {stop,    45,   0.0f,  0, 0, stop,    45}}, // 3
    {{snake,   60,   1.0f, -1, 9, snake,   60}, {move,    60,   0.1f,  0, 0, move,    60}}, // 4
    {{stop,   165,   0.0f,  0, 0, stop,   165}, {move,    30,   0.0f,  0, 0, move,    30}}, // 5
    {{stop,    10,   0.0f,  0, 0, stop,    10}, {stop,   165,   0.0f,  0, 0, stop,   165}}, // 6
    {{snake,   30,  0.95f,  1, 5, snake,   30}, {stop,    10,   0.0f,  0, 0, stop,    10}}, // 7
    {{snake,   15,   1.3f,  1, 6, snake,   15}, {stop,    30,   0.0f,  0, 0, stop,    30}}, // 8
    {{stop,    10,   0.0f,  0, 0, stop,    10}, {move,    15,   0.3f,  0, 0, move,    15}}, // 9
    {{snake,   45,   2.0f, -1, 6, snake,   45}, {snake,   60,   1.3f,  1, 5, snake,   60}}, // 10
    {{stop,    30,   0.0f,  0, 0, stop,    30}, {stop,    30,   0.0f,  0, 0, stop,    30}}, // 11
}};
// clang-format on

static_assert(kEvenLine.size() == kStepCount && kOddLine.size() == kStepCount);

Action* makePull(const LetterPull& step, bool firstLine, float y) {
    const float w = gGlobals.screenSize.x;
    const Pull pull = firstLine ? step.firstPull : step.pull;
    const int32_t frames = firstLine ? step.firstFrames : step.frames;
    const PVRTVec3 to(step.x * w, y, 0.0f);
    switch (pull) {
    case Pull::stop:
        return new FlowStopAction(frames);
    case Pull::move:
        return new FlowMoveAction(frames, to, easeSmooth());
    case Pull::snake:
        return new FlowSnakeAction(frames, step.sign, to, step.period, easeSmooth());
    }
    ZQ_ASSERT(!"a story pull of no known kind");
    return nullptr;
}

} // namespace

Action* StoryController::letterSequence(int32_t line, bool lead) {
    ZQ_ASSERT(line >= 0 && line < kLineCount);
    const std::array<LineStep, kStepCount>& steps = (line % 2 == 0) ? kEvenLine : kOddLine;
    const float y = (0.9f - 0.08f * static_cast<float>(line)) * gGlobals.screenSize.y;
    std::vector<Action*> actions;
    actions.reserve(kStepCount);
    for (const LineStep& step : steps) {
        actions.push_back(makePull(lead ? step.lead : step.trailing, line == 0, y));
    }
    return new Sequence(std::move(actions));
}

} // namespace ZQ
