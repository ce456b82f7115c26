#include "ScheduleWithoutSimd.h"

#include "engine/physics/FxConstraintSchedule.h"

#include <vector>

#if !defined(VELMORA_NO_SIMD)
#error "compile with VELMORA_NO_SIMD, or the test compares the SSE2 kernels with themselves"
#endif

void runScheduleWithoutSimd(ZQ::Fx::Constraint* const* table, int32_t count, int32_t passes,
                            PVRTVec3* positions, int32_t particleCount) {
    std::vector<ZQ::Fx::ConstraintKind> kinds;
    for (int32_t k = 0; k < count; ++k) {
        kinds.push_back(ZQ::Fx::constraintKindOf(table[k]));
    }
    ZQ::Fx::ConstraintSchedule schedule(particleCount);
    schedule.plan(table, kinds.data(), count, passes);
    schedule.run(positions, particleCount);
}
