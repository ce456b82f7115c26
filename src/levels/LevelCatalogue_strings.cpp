#include "constants/Palette.h"
#include "levels/LevelCatalogueTables.h"

#include <iterator>

namespace ZQ::LevelCatalogue {

namespace {

using namespace Palette;
using Palette::tan; // not the one of <cmath>

using Material = LevelModel::Material;

// A cord material is written warm / cool.
constexpr Material cord(const PVRTVec3& warm, const PVRTVec3& cool) {
    return Material::cord(warm, cool);
}

// clang-format off
// cord materials in string order, normal-map indices in string order
constexpr StringRow kStringRows[] = {
    {{cord(steelBlue, gold)}, {0}}, // 0
    {{cord(orchidDark, ivoryBlack), cord(steelBlue, raspberry)}, {0, 5}}, // 1
    {{cord(emeraldGreen, royalBlue)}, {2}}, // 2
    {{cord(chocolate, midnightBlue)}, {6}}, // 3
    {{cord(indianRed, darkOrange), cord(coldGrey, lampBlack)}, {1, 2}}, // 4
    {{cord(peacock, cadmiumRedDeep), cord(indianRed, darkOrange), cord(forestGreen, cadmiumRedDeep)}, {1, 5, 0}}, // 5
    {{cord(indianRed, darkOrange)}, {2}}, // 6
    {{cord(peacock, ultramarine), cord(ultramarine, peacock)}, {1, 6}}, // 7
    {{cord(steelBlue, ivoryBlack)}, {3}}, // 8
    {{cord(lightGrey, midnightBlue), cord(steelBlue, aliceBlue)}, {6, 7}}, // 9
    {{cord(greenDark, salmon), cord(slateBlueDark, melon), cord(salmon, midnightBlue), cord(aureolineYellow, slateBlueDark)}, {0, 5, 3, 6}}, // 10
    {{cord(goldenrodDark, midnightBlue)}, {1}}, // 11
    {{cord(slateBlueDark, turquoiseDark), cord(skyBlueDeep, slateBlueDark), cord(pink, slateBlueDark), cord(orchidDark, gold)}, {1, 3, 2, 4}}, // 12
    {{cord(orchidDark, gold)}, {1}}, // 13
    {{cord(lampBlack, carrot), cord(navy, gold)}, {1, 2}}, // 14
    {{cord(goldenrodDark, navy)}, {3}}, // 15
    {{cord(coral, ivoryBlack), cord(terreVerte, coral)}, {1, 2}}, // 16
    {{cord(slateGrey, gold)}, {5}}, // 17
    {{cord(darkOrange, indianRed), cord(indianRed, darkOrange)}, {1, 4}}, // 18
    {{cord(ultramarineViolet, coral), cord(coral, ultramarineViolet), cord(oliveGreenDark, coral)}, {1, 0, 6}}, // 19
    {{cord(yellowOchre, sepia), cord(midnightBlue, emeraldGreen)}, {5, 6}}, // 20
    {{cord(cobaltVioletDeep, turquoisePale)}, {1}}, // 21
    {{cord(ultramarineViolet, cerulean), cord(cerulean, magenta)}, {6, 0}}, // 22
    {{cord(pink, burntSienna), cord(burntSienna, madderLakeDeep), cord(sapGreen, lampBlack)}, {1, 6, 0}}, // 23
    {{cord(rawUmber, melon), cord(coralLight, venetianRed)}, {4, 7}}, // 24
    {{cord(indigo, turquoiseDark), cord(yellowOchre, lampBlack), cord(venetianRed, lampBlack), cord(lampBlack, naplesYellowDeep)}, {1, 3, 2, 0}}, // 25
    {{cord(firebrick, cadmiumLemon)}, {1, 4, 2, 0}}, // 26
    {{cord(greenDark, darkOrange), cord(aureolineYellow, midnightBlue)}, {1, 6}}, // 27
    {{cord(goldenrodDark, lampBlack), cord(brownOchre, ivoryBlack)}, {0, 1}}, // 28
    {{cord(indigo, azure)}, {1}}, // 29
    {{cord(royalBlue, midnightBlue), cord(warmGrey, azure), cord(olive, warmGrey)}, {1, 4, 2}}, // 30
    {{cord(cobalt, sandyBrown), cord(chocolate, peachPuff)}, {1, 4}}, // 31
    {{cord(ivoryBlack, cadmiumRedDeep), cord(orchidDark, ivoryBlack), cord(permanentGreen, cadmiumRedDeep)}, {7, 5}}, // 32
    {{cord(blueViolet, lavender), cord(navy, azure), cord(oliveDrab, navy), cord(slateGreyLight, navy)}, {6, 1, 0, 3}}, // 33
    {{cord(navy, cyan), cord(carrot, navy)}, {5, 6}}, // 34
    {{cord(steelBlue, saddleBrown), cord(saddleBrown, lampBlack), cord(goldenrodDark, saddleBrown)}, {1, 3, 2}}, // 35
    {{cord(ivoryBlack, roseMadder)}, {1}}, // 36
    {{cord(purpleMedium, midnightBlue), cord(oliveDrab, gold), cord(turquoiseBlue, indigo)}, {1, 4, 2, 0}}, // 37
    {{cord(navy, carrot), cord(carrot, venetianRed), cord(cobaltGreen, navy)}, {1, 4, 0}}, // 38
    {{cord(turquoiseDark, lampBlack), cord(indigo, emeraldGreen)}, {0, 1}}, // 39
    {{cord(indigo, tomato), cord(saddleBrown, cadmiumLemon)}, {1, 2}}, // 40
    {{cord(peacock, aquamarine), cord(ultramarine, cadmiumLemon), cord(peru, orchidDark), cord(orchidDark, cadmiumLemon)}, {6, 1, 2, 0}}, // 41
    {{cord(indianRed, aureolineYellow), cord(goldenrodDark, indianRed)}, {6, 1}}, // 42
    {{cord(banana, indigo), cord(indigo, peru), cord(peru, midnightBlue)}, {6, 2, 1}}, // 43
    {{cord(midnightBlue, aquamarine), cord(cobaltVioletDeep, midnightBlue), cord(oliveDrab, azure)}, {5, 7, 0}}, // 44
    {{cord(blueViolet, ultramarine)}, {1}}, // 45
    {{cord(seaGreenMedium, vanDykeBrown), cord(slateBlueDark, eggshell), cord(chocolate, slateBlueDark), cord(vanDykeBrown, chocolate)}, {3, 4, 5, 0}}, // 46
    {{cord(indigo, turquoiseDark), cord(orchidMedium, indigo)}, {1, 2}}, // 47
    {{cord(peru, indigo), cord(orchidDark, lavenderBlush), cord(indigo, ivory), cord(gold, indigo)}, {1, 5, 4, 0}}, // 48
    {{cord(indigo, orchidDark), cord(turquoiseDark, royalBlue)}, {1, 0}}, // 49
    {{cord(midnightBlue, coral), cord(seaGreen, indigo), cord(coral, midnightBlue)}, {1, 3, 0}}, // 50
    {{cord(terreVerte, indigo), cord(marsOrange, naplesYellowDeep)}, {5, 4}}, // 51
    {{cord(sepia, goldenrodDark), cord(goldenrodDark, sepia), cord(pink, slateBlueDark), cord(emeraldGreen, sepia)}, {0, 2, 7, 5}}, // 52
    {{cord(greenDark, emeraldGreen), cord(indigo, aquamarine), cord(goldenrodDark, indigo)}, {1, 4, 2}}, // 53
    {{cord(forestGreen, linen), cord(raspberry, linen)}, {1, 4, 2, 0}}, // 54
    {{cord(violetDark, plum), cord(sepia, yellowOchre)}, {1, 4}}, // 55
    {{cord(rosyBrown, cobaltVioletDeep), cord(cobaltVioletDeep, rosyBrown)}, {5, 2}}, // 56
    {{cord(indianRed, darkOrange), cord(orchidDark, navy)}, {7, 0}}, // 57
    {{cord(darkOrange, navy), cord(goldenrodDark, midnightBlue), cord(navy, darkOrange), cord(orangeRed, navy)}, {5, 2, 6, 3}}, // 58
    {{cord(cobalt, darkOrange), cord(darkOrange, brownOchre), cord(indianRed, darkOrange)}, {1, 3, 2, 0}}, // 59
    {{cord(saddleBrown, cadmiumOrange), cord(oliveGreenDark, mintCream), cord(seaGreenDark, venetianRed), cord(firebrick, aureolineYellow)}, {1, 4, 2, 6}}, // 60
    {{cord(venetianRed, lampBlack), cord(terreVerte, turquoiseBlue), cord(royalBlue, chartreuse), cord(carrot, venetianRed)}, {1, 4, 7, 0}}, // 61
    {{cord(firebrick, cadmiumLemon), cord(aureolineYellow, firebrick)}, {5, 2}}, // 62
    {{cord(cadmiumYellow, ivoryBlack), cord(steelBlue, raspberry), cord(greenDark, cadmiumYellow)}, {1, 2, 0}}, // 63
    {{cord(goldenrodDark, lampBlack), cord(sepia, goldenrodDark), cord(venetianRed, sepia), cord(warmGrey, lampBlack)}, {1, 4, 5, 0}}, // 64
    {{cord(raspberry, salmon), cord(cobalt, skyBlue)}, {1, 4}}, // 65
    {{cord(slateBlueDark, seaGreenDark), cord(goldenrodDark, slateBlueDark), cord(marsYellow, slateBlueDark), cord(seaGreenDark, marsYellow)}, {1, 5, 0}}, // 66
    {{cord(pinkLight, deepPink), cord(emeraldGreen, warmGrey), cord(violetDark, blueMedium), cord(goldenrodDark, navy)}, {6, 2, 1, 0}}, // 67
    {{cord(venetianRed, cadmiumLemon), cord(navy, azure), cord(aureolineYellow, burntSienna)}, {2, 0, 1}}, // 68
    {{cord(vanDykeBrown, pink)}, {1}}, // 69
    {{cord(cobaltGreen, ivoryBlack), cord(skyBlueDeep, ivoryBlack)}, {2, 7}}, // 70
    {{cord(lampBlack, cadmiumRedLight), cord(indianRed, darkOrange)}, {7, 2}}, // 71
    {{cord(naplesYellowDeep, chocolate), cord(chocolate, firebrick), cord(firebrick, papayaWhip), cord(purpleMedium, naplesYellowDeep)}, {1, 2, 0, 6}}, // 72
    {{cord(ivoryBlack, purpleMedium), cord(rawUmber, yellowOchre), cord(midnightBlue, orchidDark), cord(darkOrange, permanentRedViolet)}, {3, 7, 1, 6}}, // 73
    {{cord(ivoryBlack, turquoiseDark), cord(cobaltVioletDeep, ivoryBlack), cord(turquoiseDark, cobaltVioletDeep)}, {6, 1, 0}}, // 74
    {{cord(turquoiseMedium, navy)}, {1}}, // 75
};
// clang-format on
static_assert(std::size(kStringRows) == kLevelCount);

} // namespace

const StringRow& stringRow(int32_t level) {
    ZQ_ASSERT(level >= 0 && level < kLevelCount);
    return kStringRows[level];
}

} // namespace ZQ::LevelCatalogue
