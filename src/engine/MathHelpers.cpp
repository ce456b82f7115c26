#include "engine/MathHelpers.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/Assert.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"

namespace ZQ {

namespace {

constexpr float kNearPlane = 1.5f;

PVRTMat4 orthographic(float w, float h) {
    const float n = kNearPlane;
    const float f = 3.0f * h;
    PVRTMat4 p;
    p.f[0] = 2.0f / w;
    p.f[5] = 2.0f / h;
    p.f[10] = -2.0f / (n - f);
    p.f[14] = (n + f) / (n - f);
    p.f[15] = 1.0f;
    return p;
}

float quaternionLength(const PVRTQuaternion& q) {
    return std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
}

void normalizeInPlace(PVRTQuaternion& q) {
    const float len = quaternionLength(q);
    if (len != 0.0f) {
        q.x /= len;
        q.y /= len;
        q.z /= len;
        q.w /= len;
    }
}

} // namespace

PVRTMat4 sceneCentring(float w, float h) {
    return PVRTMat4::translation(-w / 2.0f, -h / 2.0f, -h);
}

PVRTMat4 scenePerspective(float w, float h) {
    const float s = std::tan(gFieldOfView / 2.0f);
    const float n = kNearPlane;
    const float f = 3.0f * h;
    PVRTMat4 p;
    p.f[0] = h / (w * s);
    p.f[5] = 1.0f / s;
    p.f[10] = (f + n) / (n - f);
    p.f[11] = -1.0f;
    p.f[14] = 9.0f * h / (n - f); // 2 f n with f = 3H, n = 1.5
    return p;
}

PVRTVec2 projectPoint(const PVRTMat4& view, const PVRTVec3& p, bool ortho) {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const PVRTMat4 proj = ortho ? orthographic(w, h) : scenePerspective(w, h);
    const PVRTMat4 r = proj * view * sceneCentring(w, h);
    const PVRTVec4 clip = r * PVRTVec4(p, 1.0f);
    return {clip.x / clip.w, clip.y / clip.w};
}

PVRTVec3 unprojectPoint(PVRTMat4 view, float x, float y, float depth) {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const PVRTMat4 r = scenePerspective(w, h) * view * sceneCentring(w, h);
    PVRTMat4 inv;
    inverseMatrix4x4(inv, r);
    const PVRTVec4 v = inv * PVRTVec4(2.0f * x / w - 1.0f, 2.0f * y / h - 1.0f, depth, 1.0f);
    return {v.x / v.w, v.y / v.w, v.z / v.w};
}

void matrixInverseAffine(PVRTMat4& out, const PVRTMat4& in) {
    const float* m = in.f;

    // Summing the positive and the negative products apart keeps the
    // cancellation to one final addition.
    float pos = 0.0f;
    float neg = 0.0f;
    for (const float t : {m[0] * m[5] * m[10], m[4] * m[9] * m[2], m[8] * m[1] * m[6], -m[8] * m[5] * m[2],
                          -m[4] * m[1] * m[10], -m[0] * m[9] * m[6]}) {
        if (t >= 0.0f) {
            pos += t;
        } else {
            neg += t;
        }
    }
    const float det = pos + neg;
    if (det == 0.0f) {
        return;
    }

    PVRTMat4 r;
    r.f[0] = (m[5] * m[10] - m[9] * m[6]) / det;
    r.f[1] = (m[9] * m[2] - m[1] * m[10]) / det;
    r.f[2] = (m[1] * m[6] - m[5] * m[2]) / det;
    r.f[4] = (m[8] * m[6] - m[4] * m[10]) / det;
    r.f[5] = (m[0] * m[10] - m[8] * m[2]) / det;
    r.f[6] = (m[4] * m[2] - m[0] * m[6]) / det;
    r.f[8] = (m[4] * m[9] - m[8] * m[5]) / det;
    r.f[9] = (m[8] * m[1] - m[0] * m[9]) / det;
    r.f[10] = (m[0] * m[5] - m[4] * m[1]) / det;
    r.f[12] = -(m[12] * r.f[0] + m[13] * r.f[4] + m[14] * r.f[8]);
    r.f[13] = -(m[12] * r.f[1] + m[13] * r.f[5] + m[14] * r.f[9]);
    r.f[14] = -(m[12] * r.f[2] + m[13] * r.f[6] + m[14] * r.f[10]);
    r.f[15] = 1.0f;
    out = r; // in and out may be the same matrix
}

void linearEqSolve(float* res, float** rows, int n) {
    ZQ_ASSERT(n >= 1);
    if (n == 1) {
        res[0] = rows[0][0] / rows[0][1];
        return;
    }

    // Bring a row with a non-zero last coefficient to the bottom and eliminate
    // the last unknown from the rows above it; they then form a system in
    // n - 1 unknowns.
    int pivot = n - 1;
    while (pivot >= 0 && rows[pivot][n] == 0.0f) {
        --pivot;
    }
    if (pivot >= 0) {
        if (pivot != n - 1) {
            for (int k = 0; k <= n; ++k) {
                std::swap(rows[pivot][k], rows[n - 1][k]);
            }
        }
        const float* last = rows[n - 1];
        for (int j = 0; j < n - 1; ++j) {
            const float f = rows[j][n] / last[n];
            for (int k = 0; k < n; ++k) {
                rows[j][k] -= f * last[k];
            }
        }
    }

    linearEqSolve(res, rows, n - 1);

    const float* last = rows[n - 1];
    float b = last[0];
    for (int k = 0; k < n - 1; ++k) {
        b -= last[k + 1] * res[k];
    }
    res[n - 1] = b / last[n];
}

void inverseMatrix4x4(PVRTMat4& out, const PVRTMat4& in) {
    // Solving M^T x = e_i gives row i of the inverse.
    PVRTMat4 r;
    float scratch[4][5];
    float* rows[4] = {scratch[0], scratch[1], scratch[2], scratch[3]};
    float res[4];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            scratch[j][0] = j == i ? 1.0f : 0.0f;
            for (int k = 0; k < 4; ++k) {
                scratch[j][k + 1] = in.f[4 * j + k];
            }
        }
        linearEqSolve(res, rows, 4);
        for (int j = 0; j < 4; ++j) {
            r.f[4 * j + i] = res[j];
        }
    }
    out = r; // in and out may be the same matrix
}

