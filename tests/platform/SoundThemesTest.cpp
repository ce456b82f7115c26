#include "platform/SoundThemes.h"
#include "engine/Bundle.h"
#include "platform/ZQSoundBuffer.h"
#include "platform/ZQSoundEffectsModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <set>

namespace {

using ZQ::kArcadeThemes;
using ZQ::kZenThemes;
using ZQ::soundThemeFor;

// The music number and effect set of a theme, read back from its names.
std::pair<int, int> cellOf(const ZQ::SoundTheme& theme) {
    const int music = theme.music.back() - '0';
    const int set = theme.stringEffects.front()[6] - '0'; // "String<set>-NN"
    return {music, set};
}

TEST(SoundThemes, ArcadeLevelsHaveTheirMusicAndEffectSets) {
    // A few cells of each row of the level table.
    const struct {
        int level, music, set;
    } cells[] = {{0, 4, 3},  {2, 1, 1},  {13, 3, 1}, {26, 4, 4}, {37, 4, 3},
                 {44, 2, 4}, {59, 1, 3}, {65, 4, 4}, {75, 2, 4}};
    for (const auto& c : cells) {
        const ZQ::SoundTheme& theme = soundThemeFor(kArcadeThemes, c.level);
        EXPECT_EQ(theme.music, "piece_" + std::to_string(c.music)) << c.level;
        EXPECT_EQ(cellOf(theme).second, c.set) << c.level;
        EXPECT_EQ(theme.musicVolume, 0.6f);
    }
    // The level is taken modulo the table.
    EXPECT_EQ(&soundThemeFor(kArcadeThemes, 76), &soundThemeFor(kArcadeThemes, 0));
    EXPECT_EQ(&soundThemeFor(kArcadeThemes, 76 * 3 + 5), &soundThemeFor(kArcadeThemes, 5));
    EXPECT_EQ(ZQ::arcadeThemes().size(), 76u);
}

TEST(SoundThemes, ZenRecordsCycleMusicAndShiftTheSetEveryFour) {
    ASSERT_EQ(ZQ::zenThemes().size(), 16u);
    // Rows of four: music zen_1..zen_4, sets starting one later each row.
    const int firstSet[4] = {1, 2, 3, 4};
    for (int row = 0; row < 4; ++row) {
        for (int k = 0; k < 4; ++k) {
            const auto [music, set] = cellOf(ZQ::zenThemes()[static_cast<size_t>(row * 4 + k)]);
            EXPECT_EQ(music, k + 1);
            EXPECT_EQ(set, (firstSet[row] - 1 + k) % 4 + 1) << row << " " << k;
        }
    }
    EXPECT_EQ(&soundThemeFor(kZenThemes, 17), &ZQ::zenThemes()[1]);
}

TEST(SoundThemes, EffectSetsArePalindromesFromTheHighestSampleDownToOneAndBack) {
    const struct {
        int strings, drags;
        float stringGain;
    } sets[] = {{15, 15, 0.3f}, {8, 9, 0.15f}, {10, 9, 0.4f}, {11, 8, 0.2f}};
    for (int s = 1; s <= 4; ++s) {
        const ZQ::SoundEffectSet& set = ZQ::soundEffectSet(s);
        EXPECT_EQ(set.stringEffects.size(), 2u * sets[s - 1].strings);
        EXPECT_EQ(set.dragEffects.size(), 2u * sets[s - 1].drags);
        EXPECT_EQ(set.stringGain, sets[s - 1].stringGain);
        EXPECT_EQ(set.dragGain, 0.5f);
        for (const auto* list : {&set.stringEffects, &set.dragEffects}) {
            EXPECT_TRUE(std::equal(list->begin(), list->end(), list->rbegin()));
            EXPECT_EQ((*list)[list->size() / 2].substr(list->front().size() - 3), "-01");
        }
        char highest[32];
        std::snprintf(highest, sizeof highest, "String%d-%02d", s, sets[s - 1].strings);
        EXPECT_EQ(set.stringEffects.front(), highest);
    }
}

TEST(SoundThemes, APullPicksTheNearestSampleAndStaysInTheList) {
    for (size_t n : {1u, 16u, 30u}) {
        for (int k = 0; k <= 100; ++k) {
            const float t = k / 100.0f;
            const size_t index = ZQ::effectIndexFor(n, t);
            EXPECT_LE(std::fabs(static_cast<double>(index) - (n - 1) * static_cast<double>(t)), 0.5 + 1e-5);
        }
        // A particle in no string is pulled at t = -1; wild values stay in the list.
        EXPECT_EQ(ZQ::effectIndexFor(n, -1.0f), 0u);
        EXPECT_EQ(ZQ::effectIndexFor(n, -1e30f), 0u);
        EXPECT_EQ(ZQ::effectIndexFor(n, 7.0f), n - 1);
        EXPECT_EQ(ZQ::effectIndexFor(n, std::numeric_limits<float>::infinity()), n - 1);
        EXPECT_EQ(ZQ::effectIndexFor(n, std::numeric_limits<float>::quiet_NaN()), 0u);
    }
    const ZQ::SoundEffectSet& one = ZQ::soundEffectSet(1);
    EXPECT_EQ(one.stringEffects[ZQ::effectIndexFor(30, 0.0f)], "String1-15");
    EXPECT_EQ(one.stringEffects[ZQ::effectIndexFor(30, 1.0f)], "String1-15");
    EXPECT_EQ(one.stringEffects[ZQ::effectIndexFor(30, 0.5f)], "String1-01");
}

// Every sound of the game is in the bundle, readable by libsndfile, and at
// its loudness: effects at one RMS level, music 6 dB below, no clipping.
TEST(BundleSounds, EverySoundLoadsAndIsWithinItsLoudness) {
    const ZQSoundEffectsModel fx;
    const std::set<std::string> names(fx.soundList.begin(), fx.soundList.end());
    EXPECT_EQ(names.size(), 114u); // 115 entries, one name twice
    for (int mode : {kArcadeThemes, kZenThemes}) {
        for (const ZQ::SoundTheme& theme : mode == kArcadeThemes ? ZQ::arcadeThemes() : ZQ::zenThemes()) {
            for (const std::string& name : theme.stringEffects) {
                EXPECT_TRUE(names.count(name)) << name;
            }
            for (const std::string& name : theme.dragEffects) {
                EXPECT_TRUE(names.count(name)) << name;
            }
        }
    }
    const std::set<std::string> music = {"atmon-04",   "menu",        "LevelCompletev3Full",
                                         "Award LOOP", "LevelFailv2", "rhythmic_resonance",
                                         "piece_1",    "piece_2",     "piece_3",
                                         "piece_4",    "zen_1",       "zen_2",
                                         "zen_3",      "zen_4"};
    const double ceiling = 32768.0 * std::pow(10.0, -1.0 / 20.0);
    for (const std::set<std::string>* group : {&names, &music}) {
        const bool isMusic = group == &music;
        for (const std::string& name : *group) {
            std::vector<int16_t> pcm;
            int channels = 0, rate = 0;
            ASSERT_TRUE(ZQSoundBuffer::decode(ZQ::pathForResource(name, "caf"), pcm, channels, rate)) << name;
            ASSERT_FALSE(pcm.empty()) << name;
            double sum = 0.0;
            int peak = 0;
            for (int16_t s : pcm) {
                sum += static_cast<double>(s) * s;
                peak = std::max(peak, std::abs(static_cast<int>(s)));
            }
            const double rmsDb = 20.0 * std::log10(std::sqrt(sum / pcm.size()) / 32768.0);
            const double seconds = static_cast<double>(pcm.size()) / channels / rate;
            EXPECT_LE(peak, ceiling + 1.0) << name;
            EXPECT_NEAR(rmsDb, isMusic ? -24.0 : -18.0, 0.75) << name;
            if (isMusic) {
                EXPECT_GE(seconds, 30.0) << name;
                EXPECT_LE(seconds, 90.0) << name;
            } else {
                EXPECT_EQ(channels, 1) << name << ": effects are panned, so mono";
                EXPECT_LE(seconds, 2.0) << name;
            }
        }
    }
    // Nothing else is in the bundle's sounds.
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ZQ::bundleFolder())) {
        if (entry.path().extension() == ".caf") {
            ++files;
            const std::string stem = entry.path().stem().string();
            EXPECT_TRUE(names.count(stem) || music.count(stem)) << stem;
        }
    }
    EXPECT_EQ(files, names.size() + music.size());
}

} // namespace
