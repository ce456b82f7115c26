#pragma once

#include <string>

// Keeps a second game off the data folder a game plays on: two games on one
// folder would each write the record they hold over the other's, and the
// older one would undo the newer's progress.
//
// The lock is flock on "<folder>/.lock", which the kernel lets go when the
// process ends in any way, a crash or SIGKILL included: a restart after a
// kill finds the folder free. The file also names the holding process, for
// the message of the game that is turned away. Anything else in its place
// (a folder, a link, a FIFO) is set aside as "<path>.corrupt-<UTC time>"
// and a lock file made anew. A folder that cannot be locked at all (a
// read-only disk, a file system without flock) is logged and played on, as
// the game plays on when its stores cannot be written.
//
// Ownership: owns the lock file's descriptor, closed (the lock let go) when
// the object goes. Threads: main thread.
class ZQDataFolderLock {
public:
    explicit ZQDataFolderLock(const std::string& folder);
    ~ZQDataFolderLock();
    ZQDataFolderLock(const ZQDataFolderLock&) = delete;
    ZQDataFolderLock& operator=(const ZQDataFolderLock&) = delete;

    // Another process holds the folder; `refusal` says which and where.
    bool heldElsewhere() const { return !refusal.empty(); }
    std::string refusal;

private:
    int descriptor = -1;
};
