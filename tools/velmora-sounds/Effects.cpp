#include "Effects.h"

#include "Synth.h"

#include <algorithm>
#include <cassert>
#include <cstdio>

namespace VelmoraSounds {

namespace {

// The strings are pulled: a pluck whose number climbs a whole-tone ladder
// (two semitones a step), each set with its own body. The drags are the same
// cords stretched: a bowed, creaking saw that bends upward while held.
// clang-format off
const std::vector<EffectFamily> kFamilies = {
//   family        wave         sec   att    decay  midi  step  glide second noise cutoff echo  heard
    {"score",      Wave::Sine,  0.55f, 0.010f, 0.16f, 84.0f, 4.0f, 0.0f, 7.0f, 0.00f,    0.0f, 0.25f, "points counting: a bright two-note chime, higher for each"},
    {"beep",       Wave::Sine,  0.14f, 0.008f, 0.06f, 93.0f, 0.0f, 0.0f, 0.0f, 0.00f,    0.0f, 0.00f, "a clean interface beep"},
    {"stringIn",   Wave::Pluck, 0.90f, 0.080f, 0.40f, 52.0f, 0.0f, 12.0f,0.0f, 0.05f, 3500.0f, 0.20f, "a cord arriving: a pluck that rises an octave"},
    {"stringOut",  Wave::Pluck, 0.90f, 0.004f, 0.35f, 64.0f, 0.0f,-12.0f,0.0f, 0.05f, 3500.0f, 0.20f, "a cord leaving: a pluck that falls an octave"},
    {"ignition",   Wave::Saw,   0.70f, 0.050f, 0.25f, 55.0f, 0.5f, 14.0f,0.0f, 0.60f, 5000.0f, 0.15f, "a hologram igniting: a rising hiss with a tone inside"},
    {"button",     Wave::Square,0.12f, 0.002f, 0.035f,76.0f, 0.0f, 0.0f, 0.0f, 0.05f, 4000.0f, 0.00f, "a short button click"},
    {"swish18",    Wave::Sine,  0.45f, 0.150f, 0.15f, 86.0f, 0.0f,-10.0f,0.0f, 0.95f,    0.0f, 0.00f, "a falling swish of air"},
    {"rotate",     Wave::Saw,   1.40f, 0.400f, 0.50f, 38.0f, 0.0f, 5.0f, 0.0f, 0.70f,  900.0f, 0.20f, "the room turning: a low rumble that swells and settles"},
    {"swish17",    Wave::Sine,  0.40f, 0.120f, 0.13f, 80.0f, 1.0f, 8.0f, 0.0f, 0.95f,    0.0f, 0.00f, "a rising swish, a little higher each"},
    {"swish16",    Wave::Sine,  0.32f, 0.060f, 0.10f, 88.0f, 0.7f,-6.0f, 0.0f, 0.90f,    0.0f, 0.00f, "a short airy flick"},
    {"String1",    Wave::Pluck, 0.80f, 0.002f, 0.30f, 55.0f, 2.0f, 0.6f, 0.0f, 0.00f, 6000.0f, 0.00f, "a bright steel string plucked"},
    {"String2",    Wave::Pluck, 0.90f, 0.002f, 0.40f, 50.0f, 2.0f, 0.4f, 0.0f, 0.00f, 1800.0f, 0.15f, "a soft nylon string"},
    {"String3",    Wave::Pluck, 0.70f, 0.002f, 0.25f, 62.0f, 2.0f, 0.8f, 7.0f, 0.00f, 7000.0f, 0.10f, "a metallic string with a ringing fifth"},
    {"String4",    Wave::Pluck, 1.00f, 0.002f, 0.45f, 40.0f, 2.0f, 0.3f, 0.0f, 0.00f, 2500.0f, 0.00f, "a low bass string"},
    {"Drag1",      Wave::Saw,   0.55f, 0.060f, 0.22f, 55.0f, 1.0f, 7.0f, 0.0f, 0.25f, 2400.0f, 0.00f, "a cord stretched: a bowed creak bending up"},
    {"Drag2",      Wave::Saw,   0.60f, 0.080f, 0.25f, 48.0f, 1.5f, 5.0f, 0.0f, 0.35f, 1500.0f, 0.00f, "a heavier stretch, darker"},
    {"Drag3",      Wave::Square,0.50f, 0.050f, 0.20f, 60.0f, 1.5f, 8.0f, 0.0f, 0.20f, 3000.0f, 0.00f, "a hollow, reedy stretch"},
    {"Drag4",      Wave::Saw,   0.65f, 0.090f, 0.28f, 43.0f, 1.5f, 6.0f, 0.0f, 0.40f, 1200.0f, 0.00f, "a low rubbery stretch"},
    {"confirm",    Wave::Sine,  0.60f, 0.010f, 0.10f, 79.0f, 0.0f, 0.0f, 5.0f, 0.00f,    0.0f, 0.45f, "the timer's tick: a wet two-note confirm"},
};
// clang-format on

const EffectFamily& family(const char* name) {
    for (const EffectFamily& f : kFamilies) {
        if (std::string(f.family) == name) {
            return f;
        }
    }
    assert(false && "unknown family");
    return kFamilies.front();
}

// Names "<pattern with %d>" for numbers first..last, in order.
void addNumbered(std::vector<EffectSound>& out, const char* pattern, int first, int last, const char* fam) {
    for (int n = first; n <= last; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, pattern, n);
        out.push_back({name, &family(fam), n});
    }
}

std::vector<EffectSound> buildSounds() {
    std::vector<EffectSound> s;
    addNumbered(s, "ScoresNEW-%d", 1, 3, "score");
    s.push_back({"uibeep_single_clean", &family("beep"), 1});
    s.push_back({"String IN v2", &family("stringIn"), 1});
    s.push_back({"String OUT v2", &family("stringOut"), 1});
    s.push_back({"ignition_01", &family("ignition"), 1});
    s.push_back({"ignition_16", &family("ignition"), 16});
    s.push_back({"button_46", &family("button"), 1});
    s.push_back({"ignition_17", &family("ignition"), 17});
    s.push_back({"swish18-05", &family("swish18"), 1});
    s.push_back({"Rotate Room", &family("rotate"), 1});
    addNumbered(s, "swish17-%d", 1, 8, "swish17");
    addNumbered(s, "swish16-%02d", 9, 9, "swish16");
    addNumbered(s, "swish16-%02d", 1, 7, "swish16");
    addNumbered(s, "String1-%02d", 1, 15, "String1");
    addNumbered(s, "String2-%02d", 1, 8, "String2");
    addNumbered(s, "String3-%02d", 1, 10, "String3");
    addNumbered(s, "Drag1-%02d", 1, 15, "Drag1");
    addNumbered(s, "Drag2-%02d", 1, 9, "Drag2");
    addNumbered(s, "Drag3-%02d", 1, 9, "Drag3");
    addNumbered(s, "Drag4-%02d", 1, 8, "Drag4");
    addNumbered(s, "String4-%02d", 1, 11, "String4");
    s.push_back({"ui_scifi_confirm_wet", &family("confirm"), 1});
    return s;
}

// A plucked string: a burst of noise circulating in a delay line one period
// long, averaged each pass (Karplus-Strong). The period follows the pitch,
// read with linear interpolation, so a string can be stretched while it rings.
void pluck(std::vector<float>& out, const EffectFamily& f, double midi0, Noise& noise) {
    const int rate = kEffectRate;
    const int frames = static_cast<int>(out.size());
    std::vector<float> line(4096, 0.0f);
    const double hz0 = noteHz(midi0);
    const int burst = std::min(static_cast<int>(rate / hz0), 4000);
    // The burst is smoothed (a softer pick, fewer needle peaks) and has its
    // mean removed: the averaging loop keeps any offset for ever.
    float mean = 0.0f, smooth = 0.0f;
    for (int i = 0; i < burst; ++i) {
        smooth += 0.5f * (noise.bipolar() - smooth);
        line[static_cast<size_t>(i)] = smooth;
        mean += smooth / static_cast<float>(burst);
    }
    for (int i = 0; i < burst; ++i) {
        line[static_cast<size_t>(i)] -= mean;
    }
    // Loss per pass so the string falls by 1/e in `decay` seconds.
    const float loss = static_cast<float>(std::exp(-1.0 / (f.decay * hz0)));
    int write = burst;
    float previous = 0.0f;
    for (int i = 0; i < frames; ++i) {
        const double semis = f.glide * i / frames;
        const double period = rate / noteHz(midi0 + semis);
        const double readAt = write - period;
        const int r0 = static_cast<int>(std::floor(readAt));
        const float frac = static_cast<float>(readAt - r0);
        const float a = line[static_cast<size_t>(r0 & 4095)];
        const float b = line[static_cast<size_t>((r0 + 1) & 4095)];
        const float delayed = a + (b - a) * frac;
        const float v = loss * 0.5f * (delayed + previous);
        previous = delayed;
        line[static_cast<size_t>(write & 4095)] = v;
        ++write;
        out[static_cast<size_t>(i)] = v;
    }
}

} // namespace

