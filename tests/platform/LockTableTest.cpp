#include "platform/LockTable.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

// A game turned away by a lock it cannot open learns its holder only from the
// kernel's table: a lock of any kind must be found on its file with the
// process that took it, and a taker that ended must not be named.

namespace {

TEST(LockTableTest, EveryKindOfLockIsFoundOnItsFileAndOnlyARunningTakerIsNamed) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string flocked = folder.file("flock");
    const std::string posix = folder.file("posix");
    const std::string openFile = folder.file("ofd");
    for (const std::string& path : {flocked, posix, openFile, folder.file("unlocked")}) {
        TempFolder::write(path, "1\n");
    }
    // The table is believed where it lists the lock a game holds on its folder.
    const int folderHeld = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int posixHeld = ::open(posix.c_str(), O_RDWR | O_CLOEXEC);
    const int openFileHeld = ::open(openFile.c_str(), O_RDWR | O_CLOEXEC);
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    ASSERT_EQ(::flock(folderHeld, LOCK_EX), 0);
    ASSERT_EQ(::fcntl(posixHeld, F_SETLK, &whole), 0);
    ASSERT_EQ(::fcntl(openFileHeld, F_OFD_SETLK, &whole), 0);

    // The flock's taker hands it to a child that shares its file, and ends.
    int release[2];
    ASSERT_EQ(::pipe(release), 0);
    const pid_t taker = ::fork();
    if (taker == 0) {
        ::close(release[1]);
        if (::flock(::open(flocked.c_str(), O_RDWR), LOCK_EX) != 0 || ::fork() != 0) {
            ::_exit(0);
        }
        char ignored = 0;
        ::_exit(static_cast<int>(::read(release[0], &ignored, 1)));
    }
    ::close(release[0]);
    ::waitpid(taker, nullptr, 0);
    const ZQ::LockTable::Holder ofFlocked = ZQ::LockTable::holderOf(flocked, folderHeld);
    ::close(release[1]);

    EXPECT_TRUE(ofFlocked.held && ofFlocked.unknown.empty() && ofFlocked.process == 0);
    const ZQ::LockTable::Holder ofPosix = ZQ::LockTable::holderOf(posixHeld, folderHeld);
    EXPECT_TRUE(ofPosix.held && ofPosix.process == ::getpid());
    const ZQ::LockTable::Holder ofOpenFile = ZQ::LockTable::holderOf(openFile, folderHeld);
    EXPECT_TRUE(ofOpenFile.held && ofOpenFile.process == 0);
    EXPECT_FALSE(ZQ::LockTable::holderOf(folder.file("unlocked"), folderHeld).held);
    // A table without this game's own lock (one shown empty, say) says
    // nothing of the others.
    ::flock(folderHeld, LOCK_UN);
    EXPECT_FALSE(ZQ::LockTable::holderOf(posix, folderHeld).unknown.empty());
    for (const int held : {folderHeld, posixHeld, openFileHeld}) {
        ::close(held);
    }
}

} // namespace
