#pragma once

#include <sndfile.h>

#include <string>

// What the two sound players ask of a bundle sound before they play it, in
// one place: the effects player decodes a sample whole into one OpenAL
// buffer, the music player streams a piece and loops it. A sound that fails
// is logged by its player and plays as silence; the game goes on.
namespace ZQSoundFile {

enum class Use {
    Effect, // ZQSoundBuffer: any length OpenAL's byte count can hold
    Music,  // ZQMusicPlayerModel: any length
};

// Mono or stereo: OpenAL's 16-bit formats have no other.
bool playableChannels(const SF_INFO& info);
// A sample rate, and at least one frame, no more than the player can hold.
bool playableLength(const SF_INFO& info, Use use);

// Why the CAF file at `path` is not whole, or null when it is: the header,
// a description chunk first, every chunk's length given and within the
// file, one data chunk. Asked before libsndfile opens the file, which takes
// one cut among its last bytes and plays it as far as it goes.
const char* damage(const std::string& path);

} // namespace ZQSoundFile
