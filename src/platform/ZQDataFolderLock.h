#pragma once

#include "engine/OwnedFolder.h"

#include <optional>
#include <string>

// The game's hold on its data folder, taken before the first frame. Two games
// on one folder would each write the record they hold over the other's; a
// folder of another user, or one it cannot write, would lose the run's progress.
//
// The lock is a non-blocking flock on the folder itself, through a descriptor
// of the lock's own: nothing done to a name inside the folder takes it away
// or lets another game take it, and the kernel lets it go however the process
// ends (docs/stores.md, One game at a time).
//
// Ownership: owns that descriptor, closed (the lock let go) when the object
// goes. Threads: main thread.
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
