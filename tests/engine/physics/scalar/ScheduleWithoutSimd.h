#pragma once

#include "engine/physics/FxConstraint.h"

#include <cstdint>

// The constraint schedule as a processor without SSE2 runs it: this file's
// source and the schedule's own are compiled once more with VELMORA_NO_SIMD.
// Plans `passes` passes over the first `count` constraints of the table and
// runs them on the positions.
void runScheduleWithoutSimd(ZQ::Fx::Constraint* const* table, int32_t count, int32_t passes,
                            PVRTVec3* positions, int32_t particleCount);
