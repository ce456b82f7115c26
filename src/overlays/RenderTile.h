#pragma once

#include "render/Render.h"

#include <GLES2/gl2.h>

#include <array>
#include <cstdint>

namespace ZQ {

class TileModel;
class TileProgram;

// One vertex of a tile slab: position and face normal in the tile's frame,
// and label texture coordinates ((0, 0) off the label).
struct TileVertex {
    float position[3];
    float normal[3];
    float tex[2];
};
static_assert(sizeof(TileVertex) == 32, "the tile program's stride");

// A thin box with a square label in the middle of its front face, framed by
// an untextured border; front triangles wind counter-clockwise seen from +z.
struct TileMesh {
    static constexpr int32_t kVertexCount = 32;
    static constexpr int32_t kIndexCount = 60;

    // Half size (w, h), half depth d; the label's half side is 0.7 min(w, h),
    // so a wide tile still carries a square icon.
    static TileMesh build(float w, float h, float d);
    static float labelHalfSide(float w, float h);

    std::array<TileVertex, kVertexCount> vertices;
    std::array<uint16_t, kIndexCount> indices;
};

// The pass's one pair of buffers, refilled for every tile.
struct TileBuffers {
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    int32_t indexCount = 0;
};

// Draws every tile of the tile model (the current screen, then the one
// hiding) as a slab of its world size, seen through the overlay camera, its
// label the tile's caption (the alternative one while its face selector
// says so) used as a relief map. Drawn among the translucent interface
// solids, with depth test and back-face culling.
//
// Ownership: owns its program and its buffer pair; the tile model is not
// owned. Threads: main thread only.
class RenderTile : public Render {
public:
    explicit RenderTile(TileModel* tiles);
    ~RenderTile() override;

    void setUp() override;
    void tearDown() override;
    void render() override;

    // Fills the slab and re-specifies both buffers, which the caller has
    // bound (GL_DYNAMIC_DRAW); indexCount becomes 60.
    static void buildTileMesh(TileBuffers& buffers, float w, float h, float d);

    const TileBuffers& getBuffers() const { return buffers; }

private:
    TileModel* tiles;
    TileBuffers buffers;
};

} // namespace ZQ
