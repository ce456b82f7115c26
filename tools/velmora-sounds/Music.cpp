#include "Music.h"

#include "Synth.h"

#include <algorithm>
#include <array>

namespace VelmoraSounds {

namespace {

// clang-format off
const std::vector<MusicPiece> kPieces = {
//   name                   style           root mode          bpm     bars  heard
    {"atmon-04",            Style::Drone,   50, Mode::Minor,   60.0f,  12, "the intro: a D minor drone with far bells"},
    {"menu",                Style::Calm,    53, Mode::Major,   84.0f,  16, "the menu: F major pad with slow bells"},
    {"LevelCompletev3Full", Style::Fanfare, 60, Mode::Major,  120.0f,  16, "level complete: a rising C major call, then a bright pulse"},
    {"Award LOOP",          Style::Fanfare, 55, Mode::Major,  110.0f,  16, "the award: G major call and celebration"},
    {"LevelFailv2",         Style::Lament,  57, Mode::Minor,   70.0f,  10, "level failed: a falling A minor line"},
    {"rhythmic_resonance",  Style::Pulse,   52, Mode::Dorian, 100.0f,  16, "the map: E dorian pulse"},
    {"zen_1",               Style::Calm,    51, Mode::Lydian,  56.0f,  12, "zen: E flat lydian, very slow"},
    {"zen_2",               Style::Calm,    56, Mode::Major,   60.0f,  14, "zen: A flat major"},
    {"zen_3",               Style::Calm,    47, Mode::Dorian,  52.0f,  12, "zen: B dorian, low and dark"},
    {"zen_4",               Style::Calm,    58, Mode::Lydian,  64.0f,  16, "zen: B flat lydian, brighter"},
    {"piece_1",             Style::Pulse,   57, Mode::Minor,   96.0f,  16, "piece: A minor pulse"},
    {"piece_2",             Style::Pulse,   58, Mode::Major,  104.0f,  20, "piece: B flat major pulse"},
    {"piece_3",             Style::Pulse,   49, Mode::Minor,  112.0f,  20, "piece: C sharp minor, driving"},
    {"piece_4",             Style::Pulse,   54, Mode::Dorian, 120.0f,  24, "piece: F sharp dorian, fastest"},
};
// clang-format on

constexpr std::array<std::array<int, 7>, 4> kScales = {{
    {0, 2, 4, 5, 7, 9, 11}, // major
    {0, 2, 3, 5, 7, 8, 10}, // natural minor
    {0, 2, 3, 5, 7, 9, 10}, // dorian
    {0, 2, 4, 6, 7, 9, 11}, // lydian
}};

// Chord roots as scale degrees, one chord per two bars (one per bar in a pulse).
constexpr std::array<int, 4> kMajorWalk = {0, 4, 5, 3}; // I V vi IV
constexpr std::array<int, 4> kMinorWalk = {0, 5, 2, 6}; // i VI III VII

// The MIDI note of scale degree `degree` (any integer) above the root.
int degreeNote(const MusicPiece& p, int degree) {
    const auto& scale = kScales[static_cast<size_t>(p.mode)];
    const int octave = degree >= 0 ? degree / 7 : -((-degree + 6) / 7);
    return p.root + 12 * octave + scale[static_cast<size_t>(degree - 7 * octave)];
}

enum class Voice { Pad, Bass, Bell, Brass, Kick, Hat };

// A loop buffer that notes are added into; a note past the end continues at
// the start.
class Loop {
public:
    explicit Loop(int frames) : samples(static_cast<size_t>(frames), 0.0f) {}

