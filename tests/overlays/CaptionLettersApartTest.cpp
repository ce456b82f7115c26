#include "overlays/CaptionFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

// Letters drawn apart are cut out by the flow pass from one pixel inside
// their boundaries, read through a linear filter: each letter's strip must
// hold its whole glyph, outline included, and nothing of its neighbours'.
namespace {

// The flowing lines' look: bold, a thick outline, letters apart.
std::string apartGroup(const std::string& font, const std::string& leaves) {
    return "<key>en</key><dict><key>g</key><dict><key>attributes</key><dict>"
           "<key>width</key><real>160</real><key>height</key><real>34</real>"
           "<key>size</key><real>22</real><key>strokewidth</key><real>-16</real>"
           "<key>font</key><string>" +
           font +
           "</string><key>apart</key><true/>"
           "<key>fillcolor</key><array><real>1</real><real>1</real><real>1</real><real>1</real></array>"
           "<key>strokecolor</key><array><real>0</real><real>0</real><real>0</real><real>1</real></array>"
           "</dict>" +
           leaves + "</dict></dict>";
}

// The alpha of the columns from `from` to `to` (excluded), summed.
double inkBetween(const ZQ::CaptionBitmap& bitmap, int from, int to) {
    double sum = 0.0;
    for (int x = std::max(from, 0); x < std::min(to, bitmap.width); ++x) {
        for (int row = 0; row < bitmap.height; ++row) {
            sum += bitmap.pixels[(static_cast<std::size_t>(row) * bitmap.width + x) * 4 + 3];
        }
    }
    return sum;
}

// The columns whose texel centres lie beyond x, and the end of those before x.
int centresFrom(double x) {
    return static_cast<int>(std::floor(x - 0.5)) + 1;
}
int centresTo(double x) {
    return static_cast<int>(std::ceil(x - 0.5));
}

TEST(CaptionLettersApartTest, EachStripHoldsItsWholeGlyphAndNothingOfItsNeighbours) {
    // A kerned pair, a crossbar reaching over its advance, a hook over a dot,
    // and an emboldened full-width pair.
    const struct {
        const char* font;
        std::vector<std::string> letters;
    } kCases[] = {
        {"DejaVuSansCondensed-Bold", {"V", "e"}}, {"DejaVuSansCondensed-Bold", {"t", "i"}},
        {"DejaVuSansCondensed-Bold", {"f", "."}}, {"DejaVuSansCondensed-Bold", {"A", "V", " ", "T", "o"}},
        {"VL-Gothic-Bold", {"ス", "ワ"}},
    };
    for (const auto& c : kCases) {
        std::string text;
        std::string leaves;
        for (std::size_t i = 0; i < c.letters.size(); ++i) {
            text += c.letters[i];
            leaves += leaf("l" + std::to_string(i), c.letters[i]);
        }
        const CaptionListFile list(apartGroup(c.font, leaf("text", text) + leaves));
        const auto generator = list.generator(2);
        const ZQ::CaptionBitmap whole = generator->make("en_g_text", "");
        const std::vector<double>& m = whole.metrics;
        ASSERT_EQ(m.size(), c.letters.size() + 1) << text;
        for (std::size_t i = 0; i < c.letters.size(); ++i) {
            // No ink in the texels whose centres lie within a pixel of a
            // boundary: one strip's cut fades them, the other's filter reads them.
            for (const double boundary : {m[i], m[i + 1]}) {
                EXPECT_EQ(inkBetween(whole, centresFrom(boundary - 1.0), centresTo(boundary + 1.0)), 0.0)
                    << text << " at " << boundary;
            }
            // The texels the strip reads carry as much ink as the letter
            // drawn alone.
            const ZQ::CaptionBitmap alone = generator->make("en_g_l" + std::to_string(i), "");
            const double strip = inkBetween(whole, centresFrom(m[i]), centresTo(m[i + 1]));
            const double own = inkBetween(alone, 0, alone.width);
            EXPECT_NEAR(strip, own, 0.01 * own + 1.0) << text << ": letter " << c.letters[i];
            std::free(alone.pixels);
        }
        std::free(whole.pixels);
    }
}

} // namespace
