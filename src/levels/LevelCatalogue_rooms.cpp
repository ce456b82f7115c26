#include "constants/Palette.h"
#include "levels/LevelCatalogueTables.h"
#include "levels/PatternGenerators.h"

#include <iterator>

namespace ZQ::LevelCatalogue {

namespace {

using namespace Palette;
using Palette::tan; // not the one of <cmath>

using Material = LevelModel::Material;

// A room material is written as its specular colour and shininess; its
// diffuse colour is ivoryBlack unless the row marks it L (lampBlack).
constexpr PVRTVec3 L = lampBlack;
constexpr Material room(const PVRTVec3& specular, float shininess, const PVRTVec3& diffuse = ivoryBlack) {
    return Material::room(specular, shininess, diffuse);
}

// clang-format off
// pattern generator, functions, grid width, height, room materials 0..3
constexpr RoomRow kGroundRoom =
    {makeTrianglePattern,                4, 40, 40, {room(rawSienna, 36.42f), room(rosyBrown, 36.42f, L), room(dimGrey, 36.42f, L), room(slateGreyLight, 36.42f, L)}};

constexpr RoomRow kRoomRows[] = {
    {makeDodecagonHexagonSquarePattern,  6, 20, 20, {room(skyBlueLight, 36.42f, L), room(skyBlueDeep, 12.42f), room(gold, 36.42f, L), room(orange, 36.42f, L)}}, // 0
    {makeDodecagonHexagonSquarePattern,  6, 20, 20, {room(chromeOxideGreen, 36.42f, L), room(skyBlueDeep, 36.42f), room(gold, 36.42f, L), room(orange, 36.42f, L)}}, // 1
    {makeSquarePattern,                  1, 40, 24, {room(viridianLight, 12.42f, L), room(royalBlue, 36.42f, L), room(skyBlue, 12.42f, L)}}, // 2
    {makeTrianglePattern,                4, 40, 40, {room(emeraldGreen, 36.42f, L), room(forestGreen, 12.42f), room(naplesYellowDeep, 12.42f), room(greenDark, 12.42f, L)}}, // 3
    {makeSnubSquarePattern,              6, 10, 10, {room(rosyBrown, 12.42f, L), room(sienna, 12.42f), room(seashell, 12.42f, L)}}, // 4
    {makeHexagonTrianglePattern,         3, 10, 10, {room(powderBlue, 12.42f), room(forestGreen, 36.42f), room(coral, 12.42f)}}, // 5
    {makeHexagonSquareTrianglePattern,   6, 60, 60, {room(saddleBrown, 36.42f, L), room(venetianRed, 36.42f), room(ultramarine, 12.42f)}}, // 6
    {makeHexagonPattern,                 1, 40, 24, {room(aquamarine, 36.42f, L), room(ultramarine, 36.42f), room(peacock, 36.42f)}}, // 7
    {makeElongatedTrianglePattern,       3, 30, 30, {room(orchidDark, 36.42f), room(tomato, 36.42f), room(steelBlue, 36.42f)}}, // 8
    {makeDodecagonHexagonSquarePattern,  6, 20, 20, {room(steelBlue, 12.42f), room(aliceBlue, 12.42f), room(aliceBlue, 12.42f), room(steelBlue, 12.42f)}}, // 9
    {makeSquarePattern,                  1, 20, 12, {room(cinnabarGreen, 36.42f, L), room(cadmiumYellow, 36.42f)}}, // 10
    {makeHexagonPattern,                 1, 50, 50, {room(ivoryBlack, 12.42f), room(gold, 12.42f)}}, // 11
    {makeTrianglePattern,                4, 40, 40, {room(skyBlue, 36.42f), room(slateBlueDark, 36.42f), room(skyBlueDeep, 36.42f), room(titaniumWhite, 36.42f)}}, // 12
    {makeSnubSquarePattern,              6, 20, 20, {room(violetDark, 12.42f), room(tan, 12.42f), room(cadmiumLemon, 12.42f)}}, // 13
    {makeHexagonTrianglePattern,         3, 10, 10, {room(peru, 36.42f), room(navy, 36.42f, L), room(lampBlack, 36.42f, L)}}, // 14
    {makeOctagonSquarePattern,           2, 20, 20, {room(goldenrodDark, 36.42f), room(cadmiumLemon, 36.42f)}}, // 15
    {makeDodecagonTrianglePattern,       3, 25, 25, {room(saddleBrown, 36.42f), room(oliveGreenDark, 36.42f)}}, // 16
    {makeDodecagonTrianglePattern,       3, 30, 30, {room(khakiDark, 12.42f), room(slateGrey, 12.42f), room(limeGreen, 12.42f)}}, // 17
    {makeSquarePattern,                  1, 20, 20, {room(terreVerte, 12.42f), room(cornflower, 36.42f), room(brownOchre, 12.42f), room(burlywood, 36.42f)}}, // 18
    {makeOctagonSquarePattern,           2, 20, 20, {room(cinnabarGreen, 36.42f), room(orchidDark, 36.42f), room(venetianRed, 12.42f)}}, // 19
    {makeHexagonPattern,                 1, 30, 30, {room(khakiDark, 12.42f), room(slateGrey, 12.42f), room(limeGreen, 12.42f), room(floralWhite, 12.42f)}}, // 20
    {makeHexagonSquareTrianglePattern,   6, 40, 40, {room(turquoisePale, 36.42f, L), room(cobaltVioletDeep, 36.42f), room(plum, 12.42f)}}, // 21
    {makeSnubSquarePattern,              6, 20, 20, {room(aquamarineMedium, 36.42f), room(slateBlueDark, 36.42f), room(gold, 36.42f), room(goldenrodDark, 36.42f)}}, // 22
    {makeElongatedTrianglePattern,       3, 30, 30, {room(turquoiseBlue, 36.42f), room(azure, 12.42f), room(melon, 12.42f)}}, // 23
    {makeDodecagonHexagonSquarePattern,  6, 20, 20, {room(coralLight, 36.42f), room(rawUmber, 36.42f), room(goldenrodDark, 36.42f), room(melon, 36.42f)}}, // 24
    {makeHexagonTrianglePattern,         3, 10, 10, {room(sepia, 36.42f), room(roseMadder, 36.42f), room(yellowOchre, 36.42f), room(midnightBlue, 36.42f)}}, // 25
    {makeSquarePattern,                  1, 30, 30, {room(cadmiumLemon, 36.42f), room(cadmiumYellow, 36.42f), room(goldenrodDark, 36.42f), room(roseMadder, 36.42f)}}, // 26
    {makeHexagonTrianglePattern,         3, 20, 20, {room(roseMadder, 12.42f, L), room(cadmiumYellow, 36.42f, L), room(darkOrange, 12.42f, L)}}, // 27
    {makeHexagonPattern,                 1, 40, 40, {room(burntUmber, 36.42f), room(brownOchre, 36.42f), room(carrot, 36.42f), room(goldenrodDark, 36.42f)}}, // 28
    {makeSquarePattern,                  1, 40, 40, {room(cadmiumRedDeep, 36.42f), room(azure, 36.42f), room(bisque, 36.42f), room(englishRed, 36.42f)}}, // 29
    {makeOctagonSquarePattern,           2, 20, 20, {room(englishRed, 36.42f), room(goldenrodDark, 36.42f), room(yellowOchre, 36.42f)}}, // 30
    {makeTrianglePattern,                4, 20, 20, {room(sandyBrown, 36.42f), room(peachPuff, 36.42f), room(cerulean, 36.42f)}}, // 31
    {makeDodecagonTrianglePattern,       3, 20, 20, {room(brown, 36.42f), room(forestGreen, 36.42f), room(orchidDark, 36.42f), room(gold, 36.42f)}}, // 32
    {makeTrianglePattern,                8, 40, 40, {room(blueViolet, 36.42f), room(rosyBrown, 36.42f, L), room(dimGrey, 36.42f, L), room(slateGreyLight, 36.42f, L)}}, // 33
    {makeDodecagonTrianglePattern,       3, 20, 20, {room(manganeseBlue, 12.42f), room(cadmiumLemon, 12.42f), room(oliveGreenDark, 12.42f), room(chocolate, 12.42f)}}, // 34
    {makeSquarePattern,                  2, 30, 30, {room(slateBlueDark, 12.42f), room(indigo, 36.42f), room(sepia, 36.42f)}}, // 35
    {makeDodecagonTrianglePattern,       3, 40, 40, {room(marsYellow, 12.42f), room(fleshOchre, 12.42f), room(brownMadder, 12.42f), room(naplesYellowDeep, 12.42f)}}, // 36
    {makeSnubSquarePattern,              6, 30, 30, {room(slateBlueDark, 36.42f), room(seaGreen, 36.42f), room(salmon, 36.42f), room(goldenrodDark, 36.42f)}}, // 37
    {makeHexagonTrianglePattern,         3, 20, 20, {room(ultramarine, 12.42f), room(cadmiumLemon, 12.42f), room(aquamarine, 36.42f)}}, // 38
    {makeSquarePattern,                  1, 50, 50, {room(indigo, 36.42f), room(dodgerBlue, 36.42f), room(cornflower, 36.42f), room(turquoiseDark, 36.42f)}}, // 39
    {makeDodecagonTrianglePattern,       3, 20, 20, {room(tomato, 12.42f, L), room(cadmiumLemon, 12.42f, L), room(indigo, 12.42f, L), room(carrot, 12.42f, L)}}, // 40
    {makeHexagonPattern,                 1, 40, 24, {room(aquamarine, 36.42f), room(ultramarine, 36.42f), room(gold, 36.42f)}}, // 41
    {makeTrianglePattern,                4, 20, 20, {room(tomato, 36.42f), room(yellow, 36.42f), room(viridianLight, 36.42f)}}, // 42
    {makeElongatedTrianglePattern,       3, 30, 30, {room(manganeseBlue, 36.42f), room(papayaWhip, 36.42f), room(banana, 36.42f)}}, // 43
    {makeSnubSquarePattern,              6, 10, 10, {room(hotPink, 36.42f), room(skyBlue, 12.42f), room(banana, 12.42f)}}, // 44
    {makeHexagonTrianglePattern,         3, 10, 10, {room(salmon, 36.42f, L), room(orchid, 36.42f), room(eggshell, 36.42f)}}, // 45
    {makeSnubHexagonPattern,             3, 30, 30, {room(brownOchre, 36.42f), room(seaGreenDark, 36.42f), room(ultramarineViolet, 36.42f)}}, // 46
    {makeElongatedTrianglePattern,       3, 30, 30, {room(slateBlueDark, 36.42f), room(slateBlueLight, 36.42f), room(turquoiseDark, 36.42f)}}, // 47
    {makeSnubSquarePattern,              6, 20, 20, {room(violetDark, 12.42f), room(tan, 12.42f), room(cadmiumLemon, 12.42f)}}, // 48
    {makeTrianglePattern,                4, 20, 20, {room(powderBlue, 12.42f), room(skyBlueDeep, 12.42f), room(slateBlue, 12.42f), room(steelBlueLight, 12.42f)}}, // 49
    {makeDodecagonHexagonSquarePattern,  6, 20, 20, {room(aquamarine, 36.42f), room(coral, 36.42f)}}, // 50
    {makeElongatedTrianglePattern,       3, 24, 15, {room(sapGreen, 12.42f), room(seaGreenDark, 12.42f), room(springGreen, 12.42f)}}, // 51
    {makeSnubHexagonPattern,             3, 20, 24, {room(sepia, 36.42f, L), room(melon, 36.42f), room(goldenrodLight, 12.42f)}}, // 52
    {makeSquarePattern,                  1, 80, 48, {room(cinnabarGreen, 36.42f, L), room(cadmiumYellow, 36.42f)}}, // 53
    {makeDodecagonHexagonSquarePattern,  6, 20, 20, {room(skyBlueDeep, 12.42f), room(chromeOxideGreen, 36.42f)}}, // 54
    {makeTrianglePattern,                4, 30, 30, {room(aliceBlue, 12.42f), room(purple, 12.42f), room(yellowOchre, 12.42f), room(floralWhite, 12.42f)}}, // 55
    {makeHexagonSquareTrianglePattern,   6, 30, 30, {room(turquoiseDark, 12.42f, L), room(darkOrange, 12.42f), room(cobaltVioletDeep, 12.42f, L)}}, // 56
    {makeSnubHexagonPattern,             3, 40, 40, {room(orangeRed, 36.42f), room(blueViolet, 36.42f), room(cadmiumYellow, 36.42f)}}, // 57
    {makeOctagonSquarePattern,           2, 40, 40, {room(sandyBrown, 36.42f), room(navy, 36.42f), room(gold, 36.42f)}}, // 58
    {makeHexagonTrianglePattern,         3, 20, 20, {room(brownOchre, 36.42f), room(cobalt, 36.42f), room(darkOrange, 36.42f)}}, // 59
    {makeDodecagonHexagonSquarePattern,  6, 20, 20, {room(seaGreenDark, 36.42f), room(permanentGreen, 36.42f, L), room(goldenrodDark, 36.42f, L), room(goldenrodDark, 36.42f)}}, // 60
    {makeHexagonPattern,                 1, 30, 30, {room(raspberry, 36.42f), room(roseMadder, 36.42f), room(melon, 36.42f), room(pinkLight, 36.42f)}}, // 61
    {makeOctagonSquarePattern,           2, 30, 30, {room(brown, 12.42f), room(aquamarineMedium, 12.42f), room(lampBlack, 12.42f), room(cadmiumLemon, 12.42f)}}, // 62
    {makeSnubSquarePattern,              6, 20, 20, {room(gold, 36.42f), room(chromeOxideGreen, 36.42f), room(orange, 36.42f)}}, // 63
    {makeSquarePattern,                  1, 20, 20, {room(lampBlack, 12.42f), room(cadmiumLemon, 12.42f), room(emeraldGreen, 36.42f), room(greenDark, 36.42f)}}, // 64
    {makeTrianglePattern,                4, 40, 40, {room(blueLight, 36.42f), room(blueMedium, 36.42f), room(salmon, 36.42f), room(cobalt, 36.42f)}}, // 65
    {makeTrianglePattern,                4, 40, 40, {room(skyBlue, 36.42f), room(slateBlueDark, 36.42f), room(oliveGreenDark, 36.42f), room(cadmiumLemon, 36.42f)}}, // 66
    {makeSnubSquarePattern,              6, 20, 20, {room(purple, 12.42f), room(gold, 12.42f), room(powderBlue, 12.42f)}}, // 67
    {makeHexagonPattern,                 1, 40, 40, {room(venetianRed, 36.42f), room(cadmiumLemon, 36.42f), room(midnightBlue, 36.42f), room(violetRed, 36.42f)}}, // 68
    {makeHexagonPattern,                 1, 60, 36, {room(indianRed, 12.42f, L), room(pink, 36.42f, L), room(marsOrange, 12.42f, L)}}, // 69
    {makeOctagonSquarePattern,           2, 40, 30, {room(tomato, 36.42f), room(skyBlueDeep, 36.42f), room(emeraldGreen, 36.42f), room(gold, 36.42f)}}, // 70
    {makeDodecagonTrianglePattern,       4, 20, 20, {room(marsOrange, 36.42f), room(cadmiumRedLight, 36.42f), room(ivoryBlack, 36.42f), room(goldenrodDark, 36.42f)}}, // 71
    {makeOctagonSquarePattern,           2, 15, 15, {room(marsOrange, 36.42f), room(naplesYellowDeep, 36.42f), room(purpleMedium, 36.42f), room(cornsilk, 36.42f)}}, // 72
    {makeHexagonSquareTrianglePattern,   6, 30, 30, {room(indigo, 36.42f), room(goldenrodDark, 36.42f), room(salmon, 36.42f)}}, // 73
    {makeSquarePattern,                  1, 20, 20, {room(ghostWhite, 12.42f), room(turquoisePale, 36.42f), room(tan, 36.42f), room(raspberry, 12.42f)}}, // 74
    {makeSquarePattern,                  1, 20, 20, {room(turquoise, 12.42f), room(turquoiseMedium, 12.42f), room(rosyBrown, 12.42f)}}, // 75
};
// clang-format on
static_assert(std::size(kRoomRows) == kLevelCount);

} // namespace

const RoomRow& groundRoomRow() {
    return kGroundRoom;
}

const RoomRow& roomRow(int32_t level) {
    ZQ_ASSERT(level >= 0 && level < kLevelCount);
    return kRoomRows[level];
}

} // namespace ZQ::LevelCatalogue
