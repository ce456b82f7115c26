#include <set>
#include <string>

#include <gtest/gtest.h>

#include "constants/Palette.h"

namespace {

TEST(PaletteTest, HoldsEveryColourOnceInFamilyOrder) {
    const auto& entries = ZQ::paletteEntries();
    ASSERT_EQ(entries.size(), 190u);

    std::set<std::string> names;
    std::set<const PVRTVec3*> colours;
    for (const ZQ::PaletteEntry& e : entries) {
        ASSERT_NE(e.name, nullptr);
        ASSERT_NE(e.colour, nullptr);
        names.insert(e.name);
        colours.insert(e.colour);
    }
    EXPECT_EQ(names.size(), 190u) << "a name is listed twice";
    EXPECT_EQ(colours.size(), 190u) << "a colour constant is listed twice";

    // The first and last colour of each family pin the declaration order.
    const struct {
        int index;
        const char* name;
    } boundaries[] = {
        {0, "antiqueWhite"},     {29, "zincWhite"},      {30, "coldGrey"},        {37, "warmGrey"},
        {38, "black"},           {40, "lampBlack"},      {41, "alizarinCrimson"}, {62, "venetianRed"},
        {63, "beige"},           {88, "vanDykeBrown"},   {89, "cadmiumOrange"},   {97, "yellowOchre"},
        {98, "aureolineYellow"}, {111, "yellowLight"},   {112, "chartreuse"},     {138, "yellowGreen"},
        {139, "aquamarine"},     {146, "turquoisePale"}, {147, "aliceBlue"},      {173, "ultramarine"},
        {174, "blueViolet"},     {189, "violetRedPale"},
    };
    for (const auto& b : boundaries) {
        EXPECT_STREQ(entries[b.index].name, b.name) << "at index " << b.index;
    }
}

TEST(PaletteTest, ValuesAreTheGivenDecimals) {
    EXPECT_EQ(ZQ::Palette::black, PVRTVec3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(ZQ::Palette::white, PVRTVec3(1.0f, 1.0f, 1.0f));
    EXPECT_EQ(ZQ::Palette::eggshell, PVRTVec3(0.99f, 0.9f, 0.79f));
    EXPECT_EQ(ZQ::Palette::gold, PVRTVec3(1.0f, 0.8431f, 0.0f));
    EXPECT_EQ(ZQ::Palette::goldenrodDark, PVRTVec3(0.7216f, 0.5255f, 0.0431f));
    EXPECT_EQ(ZQ::Palette::violetRedPale, PVRTVec3(0.8588f, 0.4392f, 0.5765f));

    for (const ZQ::PaletteEntry& e : ZQ::paletteEntries()) {
        for (float c : {e.colour->x, e.colour->y, e.colour->z}) {
            EXPECT_GE(c, 0.0f) << e.name;
            EXPECT_LE(c, 1.0f) << e.name;
        }
    }
}

// The table must point at the very constants code reads by name.
TEST(PaletteTest, EntriesPointAtTheNamedConstants) {
    const auto& entries = ZQ::paletteEntries();
    EXPECT_EQ(entries[102].colour, &ZQ::Palette::gold);
    EXPECT_EQ(entries[110].colour, &ZQ::Palette::yellow);
    EXPECT_EQ(entries[5].colour, &ZQ::Palette::eggshell);
}

} // namespace
