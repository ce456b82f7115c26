#pragma once

#include <array>
#include <string>

// Names of textures, captions and tips: a group word, the separator and an
// item ("ui_play"), each constant named after its value. The group and tip
// prefixes are constants too: numeric captions join "timer_" or "score_" with
// a number, tips join their prefix with "1" or "2".
//
// Start-up order: these are inline variables, and the language initialises an
// inline variable before any static defined after it in every file that
// defines both. A source file that includes this header may therefore read the
// names from its own static initialisers; the names themselves are built in
// declaration order, each from names above it.

namespace ZQ::ResourceNames {

// clang-format off
inline const std::string separator               = "_";                                             // 0
inline const std::string ui_                     = "ui" + separator;                                // 1
inline const std::string ui_play                 = ui_ + "play";                                    // 2
inline const std::string ui_map                  = ui_ + "map";                                     // 3
inline const std::string ui_continue             = ui_ + "continue";                                // 4
inline const std::string ui_leaderboards         = ui_ + "leaderboards";                            // 5
inline const std::string ui_pause                = ui_ + "pause";                                   // 6
inline const std::string ui_share                = ui_ + "share";                                   // 7
inline const std::string ui_story                = ui_ + "story";                                   // 8
inline const std::string ui_stop                 = ui_ + "stop";                                    // 9
inline const std::string ui_tutorial             = ui_ + "tutorial";                                // 10
inline const std::string ui_restart              = ui_ + "restart";                                 // 11
inline const std::string ui_zen                  = ui_ + "zen";                                     // 12
inline const std::string ui_arcade               = ui_ + "arcade";                                  // 13
inline const std::string ui_mute_on              = ui_ + "mute_on";                                 // 14
inline const std::string ui_mute_off             = ui_ + "mute_off";                                // 15
inline const std::string tile_bg_1px             = "tile_bg_1px";                                   // 16
inline const std::string hourglass               = "hourglass";                                     // 17
inline const std::string ring                    = "ring";                                          // 18
inline const std::string zen                     = "zen";                                           // 19
inline const std::string zr_title                = "zr_title";                                      // 20
inline const std::string unknot                  = "unknot";                                        // 21
inline const std::string unknot_Golden           = unknot + separator + "Golden";                   // 22
inline const std::string unknot_Silver           = unknot + separator + "Silver";                   // 23
inline const std::string unknot_Bronze           = unknot + separator + "Bronze";                   // 24
inline const std::string unknot_Steel            = unknot + separator + "Steel";                    // 25
inline const std::string unknot_Obsidian         = unknot + separator + "Obsidian";                 // 26
inline const std::string messages_               = "messages" + separator;                          // 27
inline const std::string messages_timeup         = messages_ + "timeup";                            // 28
inline const std::string messages_extratime      = messages_ + "extratime";                         // 29
inline const std::string messages_points         = messages_ + "points";                            // 30
inline const std::string medium_level            = "medium" + separator + "level";                  // 31
inline const std::string small_                  = "small" + separator;                             // 32
inline const std::string small_totalpoints       = small_ + "totalpoints";                          // 33
inline const std::string small_level             = small_ + "level";                                // 34
inline const std::string small_prologue          = small_ + "prologue";                             // 35
inline const std::string small_epilogue          = small_ + "epilogue";                             // 36
inline const std::string small_tangles           = small_ + "tangles";                              // 37
inline const std::string small_tangles_Golden    = small_tangles + separator + "Golden";            // 38
inline const std::string small_tangles_Silver    = small_tangles + separator + "Silver";            // 39
inline const std::string small_tangles_Bronze    = small_tangles + separator + "Bronze";            // 40
inline const std::string small_tangles_Steel     = small_tangles + separator + "Steel";             // 41
inline const std::string small_tangles_Obsidian  = small_tangles + separator + "Obsidian";          // 42
inline const std::string company_name            = "company" + separator + "name";                  // 43
inline const std::string knots_name              = "knots" + separator + "name";                    // 44
inline const std::string timer_                  = "timer" + separator;                             // 45
inline const std::string score_                  = "score" + separator;                             // 46
inline const std::string points_value            = "points" + separator + "value";                  // 47
inline const std::string partials_score          = "partials" + separator + "score";                // 48
inline const std::string partials_time           = "partials" + separator + "time";                 // 49
inline const std::string partials_total          = "partials" + separator + "total";                // 50
inline const std::string tangles                 = "tangles";                                       // 51
inline const std::string tangles_Golden          = tangles + separator + "Golden";                  // 52
inline const std::string tangles_Silver          = tangles + separator + "Silver";                  // 53
inline const std::string tangles_Bronze          = tangles + separator + "Bronze";                  // 54
inline const std::string tangles_Steel           = tangles + separator + "Steel";                   // 55
inline const std::string tangles_Obsidian        = tangles + separator + "Obsidian";                // 56
inline const std::string tutorial_               = "tutorial" + separator;                          // 57
inline const std::string tutorial_TNSingleKnot_1 = tutorial_ + "TNSingleKnot" + separator + "1";    // 58
inline const std::string tutorial_TNSingleKnot_2 = tutorial_ + "TNSingleKnot" + separator + "2";    // 59
inline const std::string tutorial_TNSlide_1      = tutorial_ + "TNSlide" + separator + "1";         // 60
inline const std::string tutorial_TNSlide_2      = tutorial_ + "TNSlide" + separator + "2";         // 61
inline const std::string tutorial_TNDrag_1       = tutorial_ + "TNDrag" + separator + "1";          // 62
inline const std::string tutorial_TNDrag_2       = tutorial_ + "TNDrag" + separator + "2";          // 63
inline const std::string tutorial_TNRotate_1     = tutorial_ + "TNRotate" + separator + "1";        // 64
inline const std::string tutorial_TNRotate_2     = tutorial_ + "TNRotate" + separator + "2";        // 65
inline const std::string tutorial_TNAttractor_1  = tutorial_ + "TNAttractor" + separator + "1";     // 66
inline const std::string tutorial_TNAttractor_2  = tutorial_ + "TNAttractor" + separator + "2";     // 67
inline const std::string tutorial_TNTry_1        = tutorial_ + "TNTry" + separator + "1";           // 68
inline const std::string tutorial_TNTry_2        = tutorial_ + "TNTry" + separator + "2";           // 69
inline const std::string tutorial_TNSeparate_1   = tutorial_ + "TNSeparate" + separator + "1";      // 70
inline const std::string holo_                   = "holo" + separator;                              // 71
inline const std::string holo_level              = holo_ + "level";                                 // 72
inline const std::string holo_timer              = holo_ + "timer";                                 // 73
inline const std::string story_                  = "story" + separator;                             // 74
inline const std::string story_bg_1px            = story_ + "bg_1px";                               // 75
inline const std::string story_1                 = story_ + "1";                                    // 76
inline const std::string story_2                 = story_ + "2";                                    // 77
inline const std::string story_3                 = story_ + "3";                                    // 78
inline const std::string story_4                 = story_ + "4";                                    // 79
inline const std::string story_5                 = story_ + "5";                                    // 80
inline const std::string story_6                 = story_ + "6";                                    // 81
inline const std::string story_7                 = story_ + "7";                                    // 82
inline const std::string story_8                 = story_ + "8";                                    // 83
inline const std::string story_9                 = story_ + "9";                                    // 84
inline const std::string story_10                = story_ + "10";                                   // 85
inline const std::string outro_                  = "outro" + separator;                             // 86
inline const std::string outro_1                 = outro_ + "1";                                    // 87
inline const std::string outro_2                 = outro_ + "2";                                    // 88
inline const std::string outro_3                 = outro_ + "3";                                    // 89
inline const std::string outro_4                 = outro_ + "4";                                    // 90
inline const std::string outro_5                 = outro_ + "5";                                    // 91
inline const std::string outro_6                 = outro_ + "6";                                    // 92
inline const std::string outro_7                 = outro_ + "7";                                    // 93
inline const std::string outro_8                 = outro_ + "8";                                    // 94
inline const std::string outro_9                 = outro_ + "9";                                    // 95
inline const std::string tips_                   = "tips" + separator;                              // 96
inline const std::string tips_TPRotate_          = tips_ + "TPRotate" + separator;                  // 97
inline const std::string tips_TPRotate_1         = tips_TPRotate_ + "1";                            // 98
inline const std::string tips_TPRotate_2         = tips_TPRotate_ + "2";                            // 99
inline const std::string tips_TPHold_            = tips_ + "TPHold" + separator;                    // 100
inline const std::string tips_TPHold_1           = tips_TPHold_ + "1";                              // 101
inline const std::string tips_TPHold_2           = tips_TPHold_ + "2";                              // 102
inline const std::string tips_TPIdle_            = tips_ + "TPIdle" + separator;                    // 103
inline const std::string tips_TPIdle_1           = tips_TPIdle_ + "1";                              // 104
inline const std::string tips_TPIdle_2           = tips_TPIdle_ + "2";                              // 105
inline const std::string tips_TPStretch_         = tips_ + "TPStretch" + separator;                 // 106
inline const std::string tips_TPStretch_1        = tips_TPStretch_ + "1";                           // 107
inline const std::string tips_TPStretch_2        = tips_TPStretch_ + "2";                           // 108
inline const std::string tips_TPRaged_           = tips_ + "TPRaged" + separator;                   // 109
inline const std::string tips_TPRaged_1          = tips_TPRaged_ + "1";                             // 110
inline const std::string tips_TPRaged_2          = tips_TPRaged_ + "2";                             // 111
inline const std::string tips_TPCone_            = tips_ + "TPCone" + separator;                    // 112
inline const std::string tips_TPCone_1           = tips_TPCone_ + "1";                              // 113
inline const std::string tips_TPCone_2           = tips_TPCone_ + "2";                              // 114
inline const std::string tips_TPHands_           = tips_ + "TPHands" + separator;                   // 115
inline const std::string tips_TPHands_1          = tips_TPHands_ + "1";                             // 116
inline const std::string tips_TPHands_2          = tips_TPHands_ + "2";                             // 117
// clang-format on

inline constexpr int kCount = 118;

// Every name above in declaration order.
const std::array<const std::string*, kCount>& all();

} // namespace ZQ::ResourceNames
