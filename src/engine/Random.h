#pragma once

#include <cstdint>

namespace ZQ {

// The process-wide random source behind every random wait, head choice and
// braid. Seeded from the operating system by default; tests seed it so a
// run is reproducible. Main thread only.
uint32_t arc4random();

// A uniform value in [0, upperBound); 0 when upperBound is 0.
uint32_t arc4random_uniform(uint32_t upperBound);

void seedRandom(uint64_t seed);

} // namespace ZQ
