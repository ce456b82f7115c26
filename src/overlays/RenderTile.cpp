#include "overlays/RenderTile.h"

#include "engine/Globals.h"
#include "overlays/CaptionBox.h"
#include "overlays/TileInstance.h"
#include "overlays/TileModel.h"
#include "overlays/TileProgram.h"
#include "overlays/TileSupport.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "render/Texture.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ZQ {

namespace {

constexpr float kHalfDepth = 0.02f;    // of the tile's world width
constexpr float kLabelShare = 0.7f;    // label half side over the smaller half extent
constexpr float kFirstHalfSize = 0.5f; // the slab built at set-up

// Which half extent a coordinate takes, and with which sign.
enum Extent : uint8_t { W, H, D, S };
struct Corner {
    Extent e;
    int8_t sign;
};
struct SlabVertex {
    Corner x, y, z;
    int8_t nx, ny, nz;
    uint8_t u, v;
};

// clang-format off
constexpr SlabVertex kSlab[] = {
    // label (front)
    {{S, +1}, {S, -1}, {D, +1},   0,  0, +1,   1, 0}, // 0
    {{S, +1}, {S, +1}, {D, +1},   0,  0, +1,   1, 1}, // 1
    {{S, -1}, {S, +1}, {D, +1},   0,  0, +1,   0, 1}, // 2
    {{S, -1}, {S, -1}, {D, +1},   0,  0, +1,   0, 0}, // 3
    // back
    {{W, +1}, {H, +1}, {D, -1},   0,  0, -1,   0, 0}, // 4
    {{W, -1}, {H, -1}, {D, -1},   0,  0, -1,   0, 0}, // 5
    {{W, +1}, {H, -1}, {D, -1},   0,  0, -1,   0, 0}, // 6
    {{W, -1}, {H, +1}, {D, -1},   0,  0, -1,   0, 0}, // 7
    // left
    {{W, -1}, {H, -1}, {D, +1},  -1,  0,  0,   0, 0}, // 8
    {{W, -1}, {H, +1}, {D, +1},  -1,  0,  0,   0, 0}, // 9
    {{W, -1}, {H, +1}, {D, -1},  -1,  0,  0,   0, 0}, // 10
    {{W, -1}, {H, -1}, {D, -1},  -1,  0,  0,   0, 0}, // 11
    // right
    {{W, +1}, {H, -1}, {D, -1},  +1,  0,  0,   0, 0}, // 12
    {{W, +1}, {H, +1}, {D, -1},  +1,  0,  0,   0, 0}, // 13
    {{W, +1}, {H, +1}, {D, +1},  +1,  0,  0,   0, 0}, // 14
    {{W, +1}, {H, -1}, {D, +1},  +1,  0,  0,   0, 0}, // 15
    // bottom
    {{W, +1}, {H, -1}, {D, -1},   0, -1,  0,   0, 0}, // 16
    {{W, +1}, {H, -1}, {D, +1},   0, -1,  0,   0, 0}, // 17
    {{W, -1}, {H, -1}, {D, +1},   0, -1,  0,   0, 0}, // 18
    {{W, -1}, {H, -1}, {D, -1},   0, -1,  0,   0, 0}, // 19
    // top
    {{W, +1}, {H, +1}, {D, +1},   0, +1,  0,   0, 0}, // 20
    {{W, +1}, {H, +1}, {D, -1},   0, +1,  0,   0, 0}, // 21
    {{W, -1}, {H, +1}, {D, -1},   0, +1,  0,   0, 0}, // 22
    {{W, -1}, {H, +1}, {D, +1},   0, +1,  0,   0, 0}, // 23
    // frame (front): the outer corners, then the label's
    {{W, +1}, {H, -1}, {D, +1},   0,  0, +1,   0, 0}, // 24
    {{W, +1}, {H, +1}, {D, +1},   0,  0, +1,   0, 0}, // 25
    {{W, -1}, {H, +1}, {D, +1},   0,  0, +1,   0, 0}, // 26
    {{W, -1}, {H, -1}, {D, +1},   0,  0, +1,   0, 0}, // 27
    {{S, +1}, {S, -1}, {D, +1},   0,  0, +1,   0, 0}, // 28
    {{S, +1}, {S, +1}, {D, +1},   0,  0, +1,   0, 0}, // 29
    {{S, -1}, {S, +1}, {D, +1},   0,  0, +1,   0, 0}, // 30
    {{S, -1}, {S, -1}, {D, +1},   0,  0, +1,   0, 0}, // 31
};

constexpr uint16_t kSlabIndices[] = {
     0,  1,  2,    2,  3,  0, // label
     4,  6,  5,    5,  7,  4, // back
     8,  9, 10,   10, 11,  8, // left
    12, 13, 14,   14, 15, 12, // right
    20, 21, 22,   22, 23, 20, // top
    16, 17, 18,   18, 19, 16, // bottom
    29, 25, 26,   26, 30, 29, // frame, top band
    24, 28, 31,   31, 27, 24, // frame, bottom band
    30, 26, 27,   27, 31, 30, // frame, left band
    28, 24, 25,   25, 29, 28, // frame, right band
};
// clang-format on
static_assert(sizeof kSlab / sizeof kSlab[0] == TileMesh::kVertexCount);
static_assert(sizeof kSlabIndices / sizeof kSlabIndices[0] == TileMesh::kIndexCount);

void uniform3(const ShaderProgram& shader, const char* name, const PVRTVec3& v) {
    glUniform3f(shader.uniform(name), v.x, v.y, v.z);
}

} // namespace