void quaternionSlerp(PVRTQuaternion& out, const PVRTQuaternion& q0, PVRTQuaternion q1, float t) {
    if (t < 0.0f || t > 1.0f) {
        out = PVRTQuaternion();
        return;
    }

    auto dot = [](const PVRTQuaternion& a, const PVRTQuaternion& b) {
        return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    };
    float d = dot(q0, q1);
    // q and -q are the same rotation; the positive dot takes the shorter arc.
    if (d < 0.0f) {
        q1 = PVRTQuaternion(-q1.x, -q1.y, -q1.z, -q1.w);
        d = dot(q0, q1);
    }

    const float theta = std::acos(std::min(d, 1.0f));
    if (theta == 0.0f) {
        out = q0;
        return;
    }
    const float sinTheta = std::sin(theta);
    const float a = std::sin(theta - t * theta) / sinTheta;
    const float b = std::sin(t * theta) / sinTheta;
    PVRTQuaternion r(q0.x * a + q1.x * b, q0.y * a + q1.y * b, q0.z * a + q1.z * b, q0.w * a + q1.w * b);
    normalizeInPlace(r);
    out = r;
}

void quaternionMultiply(PVRTQuaternion& out, const PVRTQuaternion& a, const PVRTQuaternion& b) {
    const PVRTVec3 av(a.x, a.y, a.z);
    const PVRTVec3 bv(b.x, b.y, b.z);
    const PVRTVec3 v = bv * a.w + av * b.w + av.cross(bv);
    PVRTQuaternion r(v.x, v.y, v.z, a.w * b.w - av.dot(bv));
    normalizeInPlace(r);
    out = r;
}

PVRTMat4 rotationX(float a) {
    PVRTMat4 m = PVRTMat4::identity();
    m.f[5] = std::cos(a);
    m.f[6] = -std::sin(a);
    m.f[9] = std::sin(a);
    m.f[10] = std::cos(a);
    return m;
}

PVRTMat4 rotationY(float a) {
    PVRTMat4 m = PVRTMat4::identity();
    m.f[0] = std::cos(a);
    m.f[2] = std::sin(a);
    m.f[8] = -std::sin(a);
    m.f[10] = std::cos(a);
    return m;
}

PVRTMat4 rotationZ(float a) {
    PVRTMat4 m = PVRTMat4::identity();
    m.f[0] = std::cos(a);
    m.f[1] = -std::sin(a);
    m.f[4] = std::sin(a);
    m.f[5] = std::cos(a);
    return m;
}

} // namespace ZQ
