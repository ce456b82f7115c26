#pragma once

#include <cmath>

// Single-precision value types shared by the whole program. Plain aggregates:
// they are copied freely, live in fixed arrays (the particle system keeps
// PVRTVec3 arrays) and are constant-initialisable.

struct PVRTVec2 {
    float x = 0.0f;
    float y = 0.0f;

    constexpr PVRTVec2() = default;
    constexpr PVRTVec2(float ax, float ay) : x(ax), y(ay) {}

    constexpr PVRTVec2 operator+(const PVRTVec2& o) const { return {x + o.x, y + o.y}; }
    constexpr PVRTVec2 operator-(const PVRTVec2& o) const { return {x - o.x, y - o.y}; }
    constexpr PVRTVec2 operator-() const { return {-x, -y}; }
    constexpr PVRTVec2 operator*(float s) const { return {x * s, y * s}; }
    constexpr PVRTVec2 operator/(float s) const { return {x / s, y / s}; }
    constexpr PVRTVec2& operator+=(const PVRTVec2& o) {
        x += o.x;
        y += o.y;
        return *this;
    }
    constexpr PVRTVec2& operator-=(const PVRTVec2& o) {
        x -= o.x;
        y -= o.y;
        return *this;
    }
    constexpr PVRTVec2& operator*=(float s) {
        x *= s;
        y *= s;
        return *this;
    }
    constexpr bool operator==(const PVRTVec2& o) const { return x == o.x && y == o.y; }

    constexpr float dot(const PVRTVec2& o) const { return x * o.x + y * o.y; }
    constexpr float lenSqr() const { return x * x + y * y; }
    float length() const { return std::sqrt(lenSqr()); }
};

struct PVRTVec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr PVRTVec3() = default;
    constexpr PVRTVec3(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

    constexpr PVRTVec3 operator+(const PVRTVec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    constexpr PVRTVec3 operator-(const PVRTVec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    constexpr PVRTVec3 operator-() const { return {-x, -y, -z}; }
    constexpr PVRTVec3 operator*(float s) const { return {x * s, y * s, z * s}; }
    constexpr PVRTVec3 operator/(float s) const { return {x / s, y / s, z / s}; }
    constexpr PVRTVec3& operator+=(const PVRTVec3& o) {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    constexpr PVRTVec3& operator-=(const PVRTVec3& o) {
        x -= o.x;
        y -= o.y;
        z -= o.z;
        return *this;
    }
    constexpr PVRTVec3& operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    constexpr PVRTVec3& operator/=(float s) {
        x /= s;
        y /= s;
        z /= s;
        return *this;
    }
    constexpr bool operator==(const PVRTVec3& o) const { return x == o.x && y == o.y && z == o.z; }

    constexpr float dot(const PVRTVec3& o) const { return x * o.x + y * o.y + z * o.z; }
    constexpr PVRTVec3 cross(const PVRTVec3& o) const {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }
    constexpr float lenSqr() const { return x * x + y * y + z * z; }
    float length() const { return std::sqrt(lenSqr()); }
    // Divides by the length when it is not zero; a zero vector stays zero.
    PVRTVec3 normalized() const {
        const float l = length();
        return l != 0.0f ? *this / l : *this;
    }
};

struct PVRTVec4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    constexpr PVRTVec4() = default;
    constexpr PVRTVec4(float ax, float ay, float az, float aw) : x(ax), y(ay), z(az), w(aw) {}
    constexpr PVRTVec4(const PVRTVec3& v, float aw) : x(v.x), y(v.y), z(v.z), w(aw) {}

    constexpr PVRTVec4 operator+(const PVRTVec4& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
    constexpr PVRTVec4 operator-(const PVRTVec4& o) const { return {x - o.x, y - o.y, z - o.z, w - o.w}; }
    constexpr PVRTVec4 operator*(float s) const { return {x * s, y * s, z * s, w * s}; }
    constexpr bool operator==(const PVRTVec4& o) const {
        return x == o.x && y == o.y && z == o.z && w == o.w;
    }
    constexpr float dot(const PVRTVec4& o) const { return x * o.x + y * o.y + z * o.z + w * o.w; }
    constexpr PVRTVec3 xyz() const { return {x, y, z}; }
};
