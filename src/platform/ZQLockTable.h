#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// What the kernel's table of file locks (/proc/locks) says of one file: who
// holds which lock on it. The game reads it only to say whose lock it met
// and to count the games' marks on a folder; nothing here takes a lock.
//
// Threads: any thread; nothing is kept between calls.
namespace ZQLockTable {

struct Held {
    std::string kind; // "FLOCK", "POSIX", "OFDLCK", ...
    bool shared = false;
    // The process that took it, numbered as this process sees processes: 0
    // for one it cannot see, -1 for a lock held through an open file
    // (OFDLCK), which no process owns.
    pid_t pid = 0;
    long long start = 0;
    long long end = -1; // the last byte; -1 for the file's end, however far
};

// The locks held on the file of `device` and `inode` (waiters left out), as
// the table at `table` lists them; none when it cannot be read.
std::vector<Held> heldOn(dev_t device, ino_t inode, const char* table = "/proc/locks");

// Whose `lock` is, as far as this process can tell: "process 4242 of bob (uid
// 1002)", "process 4242" once it has ended, or what is known of a holder
// it cannot see.
std::string holder(const Held& lock);

// "a shared flock", "an exclusive POSIX lock on bytes 7 to 7", ...
std::string described(const Held& lock);

} // namespace ZQLockTable
