#pragma once

#include <string>
#include <sys/stat.h>

// Keeps a second game off the data folder a game plays on: two games on one
// folder would each write the record they hold over the other's, and the
// older one would undo the newer's progress.
//
// The lock is flock on "<folder>/.lock", which the kernel lets go when the
// process ends in any way, a crash or SIGKILL included: a restart after a
// kill finds the folder free. A flock that any process holds on the file
// turns this game away, whoever owns the file and whatever its mode, and the
// message names the holder as the kernel's table of locks gives it, never a
// number read from the file, which some other process may have.
//
// A lock file is replaced by one of this game's own when it cannot serve:
// anything but a regular file (a folder, a link, a FIFO) and a file this user
// cannot open at all (mode 000) once the kernel's table shows no lock of any
// kind on it (one it shows turns this game away), and, once this game holds
// it so that no other does, a file it may only read (left by a run as another
// user) or one with a second name (a hard link to a store, which writing the
// number would empty). The old one is set aside as
// "<path>.corrupt-<UTC time>", and held, if it was, until the new one is.
// Games take turns on the folder (flock on the folder itself) from their look
// at the lock file to their lock or move, and every lock taken is checked to
// be on the file the path still names: games started at once leave exactly
// one on the folder, and a game of another user cannot lock a file between
// another's look at the table and its move.
//
// Where the kernel's table cannot be read, or does not show this game's turn
// on the folder, a lock file this game cannot lock is never moved: the game
// is turned away, told that another may be playing and how to mend it. Where
// the folder does not let a file be set aside, a regular file that can be
// read is locked as it is and never written. A folder that cannot be locked
// at all (a read-only disk without a lock file, a file system without flock,
// an unreadable file that no process holds in a folder this user cannot
// write) is logged and played on, as the game plays on when its stores cannot
// be written.
//
// Ownership: owns the lock file's descriptor, closed (the lock let go) when
// the object goes. Threads: main thread.
class ZQDataFolderLock {
public:
    explicit ZQDataFolderLock(const std::string& folder);
    ~ZQDataFolderLock();
    ZQDataFolderLock(const ZQDataFolderLock&) = delete;
    ZQDataFolderLock& operator=(const ZQDataFolderLock&) = delete;

    // Another process holds the folder, or may and the kernel cannot say;
    // `refusal` says which and where, and what to do.
    bool heldElsewhere() const { return !refusal.empty(); }
    std::string refusal;

private:
    // One look at the lock file: true when it is settled (held here, turned
    // away, or not lockable), false to look again. `setAsideHeld` is a lock
    // file this game set aside and holds until the new one is locked.
    bool lockOnce(const std::string& folder, const std::string& path, int& setAsideHeld);
    // The same for a thing this game cannot lock, still the entry `seen`,
    // in the turn on the folder that `turn` holds.
    bool setAsideUnheld(const std::string& folder, const std::string& path, const struct stat& seen,
                        const char* what, int turn);

    int descriptor = -1;
};
