#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace VelmoraSounds {

// Writes 16-bit linear PCM samples (interleaved when `channels` > 1) as a
// Core Audio Format file: the "caff" header, a "desc" chunk and one "data"
// chunk, big-endian as the format's canonical layout, and nothing else, so
// the same samples always give the same bytes (no dates, no tool names).
// False, with `error` set, when the file cannot be written.
bool writeCaf(const std::string& path, const std::vector<int16_t>& samples, int sampleRate, int channels,
              std::string& error);

} // namespace VelmoraSounds
