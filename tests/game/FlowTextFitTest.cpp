#include "engine/Bundle.h"
#include "engine/Globals.h"
#include "game/OutroController.h"
#include "game/StoryController.h"
#include "game/TipSceneCollection.h"
#include "game/TutorialSceneCollection.h"
#include "overlays/FlowModel.h"
#include "overlays/ZQCaptionGenerator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// The lines the story, the outro, the tutorial and the tips swing in as flowing
// letters, in every language of the game's own captions list, fit the screen
// the way those screens lay them out. A flow hangs as a chain of one link a
// letter: a line longer than the span it is stretched over sags across the
// lines below it and runs off the screen's edges, unread.
namespace {

const char* const kLanguages[] = {"en", "it", "fr", "de", "ja"};

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

TEST(FlowTextFitTest, EveryFlowingLineHangsTautAcrossTheScreen) {
    const std::string path = ZQ::pathForResource("captions", "plist");
    ASSERT_FALSE(path.empty()) << "the build writes bundle/captions.plist";
    ZQ::Globals screen;
    screen.setScreenSize(750.0f, 1334.0f);
    const float world = screen.worldSize.x;
    // The story and the outro pull a line's end letters to the two edges of
    // the screen; its chain must not be longer than that.
    const auto stretchedFits = [&](int letters) {
        return static_cast<float>(letters - 1) * ZQ::FlowModel::kLinkLength <= world;
    };
    // A tutorial or tip line is pinned about the centre at its letter
    // spacing; it must fit within the margin that keeps both its ends readable.
    const auto pinnedFits = [&](int letters, float halfLetter) {
        return static_cast<float>(letters) * halfLetter <= ZQ::TutorialSceneCollection::kMaxHalf * world;
    };

    for (const char* language : kLanguages) {
        ZQ::ZQCaptionGenerator generator("captions", 1);
        generator.load(path);
        const std::string prefix = std::string(language) + "_";
        int story = 0;
        int outro = 0;
        int tutorial = 0;
        int tips = 0;
        for (const auto& [key, attributes] : generator.captionAttrs()) {
            const bool isStory = startsWith(key, prefix + "story_");
            const bool isOutro = startsWith(key, prefix + "outro_");
            const bool isTutorial = startsWith(key, prefix + "tutorial_");
            const bool isTip = startsWith(key, prefix + "tips_");
            if (!isStory && !isOutro && !isTutorial && !isTip) {
                continue;
            }
            ZQ::CaptionBitmap bitmap = generator.make(key, "", nullptr);
            std::free(bitmap.pixels);
            ASSERT_GE(bitmap.metrics.size(), 2u) << key << " has no letters";
            const int letters = static_cast<int>(bitmap.metrics.size()) - 1;
            const std::string text = attributes.at("label").text;
            if (isTutorial || isTip) {
                const float halfLetter =
                    isTip ? ZQ::TipSceneCollection::kHalfLetter : ZQ::TutorialSceneCollection::kHalfLetter;
                EXPECT_TRUE(pinnedFits(letters, halfLetter))
                    << key << " \"" << text << "\": " << letters << " letters";
            } else {
                EXPECT_TRUE(stretchedFits(letters))
                    << key << " \"" << text << "\": " << letters << " letters";
            }
            story += isStory ? 1 : 0;
            outro += isOutro ? 1 : 0;
            tutorial += isTutorial ? 1 : 0;
            tips += isTip ? 1 : 0;
        }
        // Every line of the two screens was looked at, and the tutorial's and
        // the tips' (seven tips of two lines).
        EXPECT_EQ(story, ZQ::StoryController::kLineCount) << language;
        EXPECT_EQ(outro, ZQ::OutroController::kLineCount) << language;
        EXPECT_GT(tutorial, 0) << language;
        EXPECT_EQ(tips, 14) << language;
    }
}

} // namespace
