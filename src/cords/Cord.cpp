#include "cords/Cord.h"

#include "cords/KnotGenerator.h"
#include "engine/Assert.h"
#include "engine/Log.h"

#include <algorithm>
#include <utility>

namespace ZQ {

Cord::Cord(float targetSize, const PVRTVec3& centre, int32_t strings, bool settle, KnotGenerator* generator)
    : targetSize(targetSize), centre(centre), strings(strings), settle(settle), generator(generator) {
    ZQ_ASSERT(strings >= 1 && strings <= MAX_CORD_STRINGS);
}

Cord::~Cord() {
    delete arcTable;
    delete generator;
}

void Cord::build() {
    ZQ_ASSERT(generator != nullptr);
    std::vector<PVRTVec3> generated;
    generator->generate(generated);
    const std::size_t n = generated.size();

    float farthest = 0.0f;
    for (const PVRTVec3& p : generated) {
        farthest = std::max(farthest, p.length());
    }
    // A curve with no extent cannot be scaled to any size; it collapses onto
    // the centre instead of turning into NaN.
    float scale = 0.0f;
    if (farthest > 0.0f) {
        scale = targetSize / farthest;
    } else {
        platformLog("Cord: knot curve has no extent");
    }

    points.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        points[i] = centre + generated[i] * scale;
    }

    // Running sum of the segment lengths; the curve is not closed here, so
    // the last entry ends at the last point, not back at the first.
    std::vector<ArcEntry> table;
    table.reserve(n);
    float sum = 0.0f;
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0) {
            sum += (points[i] - points[i - 1]).length();
        }
        table.push_back({sum, points[i]});
    }
    totalLength = sum;

    delete arcTable;
    arcTable = new std::vector<ArcEntry>(std::move(table));
}

PVRTVec3 Cord::pointAtLength(float arc) const {
    if (arcTable == nullptr || arcTable->empty()) {
        return centre;
    }
    const std::vector<ArcEntry>& table = *arcTable;
    if (!(arc > table.front().length)) {
        return table.front().point;
    }
    if (arc >= table.back().length) {
        return table.back().point;
    }
    // The first entry beyond arc; the one before it is at or below arc, so the
    // pair brackets arc and their lengths differ.
    const auto above = std::upper_bound(table.begin(), table.end(), arc,
                                        [](float value, const ArcEntry& e) { return value < e.length; });
    const ArcEntry& hi = *above;
    const ArcEntry& lo = *(above - 1);
    const float f = (arc - lo.length) / (hi.length - lo.length);
    return lo.point + (hi.point - lo.point) * f;
}

} // namespace ZQ
