#include "constants/Palette.h"

namespace ZQ {

namespace {

// clang-format off
constexpr std::array<PaletteEntry, kPaletteSize> kEntries{{
    {"antiqueWhite",       &Palette::antiqueWhite},          // 0
    {"azure",              &Palette::azure},                 // 1
    {"bisque",             &Palette::bisque},                // 2
    {"blanchedAlmond",     &Palette::blanchedAlmond},        // 3
    {"cornsilk",           &Palette::cornsilk},              // 4
    {"eggshell",           &Palette::eggshell},              // 5
    {"floralWhite",        &Palette::floralWhite},           // 6
    {"gainsboro",          &Palette::gainsboro},             // 7
    {"ghostWhite",         &Palette::ghostWhite},            // 8
    {"honeydew",           &Palette::honeydew},              // 9
    {"ivory",              &Palette::ivory},                 // 10
    {"lavender",           &Palette::lavender},              // 11
    {"lavenderBlush",      &Palette::lavenderBlush},         // 12
    {"lemonChiffon",       &Palette::lemonChiffon},          // 13
    {"linen",              &Palette::linen},                 // 14
    {"mintCream",          &Palette::mintCream},             // 15
    {"mistyRose",          &Palette::mistyRose},             // 16
    {"moccasin",           &Palette::moccasin},              // 17
    {"navajoWhite",        &Palette::navajoWhite},           // 18
    {"oldLace",            &Palette::oldLace},               // 19
    {"papayaWhip",         &Palette::papayaWhip},            // 20
    {"peachPuff",          &Palette::peachPuff},             // 21
    {"seashell",           &Palette::seashell},              // 22
    {"snow",               &Palette::snow},                  // 23
    {"thistle",            &Palette::thistle},               // 24
    {"titaniumWhite",      &Palette::titaniumWhite},         // 25
    {"wheat",              &Palette::wheat},                 // 26
    {"white",              &Palette::white},                 // 27
    {"whiteSmoke",         &Palette::whiteSmoke},            // 28
    {"zincWhite",          &Palette::zincWhite},             // 29
    {"coldGrey",           &Palette::coldGrey},              // 30
    {"dimGrey",            &Palette::dimGrey},               // 31
    {"grey",               &Palette::grey},                  // 32
    {"lightGrey",          &Palette::lightGrey},             // 33
    {"slateGrey",          &Palette::slateGrey},             // 34
    {"slateGreyDark",      &Palette::slateGreyDark},         // 35
    {"slateGreyLight",     &Palette::slateGreyLight},        // 36
    {"warmGrey",           &Palette::warmGrey},              // 37
    {"black",              &Palette::black},                 // 38
    {"ivoryBlack",         &Palette::ivoryBlack},            // 39
    {"lampBlack",          &Palette::lampBlack},             // 40
    {"alizarinCrimson",    &Palette::alizarinCrimson},       // 41
    {"brick",              &Palette::brick},                 // 42
    {"cadmiumRedDeep",     &Palette::cadmiumRedDeep},        // 43
    {"coral",              &Palette::coral},                 // 44
    {"coralLight",         &Palette::coralLight},            // 45
    {"deepPink",           &Palette::deepPink},              // 46
    {"englishRed",         &Palette::englishRed},            // 47
    {"firebrick",          &Palette::firebrick},             // 48
    {"geraniumLake",       &Palette::geraniumLake},          // 49
    {"hotPink",            &Palette::hotPink},               // 50
    {"indianRed",          &Palette::indianRed},             // 51
    {"lightSalmon",        &Palette::lightSalmon},           // 52
    {"madderLakeDeep",     &Palette::madderLakeDeep},        // 53
    {"maroon",             &Palette::maroon},                // 54
    {"pink",               &Palette::pink},                  // 55
    {"pinkLight",          &Palette::pinkLight},             // 56
    {"raspberry",          &Palette::raspberry},             // 57
    {"red",                &Palette::red},                   // 58
    {"roseMadder",         &Palette::roseMadder},            // 59
    {"salmon",             &Palette::salmon},                // 60
    {"tomato",             &Palette::tomato},                // 61
    {"venetianRed",        &Palette::venetianRed},           // 62
    {"beige",              &Palette::beige},                 // 63
    {"brown",              &Palette::brown},                 // 64
    {"brownMadder",        &Palette::brownMadder},           // 65
    {"brownOchre",         &Palette::brownOchre},            // 66
    {"burlywood",          &Palette::burlywood},             // 67
    {"burntSienna",        &Palette::burntSienna},           // 68
    {"burntUmber",         &Palette::burntUmber},            // 69
    {"chocolate",          &Palette::chocolate},             // 70
    {"deepOchre",          &Palette::deepOchre},             // 71
    {"flesh",              &Palette::flesh},                 // 72
    {"fleshOchre",         &Palette::fleshOchre},            // 73
    {"goldOchre",          &Palette::goldOchre},             // 74
    {"greenishUmber",      &Palette::greenishUmber},         // 75
    {"khaki",              &Palette::khaki},                 // 76
    {"khakiDark",          &Palette::khakiDark},             // 77
    {"lightBeige",         &Palette::lightBeige},            // 78
    {"peru",               &Palette::peru},                  // 79
    {"rosyBrown",          &Palette::rosyBrown},             // 80
    {"rawSienna",          &Palette::rawSienna},             // 81
    {"rawUmber",           &Palette::rawUmber},              // 82
    {"sepia",              &Palette::sepia},                 // 83
    {"sienna",             &Palette::sienna},                // 84
    {"saddleBrown",        &Palette::saddleBrown},           // 85
    {"sandyBrown",         &Palette::sandyBrown},            // 86
    {"tan",                &Palette::tan},                   // 87
    {"vanDykeBrown",       &Palette::vanDykeBrown},          // 88
    {"cadmiumOrange",      &Palette::cadmiumOrange},         // 89
    {"cadmiumRedLight",    &Palette::cadmiumRedLight},       // 90
    {"carrot",             &Palette::carrot},                // 91
    {"darkOrange",         &Palette::darkOrange},            // 92
    {"marsOrange",         &Palette::marsOrange},            // 93
    {"marsYellow",         &Palette::marsYellow},            // 94
    {"orange",             &Palette::orange},                // 95
    {"orangeRed",          &Palette::orangeRed},             // 96
    {"yellowOchre",        &Palette::yellowOchre},           // 97
    {"aureolineYellow",    &Palette::aureolineYellow},       // 98
    {"banana",             &Palette::banana},                // 99
    {"cadmiumLemon",       &Palette::cadmiumLemon},          // 100
    {"cadmiumYellow",      &Palette::cadmiumYellow},         // 101
    {"gold",               &Palette::gold},                  // 102
    {"goldenrod",          &Palette::goldenrod},             // 103
    {"goldenrodDark",      &Palette::goldenrodDark},         // 104
    {"goldenrodLight",     &Palette::goldenrodLight},        // 105
    {"goldenrodPale",      &Palette::goldenrodPale},         // 106
    {"lightGoldenrod",     &Palette::lightGoldenrod},        // 107
    {"melon",              &Palette::melon},                 // 108
    {"naplesYellowDeep",   &Palette::naplesYellowDeep},      // 109
    {"yellow",             &Palette::yellow},                // 110
    {"yellowLight",        &Palette::yellowLight},           // 111
    {"chartreuse",         &Palette::chartreuse},            // 112
    {"chromeOxideGreen",   &Palette::chromeOxideGreen},      // 113
    {"cinnabarGreen",      &Palette::cinnabarGreen},         // 114
    {"cobaltGreen",        &Palette::cobaltGreen},           // 115
    {"emeraldGreen",       &Palette::emeraldGreen},          // 116
    {"forestGreen",        &Palette::forestGreen},           // 117
    {"green",              &Palette::green},                 // 118
    {"greenDark",          &Palette::greenDark},             // 119
    {"greenPale",          &Palette::greenPale},             // 120
    {"greenYellow",        &Palette::greenYellow},           // 121
    {"lawnGreen",          &Palette::lawnGreen},             // 122
    {"limeGreen",          &Palette::limeGreen},             // 123
    {"mint",               &Palette::mint},                  // 124
    {"olive",              &Palette::olive},                 // 125
    {"oliveDrab",          &Palette::oliveDrab},             // 126
    {"oliveGreenDark",     &Palette::oliveGreenDark},        // 127
    {"permanentGreen",     &Palette::permanentGreen},        // 128
    {"sapGreen",           &Palette::sapGreen},              // 129
    {"seaGreen",           &Palette::seaGreen},              // 130
    {"seaGreenDark",       &Palette::seaGreenDark},          // 131
    {"seaGreenMedium",     &Palette::seaGreenMedium},        // 132
    {"seaGreenLight",      &Palette::seaGreenLight},         // 133
    {"springGreen",        &Palette::springGreen},           // 134
    {"springGreenMedium",  &Palette::springGreenMedium},     // 135
    {"terreVerte",         &Palette::terreVerte},            // 136
    {"viridianLight",      &Palette::viridianLight},         // 137
    {"yellowGreen",        &Palette::yellowGreen},           // 138
    {"aquamarine",         &Palette::aquamarine},            // 139
    {"aquamarineMedium",   &Palette::aquamarineMedium},      // 140
    {"cyan",               &Palette::cyan},                  // 141
    {"cyanWhite",          &Palette::cyanWhite},             // 142
    {"turquoise",          &Palette::turquoise},             // 143
    {"turquoiseDark",      &Palette::turquoiseDark},         // 144
    {"turquoiseMedium",    &Palette::turquoiseMedium},       // 145
    {"turquoisePale",      &Palette::turquoisePale},         // 146
    {"aliceBlue",          &Palette::aliceBlue},             // 147
    {"blue",               &Palette::blue},                  // 148
    {"blueLight",          &Palette::blueLight},             // 149
    {"blueMedium",         &Palette::blueMedium},            // 150
    {"cadet",              &Palette::cadet},                 // 151
    {"cobalt",             &Palette::cobalt},                // 152
    {"cornflower",         &Palette::cornflower},            // 153
    {"cerulean",           &Palette::cerulean},              // 154
    {"dodgerBlue",         &Palette::dodgerBlue},            // 155
    {"indigo",             &Palette::indigo},                // 156
    {"manganeseBlue",      &Palette::manganeseBlue},         // 157
    {"midnightBlue",       &Palette::midnightBlue},          // 158
    {"navy",               &Palette::navy},                  // 159
    {"peacock",            &Palette::peacock},               // 160
    {"powderBlue",         &Palette::powderBlue},            // 161
    {"royalBlue",          &Palette::royalBlue},             // 162
    {"slateBlue",          &Palette::slateBlue},             // 163
    {"slateBlueDark",      &Palette::slateBlueDark},         // 164
    {"slateBlueLight",     &Palette::slateBlueLight},        // 165
    {"slateBlueMedium",    &Palette::slateBlueMedium},       // 166
    {"skyBlue",            &Palette::skyBlue},               // 167
    {"skyBlueDeep",        &Palette::skyBlueDeep},           // 168
    {"skyBlueLight",       &Palette::skyBlueLight},          // 169
    {"steelBlue",          &Palette::steelBlue},             // 170
    {"steelBlueLight",     &Palette::steelBlueLight},        // 171
    {"turquoiseBlue",      &Palette::turquoiseBlue},         // 172
    {"ultramarine",        &Palette::ultramarine},           // 173
    {"blueViolet",         &Palette::blueViolet},            // 174
    {"cobaltVioletDeep",   &Palette::cobaltVioletDeep},      // 175
    {"magenta",            &Palette::magenta},               // 176
    {"orchid",             &Palette::orchid},                // 177
    {"orchidDark",         &Palette::orchidDark},            // 178
    {"orchidMedium",       &Palette::orchidMedium},          // 179
    {"permanentRedViolet", &Palette::permanentRedViolet},    // 180
    {"plum",               &Palette::plum},                  // 181
    {"purple",             &Palette::purple},                // 182
    {"purpleMedium",       &Palette::purpleMedium},          // 183
    {"ultramarineViolet",  &Palette::ultramarineViolet},     // 184
    {"violet",             &Palette::violet},                // 185
    {"violetDark",         &Palette::violetDark},            // 186
    {"violetRed",          &Palette::violetRed},             // 187
    {"violetRedMedium",    &Palette::violetRedMedium},       // 188
    {"violetRedPale",      &Palette::violetRedPale},         // 189
}};
// clang-format on

// A missing row would leave a zero entry at the end of the fixed-size array.
constexpr bool allEntriesFilled() {
    for (const PaletteEntry& e : kEntries) {
        if (e.name == nullptr || e.colour == nullptr) {
            return false;
        }
    }
    return true;
}
static_assert(allEntriesFilled(), "the palette holds 190 colours");

} // namespace

const std::array<PaletteEntry, kPaletteSize>& paletteEntries() {
    return kEntries;
}

} // namespace ZQ
