#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace VelmoraSounds {

// An RGB picture that spectrograms are painted into and written as PNG.
struct Picture {
    Picture(int width, int height)
        : width(width), height(height), rgb(static_cast<size_t>(width * height * 3), 24) {}
    int width, height;
    std::vector<uint8_t> rgb;
};

// Paints the spectrogram of `samples` into the w x h rectangle at (x, y):
// time runs left to right over the whole sound, frequency bottom to top on a
// logarithmic scale from 40 Hz to half the sample rate, level from -96 dBFS
// (black) through blue, red and yellow to 0 dBFS (white).
void paintSpectrogram(Picture& picture, int x, int y, int w, int h, const std::vector<float>& samples,
                      int rate);

// False, with `error` set, when the file cannot be written.
bool writePng(const std::string& path, const Picture& picture, std::string& error);

} // namespace VelmoraSounds