float TileMesh::labelHalfSide(float w, float h) {
    return kLabelShare * std::min(w, h);
}

TileMesh TileMesh::build(float w, float h, float d) {
    const float extents[] = {w, h, d, labelHalfSide(w, h)};
    TileMesh mesh;
    for (int32_t i = 0; i < kVertexCount; ++i) {
        const SlabVertex& row = kSlab[i];
        TileVertex& v = mesh.vertices[static_cast<size_t>(i)];
        const Corner corners[] = {row.x, row.y, row.z};
        for (int c = 0; c < 3; ++c) {
            v.position[c] = static_cast<float>(corners[c].sign) * extents[corners[c].e];
        }
        v.normal[0] = row.nx;
        v.normal[1] = row.ny;
        v.normal[2] = row.nz;
        v.tex[0] = row.u;
        v.tex[1] = row.v;
    }
    std::copy(std::begin(kSlabIndices), std::end(kSlabIndices), mesh.indices.begin());
    return mesh;
}

RenderTile::RenderTile(TileModel* tiles) : Render(nullptr), tiles(tiles) {}

RenderTile::~RenderTile() = default;

void RenderTile::buildTileMesh(TileBuffers& target, float w, float h, float d) {
    const TileMesh mesh = TileMesh::build(w, h, d);
    glBufferData(GL_ARRAY_BUFFER, sizeof mesh.vertices, mesh.vertices.data(), GL_DYNAMIC_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof mesh.indices, mesh.indices.data(), GL_DYNAMIC_DRAW);
    target.indexCount = TileMesh::kIndexCount;
}

void RenderTile::setUp() {
    glGenBuffers(1, &buffers.vertexBuffer);
    glGenBuffers(1, &buffers.indexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffers.vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers.indexBuffer);
    buildTileMesh(buffers, kFirstHalfSize, kFirstHalfSize, kHalfDepth);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    program = new TileProgram();
    program->setUp();
}

void RenderTile::tearDown() {
    Render::tearDown();
    glDeleteBuffers(1, &buffers.vertexBuffer);
    glDeleteBuffers(1, &buffers.indexBuffer);
    buffers = TileBuffers();
}

void RenderTile::render() {
    using namespace ShaderNames;
    if (program == nullptr || program->shader == nullptr || tiles == nullptr) {
        return;
    }
    // No early return without tiles: the frame's later passes find both
    // buffer targets unbound whatever the tiles were.
    std::vector<Cloudlet*> items;
    tiles->getCloudlets(items);
    const ShaderProgram& shader = *program->shader;
    const float width = gGlobals.screenSize.x;
    const float height = gGlobals.screenSize.y;
    const PVRTMat4 viewCentring = program->viewMatrix * program->centringMatrix;
    const PVRTVec3 light =
        viewCentring.transformDirection(PVRTVec3(1.5f * width, 1.5f * height, height)).normalized();
    const PVRTVec4 eye = viewCentring * PVRTVec4(0.5f * width, height, 1.5f * height, 1.0f);

    for (Cloudlet* item : items) {
        const auto* tile = static_cast<const TileInstance*>(item);
        glBindBuffer(GL_ARRAY_BUFFER, buffers.vertexBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers.indexBuffer);
        const float k = tile->layout.scale * tile->baseLayout.scale;
        buildTileMesh(buffers, tile->unitSize.x * k * 0.5f, tile->unitSize.y * k * 0.5f, k * kHalfDepth);
        program->use();

        const PVRTMat4 model = TileSupport::tileModelMatrix(tile->layout);
        const PVRTMat4 mvp = program->cameraMatrix * model;
        const PVRTMat4 modelView = viewCentring * model;
        float normal[9];
        RenderProgram::normalMatrix(normal, modelView);
        glUniformMatrix4fv(shader.uniform(u_modelViewProjectionMatrix), 1, GL_FALSE, mvp.f);
        glUniformMatrix4fv(shader.uniform(u_modelViewMatrix), 1, GL_FALSE, modelView.f);
        glUniformMatrix3fv(shader.uniform(u_normalMatrix), 1, GL_FALSE, normal);
        uniform3(shader, u_diffuse, tile->material.diffuse);
        uniform3(shader, u_specular, tile->material.specular);
        glUniform1f(shader.uniform(u_shininess), tile->material.shininess);
        glUniform1f(shader.uniform(u_alpha), tile->layout.alpha);
        uniform3(shader, u_lightPos, light);
        glUniform3f(shader.uniform(u_eye), eye.x, eye.y, eye.z);
        glUniform1i(shader.uniform(u_uitex), 0);

        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, tile->visibleCaption()->texture->name);
        glDrawElements(GL_TRIANGLES, buffers.indexCount, GL_UNSIGNED_SHORT, nullptr);
        program->unuse();
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

} // namespace ZQ
