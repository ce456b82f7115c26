#pragma once

#include "engine/Cloudlet.h"
#include "engine/PVRTVector.h"

#include <cstdint>
#include <map>

namespace ZQ {

struct CaptionEntry;

// A caption on screen: a quad of the caption pass centred on its layout
// position (pixels, bottom-left origin), as wide as the base size times the
// scale and as high as its texture's aspect makes it.
//
// Ownership: points at an entry of the caption box, which owns it and may
// swap its texture; owns its root action through the cloudlet. Threads: main
// thread only.
class CaptionInstance : public Cloudlet {
public:
    // The base size is the entry's texture width (1 without an entry).
    explicit CaptionInstance(CaptionEntry* entry);

    // (s, s x texture height / texture width) with s = base size x scale,
    // cached per scale quantised to 1e-5 while the entry keeps its texture.
    PVRTVec2 getSize();
    // True when (x, y) lies on the quad, its edges included.
    bool contains(float x, float y);

    CaptionEntry* entry;

private:
    std::map<int, PVRTVec2> sizeCache;
    // The texture size the cache was filled for: another texture swapped
    // into the entry may have another aspect, and the size must follow what
    // the pass draws.
    int32_t cachedWidth = 0;
    int32_t cachedHeight = 0;
};

} // namespace ZQ
