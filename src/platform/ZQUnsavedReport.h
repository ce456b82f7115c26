#pragma once

#include "engine/KeyValueStore.h"

#include <vector>

class ZQDialogPresenter;

// What the end of a session says of progress it could not save. A store
// whose write failed (a full disk, a folder made read-only, an I/O error)
// keeps its changes in memory and tries again at its next change, and a
// store the game needs that is refused during play keeps nothing; when the
// game ends, memory goes with it. So each store still owing changes is tried
// once more, and each one still failing is named, with why and what mends
// it, where the player looks: a line on standard error, and a message box
// too when there is a window. The run then ends with status 1: a run that
// lost its progress never ends as one that kept it.
//
// Ownership: refers to the stores, owns none. Threads: main thread only.
namespace ZQUnsavedReport {

// Tries `stores` once more and says what is still not saved: on standard
// error and, when `box` is given (a window's), in a box the player closes.
// Returns the run's exit status as far as saving goes: 1 when anything is
// still not saved, else 0, having said nothing.
int endSession(const std::vector<ZQ::KeyValueStore*>& stores, ZQDialogPresenter* box);

} // namespace ZQUnsavedReport
