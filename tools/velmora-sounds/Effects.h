#pragma once

#include <string>
#include <vector>

namespace VelmoraSounds {

inline constexpr int kEffectRate = 44100;

// How a family's sounds start: a plucked string (Karplus-Strong), or a table
// oscillator.
enum class Wave { Pluck, Sine, Saw, Square };

// One family of effects: every sound of the family is made by this recipe,
// its number (01, 02, ...) raising the pitch by `step` semitones.
//   midi     pitch of number 1 (or of the one sound), MIDI note number
//   glide    semitones the pitch moves over the sound (a stretch, a sweep)
//   second   a second note this many semitones above, 90 ms later (0: none)
//   noise    share of band-passed noise that follows the pitch (0..1)
//   cutoff   low-pass after the mix, Hz (0: none)
//   echo     share of a 110 ms feedback echo (0: dry)
struct EffectFamily {
    const char* family;
    Wave wave;
    float seconds, attack, decay;
    float midi, step, glide, second;
    float noise, cutoff, echo;
    const char* heard; // what it is meant to sound like
};

// One file of the bundle: its name, its family and its number.
struct EffectSound {
    std::string name;
    const EffectFamily* family;
    int number;
};

const std::vector<EffectFamily>& effectFamilies();
// Every effect file the game plays, in the game's order of first use.
const std::vector<EffectSound>& effectSounds();

// The sound's samples at kEffectRate, mono, not yet normalised.
std::vector<float> renderEffect(const EffectSound& sound);

} // namespace VelmoraSounds
