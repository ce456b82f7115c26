#pragma once

#include "engine/OwnedFolder.h"

#include <optional>
#include <string>

// The game's hold on its data folder, taken before the first frame. Two games
// on one folder would each write the record they hold over the other's, and
// the older one would undo the newer's progress; a folder of another user,
// or one the game cannot write, would lose the whole run's progress.
//
// The lock is a non-blocking flock on ".lock" in the folder, which the game
// makes (mode 0600) and never moves, truncates or writes; the kernel lets it
// go when the process ends in any way, a crash or SIGKILL included. A game
// is turned away, with a message saying what to do, when the folder is
// another user's (OwnedFolder) or cannot be made or written, when another
// process holds the lock, or when ".lock" is anything the game cannot lock
// as its own (another user's file, one it may not open, a folder, a FIFO, a
// link). Only a file system without flock is logged and played on. The
// rules are in docs/stores.md.
//
// Ownership: owns the lock file's descriptor, closed (the lock let go) when
// the object goes. Threads: main thread.
class ZQDataFolderLock {
public:
    // `folder` is the data folder `path` names, opened.
    ZQDataFolderLock(const std::string& path, const ZQ::OwnedFolder::Handle& folder);
    ~ZQDataFolderLock();
    ZQDataFolderLock(const ZQDataFolderLock&) = delete;
    ZQDataFolderLock& operator=(const ZQDataFolderLock&) = delete;

    // The game may not play on the folder; `refusal` says why and what to do.
    bool refused() const { return refusal.has_value(); }
    std::optional<ZQ::Refusal> refusal;

private:
    int descriptor = -1;
};
