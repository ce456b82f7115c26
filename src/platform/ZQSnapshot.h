#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// A picture of the screen: RGBA bytes, 8 bits a channel, rows from the top
// down (upright), alpha as the frame left it.
struct ZQImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba; // width x height x 4

    // The pixel at column x, row y from the top.
    const uint8_t* pixel(int x, int y) const {
        return &rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)) *
                     4];
    }
};

// Reads the bound framebuffer at the size of the bound GL_RENDERBUFFER (after
// the scene's resolve: the finished frame) and turns GL's bottom-up rows
// upright. An empty image when the renderbuffer has no storage.
ZQImage readSnapshot();

// Writes the image as an 8-bit RGB PNG: the colours a window shows, since the
// window ignores the frame's alpha. False with the reason in `error` when the
// file cannot be written.
bool writePng(const std::string& path, const ZQImage& image, std::string& error);
// The same into a file open for writing, which stays open.
bool writePng(std::FILE* file, const ZQImage& image, std::string& error);
