#pragma once

#include <vector>

namespace VelmoraSounds {

inline constexpr int kMusicRate = 22050;

// What plays in a piece, layer by layer.
//   Drone    a held low fifth, a dark pad and rare far bells (the intro)
//   Calm     pad and slow bells, no beat (the zen pieces, the menu)
//   Pulse    bass in eighths, arpeggios, kick and hats (the pieces, the map)
//   Fanfare  a rising brass call, then a bright pulse (level complete, award)
//   Lament   a falling minor line over a dark pad (level failed)
enum class Style { Drone, Calm, Pulse, Fanfare, Lament };

enum class Mode { Major, Minor, Dorian, Lydian };

// One piece: a seamless loop of `bars` bars of four beats. Its length is
// bars * 4 * 60 / bpm seconds, which the table keeps within 30..90 s.
struct MusicPiece {
    const char* name;
    Style style;
    int root; // MIDI note of the key's tonic
    Mode mode;
    float bpm;
    int bars;
    const char* heard;
};

const std::vector<MusicPiece>& musicPieces();

double pieceSeconds(const MusicPiece& piece);

// The piece's samples at kMusicRate, mono, not yet normalised. Every note
// and echo that runs past the end is folded back onto the start, so the
// last sample leads into the first without a seam.
std::vector<float> renderPiece(const MusicPiece& piece);

} // namespace VelmoraSounds
