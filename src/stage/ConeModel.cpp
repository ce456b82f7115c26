#include "stage/ConeModel.h"

#include "cords/CordModel.h"
#include "engine/Assert.h"
#include "engine/Globals.h"

#include <algorithm>
#include <cmath>

namespace ZQ {

std::vector<ConeMesh::Vertex> ConeMesh::buildVertices(int32_t segments) {
    const int32_t n = segments;
    std::vector<Vertex> v(static_cast<std::size_t>(2 * std::max(n, 0)), Vertex{});
    for (int32_t i = 0; i < n; ++i) {
        // The spoke angle in double, as the mesh was always measured.
        const double theta = 2.0 * 3.141592653589793 * static_cast<double>(static_cast<float>(i)) /
                             static_cast<double>(static_cast<float>(n));
        const float x = static_cast<float>(std::cos(theta));
        const float z = static_cast<float>(-std::sin(theta));
        Vertex& tip = v[static_cast<std::size_t>(i)];
        Vertex& rim = v[static_cast<std::size_t>(n + i)];
        tip = {{0.1f * x, 0.0f, 0.1f * z}, {x, 0.0f, z}, 1.0f, 0.4f};
        rim = {{x, 1.0f, z}, {x, 0.0f, z}, 1.0f, 0.0f};
    }
    return v;
}

std::vector<uint32_t> ConeMesh::buildIndices(int32_t segments) {
    const uint32_t n = static_cast<uint32_t>(std::max(segments, 0));
    std::vector<uint32_t> indices;
    indices.reserve(6 * n);
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t j = (i + 1) % n;
        for (uint32_t index : {n + i, n + j, i, n + j, j, i}) {
            indices.push_back(index);
        }
    }
    return indices;
}

void ConeMesh::setUp() {
    glGenBuffers(1, &vbo);
    glGenBuffers(1, &ibo);
    const std::vector<Vertex> vertices = buildVertices(segments);
    ZQ_ASSERT(!vertices.empty());
    const std::vector<uint32_t> indices = buildIndices(segments);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint32_t)),
                 indices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void ConeMesh::tearDown() {
    glDeleteBuffers(1, &vbo);
    glDeleteBuffers(1, &ibo);
    vbo = 0;
    ibo = 0;
}

ConeModel::~ConeModel() {
    // The GL names go with tearDown, while a context is current.
    delete mesh;
    removeCones();
}

void ConeModel::setUp() {
    Model::setUp();
    if (mesh == nullptr) {
        mesh = new ConeMesh();
        mesh->setUp();
    }
}

void ConeModel::tearDown() {
    if (mesh != nullptr) {
        mesh->tearDown();
        delete mesh;
        mesh = nullptr;
    }
    removeCones();
}

void ConeModel::getCloudlets(std::vector<Cloudlet*>& out) {
    out.insert(out.end(), cones.begin(), cones.end());
}

void ConeModel::addCones() {
    ZQ_ASSERT(gGlobals.cordModel != nullptr);
    const int32_t strings = gGlobals.cordModel->stringCount();
    for (int32_t k = 0; k < strings; ++k) {
        for (int32_t side = 0; side < 2; ++side) {
            cones.push_back(new ConeInstance(k, side));
        }
    }
    doLayout();
}

void ConeModel::removeCones() {
    for (ConeInstance* cone : cones) {
        delete cone;
    }
    cones.clear();
}

void ConeModel::doLayout() {
    if (cones.empty()) {
        return;
    }
    ZQ_ASSERT(gGlobals.cordModel != nullptr);
    doLayout(*gGlobals.cordModel);
}

void ConeModel::doLayout(const CordModel& cord) {
    if (cones.empty()) {
        return;
    }
    ZQ_ASSERT(cord.count > 0);
    const float s = kTipOffset * cord.instance->radius;
    for (ConeInstance* cone : cones) {
        ZQ_ASSERT(cone->cordIndex >= 0 && cone->cordIndex < cord.stringCount());
        const CordModel::Segment& seg = cord.segments[static_cast<std::size_t>(cone->cordIndex)];
        const int32_t e = cone->side == 0 ? seg.first : seg.last;
        const int32_t b = cone->side == 0 ? seg.first + 1 : seg.last - 1;
        const PVRTVec3 p = cord.positions[e];
        const PVRTVec3 d = p - cord.positions[b];
        const float len = d.length();

        // Before the fade-in grows the tube (s = 0), or with an end particle
        // on its neighbour, the offset has no direction: the cone then sits
        // on the particle, unturned, rather than taking acos(0 / 0).
        PVRTVec3 o;
        float yaw = 0.0f;
        float pitch = 0.0f;
        const float offset = std::fabs(s);
        if (len > 1e-6f && offset > 1e-6f) {
            o = d * (s / len);
            const float olen = o.length();
            yaw = std::atan2(o.z, o.x);
            // Rounding can carry o.y / |o| just past 1.
            pitch = std::acos(std::clamp(o.y / olen, -1.0f, 1.0f));
        }
        Layout& layout = cone->layout;
        layout.position = p + o;
        layout.angles = PVRTVec3(yaw, yaw, pitch);
        layout.scale = 1.0f;
        layout.alpha = 1.0f;
        layout.orientation = PVRTQuaternion();
    }
}

} // namespace ZQ
