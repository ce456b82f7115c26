#pragma once

#include "engine/PVRTVector.h"

#include <cstdint>
#include <vector>

namespace ZQ {

class KnotGenerator;

constexpr int32_t MAX_CORD_STRINGS = 4;

// A knot's rest shape: the generator's curve scaled so that its farthest point
// lies at the target size from the centre, with the polyline length and an
// arc-length table. The cord model lays particles along it, the award tangle
// and the gauge sample it; all of them go through pointAtLength.
class Cord {
public:
    struct ArcEntry {
        float length; // arc length from the first point
        PVRTVec3 point;
    };

    // Takes ownership of the generator. Nothing is generated until build.
    Cord(float targetSize, const PVRTVec3& centre, int32_t strings, bool settle, KnotGenerator* generator);
    virtual ~Cord();
    Cord(const Cord&) = delete;
    Cord& operator=(const Cord&) = delete;

    // Fills points, totalLength and arcTable from the generator. Building again
    // replaces them.
    void build();

    // The point at an arc length along the polyline: the first point at or
    // below the first entry, the last point beyond the last entry, otherwise
    // linear between the two entries that bracket it. The centre when the
    // table is empty.
    PVRTVec3 pointAtLength(float arc) const;

    float targetSize;
    PVRTVec3 centre;
    int32_t strings;                           // 1 .. MAX_CORD_STRINGS
    bool settle;                               // let the laid particles settle before play
    KnotGenerator* generator;                  // owned; a borrower clears it before the cord is deleted
    std::vector<ArcEntry>* arcTable = nullptr; // owned; null until build
    std::vector<PVRTVec3> points;
    float totalLength = 0.0f;
};

} // namespace ZQ
