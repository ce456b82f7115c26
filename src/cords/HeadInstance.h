#pragma once

#include "engine/Cloudlet.h"
#include "engine/Layout.h"
#include "engine/PVRTVector.h"

#include <cstdint>

namespace ZQ {

// The creature at one end of a string. It is the string's end particle in the
// main particle world, so it moves with the string; its behaviour tree moves
// it further by pushing that particle with temporary forces. Its position is
// the particle's, not the layout's.
//
// The head model lists the heads; the game flow creates them through
// HeadCollection::createHeads and deletes them when the level ends.
class HeadInstance : public Cloudlet {
public:
    HeadInstance() = default;
    HeadInstance(int32_t segment, int32_t head, int32_t neck, int32_t headSide)
        : segmentIndex(segment), headParticle(head), neckParticle(neck), side(headSide) {}

    // The head particle in the main particle world, world units.
    PVRTVec3 getPosition() const override;
    // The neck particle in the main particle world, world units.
    PVRTVec3 getNeckPosition() const;
    // Neck to head, shortened to unit length only when longer.
    PVRTVec3 getHeadDirection() const;
    // One temporary constant force on the head particle: it acts in the next
    // physics step and is discarded after it.
    void push(const PVRTVec3& force) const;

    int32_t segmentIndex = 0;       // the string, an index into the cord model's segments
    int32_t headParticle = 0;       // the string's end particle
    int32_t neckParticle = 0;       // its neighbour on the string
    int32_t side = 0;               // 0 at the string's first particle, 1 at its last
    HeadInstance* target = nullptr; // the head this one is after; not owned
    Layout destination;             // where it roams to; only the position is used
    bool calm = false;              // once set, set for the life of the head
    bool grabbed = false;           // the player holds the string within two particles of the head
    bool fear = false;              // the player holds the string beyond half its length from the head
    int32_t chosenParticle = -1;    // the cord particle it means to grip; -1 for none
};

} // namespace ZQ
