#pragma once

#include <string>

// Keeps a second game off the data folder a game plays on: two games on one
// folder would each write the record they hold over the other's, and the
// older one would undo the newer's progress.
//
// The lock is flock on "<folder>/.lock", which the kernel lets go when the
// process ends in any way, a crash or SIGKILL included: a restart after a
// kill finds the folder free. The lock holds whoever made the file: one that
// another process holds turns this game away, whoever owns the file, and the
// message names the holder when the file names a process still running.
//
// A lock file is replaced by one of this game's own when it cannot serve:
// anything but a regular file (a folder, a link, a FIFO), a file this user
// cannot open at all (mode 000), and, once this game holds it so that no
// other does, a file it may only read (left by a run as another user) or one
// with a second name (a hard link to a store, which writing the number would
// empty). The old one is set aside as "<path>.corrupt-<UTC time>", and held,
// if it was, until the new one is. Games that find a file none of them can
// hold take turns on the folder (flock on the folder itself) to move it, and
// every lock taken is checked to be on the file the path still names: games
// started at once leave exactly one on the folder.
//
// Where the folder does not let a file be set aside, a regular file that can
// be read is locked as it is and never written, and the message of a game
// turned away names no process. A folder that cannot be locked at all (a
// read-only disk without a lock file, a file system without flock, an
// unreadable file in a folder this user cannot write) is logged and played
// on, as the game plays on when its stores cannot be written.
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
    // One look at the lock file: true when it is settled (held here, turned
    // away, or not lockable), false to look again. `setAsideHeld` is a lock
    // file this game set aside and holds until the new one is locked.
    bool lockOnce(const std::string& folder, const std::string& path, int& setAsideHeld);

    int descriptor = -1;
};
