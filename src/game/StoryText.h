#pragma once

#include "engine/Layout.h"
#include "overlays/FlowModel.h"

#include <cstdint>
#include <string>

namespace ZQ {

class Action;

// How the story and the outro tell their text: a small caption in the
// lower right corner, and lines of flowing letters swung across the room.

// A pose at `position`, turned by `angles`, of size `scale` and opacity `alpha`.
Layout layoutAt(PVRTVec3 position, PVRTVec3 angles, float scale, float alpha);

// The small caption `name` in the lower right corner: after `delayFrames` it
// fades in over `fadeFrames`, stays `holdFrames` and fades out as it came.
void showCornerCaption(const std::string& name, int32_t delayFrames, int32_t fadeFrames, int32_t holdFrames);

// Lines of flowing letters, each laid where it enters and pulled across by
// two of its letters; once every pull has run the lines are removed. The
// pulls and removals go to the flow model as two batches, all lines at once.
//
// Ownership: the batches are the flow model's from start(); a swing not
// started owns them. Threads: main thread only.
class LineSwing {
public:
    LineSwing();
    ~LineSwing();
    LineSwing(const LineSwing&) = delete;
    LineSwing& operator=(const LineSwing&) = delete;

    // Lays caption `name` as flowing letters from (x, y); its letter count.
    // A text left empty in some language has none: it is logged as a line
    // of `screen`, and the other lines play on without it.
    int32_t lay(const char* screen, const std::string& name, float x, float y);
    // Letter `letter` of the line laid last runs `actions`.
    void pull(int32_t letter, Action* actions);
    // Hands the pulls and the removals to the flow model.
    void start();

private:
    FlowModel::Batch* enter;
    FlowModel::Batch* remove;
    int32_t flow = 0;
};

} // namespace ZQ
