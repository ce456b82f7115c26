#pragma once

#include <string>

namespace ZQ {

// The game's side of sharing, over the process-wide social gateway.
// Main thread only.

// A room or the award knot is ready: keep the next frame for a share, when
// a channel is open at all.
void requestShareSnapshot();

// The pause screen's share tile: the knot being played, through the first
// open channel (one network, else the other, else mail); with none open it
// logs "Social networks unavailable".
void shareKnot(const std::string& knotName);

// The award screen's share tile: the award just won, through one network or
// the other; mail is not offered here.
void shareAward(const std::string& knotName);

} // namespace ZQ
