#include "cords/CordModel.h"
#include "cords/GridModel.h"
#include "cords/HeadInstance.h"
#include "cords/HeadModel.h"
#include "engine/Assert.h"
#include "engine/Globals.h"

#include <algorithm>
#include <cmath>

namespace ZQ {

namespace {

float azimuth(const PVRTVec3& v) {
    return std::atan2(v.y, v.x);
}

// A zero vector (a head on its neck) counts as lying in the x-y plane, as
// the cord model's particle angles do; rounding never takes acos past 1.
float polar(const PVRTVec3& v) {
    const float length = v.length();
    return length > 0.0f ? std::acos(std::clamp(v.z / length, -1.0f, 1.0f)) : 1.5707964f;
}

} // namespace

void HeadModel::updateSight() {
    const int32_t n = static_cast<int32_t>(heads.size());
    sight.clear(n);
    for (int32_t i = 0; i < n; ++i) {
        if (heads[i]->calm) {
            continue;
        }
        for (int32_t j = i + 1; j < n; ++j) {
            if (!heads[j]->calm) {
                sight.setPair(i, j, seen(i, j));
            }
        }
    }
}

bool HeadModel::seen(int32_t i, int32_t j) const {
    ZQ_ASSERT(gGlobals.cordModel != nullptr);
    const CordModel& cord = *gGlobals.cordModel;
    if (cord.count == 0) {
        return false;
    }
    const HeadInstance& from = *heads[i];
    const HeadInstance& to = *heads[j];
    const PVRTVec3 d = cord.getParticlePos(to.headParticle) - cord.getParticlePos(from.headParticle);
    const float distance = d.length();
    // Two heads on one spot have no line between them (and share a cell).
    if (distance > 20.0f / gGlobals.worldScale || !(distance > 0.0f)) {
        return false;
    }
    // The field of view is a quarter turn among several strings, a full turn
    // for the two heads of a single string; the azimuths are not wrapped.
    const float halfAngle = (heads.size() > 2 ? kHalfPi : kTwoPi) / 2.0f;
    const PVRTVec3 f = from.getHeadDirection();
    if (std::fabs(azimuth(d) - azimuth(f)) >= halfAngle || std::fabs(polar(d) - polar(f)) >= halfAngle) {
        return false;
    }
    return walkSees(from, to, d);
}

// A walk through the previous frame's grid from the looking head's cell, one
// face-adjacent cell at a time along d, to the first cell that holds any
// particle; the view reaches head j when that cell holds its particle. The
// start cell is never examined, so heads sharing a cell do not see each
// other, and any particle in a nearer cell blocks the view.
//
// Per axis: step = sign(u); tMax = (ceil(p) - p) / |u| going up, else
// (p - floor(p)) / |u|, p the target head's coordinate; tDelta = step / u.
// An axis with u = 0 gets tMax +inf or NaN and tDelta NaN; the comparisons
// below are false with NaN.
bool HeadModel::walkSees(const HeadInstance& from, const HeadInstance& to, const PVRTVec3& d) const {
    const GridModel* grid = gGlobals.gridModel;
    if (grid == nullptr) {
        return false;
    }
    const int32_t start = grid->cellOfParticle(from.headParticle);
    if (start < 0) {
        return false;
    }
    const GridModel::Cell& first = grid->cells[start];
    int32_t index[3] = {first.ix, first.iy, first.iz};
    const int32_t count[3] = {grid->nx, grid->ny, grid->nz};
    const PVRTVec3 u = d / d.length();
    const PVRTVec3 p = gGlobals.cordModel->getParticlePos(to.headParticle);
    const float uc[3] = {u.x, u.y, u.z};
    const float pc[3] = {p.x, p.y, p.z};
    int32_t step[3];
    float tMax[3];
    float tDelta[3];
    for (int a = 0; a < 3; ++a) {
        step[a] = uc[a] > 0.0f ? 1 : (uc[a] < 0.0f ? -1 : 0);
        const float magnitude = std::fabs(uc[a]);
        tMax[a] =
            uc[a] > 0.0f ? (std::ceil(pc[a]) - pc[a]) / magnitude : (pc[a] - std::floor(pc[a])) / magnitude;
        tDelta[a] = static_cast<float>(step[a]) / uc[a];
    }

    for (;;) {
        int a = 2;
        if (tMax[0] < tMax[1] && tMax[0] < tMax[2]) {
            a = 0;
        } else if (tMax[1] <= tMax[0] && tMax[1] < tMax[2]) {
            a = 1;
        }
        // An axis the line does not advance on would keep the walk in its
        // cell for good: the start cell, which a stale grid (the first frame
        // of a bigger cord) may show empty, and the walk would never end.
        // The view is lost there instead.
        if (step[a] == 0) {
            return false;
        }
        index[a] += step[a];
        if (index[a] < 0 || index[a] >= count[a]) {
            return false;
        }
        tMax[a] += tDelta[a];
        const GridModel::Cell& cell = grid->cells[grid->cellIndex(index[0], index[1], index[2])];
        if (!cell.particles.empty()) {
            return cell.particles.count(to.headParticle) != 0;
        }
    }
}

} // namespace ZQ
