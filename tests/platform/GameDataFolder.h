#pragma once

#include "GameProcess.h"

#include "game/SavedState.h"
#include "support/TempFolder.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A fresh data folder (XDG_DATA_HOME, with the cloud folder under it) for
// the game's headless runs, and what the runs leave in it: for the tests of
// lost progress. A run may go to its end, or be killed with SIGKILL once it
// has drawn a chosen frame, as a crash or a power cut would stop it; the
// next run on the same folder is the restart.
//
// Ownership: owns the folder, removed with everything in it when the object
// goes. Threads: the test's thread.
class GameDataFolder {
public:
    bool ok() const { return folder.ok(); }
    // The game's own folder inside it, where its stores live.
    std::string storeFolder() const { return folder.file("velmora"); }

    // The game headless on this folder with `arguments` (shell words), to
    // its end.
    GameRun run(const std::string& arguments) const;
    // The game headless on this folder with `arguments` (each a word, e.g.
    // "--input", path), killed with SIGKILL as soon as it has drawn `frame`.
    // Returns the last frame it finished, which the kill may have let run a
    // frame or two past `frame`; -1 when it drew none, -2 when it could not
    // start. `meanwhile`, when given, runs once the frame is drawn, while the
    // game still runs.
    int64_t runThenKillAt(const std::vector<std::string>& arguments, int64_t frame,
                          const std::function<void()>& meanwhile = {}) const;

    // Writes `record` (its code made here) into both stores, as a game that
    // had made this progress would have left it.
    void seed(ZQ::SavedState record) const;

    // What the stores hold now. `problem` is empty when every file is whole:
    // no store set aside as corrupt, each property list readable, the saved
    // record (when there is one) passing every check in both stores.
    struct Saved {
        std::string problem;
        std::optional<ZQ::SavedState> record;      // from the user defaults
        std::optional<ZQ::SavedState> cloudRecord; // from the cloud copy
        std::vector<std::string> files;            // below storeFolder(), sorted
    };
    Saved read() const;

private:
    std::string environment() const;

    TempFolder folder;
};
