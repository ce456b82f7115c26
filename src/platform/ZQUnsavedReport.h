#pragma once

#include "engine/KeyValueStore.h"

#include <vector>

class ZQDialogPresenter;

// What the end of a session says of progress it could not save, which goes
// with the process: each store is tried once more (one whose folder was
// replaced owes everything to the folder there now), and each still failing
// is named where the player looks (docs/stores.md, When a save fails). A run
// that lost its progress never ends as one that kept it.
//
// Ownership: refers to the stores, owns none. Threads: main thread only.
namespace ZQUnsavedReport {

inline constexpr const char* kTitle = "Velmora could not save your progress";
inline constexpr const char* kTryAgain = "Try again";
inline constexpr const char* kQuit = "Quit without saving";

// Tries `stores` once more and says what is still not saved: on standard
// error and, when `box` is given (a window's), in a box that asks whether
// to try again (on Return), once the player has made room or mended what
// its mends name, or to quit without saving (on Escape). Each try again
// tries the stores still not saved once more, and asks again while any is.
// SIGINT or SIGTERM while the box is up closes it and ends the run unsaved,
// as quitting does.
// Returns 1 when anything is still not saved, else 0 (having said nothing
// unless an earlier try failed).
int endSession(const std::vector<ZQ::KeyValueStore*>& stores, ZQDialogPresenter* box);

} // namespace ZQUnsavedReport
