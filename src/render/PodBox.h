#pragma once

#include "engine/InitProtocol.h"
#include "engine/PVRTVector.h"
#include "render/PVRTModelPOD.h"

#include <GLES2/gl2.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ZQ {

// One model file as the game draws it: the scene read from it and, per mesh,
// its bounding box and the GL buffers of its interleaved vertices and 16-bit
// indices. A mesh the box refused (its streams do not fit its block, an
// index points past its vertices) has buffer names 0 and zero bounds; a
// model whose file failed to load has no meshes at all.
struct PodModel {
    // Corner k takes the maximum x when bit 2 of k is set, the maximum y for
    // bit 1 and the maximum z for bit 0.
    using Corners = std::array<PVRTVec3, 8>;

    std::vector<Corners> bounds;
    std::vector<GLuint> vertexBuffers;
    std::vector<GLuint> indexBuffers;
    std::string name;
    std::unique_ptr<SPODScene> scene;

    uint32_t meshCount() const { return static_cast<uint32_t>(vertexBuffers.size()); }
    // True when mesh `mesh` exists and has both buffers.
    bool drawable(int32_t mesh) const;
};

// The game's POD models, loaded once at start-up into static GL buffers.
//
// Ownership: the box owns its records, their scenes and their GL buffers;
// tearDown deletes the buffers (GL context current) and empties the box.
// Main thread only.
class PodBox : public InitProtocol {
public:
    static constexpr int32_t kTorus = 0;
    static constexpr int32_t kSphere = 1;
    static constexpr int32_t kDisc = 2;
    static constexpr int32_t kDiscMedium = 3;
    static constexpr int32_t kDiscSmall = 4;
    static constexpr int32_t kCube = 5;
    static constexpr int32_t kSlate = 6;
    static constexpr int32_t kModelCount = 7;

    // Models from the bundle, or from `folder` when it is not empty (tests).
    PodBox() = default;
    explicit PodBox(std::string folder) : folder(std::move(folder)) {}
    PodBox(const PodBox&) = delete;
    PodBox& operator=(const PodBox&) = delete;
    virtual ~PodBox() = default;

    void setUp() override;
    void tearDown() override;

    // The record of model `id`, or null for an id the box does not hold.
    PodModel* model(int32_t id) const;
    // The resource name of model `id` ("torus", ...).
    static const char* modelName(int32_t id);

    // Reads the model file at `path` into `scene`; false when the reader
    // refuses it (`scene` then holds nothing to draw).
    static bool readModelFile(const std::string& path, SPODScene& scene);
    // Why the model file at `path` would not be drawn whole, or an empty
    // string: the reader refuses it, it has no mesh, or the box refuses one
    // of its meshes. Needs no GL context.
    static std::string refuseModelFile(const std::string& path);

    // Why the box will not upload `mesh`, or null when its interleaved block
    // holds every position and normal it promises and every face index
    // names one of its vertices.
    static const char* refuseMesh(const SPODMesh& mesh);
    // The eight corners of the box around the mesh's positions (all zero for
    // a mesh without vertices); `mesh` must pass refuseMesh.
    static PodModel::Corners meshBounds(const SPODMesh& mesh);

    std::map<int32_t, std::unique_ptr<PodModel>> models;

private:
    void load(PodModel& model);

    std::string folder;
};

} // namespace ZQ
