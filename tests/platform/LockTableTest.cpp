#include "engine/Refusal.h"
#include "platform/ZQLockTable.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

// The kernel's table of locks read for one file: the game says whose lock
// it met by it, and counts the games' marks on a folder by it.

namespace {

// Locks `file` in a child process (a shared flock, and a read lock through
// an open file on bytes 5 to 9) and hands back what the table lists of it
// while they stand, then once the child has ended.
struct Listed {
    std::vector<ZQLockTable::Held> whileHeld;
    std::vector<ZQLockTable::Held> after;
    std::vector<std::string> holders; // while held
    pid_t child = -1;
};

Listed listedAround(const std::string& file) {
    Listed listed;
    int ready[2];
    int release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0) {
        return listed;
    }
    listed.child = ::fork();
    if (listed.child == 0) {
        ::close(release[1]);
        const int whole = ::open(file.c_str(), O_RDONLY);
        const int bytes = ::open(file.c_str(), O_RDONLY);
        struct flock range {};
        range.l_type = F_RDLCK;
        range.l_start = 5;
        range.l_len = 5;
        char byte = ::flock(whole, LOCK_SH) == 0 && ::fcntl(bytes, F_OFD_SETLK, &range) == 0 ? 'y' : 'n';
        (void)!::write(ready[1], &byte, 1);
        (void)!::read(release[0], &byte, 1);
        ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 'n';
    struct stat info {};
    ::stat(file.c_str(), &info);
    if (::read(ready[0], &byte, 1) == 1 && byte == 'y') {
        listed.whileHeld = ZQLockTable::heldOn(info.st_dev, info.st_ino);
        for (const ZQLockTable::Held& lock : listed.whileHeld) {
            listed.holders.push_back(ZQLockTable::holder(lock));
        }
    }
    ::close(release[1]);
    ::waitpid(listed.child, nullptr, 0);
    listed.after = ZQLockTable::heldOn(info.st_dev, info.st_ino);
    return listed;
}

TEST(LockTableTest, EachLockOnTheFileIsListedWithItsHolderAndNoneOnceItEnds) {
    TempFolder folder;
    const std::string file = folder.file("locked");
    TempFolder::write(file, "0123456789");
    const Listed listed = listedAround(file);
    ASSERT_EQ(listed.whileHeld.size(), 2u);
    EXPECT_TRUE(listed.after.empty());
    for (std::size_t i = 0; i < listed.whileHeld.size(); ++i) {
        const ZQLockTable::Held& lock = listed.whileHeld[i];
        EXPECT_TRUE(lock.shared);
        if (lock.kind == "FLOCK") {
            EXPECT_EQ(lock.pid, listed.child);
            EXPECT_EQ(listed.holders[i],
                      "process " + std::to_string(listed.child) + " of " + ZQ::accountName(::geteuid()));
            EXPECT_EQ(ZQLockTable::described(lock), "a shared flock");
        } else {
            EXPECT_EQ(lock.kind, "OFDLCK");
            EXPECT_EQ(lock.pid, -1);
            EXPECT_EQ(listed.holders[i], "a program holding it through an open file, which names no process");
            EXPECT_EQ(lock.start, 5);
            EXPECT_EQ(lock.end, 9);
            EXPECT_EQ(ZQLockTable::described(lock), "a shared open-file lock on bytes 5 to 9");
        }
    }
    // Another file's locks, on the same device, are not this one's.
    const std::string other = folder.file("other");
    TempFolder::write(other, "");
    struct stat info {};
    ::stat(other.c_str(), &info);
    EXPECT_TRUE(ZQLockTable::heldOn(info.st_dev, info.st_ino).empty());
}

// A table it cannot read, or lines of another shape (a waiter, "->"), name
// no lock: the game then cannot tell, and says so.
TEST(LockTableTest, WaitersAndAnUnreadableTableNameNoHolder) {
    TempFolder folder;
    const std::string table = folder.file("locks");
    TempFolder::write(table, "1: POSIX  ADVISORY  WRITE 77 fe:01:42 0 EOF\n"
                             "1: -> POSIX  ADVISORY  WRITE 78 fe:01:42 0 EOF\n"
                             "2: FLOCK  ADVISORY  READ 79 fe:01:43 0 EOF\n");
    const std::vector<ZQLockTable::Held> held = ZQLockTable::heldOn(makedev(0xfe, 1), 42, table.c_str());
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].pid, 77);
    EXPECT_FALSE(held[0].shared);
    EXPECT_TRUE(ZQLockTable::heldOn(makedev(0xfe, 1), 42, folder.file("none").c_str()).empty());
}

} // namespace
