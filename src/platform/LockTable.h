#pragma once

#include <string>
#include <sys/types.h>

// The kernel's table of file locks (/proc/locks): the one account of who
// holds a lock on a file. Neither the file's owner nor its mode says it (a
// game run as root holds a file of mode 000 that no other user may open),
// and neither does a number written in the file, which any process may have.
//
// A line of the table names the file by its file system's device, major and
// minor in hex, and its inode in decimal, after the process that took the
// lock:
//   1: FLOCK  ADVISORY  WRITE 1234 08:01:5678 0 EOF
// The device is the file system's own, which stat does not always give (a
// btrfs subvolume gives one of its own), so a file's is looked up through
// the mount it lies on (/proc/self/mountinfo). A request waiting for a lock
// follows it after "->" and holds nothing.
namespace ZQ::LockTable {

// What the table says now of one file.
struct Holder {
    // Why the table cannot say, or empty when it can; then nothing else is
    // known.
    std::string unknown;
    bool held = false;
    // The holder to name, a flock's taker first: 0 when the table gives no
    // process of this game's pid namespace that still runs.
    pid_t process = 0;
};

// Of the entry `path` names itself (a link, not what it names). The table
// is believed only where it lists the flock this process holds on
// `heldHere` (the data folder, in this game's turn on it): one that /proc
// shows empty, or that names the file's disk otherwise, would let a held
// lock file pass for one nobody holds.
Holder holderOf(const std::string& path, int heldHere);
// Of the file open as `descriptor`, the same way.
Holder holderOf(int descriptor, int heldHere);

} // namespace ZQ::LockTable
