#pragma once

#include "render/Render.h"

#include <cstdint>

namespace ZQ {

class WallPaperProgram;

// The wallpaper pre-pass: paints the first relief instance of its kind into
// the bound room texture, colours or heights as the frame asks. The frame
// runs it only while the relief model's changed flag is set, so the room
// textures keep their contents in between.
//
// Owns its WallPaperProgram. Main thread only.
class RenderWallPaper : public Render {
public:
    RenderWallPaper();
    void render() override;

    float drawHeight = 0.0f; // 0 paints colours, 1 heights; written by the frame
    int32_t kind = kWallPaperKind;
    float targetSize; // edge of the square room textures, pixels

private:
    WallPaperProgram* wallPaperProgram() const;
};

// The frame's view of the relief, the room and this pass, over the engine
// globals: repaint while the relief model's flag is set, into the current
// room's buffer. A missing model or pass leaves the repaint off.
WallPaperRepaint wallPaperRepaint();

} // namespace ZQ
