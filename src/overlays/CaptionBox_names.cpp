#include "overlays/CaptionBox.h"

#include "constants/ResourceNames.h"

#include <array>
#include <string>

namespace ZQ {

namespace {

using namespace ResourceNames;

// The named text captions that may be released while nothing shows them, in
// the order the box lists them; the timer and score digits follow.
// clang-format off
const std::array<const std::string*, 77> kCollectable = {
    &unknot_Golden,           // 0
    &unknot_Silver,           // 1
    &unknot_Bronze,           // 2
    &unknot_Steel,            // 3
    &unknot_Obsidian,         // 4
    &messages_timeup,         // 5
    &messages_extratime,      // 6
    &messages_points,         // 7
    &medium_level,            // 8
    &small_totalpoints,       // 9
    &small_level,             // 10
    &small_prologue,          // 11
    &small_epilogue,          // 12
    &small_tangles_Golden,    // 13
    &small_tangles_Silver,    // 14
    &small_tangles_Bronze,    // 15
    &small_tangles_Steel,     // 16
    &small_tangles_Obsidian,  // 17
    &company_name,            // 18
    &tangles_Golden,          // 19
    &tangles_Silver,          // 20
    &tangles_Bronze,          // 21
    &tangles_Steel,           // 22
    &tangles_Obsidian,        // 23
    &knots_name,              // 24
    &tutorial_TNSingleKnot_1, // 25
    &tutorial_TNSingleKnot_2, // 26
    &tutorial_TNSlide_1,      // 27
    &tutorial_TNSlide_2,      // 28
    &tutorial_TNDrag_1,       // 29
    &tutorial_TNDrag_2,       // 30
    &tutorial_TNRotate_1,     // 31
    &tutorial_TNRotate_2,     // 32
    &tutorial_TNAttractor_1,  // 33
    &tutorial_TNAttractor_2,  // 34
    &tutorial_TNTry_1,        // 35
    &tutorial_TNTry_2,        // 36
    &tutorial_TNSeparate_1,   // 37
    &points_value,            // 38
    &partials_score,          // 39
    &partials_time,           // 40
    &partials_total,          // 41
    &holo_level,              // 42
    &holo_timer,              // 43
    &story_1,                 // 44
    &story_2,                 // 45
    &story_3,                 // 46
    &story_4,                 // 47
    &story_5,                 // 48
    &story_6,                 // 49
    &story_7,                 // 50
    &story_8,                 // 51
    &story_9,                 // 52
    &story_10,                // 53
    &outro_1,                 // 54
    &outro_2,                 // 55
    &outro_3,                 // 56
    &outro_4,                 // 57
    &outro_5,                 // 58
    &outro_6,                 // 59
    &outro_7,                 // 60
    &outro_8,                 // 61
    &outro_9,                 // 62
    &tips_TPRotate_1,         // 63
    &tips_TPRotate_2,         // 64
    &tips_TPHold_1,           // 65
    &tips_TPHold_2,           // 66
    &tips_TPIdle_1,           // 67
    &tips_TPIdle_2,           // 68
    &tips_TPStretch_1,        // 69
    &tips_TPStretch_2,        // 70
    &tips_TPRaged_1,          // 71
    &tips_TPRaged_2,          // 72
    &tips_TPCone_1,           // 73
    &tips_TPCone_2,           // 74
    &tips_TPHands_1,          // 75
    &tips_TPHands_2,          // 76
};
// clang-format on
static_assert(std::tuple_size_v<decltype(kCollectable)> == 77, "77 named collectable captions");

constexpr int kTimerCaptions = 91;  // timer_0 .. timer_90
constexpr int kScoreCaptions = 151; // score_0 .. score_150

} // namespace

std::vector<std::string> collectableCaptionNames() {
    std::vector<std::string> names;
    names.reserve(kCollectable.size() + kTimerCaptions + kScoreCaptions);
    for (const std::string* name : kCollectable) {
        names.push_back(*name);
    }
    for (int n = 0; n < kTimerCaptions; ++n) {
        names.push_back(timer_ + std::to_string(n));
    }
    for (int n = 0; n < kScoreCaptions; ++n) {
        names.push_back(score_ + std::to_string(n));
    }
    return names;
}

} // namespace ZQ
