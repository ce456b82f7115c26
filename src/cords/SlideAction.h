#pragma once

#include "engine/Action.h"

#include <cstdint>
#include <set>
#include <vector>

namespace ZQ {

class Cloudlet;

// Moves the slide marker along a slide grasp's path, from its first particle
// to its last in `frames` frames. The path is read from the cord model at
// every run, so the marker rides the moving cord.
class SlideAction : public Action {
public:
    SlideAction(std::set<int> pathParticles, int32_t pathSign, int32_t duration);

    State start() override;
    State run() override;

    std::set<int> particles;
    int32_t sign = 1; // +1: the path runs up the indices, -1 down
    int32_t frames = 0;
    float t = 0.0f;
    float step = 0.0f;

private:
    std::vector<int> path; // scratch for the path order
};

} // namespace ZQ
