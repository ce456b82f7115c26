#pragma once

#include "engine/Cloudlet.h"
#include "engine/CloudletContainer.h"
#include "engine/Model.h"

#include <GLES2/gl2.h>

#include <cstdint>
#include <vector>

namespace ZQ {

class CordModel;

// The one mesh every light cone is drawn with: a truncated cone about +y,
// radius 0.1 at y = 0 (the tip) and 1 at y = 1 (the rim), whose vertices carry
// their own opacity, 0.4 at the tip and 0 at the rim. The counter-clockwise
// side of every triangle faces the axis, so front faces are the inside.
// Normals are radial. Built once, GL_STATIC_DRAW. Main thread with a current
// context.
struct ConeMesh {
    static constexpr int32_t kSegments = 20;

    // 32 bytes, as the cone program reads it.
    struct Vertex {
        float position[3];
        float normal[3];
        float one;   // always 1; no program reads it
        float alpha; // a_alpha
    };

    // The 2n vertices (tip ring, then rim ring) and 6n indices of a mesh of
    // n segments, on the CPU: what setUp uploads.
    static std::vector<Vertex> buildVertices(int32_t segments);
    static std::vector<uint32_t> buildIndices(int32_t segments);

    // Names both buffers and fills them.
    void setUp();
    // Deletes both buffers.
    void tearDown();

    GLuint vbo = 0;
    GLuint ibo = 0;
    int32_t segments = kSegments;
};
static_assert(sizeof(ConeMesh::Vertex) == 32);

// One light cone at an end of a string of the playing cord.
class ConeInstance : public Cloudlet {
public:
    ConeInstance(int32_t cordIndex, int32_t side) : cordIndex(cordIndex), side(side) {}

    int32_t cordIndex; // the string, as an index into the cord model's segments
    int32_t side;      // 0: at the string's first particle; 1: at its last
};

// The light cones at both ends of every string: each frame (after the cord
// model has mirrored its particles) every cone is set on its end particle and
// turned along the string's last link, pointing outward.
//
// Ownership: the model owns its cones and, from setUp to tearDown, the shared
// cone mesh. The game flow fills the list when a level's cord is laid
// (addCones) and empties it when the cord is cleared (removeCones).
// Threads: main thread only.
class ConeModel : public Model, public CloudletContainer {
public:
    // The tip sits this many tube radii beyond the end particle.
    static constexpr float kTipOffset = 0.3f;

    ConeModel() = default;
    ~ConeModel() override;
    ConeModel(const ConeModel&) = delete;
    ConeModel& operator=(const ConeModel&) = delete;

    // Builds the mesh (a current context is needed).
    void setUp() override;
    // Frees the mesh and every cone.
    void tearDown() override;
    void doStep() override { doLayout(); }
    void getCloudlets(std::vector<Cloudlet*>& out) override;

    // Level start, after the cord is loaded: two cones per string, strings in
    // order, side 0 before side 1, then places them.
    void addCones();
    // The cord is cleared: deletes every cone.
    void removeCones();

    // Places every cone on its end particle of the engine's cord model.
    void doLayout();
    // Places every cone on its end particle of `cord`. Stops the program when
    // cones exist but the cord holds no particles.
    void doLayout(const CordModel& cord);

    const ConeMesh* getMesh() const { return mesh; }
    const std::vector<ConeInstance*>& getCones() const { return cones; }

private:
    ConeMesh* mesh = nullptr;         // owned
    std::vector<ConeInstance*> cones; // owned, in creation order
};

} // namespace ZQ
