// velmora-sounds: synthesises every sound of the game's bundle.
//
//   velmora-sounds BUNDLE_DIR [CONTACT_DIR]
//
// Writes each effect and music piece as BUNDLE_DIR/<name>.caf (16-bit PCM;
// effects mono at 44100 Hz, music mono at 22050 Hz) and, when CONTACT_DIR is
// given, the contact listing CONTACT_DIR/sounds.txt and one spectrogram
// picture per family there; both folders are made, parents too. The same
// program always writes the same bytes.
//
// Loudness: every effect is scaled to the same RMS level, music 6 dB below
// it, and nothing comes closer than 1 dB to full scale.

#include "CafWriter.h"
#include "Effects.h"
#include "FrequencyPicture.h"
#include "Music.h"
#include "OutputFolder.h"
#include "ToolUsage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace VelmoraSounds;

constexpr float kEffectRmsDb = -18.0f;
constexpr float kMusicRmsDb = kEffectRmsDb - 6.0f;
constexpr float kPeakCeilingDb = -1.0f;

struct Written {
    std::string name, family;
    double seconds = 0.0;
    float peakDb = 0.0f, rmsDb = 0.0f;
    float seamStep = 0.0f, largestStep = 0.0f; // music: the step across the loop's seam
    std::vector<float> heard;                  // the written samples, for the spectrogram
    int rate = 0;
    const char* recipe = "";
};

float toDb(double v) {
    return static_cast<float>(20.0 * std::log10(std::max(v, 1e-9)));
}

// Scales to the RMS target and rounds the few peaks that would then pass
// -6 dBFS softly toward the ceiling (a plucked string's first milliseconds
// stand far above its ring), then quantises to 16 bits (round half up, the
// same everywhere). Three rounds bring the RMS back after the rounding.
std::vector<int16_t> level(std::vector<float> x, float rmsDb) {
    const double ceiling = std::pow(10.0, kPeakCeilingDb / 20.0);
    const double knee = 0.5;
    for (int round = 0; round < 3; ++round) {
        double sum = 0.0;
        for (float v : x) {
            sum += static_cast<double>(v) * v;
        }
        const double rms = std::sqrt(sum / std::max<size_t>(x.size(), 1));
        const double gain = rms > 0.0 ? std::pow(10.0, rmsDb / 20.0) / rms : 0.0;
        for (float& v : x) {
            const double a = std::fabs(v * gain);
            const double shaped =
                a <= knee ? a : knee + (ceiling - knee) * std::tanh((a - knee) / (ceiling - knee));
            v = static_cast<float>(std::copysign(shaped, static_cast<double>(v)));
        }
    }
    std::vector<int16_t> out(x.size());
    for (size_t i = 0; i < x.size(); ++i) {
        const double s = std::floor(x[i] * 32767.0 + 0.5);
        out[i] = static_cast<int16_t>(std::clamp(s, -32767.0, 32767.0));
    }
    return out;
}

Written measure(const std::string& name, const std::vector<int16_t>& s, int rate) {
    Written w;
    w.name = name;
    w.rate = rate;
    w.seconds = static_cast<double>(s.size()) / rate;
    double sum = 0.0;
    int peak = 0;
    w.heard.resize(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        sum += static_cast<double>(s[i]) * s[i];
        peak = std::max(peak, std::abs(static_cast<int>(s[i])));
        w.heard[i] = s[i] / 32768.0f;
        if (i > 0) {
            w.largestStep = std::max(w.largestStep, std::fabs(w.heard[i] - w.heard[i - 1]));
        }
    }
    w.peakDb = toDb(peak / 32768.0);
    w.rmsDb = toDb(std::sqrt(sum / std::max<size_t>(s.size(), 1)) / 32768.0);
    if (!s.empty()) {
        w.seamStep = std::fabs(w.heard.front() - w.heard.back());
    }
    return w;
}

