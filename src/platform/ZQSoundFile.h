#pragma once

#include <sndfile.h>

#include <string>

// What the two sound players ask of a bundle sound before they play it, in
// one place, so that the start-up check judges a file by the same rules: the
// effects player decodes a sample whole into one OpenAL buffer, the music
// player streams a piece and loops it.
namespace ZQSoundFile {

enum class Use {
    Effect, // ZQSoundBuffer: any length OpenAL's byte count can hold, silence included
    Music,  // ZQMusicPlayerModel: at least one frame, for its loop to come back to
};

// Mono or stereo: OpenAL's 16-bit formats have no other.
bool playableChannels(const SF_INFO& info);
// A sample rate, and a length the player can hold.
bool playableLength(const SF_INFO& info, Use use);

// Why the CAF file at `path` cannot be played as `use`, or an empty string
// when it can. Its chunks are walked first, since libsndfile opens a file
// cut short inside its audio data and plays the rest as the end: the header,
// a description chunk first, every chunk's length given and within the
// file, one data chunk. Then
// libsndfile opens it and the player's rules above judge what it reports.
std::string problem(const std::string& path, Use use);

} // namespace ZQSoundFile
