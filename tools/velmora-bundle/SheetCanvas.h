#pragma once

#include <GLES2/gl2.h>

#include <cstdint>
#include <vector>

namespace VelmoraBundle {

// The contact sheet's drawing surface: an offscreen RGBA target on the
// current GL context, into which textures are drawn as lit or plain quads.
// Positions are pixels from the sheet's top-left corner.
//
// Ownership: owns its framebuffer, colour texture and program. Threads: the
// thread whose GL context is current.
class SheetCanvas {
public:
    enum class Shading {
        Picture,   // the texels as they are, alpha-blended
        NormalMap, // a flat surface bent by the map, lit warm to cool as the cords are
        Relief,    // a gold button's label bent by the relief, lit as the tile pass lights it
    };

    struct Item {
        Shading shading;
        GLuint texture;
        int x, y, width, height;
        float repeats; // tiles across and down
    };

    SheetCanvas(int width, int height);
    ~SheetCanvas();
    SheetCanvas(const SheetCanvas&) = delete;
    SheetCanvas& operator=(const SheetCanvas&) = delete;

    // A band: dark on the left half, light on the right.
    void band(int x, int y, int width, int height);
    void draw(const Item& item);
    // The sheet, top row first, RGBA.
    std::vector<uint8_t> read() const;

    // Binds the sheet's framebuffer and sets the viewport to the given cell.
    void bindCell(int x, int y, int width, int height) const;

private:
    void quad(int x, int y, int width, int height, int mode, float repeats, const float* colour);

    int sheetWidth;
    int sheetHeight;
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
    GLuint program = 0;
};

} // namespace VelmoraBundle