    void note(Voice voice, double startSeconds, double seconds, double midi, float gain, Noise& noise) {
        const int rate = kMusicRate;
        const int start = static_cast<int>(startSeconds * rate);
        const WaveTables& tables = WaveTables::get();
        const double hz = noteHz(midi);
        float attack = 0.005f, decay = 0.3f, tail = 0.0f;
        switch (voice) {
        case Voice::Pad:
            attack = 0.8f;
            decay = 1e6f;
            tail = 1.2f;
            break;
        case Voice::Bass:
            decay = std::max(0.25f, static_cast<float>(seconds) * 0.4f);
            break; // held bass notes ring on
        case Voice::Bell:
            decay = 0.9f;
            tail = 2.5f;
            break;
        case Voice::Brass:
            attack = 0.03f;
            decay = 0.6f;
            tail = 0.3f;
            break;
        case Voice::Kick:
            decay = 0.12f;
            break;
        case Voice::Hat:
            attack = 0.001f;
            decay = 0.025f;
            break;
        }
        const int frames = static_cast<int>((seconds + tail) * rate);
        const std::vector<float> env = envelope(frames, rate, attack, decay);
        const int holdEnd = static_cast<int>(seconds * rate);
        // A pad holds, then fades over its tail.
        const float release = static_cast<float>(std::exp(-1.0 / (0.35 * rate)));
        float releaseLevel = 1.0f;
        uint32_t p1 = 0, p2 = 0x40000000u, p3 = 0;
        const uint32_t s1 = phaseStep(hz, rate);
        const uint32_t s2 = phaseStep(hz * 1.0035, rate); // detuned twin
        const uint32_t s3 = phaseStep(hz * (voice == Voice::Bell ? 2.76 : 2.0), rate);
        Svf filter;
        filter.tune(voice == Voice::Hat ? 6000.0f : static_cast<float>(std::min(hz * 4.0, 3000.0)), 0.8f,
                    rate);
        double kickPhase = 0.0;
        for (int i = 0; i < frames; ++i) {
            float v = 0.0f;
            p1 += s1;
            p2 += s2;
            p3 += s3;
            switch (voice) {
            case Voice::Pad:
                filter.run(0.5f * (tables.read(Table::SoftSaw, p1) + tables.read(Table::SoftSaw, p2)));
                v = filter.low;
                break;
            case Voice::Bass:
                v = tables.read(Table::Sine, p1) + 0.3f * tables.read(Table::Sine, p3);
                break;
            case Voice::Bell:
                v = tables.read(Table::Sine, p1) +
                    0.25f * tables.read(Table::Sine, p3) * env[static_cast<size_t>(i)];
                break;
            case Voice::Brass:
                filter.run(tables.read(Table::SoftSaw, p1) + 0.5f * tables.read(Table::SoftSquare, p2));
                v = filter.low;
                break;
            case Voice::Kick: {
                // A sine whose pitch falls from 110 to 45 Hz within 60 ms.
                const double t = static_cast<double>(i) / rate;
                kickPhase += (45.0 + 65.0 * std::max(0.0, 1.0 - t / 0.06)) / rate;
                v = tables.read(Table::Sine, static_cast<uint32_t>(std::fmod(kickPhase, 1.0) * 4294967296.0));
                break;
            }
            case Voice::Hat:
                filter.run(noise.bipolar());
                v = filter.high;
                break;
            }
            if (voice == Voice::Pad && i >= holdEnd) {
                releaseLevel *= release;
            }
            const size_t at = static_cast<size_t>((start + i) % static_cast<int>(samples.size()));
            samples[at] += gain * v * env[static_cast<size_t>(i)] * releaseLevel;
        }
    }

    // A feedback echo computed around the loop: the second pass sees the
    // echoes of the end arriving at the start, as a listener of the looped
    // piece hears them.
    void echo(double seconds, float feedback) {
        const int n = static_cast<int>(samples.size());
        const int d = static_cast<int>(seconds * kMusicRate);
        const std::vector<float> dry = samples;
        for (int pass = 0; pass < 2; ++pass) {
            for (int i = 0; i < n; ++i) {
                samples[static_cast<size_t>(i)] =
                    dry[static_cast<size_t>(i)] + feedback * samples[static_cast<size_t>((i - d + n) % n)];
            }
        }
    }

