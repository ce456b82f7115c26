#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ZQ {

// The sounds a level is played with: its background music and the two
// families of samples its cords make when pulled (String) and stretched
// (Drag), each an ordered list chosen from by where the string was pulled.
struct SoundTheme {
    std::string music; // bundle name, without extension
    float musicVolume = 0.6f;
    std::vector<std::string> stringEffects;
    std::vector<std::string> dragEffects;
    float stringGain = 0.0f;
    float dragGain = 0.0f;
};

// The game modes the theme tables follow.
inline constexpr int32_t kArcadeThemes = 0;
inline constexpr int32_t kZenThemes = 1;

// One of the four effect sets (1..4), the string and drag halves of a theme.
struct SoundEffectSet {
    std::vector<std::string> stringEffects;
    std::vector<std::string> dragEffects;
    float stringGain = 0.0f;
    float dragGain = 0.0f;
};
const SoundEffectSet& soundEffectSet(int number);

// 76 records, one per level (arcade); 16 records, cycled (zen).
const std::vector<SoundTheme>& arcadeThemes();
const std::vector<SoundTheme>& zenThemes();

// The theme of `level` (the level cursor's, taken modulo the table) in a
// game mode: kArcadeThemes or kZenThemes.
const SoundTheme& soundThemeFor(int32_t gameMode, int32_t level);

// The index of the sample a pull at t (0..1 along the string) plays from a
// list of `count` names: (count - 1) t + 0.5 truncated. t outside 0..1 (the
// game passes -1 for a particle in no string) and NaN are held to the list.
size_t effectIndexFor(size_t count, float t);

} // namespace ZQ
