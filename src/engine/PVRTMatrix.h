#pragma once

#include "engine/PVRTVector.h"

// 4x4 single-precision matrix in column-major order: f[4c + r] is row r of
// column c, so a point transforms as col0 x + col1 y + col2 z + col3 and the
// translation sits in f[12], f[13], f[14] (the layout GL uniforms expect).
struct PVRTMat4 {
    float f[16] = {};

    static constexpr PVRTMat4 identity() {
        PVRTMat4 m;
        m.f[0] = m.f[5] = m.f[10] = m.f[15] = 1.0f;
        return m;
    }
    static constexpr PVRTMat4 translation(float x, float y, float z) {
        PVRTMat4 m = identity();
        m.f[12] = x;
        m.f[13] = y;
        m.f[14] = z;
        return m;
    }
    static constexpr PVRTMat4 scale(float x, float y, float z) {
        PVRTMat4 m;
        m.f[0] = x;
        m.f[5] = y;
        m.f[10] = z;
        m.f[15] = 1.0f;
        return m;
    }

    constexpr float& operator()(int row, int col) { return f[4 * col + row]; }
    constexpr float operator()(int row, int col) const { return f[4 * col + row]; }

    // this * o: o is applied first.
    constexpr PVRTMat4 operator*(const PVRTMat4& o) const {
        PVRTMat4 r;
        for (int c = 0; c < 4; ++c) {
            for (int row = 0; row < 4; ++row) {
                float sum = 0.0f;
                for (int k = 0; k < 4; ++k) {
                    sum += f[4 * k + row] * o.f[4 * c + k];
                }
                r.f[4 * c + row] = sum;
            }
        }
        return r;
    }

    constexpr PVRTVec4 operator*(const PVRTVec4& v) const {
        return {f[0] * v.x + f[4] * v.y + f[8] * v.z + f[12] * v.w,
                f[1] * v.x + f[5] * v.y + f[9] * v.z + f[13] * v.w,
                f[2] * v.x + f[6] * v.y + f[10] * v.z + f[14] * v.w,
                f[3] * v.x + f[7] * v.y + f[11] * v.z + f[15] * v.w};
    }

    // The point (x, y, z, 1) transformed, without the perspective divide.
    constexpr PVRTVec3 transformPoint(const PVRTVec3& p) const { return (*this * PVRTVec4(p, 1.0f)).xyz(); }
    constexpr PVRTVec3 transformDirection(const PVRTVec3& d) const {
        return (*this * PVRTVec4(d, 0.0f)).xyz();
    }

    constexpr bool operator==(const PVRTMat4& o) const {
        for (int i = 0; i < 16; ++i) {
            if (f[i] != o.f[i]) {
                return false;
            }
        }
        return true;
    }
};

// Quaternion (x, y, z, w); the identity is (0, 0, 0, 1).
struct PVRTQuaternion {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    constexpr PVRTQuaternion() = default;
    constexpr PVRTQuaternion(float ax, float ay, float az, float aw) : x(ax), y(ay), z(az), w(aw) {}
    constexpr bool operator==(const PVRTQuaternion& o) const {
        return x == o.x && y == o.y && z == o.z && w == o.w;
    }
};