    std::vector<float> samples;
};

void chordLayers(const MusicPiece& p, Loop& loop, Noise& noise) {
    const double beat = 60.0 / p.bpm;
    const bool minor = p.mode == Mode::Minor || p.mode == Mode::Dorian;
    const auto& walk = minor ? kMinorWalk : kMajorWalk;
    const int barsPerChord = p.style == Style::Pulse || p.style == Style::Fanfare ? 1 : 2;
    for (int bar = 0; bar < p.bars; ++bar) {
        const int degree = walk[static_cast<size_t>((bar / barsPerChord) % 4)];
        const double t0 = bar * 4 * beat;
        const bool chordStart = bar % barsPerChord == 0;
        const int triad[3] = {degreeNote(p, degree), degreeNote(p, degree + 2), degreeNote(p, degree + 4)};
        if (chordStart) {
            const float padGain = p.style == Style::Pulse ? 0.10f : 0.16f;
            for (int k = 0; k < 3; ++k) {
                loop.note(Voice::Pad, t0, 4 * beat * barsPerChord, triad[k], padGain, noise);
            }
        }
        switch (p.style) {
        case Style::Drone:
            loop.note(Voice::Bass, t0, 4 * beat, p.root - 12, 0.25f, noise);
            if (noise.unit() < 0.5f) {
                loop.note(Voice::Bell, t0 + beat * (1 + noise.next() % 3), beat, triad[noise.next() % 3] + 24,
                          0.12f, noise);
            }
            break;
        case Style::Calm:
            if (chordStart) {
                loop.note(Voice::Bass, t0, 8 * beat, triad[0] - 12, 0.2f, noise);
            }
            for (int b = 0; b < 4; ++b) {
                if (noise.unit() < 0.45f) {
                    loop.note(Voice::Bell, t0 + b * beat, beat, triad[noise.next() % 3] + 12, 0.14f, noise);
                }
            }
            break;
        case Style::Lament:
            loop.note(Voice::Bass, t0, 4 * beat, triad[0] - 12, 0.22f, noise);
            // The falling line: one scale step down a beat, from the fifth octave.
            for (int b = 0; b < 4; ++b) {
                const int step = (bar * 4 + b) % 12;
                loop.note(Voice::Bell, t0 + b * beat, beat, degreeNote(p, 11 - step), 0.16f, noise);
            }
            break;
        case Style::Fanfare:
            if (bar % 8 == 0) {
                // The call: the triad rising in eighths to the octave.
                const int call[5] = {triad[0], triad[1], triad[2], triad[0] + 12, triad[2] + 12};
                for (int k = 0; k < 5; ++k) {
                    loop.note(Voice::Brass, t0 + k * 0.5 * beat, k == 4 ? 2.0 * beat : 0.45 * beat, call[k],
                              0.16f, noise);
                }
            }
            [[fallthrough]];
        case Style::Pulse:
            for (int e = 0; e < 8; ++e) {
                const double t = t0 + e * 0.5 * beat;
                loop.note(Voice::Bass, t, 0.45 * beat, triad[0] - 12 + (e % 4 == 3 ? 7 : 0), 0.22f, noise);
                const int arp[4] = {0, 1, 2, 1};
                loop.note(Voice::Bell, t, 0.5 * beat, triad[arp[e % 4]] + 12 + (e >= 4 ? 12 : 0), 0.07f,
                          noise);
                loop.note(Voice::Hat, t, 0.05, 0.0, e % 2 == 0 ? 0.10f : 0.06f, noise);
                if (e % 4 == 0) {
                    loop.note(Voice::Kick, t, 0.3, 0.0, 0.45f, noise);
                }
            }
            break;
        }
    }
}

} // namespace

const std::vector<MusicPiece>& musicPieces() {
    return kPieces;
}

double pieceSeconds(const MusicPiece& piece) {
    return piece.bars * 4 * 60.0 / piece.bpm;
}

std::vector<float> renderPiece(const MusicPiece& piece) {
    Loop loop(static_cast<int>(pieceSeconds(piece) * kMusicRate));
    Noise noise(Noise::seedFor(piece.name));
    chordLayers(piece, loop, noise);
    const bool spacious = piece.style == Style::Calm || piece.style == Style::Drone;
    loop.echo(spacious ? 0.45 : 60.0 / piece.bpm * 0.75, spacious ? 0.45f : 0.25f);
    return std::move(loop.samples);
}

} // namespace VelmoraSounds
