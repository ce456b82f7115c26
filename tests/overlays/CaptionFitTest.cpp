#include "constants/ResourceNames.h"
#include "engine/Bundle.h"
#include "levels/LevelModel.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionCollection.h"
#include "overlays/ZQCaptionGenerator.h"
#include "overlays/ZQCaptionProducer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

// Every caption of the game's own captions list, in every language and at
// every caption scale, fits its box, and every text has a letter boundary
// for each of its letters, so flows never run short.
namespace {

const char* const kLanguages[] = {"en", "it", "fr", "de", "ja"};

int codePoints(const std::string& text) {
    int count = 0;
    for (unsigned char c : text) {
        count += (c & 0xC0) != 0x80 && c != '\n' ? 1 : 0;
    }
    return count;
}

class CaptionFitTest : public testing::TestWithParam<int> {
protected:
    // Renders the key (with `label` when not empty) and checks its fit and
    // its metrics; the text drawn is the label or the list's own.
    void expectFits(ZQ::ZQCaptionGenerator& generator, const std::string& key, const std::string& label) {
        ZQ::CaptionFit fit;
        ZQ::CaptionBitmap bitmap = generator.make(key, label, &fit);
        const std::string text =
            ZQ::ZQCaptionProducer::removeEscaping(generator.captionAttrs().at(key).at("label").text);
        EXPECT_TRUE(fit.fits(bitmap.width, bitmap.height))
            << key << " \"" << text << "\" at scale " << generator.scale() << ": ink " << fit.inkLeft << ".."
            << fit.inkRight << " x " << fit.inkTop << ".." << fit.inkBottom << " in " << bitmap.width << " x "
            << bitmap.height << ", " << fit.lines << " lines for " << fit.rows << " rows";
        EXPECT_EQ(static_cast<int>(bitmap.metrics.size()), codePoints(text) + fit.rows)
            << key << " \"" << text << "\": a boundary short for its flow";
        std::free(bitmap.pixels);
    }
};

TEST_P(CaptionFitTest, EveryCaptionOfEveryLanguageFitsItsBox) {
    const std::string path = ZQ::pathForResource("captions", "plist");
    ASSERT_FALSE(path.empty()) << "the build writes bundle/captions.plist";
    const ZQ::LevelModel levels;
    for (const char* language : kLanguages) {
        ZQ::ZQCaptionGenerator generator("captions", GetParam());
        generator.load(path);
        const std::string prefix = std::string(language) + "_";

        // Every caption the game asks for is there, and nothing else.
        const std::vector<std::string> names = ZQ::collectableCaptionNames();
        int inLanguage = 0;
        for (const auto& [key, attributes] : generator.captionAttrs()) {
            inLanguage += key.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
        }
        EXPECT_EQ(inLanguage, static_cast<int>(names.size())) << language;
        for (const std::string& name : names) {
            const std::string key = prefix + name;
            ASSERT_EQ(generator.captionAttrs().count(key), 1u) << key;
            expectFits(generator, key, "");
        }

        // The texts the game writes into captions while it runs.
        using namespace ZQ::CaptionCollection;
        for (const ZQ::LevelModel::Level& level : levels.levels) {
            expectFits(generator, prefix + ZQ::ResourceNames::knots_name, level.name);
        }
        expectFits(generator, prefix + ZQ::ResourceNames::holo_level, "76/76");
        expectFits(generator, prefix + ZQ::ResourceNames::holo_timer, holoTimerText(91));
        expectFits(generator, prefix + ZQ::ResourceNames::points_value, pointsValueText(88888));
        expectFits(generator, prefix + ZQ::ResourceNames::partials_total, groupedNumber(8888888, language));
    }
}

INSTANTIATE_TEST_SUITE_P(CaptionScales, CaptionFitTest, testing::Values(1, 2, 3));

} // namespace
