#include "overlays/CaptionFixture.h"
#include "overlays/ZQCaptionProducer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using ZQ::CaptionBitmap;
using ZQ::CaptionValue;

// Frees the bitmap when the test is done with it.
struct Owned {
    explicit Owned(CaptionBitmap b) : bitmap(std::move(b)) {}
    ~Owned() { std::free(bitmap.pixels); }
    const uint8_t* pixel(int x, int rowFromBottom) const {
        return bitmap.pixels + (static_cast<std::size_t>(rowFromBottom) * bitmap.width + x) * 4;
    }
    // Rows (from the bottom) holding any ink.
    std::pair<int, int> inkRows() const {
        int low = bitmap.height, high = -1;
        for (int row = 0; row < bitmap.height; ++row) {
            for (int x = 0; x < bitmap.width; ++x) {
                if (pixel(x, row)[3] != 0) {
                    low = std::min(low, row);
                    high = std::max(high, row);
                }
            }
        }
        return {low, high};
    }
    CaptionBitmap bitmap;
};

int codePointCount(const std::string& text) {
    int count = 0;
    for (unsigned char c : text) {
        count += (c & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

bool risesStrictly(const std::vector<double>& values, std::size_t first, std::size_t last) {
    for (std::size_t i = first + 1; i < last; ++i) {
        if (!(values[i] > values[i - 1])) {
            return false;
        }
    }
    return true;
}

TEST(CaptionGeneratorTest, FlattensNestedGroupsWithInheritedAndOverriddenAttributes) {
    // en -> timer -> 5 and en -> timer_5 name the same caption; attributes
    // deeper down win over the same ones higher up, and reach every leaf below.
    const CaptionListFile nested(
        "<key>en</key><dict><key>attributes</key><dict><key>size</key><real>10</real>"
        "<key>font</key><string>DejaVuSans</string></dict>"
        "<key>timer</key><dict><key>attributes</key><dict><key>size</key><real>20</real></dict>"
        "<key>5</key><string>five</string></dict>"
        "<key>small</key><string>plain</string></dict>");
    const CaptionListFile flat("<key>en</key><dict><key>timer_5</key><string>five</string></dict>");
    const auto fromNested = nested.generator(2);
    const auto fromFlat = flat.generator(2);

    const auto& table = fromNested->captionAttrs();
    ASSERT_EQ(table.count("en_timer_5"), 1u);
    ASSERT_EQ(fromFlat->captionAttrs().count("en_timer_5"), 1u);
    EXPECT_EQ(table.at("en_timer_5").at("label").text, "five");
    EXPECT_EQ(fromFlat->captionAttrs().at("en_timer_5").at("label").text, "five");
    EXPECT_EQ(table.at("en_timer_5").at("size").number, 20.0);       // the group's own
    EXPECT_EQ(table.at("en_timer_5").at("font").text, "DejaVuSans"); // inherited
    EXPECT_EQ(table.at("en_small").at("size").number, 10.0);
    EXPECT_EQ(table.count("en_attributes"), 0u);
    EXPECT_EQ(table.count("en_timer_attributes"), 0u);
    EXPECT_EQ(table.size(), 2u);
}

TEST(CaptionGeneratorTest, BitmapIsItsPointsTimesTheCaptionScale) {
    const CaptionListFile list(englishGroup("g", 33.5, 20, 12, leaf("a", "Ab")));
    for (int scale = 1; scale <= 3; ++scale) {
        const Owned caption(list.generator(scale)->make("en_g_a", ""));
        EXPECT_EQ(caption.bitmap.width, static_cast<int>(33.5f * static_cast<float>(scale))) << scale;
        EXPECT_EQ(caption.bitmap.height, 20 * scale) << scale;
        EXPECT_EQ(caption.bitmap.metrics.size(), 3u);
    }
}

TEST(CaptionGeneratorTest, MetricsHaveOneBoundaryMoreThanLettersAndRise) {
    const std::string latin = "Nœud d'été, 42 — Wäg";
    const std::string japanese = "黒曜石の結び目、ほどけた。";
    const CaptionListFile list(
        englishGroup("g", 300, 40, 16,
                     leaf("latin", latin) + leaf("japanese", japanese) + leaf("two", "First\\nSecond line")));
    const auto generator = list.generator(2);
    for (const std::string& text : {latin, japanese}) {
        const std::string key = text == latin ? "en_g_latin" : "en_g_japanese";
        const Owned caption(generator->make(key, ""));
        const auto& m = caption.bitmap.metrics;
        ASSERT_EQ(static_cast<int>(m.size()), codePointCount(text) + 1) << text;
        EXPECT_TRUE(risesStrictly(m, 0, m.size())) << text;
        // Centred: the text's middle lies near the bitmap's middle.
        EXPECT_NEAR((m.front() + m.back()) / 2, caption.bitmap.width / 2.0, 2.0) << text;
    }

    // A line break: two lines, each with its own run of boundaries, and a
    // block about twice as tall as one line.
    const Owned two(generator->make("en_g_two", ""));
    const auto& m = two.bitmap.metrics;
    ASSERT_EQ(m.size(), std::string("First").size() + 1 + std::string("Second line").size() + 1);
    EXPECT_TRUE(risesStrictly(m, 0, 6));
    EXPECT_TRUE(risesStrictly(m, 6, m.size()));
    EXPECT_LT(m[6], m[5]); // the second line starts again at the left
    const Owned one(generator->make("en_g_latin", ""));
    const auto [low2, high2] = two.inkRows();
    const auto [low1, high1] = one.inkRows();
    EXPECT_GT(high2 - low2, 1.6 * (high1 - low1));
}

TEST(CaptionGeneratorTest, RowsCountLineBreaksAndEscapesBecomeBreaks) {
    using P = ZQ::ZQCaptionProducer;
    EXPECT_EQ(P::removeEscaping("a\\nb\\\\x"), "a\nb\\\\x");
    EXPECT_EQ(P::countRowsOf(""), 0);
    EXPECT_EQ(P::countRowsOf("a"), 1);
    EXPECT_EQ(P::countRowsOf("a\n"), 1);
    EXPECT_EQ(P::countRowsOf("a\nb\nc"), 3);
    EXPECT_EQ(P::countRowsOf("a\n\n"), 2);
}

TEST(CaptionGeneratorTest, RowsArriveBottomUpPremultipliedInTheFillColour) {
    // Half-transparent red letters in the upper quarter of the caption: in
    // GL's order the inked rows are the high ones, and red is premultiplied.
    const CaptionListFile list(
        "<key>en</key><dict><key>a</key><dict><key>attributes</key><dict>"
        "<key>width</key><real>200</real><key>height</key><real>80</real><key>size</key><real>16</real>"
        "<key>y</key><real>60</real>"
        "<key>fillcolor</key><array><real>1</real><real>0</real><real>0</real><real>0.5</real></array>"
        "</dict><key>b</key><string>HHHH</string></dict></dict>");
    const Owned caption(list.generator(1)->make("en_a_b", ""));
    const auto [low, high] = caption.inkRows();
    ASSERT_GE(high, 0);
    EXPECT_GT(low, 45);
    EXPECT_LT(high, 75);
    int solid = 0;
    for (int row = low; row <= high; ++row) {
        for (int x = 0; x < caption.bitmap.width; ++x) {
            const uint8_t* p = caption.pixel(x, row);
            EXPECT_LE(p[0], p[3]); // premultiplied: no channel above alpha
            EXPECT_EQ(p[1], 0);
            EXPECT_EQ(p[2], 0);
            if (p[3] >= 127) {
                ++solid;
                EXPECT_NEAR(p[0], p[3], 1);
                EXPECT_NEAR(p[3], 128, 1);
            }
        }
    }
    EXPECT_GT(solid, 20);
}

TEST(CaptionGeneratorTest, BadSizesGiveOneByOneAndALog) {
    // Zero, negative, absurdly large and missing sizes: a clear log line and a
    // 1 x 1 caption, never a huge allocation or an empty texture.
    for (const std::string size : {"0", "-20", "100000", "1e300"}) {
        for (const bool wide : {true, false}) {
            const std::string width = wide ? size : "100";
            const std::string height = wide ? "20" : size;
            const CaptionListFile list("<key>en</key><dict><key>g</key><dict><key>attributes</key><dict>"
                                       "<key>width</key><real>" +
                                       width + "</real><key>height</key><real>" + height +
                                       "</real><key>size</key><real>10</real></dict>"
                                       "<key>a</key><string>x</string></dict></dict>");
            const auto generator = list.generator(2);
            testing::internal::CaptureStderr();
            const Owned caption(generator->make("en_g_a", ""));
            const std::string log = testing::internal::GetCapturedStderr();
            EXPECT_EQ(caption.bitmap.width, 1) << size;
            EXPECT_EQ(caption.bitmap.height, 1) << size;
            ASSERT_NE(caption.bitmap.pixels, nullptr);
            EXPECT_EQ(caption.pixel(0, 0)[3], 0);
            EXPECT_THAT(log, testing::HasSubstr("en_g_a")) << size;
            EXPECT_THAT(log, testing::HasSubstr("drawn 1 x 1")) << size;
        }
    }
}

TEST(CaptionGeneratorTest, AMissingKeyIsEmptyAndLoggedOnce) {
    const CaptionListFile list(englishGroup("g", 100, 20, 10, leaf("a", "x")));
    const auto generator = list.generator(2);
    testing::internal::CaptureStderr();
    const Owned first(generator->make("en_nothing", ""));
    const Owned second(generator->make("en_nothing", "a label is dropped"));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(first.bitmap.width, 1);
    EXPECT_EQ(second.bitmap.height, 1);
    EXPECT_EQ(log, "Caption en_nothing is not in the captions list; drawn empty\n");
    EXPECT_EQ(generator->captionAttrs().count("en_nothing"), 0u);

    // An unreadable list is logged and leaves every caption empty.
    testing::internal::CaptureStderr();
    ZQ::ZQCaptionGenerator none("captions", 2);
    none.load(list.folder + "/absent.plist");
    EXPECT_THAT(testing::internal::GetCapturedStderr(), testing::HasSubstr("Error reading plist"));
    EXPECT_TRUE(none.captionAttrs().empty());
}

TEST(CaptionGeneratorTest, ANewLabelStaysForLaterRenderings) {
    const CaptionListFile list(englishGroup("g", 100, 20, 10, leaf("a", "old") + leaf("b", "new")));
    const auto generator = list.generator(2);
    const Owned reference(generator->make("en_g_b", ""));
    const Owned changed(generator->make("en_g_a", "new"));
    const Owned again(generator->make("en_g_a", ""));
    const std::size_t bytes = static_cast<std::size_t>(reference.bitmap.width) * reference.bitmap.height * 4;
    EXPECT_EQ(generator->captionAttrs().at("en_g_a").at("label").text, "new");
    EXPECT_EQ(std::memcmp(again.bitmap.pixels, reference.bitmap.pixels, bytes), 0);
    EXPECT_EQ(std::memcmp(changed.bitmap.pixels, reference.bitmap.pixels, bytes), 0);
}

TEST(CaptionGeneratorTest, GivenMetricsReplaceMeasuredOnesOnlyAtTheirScale) {
    const CaptionListFile list("<key>en</key><dict><key>a</key><dict><key>attributes</key><dict>"
                               "<key>width</key><real>50</real><key>height</key><real>20</real>"
                               "<key>size</key><real>10</real><key>metrics@2</key>"
                               "<array><real>1.5</real><real>7</real><real>30.25</real></array>"
                               "</dict><key>b</key><string>Hi</string></dict></dict>");
    const Owned atTwo(list.generator(2)->make("en_a_b", ""));
    EXPECT_THAT(atTwo.bitmap.metrics, testing::ElementsAre(1.5, 7.0, 30.25));
    const Owned atThree(list.generator(3)->make("en_a_b", ""));
    ASSERT_EQ(atThree.bitmap.metrics.size(), 3u);
    EXPECT_NE(atThree.bitmap.metrics[1], 7.0);
}

TEST(CaptionGeneratorTest, KerningSpreadsTheLetters) {
    const std::string body = englishGroup("g", 200, 20, 10, leaf("a", "MMMM"));
    const CaptionListFile plain(body);
    std::string spaced = body;
    spaced.insert(spaced.find("</dict>"), "<key>kerning</key><real>3</real>");
    const CaptionListFile kerned(spaced);
    const Owned a(plain.generator(1)->make("en_g_a", ""));
    const Owned b(kerned.generator(1)->make("en_g_a", ""));
    ASSERT_EQ(a.bitmap.metrics.size(), 5u);
    ASSERT_EQ(b.bitmap.metrics.size(), 5u);
    // The spacing goes between letters: three gaps of 3 pixels.
    EXPECT_NEAR((b.bitmap.metrics[4] - b.bitmap.metrics[0]) - (a.bitmap.metrics[4] - a.bitmap.metrics[0]),
                9.0, 0.5);
}

} // namespace

namespace {

TEST(CaptionGeneratorTest, FitCatchesTextsTooWideOrTooTallForTheirBox) {
    const CaptionListFile wide(englishGroup("g", 40, 20, 10, leaf("a", "A sentence far too long")));
    const CaptionListFile tall(englishGroup("g", 200, 6, 20, leaf("a", "Hg")));
    ZQ::CaptionFit wrapped;
    std::free(wide.generator(1)->make("en_g_a", "", &wrapped).pixels);
    EXPECT_GT(wrapped.lines, wrapped.rows);
    EXPECT_FALSE(wrapped.fits(40, 20));
    ZQ::CaptionFit clipped;
    std::free(tall.generator(1)->make("en_g_a", "", &clipped).pixels);
    EXPECT_EQ(clipped.lines, clipped.rows);
    EXPECT_LT(clipped.inkTop, 0.0);
    EXPECT_FALSE(clipped.fits(200, 6));
    ZQ::CaptionFit short_;
    std::free(wide.generator(1)->make("en_g_a", "Ab", &short_).pixels);
    EXPECT_TRUE(short_.fits(40, 20));
}

TEST(CaptionGeneratorTest, AnUnknownFontFallsBackWithOneLogLine) {
    std::string body = englishGroup("g", 100, 20, 10, leaf("a", "x") + leaf("b", "y"));
    body.replace(body.find("DejaVuSans"), 10, "NoSuchFace");
    const CaptionListFile list(body);
    const auto generator = list.generator(1);
    testing::internal::CaptureStderr();
    std::free(generator->make("en_g_a", "").pixels);
    std::free(generator->make("en_g_b", "").pixels);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Caption font \"NoSuchFace\" unknown; drawn with DejaVu Sans\n");
}

} // namespace

namespace {

TEST(CaptionGeneratorTest, WithoutDescentTheBlockSitsLowerByTheFontsDescent) {
    const std::string body = englishGroup("g", 100, 60, 20, leaf("a", "HHH"));
    std::string lowered = body;
    lowered.insert(lowered.find("</dict>"), "<key>descent</key><false/>");
    const CaptionListFile with(body);
    const CaptionListFile without(lowered);
    const Owned a(with.generator(1)->make("en_g_a", ""));
    const Owned b(without.generator(1)->make("en_g_a", ""));
    const auto [lowA, highA] = a.inkRows();
    const auto [lowB, highB] = b.inkRows();
    // DejaVu's descent is about a quarter of the size: 4 to 6 pixels at 20.
    EXPECT_EQ(highA - lowA, highB - lowB);
    EXPECT_GE(lowA - lowB, 4);
    EXPECT_LE(lowA - lowB, 6);
}

} // namespace

namespace {

TEST(CaptionGeneratorTest, GroupsNestedTooDeepAreLeftOutWithALog) {
    std::string deep = "<key>en</key>";
    for (int i = 0; i < 40; ++i) {
        deep += "<dict><key>g</key>";
    }
    deep += "<string>deep</string>";
    for (int i = 0; i < 40; ++i) {
        deep += "</dict>";
    }
    const CaptionListFile list("<key>it</key><dict><key>a</key><string>shallow</string></dict>" + deep);
    testing::internal::CaptureStderr();
    const auto generator = list.generator(1);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), testing::HasSubstr("nest deeper than"));
    EXPECT_EQ(generator->captionAttrs().size(), 1u);
    EXPECT_EQ(generator->captionAttrs().count("it_a"), 1u);
}

} // namespace