bool writeOne(const std::string& dir, const std::string& name, const std::vector<int16_t>& s, int rate) {
    std::string error;
    if (!writeCaf(dir + "/" + name + ".caf", s, rate, 1, error)) {
        std::cerr << "velmora-sounds: " << error << "\n";
        return false;
    }
    return true;
}

using Families = std::map<std::string, std::vector<const Written*>>;

// Runs paint(family, members) for every family, each on a thread of its
// own; true when every one succeeded.
template <typename Paint> bool forEachFamily(const Families& families, Paint paint) {
    std::vector<std::thread> workers;
    std::vector<char> ok(families.size(), 0);
    size_t i = 0;
    for (const auto& [family, members] : families) {
        workers.emplace_back([&, i, f = &family, m = &members] { ok[i] = paint(*f, *m); });
        ++i;
    }
    for (std::thread& t : workers) {
        t.join();
    }
    return std::find(ok.begin(), ok.end(), 0) == ok.end();
}

bool writePicture(const std::string& path, const Picture& picture) {
    std::string error;
    if (!writePng(path, picture, error)) {
        std::cerr << "velmora-sounds: " << error << "\n";
        return false;
    }
    return true;
}

// Families of effects as grids of tiles, five to a row, in listing order.
bool paintEffects(const std::string& dir, const std::vector<Written>& effects) {
    Families families;
    for (const Written& w : effects) {
        families[w.family].push_back(&w);
    }
    constexpr int kTileW = 200, kTileH = 120, kGap = 4, kColumns = 5;
    return forEachFamily(families, [&](const std::string& family,
                                       const std::vector<const Written*>& members) {
        const int n = static_cast<int>(members.size());
        const int cols = std::min(n, kColumns);
        const int rows = (n + kColumns - 1) / kColumns;
        Picture picture(cols * (kTileW + kGap) + kGap, rows * (kTileH + kGap) + kGap);
        for (int i = 0; i < n; ++i) {
            paintSpectrogram(picture, kGap + (i % kColumns) * (kTileW + kGap),
                             kGap + (i / kColumns) * (kTileH + kGap), kTileW, kTileH,
                             members[static_cast<size_t>(i)]->heard, members[static_cast<size_t>(i)]->rate);
        }
        return writePicture(dir + "/effects-" + family + ".png", picture);
    });
}

// Music families (scenes, zen, pieces) as strips, one piece a strip, at the
// same pixels per second so lengths compare.
bool paintMusic(const std::string& dir, const std::vector<Written>& music) {
    Families families;
    for (const Written& w : music) {
        families[w.family].push_back(&w);
    }
    constexpr double kPixelsPerSecond = 12.0;
    constexpr int kStripH = 140, kGap = 4;
    return forEachFamily(
        families, [&](const std::string& family, const std::vector<const Written*>& members) {
            double longest = 0.0;
            for (const Written* w : members) {
                longest = std::max(longest, w->seconds);
            }
            Picture picture(static_cast<int>(longest * kPixelsPerSecond) + 2 * kGap,
                            static_cast<int>(members.size()) * (kStripH + kGap) + kGap);
            for (size_t i = 0; i < members.size(); ++i) {
                paintSpectrogram(picture, kGap, kGap + static_cast<int>(i) * (kStripH + kGap),
                                 static_cast<int>(members[i]->seconds * kPixelsPerSecond), kStripH,
                                 members[i]->heard, members[i]->rate);
            }
            return writePicture(dir + "/music-" + family + ".png", picture);
        });
}

