#include "render/PodBox.h"

#include "engine/Assert.h"
#include "engine/Bundle.h"
#include "engine/Log.h"
#include "render/PVRTResourceFile.h"

#include <algorithm>
#include <cfloat>
#include <cstring>

namespace ZQ {

namespace {

// clang-format off
constexpr const char* kModelNames[] = {
    "torus",      // 0
    "sphere",     // 1
    "disc",       // 2
    "discmedium", // 3
    "discsmall",  // 4
    "cube",       // 5
    "slate",      // 6
};
// clang-format on
static_assert(sizeof kModelNames / sizeof kModelNames[0] == PodBox::kModelCount);

// Why a float vec3 stream of `mesh` does not lie inside its interleaved
// block at `stride`, or null.
const char* refuseVec3(const SPODMesh& mesh, const CPODData& stream, uint32_t stride, const char* what) {
    if (stream.type != static_cast<uint32_t>(EPVRTDataType::Float) || stream.components < 3) {
        return what;
    }
    if (mesh.numVertex == 0) {
        return nullptr;
    }
    const uint64_t last = uint64_t(mesh.numVertex - 1) * stride + stream.offset + 12;
    return last <= mesh.interleaved.size() ? nullptr : what;
}

float readFloat(const uint8_t* p) {
    float value;
    std::memcpy(&value, p, 4);
    return value;
}

} // namespace

bool PodModel::drawable(int32_t mesh) const {
    return mesh >= 0 && static_cast<uint32_t>(mesh) < meshCount() &&
           vertexBuffers[static_cast<uint32_t>(mesh)] != 0 && indexBuffers[static_cast<uint32_t>(mesh)] != 0;
}

const char* PodBox::modelName(int32_t id) {
    ZQ_ASSERT(id >= 0 && id < kModelCount);
    return kModelNames[id];
}

PodModel* PodBox::model(int32_t id) const {
    const auto it = models.find(id);
    return it == models.end() ? nullptr : it->second.get();
}

const char* PodBox::refuseMesh(const SPODMesh& mesh) {
    if (mesh.interleaved.empty()) {
        return "no interleaved vertex block";
    }
    const uint32_t stride = mesh.vertex.stride;
    if (stride < 12) {
        return "a vertex stride below one position";
    }
    if (uint64_t(mesh.numVertex) * stride > mesh.interleaved.size()) {
        return "fewer vertices in the block than the mesh counts";
    }
    if (const char* why = refuseVec3(mesh, mesh.vertex, stride, "positions outside the block")) {
        return why;
    }
    if (mesh.normals.stride != stride) {
        return "normals at another stride than the positions";
    }
    if (const char* why = refuseVec3(mesh, mesh.normals, stride, "normals outside the block")) {
        return why;
    }
    const uint64_t indices = mesh.indexCount();
    if (indices == 0 || mesh.faces.type != static_cast<uint32_t>(EPVRTDataType::UnsignedShort)) {
        return "no 16-bit face indices";
    }
    if (indices * 2 > mesh.faces.data.size() || indices > 0x7FFFFFFF) {
        return "fewer face indices than the faces need";
    }
    for (uint64_t i = 0; i < indices; ++i) {
        const uint32_t index = uint32_t(mesh.faces.data[2 * i]) | uint32_t(mesh.faces.data[2 * i + 1]) << 8;
        if (index >= mesh.numVertex) {
            return "a face index past the vertices";
        }
    }
    return nullptr;
}

bool PodBox::readModelFile(const std::string& path, SPODScene& scene) {
    CSourceStream stream(path.c_str());
    return stream.isOpen() && readPOD(stream, scene);
}

std::string PodBox::refuseModelFile(const std::string& path) {
    SPODScene scene;
    if (!readModelFile(path, scene)) {
        return "the model reader refuses it: cut short, or not a model file";
    }
    if (scene.numMesh == 0) {
        return "no mesh to draw";
    }
    for (uint32_t i = 0; i < scene.numMesh; ++i) {
        if (const char* why = refuseMesh(scene.meshes[i])) {
            return "mesh " + std::to_string(i) + ": " + why;
        }
    }
    return {};
}

PodModel::Corners PodBox::meshBounds(const SPODMesh& mesh) {
    PVRTVec3 low(FLT_MAX, FLT_MAX, FLT_MAX);
    PVRTVec3 high(-FLT_MAX, -FLT_MAX, -FLT_MAX);
    if (mesh.numVertex == 0) {
        low = high = PVRTVec3(0, 0, 0);
    }
    const uint8_t* p = mesh.interleaved.data() + mesh.vertex.offset;
    for (uint32_t v = 0; v < mesh.numVertex; ++v, p += mesh.vertex.stride) {
        const PVRTVec3 q(readFloat(p), readFloat(p + 4), readFloat(p + 8));
        low = PVRTVec3(std::min(low.x, q.x), std::min(low.y, q.y), std::min(low.z, q.z));
        high = PVRTVec3(std::max(high.x, q.x), std::max(high.y, q.y), std::max(high.z, q.z));
    }
    PodModel::Corners corners;
    for (uint32_t k = 0; k < 8; ++k) {
        corners[k] = PVRTVec3((k & 4) != 0 ? high.x : low.x, (k & 2) != 0 ? high.y : low.y,
                              (k & 1) != 0 ? high.z : low.z);
    }
    return corners;
}

void PodBox::setUp() {
    models.clear();
    for (int32_t id = 0; id < kModelCount; ++id) {
        auto record = std::make_unique<PodModel>();
        record->name = kModelNames[id];
        models[id] = std::move(record);
    }
    for (auto& [id, record] : models) {
        load(*record);
    }
}

void PodBox::load(PodModel& model) {
    model.scene = std::make_unique<SPODScene>();
    const std::string path =
        folder.empty() ? pathForResource(model.name, "pod") : pathForResourceIn(folder, model.name, "pod");
    if (path.empty() || !readModelFile(path, *model.scene)) {
        if (path.empty()) {
            platformLog("res==PVR_FAIL: no %s.pod in %s", model.name.c_str(),
                        (folder.empty() ? bundleFolder() : folder).c_str());
        } else {
            platformLog("res==PVR_FAIL: %s is not a model the game can read", path.c_str());
        }
        // Whatever a failed read left behind is not a model.
        model.scene = std::make_unique<SPODScene>();
        return;
    }

    const uint32_t meshes = model.scene->numMesh;
    model.vertexBuffers.assign(meshes, 0);
    model.indexBuffers.assign(meshes, 0);
    model.bounds.assign(meshes, PodModel::Corners{});
    for (uint32_t i = 0; i < meshes; ++i) {
        const SPODMesh& mesh = model.scene->meshes[i];
        if (const char* why = refuseMesh(mesh)) {
            platformLog("Model %s: mesh %u is not drawn: %s", model.name.c_str(), i, why);
            continue;
        }
        model.bounds[i] = meshBounds(mesh);
        glGenBuffers(1, &model.vertexBuffers[i]);
        glGenBuffers(1, &model.indexBuffers[i]);
        glBindBuffer(GL_ARRAY_BUFFER, model.vertexBuffers[i]);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(uint64_t(mesh.numVertex) * mesh.vertex.stride),
                     mesh.interleaved.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, model.indexBuffers[i]);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(2 * mesh.indexCount()),
                     mesh.faces.data.data(), GL_STATIC_DRAW);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void PodBox::tearDown() {
    for (auto& [id, record] : models) {
        if (record->meshCount() > 0) {
            glDeleteBuffers(static_cast<GLsizei>(record->meshCount()), record->vertexBuffers.data());
            glDeleteBuffers(static_cast<GLsizei>(record->meshCount()), record->indexBuffers.data());
        }
    }
    models.clear();
}

} // namespace ZQ
