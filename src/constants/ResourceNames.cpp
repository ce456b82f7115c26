#include "constants/ResourceNames.h"

namespace ZQ::ResourceNames {

namespace {

// clang-format off
constexpr auto kAll = std::to_array<const std::string*>({
    &separator,                 // 0
    &ui_,                       // 1
    &ui_play,                   // 2
    &ui_map,                    // 3
    &ui_continue,               // 4
    &ui_leaderboards,           // 5
    &ui_pause,                  // 6
    &ui_share,                  // 7
    &ui_story,                  // 8
    &ui_stop,                   // 9
    &ui_tutorial,               // 10
    &ui_restart,                // 11
    &ui_zen,                    // 12
    &ui_arcade,                 // 13
    &ui_mute_on,                // 14
    &ui_mute_off,               // 15
    &tile_bg_1px,               // 16
    &hourglass,                 // 17
    &ring,                      // 18
    &zen,                       // 19
    &zr_title,                  // 20
    &unknot,                    // 21
    &unknot_Golden,             // 22
    &unknot_Silver,             // 23
    &unknot_Bronze,             // 24
    &unknot_Steel,              // 25
    &unknot_Obsidian,           // 26
    &messages_,                 // 27
    &messages_timeup,           // 28
    &messages_extratime,        // 29
    &messages_points,           // 30
    &medium_level,              // 31
    &small_,                    // 32
    &small_totalpoints,         // 33
    &small_level,               // 34
    &small_prologue,            // 35
    &small_epilogue,            // 36
    &small_tangles,             // 37
    &small_tangles_Golden,      // 38
    &small_tangles_Silver,      // 39
    &small_tangles_Bronze,      // 40
    &small_tangles_Steel,       // 41
    &small_tangles_Obsidian,    // 42
    &company_name,              // 43
    &knots_name,                // 44
    &timer_,                    // 45
    &score_,                    // 46
    &points_value,              // 47
    &partials_score,            // 48
    &partials_time,             // 49
    &partials_total,            // 50
    &tangles,                   // 51
    &tangles_Golden,            // 52
    &tangles_Silver,            // 53
    &tangles_Bronze,            // 54
    &tangles_Steel,             // 55
    &tangles_Obsidian,          // 56
    &tutorial_,                 // 57
    &tutorial_TNSingleKnot_1,   // 58
    &tutorial_TNSingleKnot_2,   // 59
    &tutorial_TNSlide_1,        // 60
    &tutorial_TNSlide_2,        // 61
    &tutorial_TNDrag_1,         // 62
    &tutorial_TNDrag_2,         // 63
    &tutorial_TNRotate_1,       // 64
    &tutorial_TNRotate_2,       // 65
    &tutorial_TNAttractor_1,    // 66
    &tutorial_TNAttractor_2,    // 67
    &tutorial_TNTry_1,          // 68
    &tutorial_TNTry_2,          // 69
    &tutorial_TNSeparate_1,     // 70
    &holo_,                     // 71
    &holo_level,                // 72
    &holo_timer,                // 73
    &story_,                    // 74
    &story_bg_1px,              // 75
    &story_1,                   // 76
    &story_2,                   // 77
    &story_3,                   // 78
    &story_4,                   // 79
    &story_5,                   // 80
    &story_6,                   // 81
    &story_7,                   // 82
    &story_8,                   // 83
    &story_9,                   // 84
    &story_10,                  // 85
    &outro_,                    // 86
    &outro_1,                   // 87
    &outro_2,                   // 88
    &outro_3,                   // 89
    &outro_4,                   // 90
    &outro_5,                   // 91
    &outro_6,                   // 92
    &outro_7,                   // 93
    &outro_8,                   // 94
    &outro_9,                   // 95
    &tips_,                     // 96
    &tips_TPRotate_,            // 97
    &tips_TPRotate_1,           // 98
    &tips_TPRotate_2,           // 99
    &tips_TPHold_,              // 100
    &tips_TPHold_1,             // 101
    &tips_TPHold_2,             // 102
    &tips_TPIdle_,              // 103
    &tips_TPIdle_1,             // 104
    &tips_TPIdle_2,             // 105
    &tips_TPStretch_,           // 106
    &tips_TPStretch_1,          // 107
    &tips_TPStretch_2,          // 108
    &tips_TPRaged_,             // 109
    &tips_TPRaged_1,            // 110
    &tips_TPRaged_2,            // 111
    &tips_TPCone_,              // 112
    &tips_TPCone_1,             // 113
    &tips_TPCone_2,             // 114
    &tips_TPHands_,             // 115
    &tips_TPHands_1,            // 116
    &tips_TPHands_2,            // 117
});
// clang-format on

static_assert(kAll.size() == kCount, "118 resource names");

} // namespace

const std::array<const std::string*, kCount>& all() {
    return kAll;
}

} // namespace ZQ::ResourceNames