const std::vector<EffectFamily>& effectFamilies() {
    return kFamilies;
}

const std::vector<EffectSound>& effectSounds() {
    static const std::vector<EffectSound> sounds = buildSounds();
    return sounds;
}

std::vector<float> renderEffect(const EffectSound& sound) {
    const EffectFamily& f = *sound.family;
    const int rate = kEffectRate;
    const int frames = static_cast<int>(f.seconds * rate);
    const double midi0 = f.midi + f.step * (sound.number - 1);
    Noise noise(Noise::seedFor(sound.name));
    std::vector<float> tone(static_cast<size_t>(frames), 0.0f);

    if (f.wave == Wave::Pluck) {
        pluck(tone, f, midi0, noise);
    }
    const WaveTables& tables = WaveTables::get();
    const Table table = f.wave == Wave::Saw      ? Table::SoftSaw
                        : f.wave == Wave::Square ? Table::SoftSquare
                                                 : Table::Sine;
    const int secondStart = static_cast<int>(0.09 * rate);
    uint32_t phase = 0, phase2 = 0;
    Svf band, low;
    low.tune(f.cutoff > 0.0f ? f.cutoff : 1.0f, 0.7f, rate);
    // A plucked string decays by itself: its envelope only shapes the onset and the end.
    const std::vector<float> env = envelope(frames, rate, f.attack, f.wave == Wave::Pluck ? 1e6f : f.decay);
    const std::vector<float> env2 = envelope(std::max(frames - secondStart, 0), rate, f.attack, f.decay);
    std::vector<float> out(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        // Pitch moves along the sound; the filters are retuned every 32 samples.
        const double midi = midi0 + f.glide * i / frames;
        const double hz = noteHz(midi);
        if ((i & 31) == 0) {
            // Pure tones carry their noise at the pitch itself (a swish is
            // all band noise); buzzing ones three octaves up, as a scrape.
            band.tune(static_cast<float>(f.wave == Wave::Sine ? hz : 8.0 * hz), 2.0f, rate);
        }
        float v = tone[static_cast<size_t>(i)];
        if (f.wave != Wave::Pluck) {
            phase += phaseStep(hz, rate);
            v = tables.read(table, phase);
        }
        band.run(noise.bipolar());
        v = (1.0f - f.noise) * v * env[static_cast<size_t>(i)] +
            f.noise * 2.0f * band.band * env[static_cast<size_t>(i)];
        if (f.second != 0.0f && i >= secondStart) {
            phase2 += phaseStep(noteHz(midi + f.second), rate);
            const float s = f.wave == Wave::Pluck ? 0.35f : 0.8f;
            v += s * tables.read(Table::Sine, phase2) * env2[static_cast<size_t>(i - secondStart)];
        }
        if (f.cutoff > 0.0f) {
            low.run(v);
            v = low.low;
        }
        out[static_cast<size_t>(i)] = v;
    }
    if (f.echo > 0.0f) {
        const int delay = static_cast<int>(0.11 * rate);
        for (int i = delay; i < frames; ++i) {
            out[static_cast<size_t>(i)] += f.echo * out[static_cast<size_t>(i - delay)];
        }
    }
    // A DC blocker (pole at 0.995, about 35 Hz): no effect carries an offset
    // that would click when it starts or stops.
    float x1 = 0.0f, y1 = 0.0f;
    for (float& v : out) {
        const float y = v - x1 + 0.995f * y1;
        x1 = v;
        y1 = y;
        v = y;
    }
    return out;
}

} // namespace VelmoraSounds
