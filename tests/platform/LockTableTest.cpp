#include "platform/ZQLockTable.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/sysmacros.h>

// The kernel's table of locks read for one file: the game says whose lock
// it met by it, and counts the games' marks on a folder by it. What it
// reads of real locks, and whose they are, the data folder's lock tests
// check; here, the lines that name no holder.

namespace {

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
