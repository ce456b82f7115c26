#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ZQ {

// One rendered caption: the bitmap a caption texture uploads and the letter
// boundaries the flowing letters cut it at.
struct CaptionBitmap {
    int32_t width = 0; // pixels, at least 1
    int32_t height = 0;
    // malloc'ed RGBA8, alpha premultiplied, rows bottom-up as GL takes them;
    // whoever receives the bitmap frees it (the caption texture does after its
    // upload).
    uint8_t* pixels = nullptr;
    // x in pixels of every letter boundary, line after line: one more per
    // line than the line has letters, rising along each line.
    std::vector<double> metrics;
};

// What the caption box asks of a text rasteriser: the captions of one
// property list, each rendered by full key (language, "_", name). The box
// sits below the platform, so it sees the rasteriser through this face.
//
// Threads: main thread only.
class CaptionGenerator {
public:
    virtual ~CaptionGenerator() = default;

    // Reads the property list; a missing or bad list is logged and leaves
    // every caption empty.
    virtual void setUp() = 0;
    // The caption under `key`. A non-empty `label` replaces the caption's text
    // from now on (later renderings with an empty label keep it). Never fails:
    // a key the list lacks, or a box of a size no texture can have, gives a
    // transparent 1 x 1 bitmap and one log line.
    virtual CaptionBitmap make(const std::string& key, const std::string& label) = 0;
};

} // namespace ZQ
