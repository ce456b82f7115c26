#pragma once

#include "overlays/CaptionInstance.h"

#include <cstdint>

namespace ZQ {

// One letter of a flowing caption: a caption quad cut down to the letter's
// slice of the caption texture, riding one particle of the flow world. Its
// base size is the whole caption's texture width, so a letter keeps the
// caption's scale.
//
// Ownership: as a caption instance; owned by the flow model. Threads: main
// thread only.
class FlowInstance : public CaptionInstance {
public:
    FlowInstance(CaptionEntry* entry, int32_t letter, int32_t flow, int32_t particle)
        : CaptionInstance(entry), letter(letter), flow(flow), particle(particle) {}

    int32_t letter;   // 0-based position of the letter in its caption
    int32_t flow;     // the flow it belongs to
    int32_t particle; // its particle in the flow world
};

} // namespace ZQ
