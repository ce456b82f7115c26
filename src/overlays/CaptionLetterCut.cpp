#include "overlays/CaptionLetterCut.h"

#include "engine/Assert.h"

#include <algorithm>
#include <limits>

namespace ZQ {

LetterCut cutLetters(const std::vector<LetterCell>& cells, double clearance) {
    ZQ_ASSERT(clearance >= 1.0);
    constexpr double kNone = -std::numeric_limits<double>::infinity();
    constexpr double kMinStrip = 2.0; // boundaries this close give a strip of no width
    LetterCut cut;
    if (cells.empty()) {
        return cut;
    }
    double shift = 0.0;
    double inkReach = kNone; // the rightmost ink so far, moved
    double last = kNone;     // the last boundary
    for (const LetterCell& cell : cells) {
        // The boundary before this letter clears all ink before it and keeps
        // a strip's width after the last boundary...
        const double low = std::max(inkReach + clearance, last + kMinStrip);
        double high = std::numeric_limits<double>::infinity();
        if (cell.inked) {
            // ...and clears this letter's own ink, which moves right when
            // both cannot hold.
            high = cell.inkLeft + shift - clearance;
            if (high < low) {
                shift += low - high;
                high = low;
            }
            inkReach = std::max(inkReach, cell.inkRight + shift);
        }
        last = std::clamp(cell.left + shift, low, high);
        cut.boundaries.push_back(last);
        cut.shifts.push_back(shift);
    }
    cut.boundaries.push_back(std::max({cells.back().right + shift, inkReach + clearance, last + kMinStrip}));

    const double recentre = -0.5 * shift;
    for (double& value : cut.shifts) {
        value += recentre;
    }
    for (double& value : cut.boundaries) {
        value += recentre;
    }
    return cut;
}

} // namespace ZQ
