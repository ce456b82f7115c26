#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Whether a bundle folder can be played from, asked once at start: a wrong
// $VELMORA_BUNDLE, a bundle that was never generated or one with a file cut
// short would otherwise give a game without texts, tiles, models or sounds
// that runs on as if nothing were amiss. Every file is judged by the rules
// of the reader that will load it, without GL or a sound device.
namespace ZQBundleCheck {

// The reader whose rules judge a file.
enum class Reader {
    Captions, // the captions list, through the caption generator
    Png,      // a picture, through the PNG decoder
    Pvr,      // a texture, through the PVR reader
    Pod,      // a model, through the POD reader and the POD box's mesh checks
    Effect,   // a sound effect, by the effects player's rules
    Music,    // a music piece, by the music player's rules
};

struct NeededFile {
    std::string file; // in the bundle, with its extension
    Reader reader;
    // Sounds: without one the game plays silent there, as it does without
    // a sound device; a sound that is there must still be one.
    bool mayBeMissing;
};

// Every file the game reads from the bundle at the device's caption `scale`,
// named by the code that loads it: the captions list, the interface's
// pictures and reliefs (CaptionBox::pictures), the cord's normal maps, the
// models, the effects (the effects player's list) and the music (every piece
// the sound gateway plays). A caption's background picture is named by the
// captions list itself; check adds those once the list has been read.
std::vector<NeededFile> neededFiles(int32_t scale);

// Why the file at `path` cannot be read by `reader`, or an empty string when
// it can; the path is not repeated in the reason.
std::string judgeFile(const std::string& path, Reader reader, int32_t scale);

// False with `problem` saying why when `folder` is no folder, or when it
// lacks a needed file or has one its reader refuses. The message names the
// folder and the files, each reason once for all its files, clauses
// separated by "; ", and ends with what to do.
bool check(const std::string& folder, int32_t scale, std::string& problem);

} // namespace ZQBundleCheck