void writeListing(std::ostream& out, const std::vector<Written>& effects, const std::vector<Written>& music) {
    char line[512];
    out << "Velmora sounds: contact listing\n"
        << "Levels in dBFS (0 = full scale). Effects aim at RMS " << kEffectRmsDb << ", music at "
        << kMusicRmsDb << "; peaks stay at or below " << kPeakCeilingDb << ".\n\n";
    std::snprintf(line, sizeof line, "%-22s %-10s %7s %7s %7s  %s\n", "effect", "family", "seconds", "peak",
                  "rms", "meant to sound like");
    out << line;
    for (const Written& w : effects) {
        std::snprintf(line, sizeof line, "%-22s %-10s %7.3f %7.1f %7.1f  %s\n", w.name.c_str(),
                      w.family.c_str(), w.seconds, w.peakDb, w.rmsDb, w.recipe);
        out << line;
    }
    std::snprintf(line, sizeof line, "\n%-22s %-8s %7s %7s %7s %6s %6s  %s\n", "music", "family", "seconds",
                  "peak", "rms", "seam", "step", "meant to sound like");
    out << line;
    for (const Written& w : music) {
        std::snprintf(line, sizeof line, "%-22s %-8s %7.2f %7.1f %7.1f %6.4f %6.4f  %s\n", w.name.c_str(),
                      w.family.c_str(), w.seconds, w.peakDb, w.rmsDb, w.seamStep, w.largestStep, w.recipe);
        out << line;
    }
    out << "\nseam: the jump from the last sample to the first when the piece loops; step: the largest jump\n"
           "between neighbouring samples inside the piece (full scale 1). A seam no larger than the steps "
           "is\n"
           "not heard.\n";
}

std::string musicFamily(const std::string& name) {
    if (name.rfind("zen_", 0) == 0) {
        return "zen";
    }
    if (name.rfind("piece_", 0) == 0) {
        return "pieces";
    }
    return "scenes";
}

} // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> status =
            ToolUsage::answerNames(argc, argv, 1, 2, "usage: velmora-sounds BUNDLE_DIR [CONTACT_DIR]\n")) {
        return *status;
    }
    const std::string bundle = argv[1];
    const std::string contact = argc == 3 ? argv[2] : "";
    if (!OutputFolder::make("velmora-sounds", bundle) ||
        (!contact.empty() && !OutputFolder::make("velmora-sounds", contact))) {
        return 1;
    }

    const std::vector<EffectSound>& sounds = effectSounds();
    std::vector<Written> effects(sounds.size());
    std::vector<char> effectOk(sounds.size(), 0);
    std::vector<std::thread> effectWorkers;
    constexpr size_t kShares = 8;
    for (size_t share = 0; share < kShares; ++share) {
        effectWorkers.emplace_back([&, share] {
            for (size_t i = share; i < sounds.size(); i += kShares) {
                const std::vector<int16_t> s = level(renderEffect(sounds[i]), kEffectRmsDb);
                effectOk[i] = writeOne(bundle, sounds[i].name, s, kEffectRate);
                effects[i] = measure(sounds[i].name, s, kEffectRate);
                effects[i].family = sounds[i].family->family;
                effects[i].recipe = sounds[i].family->heard;
            }
        });
    }
    for (std::thread& t : effectWorkers) {
        t.join();
    }
    if (std::find(effectOk.begin(), effectOk.end(), 0) != effectOk.end()) {
        return 1;
    }

    // The pieces are long; each renders on a thread of its own.
    const std::vector<MusicPiece>& pieces = musicPieces();
    std::vector<Written> music(pieces.size());
    std::vector<char> ok(pieces.size(), 0);
    std::vector<std::thread> workers;
    for (size_t i = 0; i < pieces.size(); ++i) {
        workers.emplace_back([&, i] {
            const std::vector<int16_t> s = level(renderPiece(pieces[i]), kMusicRmsDb);
            ok[i] = writeOne(bundle, pieces[i].name, s, kMusicRate);
            music[i] = measure(pieces[i].name, s, kMusicRate);
            music[i].family = musicFamily(pieces[i].name);
            music[i].recipe = pieces[i].heard;
        });
    }
    for (std::thread& t : workers) {
        t.join();
    }
    if (std::find(ok.begin(), ok.end(), 0) != ok.end()) {
        return 1;
    }

    if (!contact.empty()) {
        std::ofstream listing(contact + "/sounds.txt");
        writeListing(listing, effects, music);
        if (!listing || !paintEffects(contact, effects) || !paintMusic(contact, music)) {
            std::cerr << "velmora-sounds: could not write the contact sheets in " << contact << "\n";
            return 1;
        }
    }
    return 0;
}
