#include "platform/SoundThemes.h"

#include "engine/Assert.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace ZQ {

namespace {

// A list "<family><set>-<highest>" down to "-01", then "-01" up to the
// highest again: a palindrome, so both ends of a string sound the highest
// sample and its middle the lowest.
std::vector<std::string> palindrome(const char* family, int set, int highest) {
    std::vector<std::string> names;
    char name[32];
    for (int n = highest; n >= 1; --n) {
        std::snprintf(name, sizeof name, "%s%d-%02d", family, set, n);
        names.emplace_back(name);
    }
    for (int n = 1; n <= highest; ++n) {
        std::snprintf(name, sizeof name, "%s%d-%02d", family, set, n);
        names.emplace_back(name);
    }
    return names;
}

struct EffectSetRow {
    int strings; // highest String number
    int drags;   // highest Drag number
    float stringGain;
    float dragGain;
};

// clang-format off
constexpr std::array<EffectSetRow, 4> kEffectSets = {{
//   strings drags stringGain dragGain    set
    {15,     15,   0.30f,     0.5f},   // 1
    { 8,      9,   0.15f,     0.5f},   // 2
    {10,      9,   0.40f,     0.5f},   // 3
    {11,      8,   0.20f,     0.5f},   // 4
}};
static_assert(kEffectSets.size() == 4);

// Arcade themes by level: {music "piece_m", effect set s}.
struct ArcadeCell {
    int music;
    int set;
};
constexpr std::array<ArcadeCell, 76> kArcade = {{
//   +0     +1     +2     +3     +4     +5     +6     +7     +8     +9        levels
    {4,3}, {4,2}, {1,1}, {3,4}, {2,2}, {3,3}, {1,2}, {4,1}, {2,3}, {3,2}, //  0-9
    {4,4}, {1,3}, {2,4}, {3,1}, {4,2}, {1,4}, {2,1}, {4,3}, {3,3}, {1,1}, // 10-19
    {2,2}, {3,4}, {1,2}, {4,1}, {2,3}, {3,2}, {4,4}, {2,4}, {1,3}, {3,1}, // 20-29
    {4,2}, {1,4}, {2,1}, {4,3}, {1,1}, {3,3}, {2,2}, {4,3}, {3,4}, {1,2}, // 30-39
    {4,1}, {2,3}, {3,2}, {1,3}, {2,4}, {3,1}, {4,2}, {1,4}, {2,1}, {4,4}, // 40-49
    {3,3}, {1,1}, {4,3}, {2,2}, {3,4}, {1,2}, {4,1}, {2,3}, {3,2}, {1,3}, // 50-59
    {2,4}, {3,1}, {4,2}, {1,4}, {2,1}, {4,4}, {3,3}, {1,1}, {2,2}, {3,4}, // 60-69
    {1,2}, {4,1}, {2,3}, {3,2}, {1,3}, {2,4},                             // 70-75
}};
// clang-format on
static_assert(kArcade.size() == 76);
constexpr int kZenCount = 16;
constexpr float kThemeMusicVolume = 0.6f;

std::vector<SoundEffectSet> buildSets() {
    std::vector<SoundEffectSet> sets;
    for (size_t i = 0; i < kEffectSets.size(); ++i) {
        const EffectSetRow& row = kEffectSets[i];
        const int set = static_cast<int>(i) + 1;
        sets.push_back({palindrome("String", set, row.strings), palindrome("Drag", set, row.drags),
                        row.stringGain, row.dragGain});
    }
    return sets;
}

SoundTheme theme(const char* musicFamily, int music, int set) {
    const SoundEffectSet& effects = soundEffectSet(set);
    return {std::string(musicFamily) + std::to_string(music),
            kThemeMusicVolume,
            effects.stringEffects,
            effects.dragEffects,
            effects.stringGain,
            effects.dragGain};
}

} // namespace

const SoundEffectSet& soundEffectSet(int number) {
    static const std::vector<SoundEffectSet> sets = buildSets();
    ZQ_ASSERT(number >= 1 && number <= 4);
    return sets[static_cast<size_t>(number - 1)];
}

const std::vector<SoundTheme>& arcadeThemes() {
    static const std::vector<SoundTheme> themes = [] {
        std::vector<SoundTheme> out;
        for (const ArcadeCell& cell : kArcade) {
            out.push_back(theme("piece_", cell.music, cell.set));
        }
        return out;
    }();
    return themes;
}

const std::vector<SoundTheme>& zenThemes() {
    // Record i: music zen_(i mod 4 + 1), effect set ((i mod 4) + (i div 4)) mod 4 + 1.
    static const std::vector<SoundTheme> themes = [] {
        std::vector<SoundTheme> out;
        for (int i = 0; i < kZenCount; ++i) {
            out.push_back(theme("zen_", i % 4 + 1, (i % 4 + i / 4) % 4 + 1));
        }
        return out;
    }();
    return themes;
}

const SoundTheme& soundThemeFor(int32_t gameMode, int32_t level) {
    ZQ_ASSERT(gameMode == kArcadeThemes || gameMode == kZenThemes);
    const std::vector<SoundTheme>& table = gameMode == kZenThemes ? zenThemes() : arcadeThemes();
    const int32_t size = static_cast<int32_t>(table.size());
    // The cursor's level is never negative; a negative one still finds a record.
    const int32_t index = ((level % size) + size) % size;
    return table[static_cast<size_t>(index)];
}

size_t effectIndexFor(size_t count, float t) {
    ZQ_ASSERT(count > 0);
    const float place = static_cast<float>(count - 1) * t + 0.5f;
    if (!(place >= 0.0f)) { // negative t, or NaN
        return 0;
    }
    if (place >= static_cast<float>(count)) {
        return count - 1;
    }
    return static_cast<size_t>(place);
}

} // namespace ZQ
