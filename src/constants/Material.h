#pragma once

#include "constants/Palette.h"
#include "engine/PVRTVector.h"

namespace ZQ {

// Colours and shininess of one material: a room's wallpaper values, a cord's
// strings, a braid, the award metals. Each shader uploads its own subset of
// the fields, so unused ones stay zero.
struct Material {
    PVRTVec3 ambient;
    PVRTVec3 diffuse;
    PVRTVec3 specular;
    float shininess = 0.0f;
    float refractiveIndex = 0.0f; // read only by the metals of the award knot
    PVRTVec3 warm;                // two-tone shading, warm end
    PVRTVec3 cool;                // two-tone shading, cool end

    // The wallpaper shape: black ambient, a near-black diffuse (ivoryBlack,
    // or lampBlack for the rooms that want it) and the distinguishing
    // specular colour.
    static constexpr Material room(const PVRTVec3& specular, float shininess,
                                   const PVRTVec3& diffuse = Palette::ivoryBlack) {
        return {Palette::black, diffuse, specular, shininess, 0.0f, PVRTVec3(), PVRTVec3()};
    }
    // The string shape: only the two-tone colours tell strings apart.
    static constexpr Material cord(const PVRTVec3& warm, const PVRTVec3& cool) {
        return {Palette::black, PVRTVec3(), Palette::black, 2.8f, 0.0f, warm, cool};
    }
};

} // namespace ZQ
