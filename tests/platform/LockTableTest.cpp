#include "platform/LockTable.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

// A game turned away by a lock it cannot open learns its holder only from the
// kernel's table: a lock of any kind must be found on its file with the
// process that took it, a request waiting for it must not pass for one, and
// a taker that ended must not be named.

namespace {

// The locks of `locks` on the file at `path`, as their kinds (flock or not)
// and takers: a device read wrongly from either /proc file finds none.
std::vector<std::pair<bool, pid_t>> kernelLocksOn(const std::vector<ZQ::LockTable::Entry>& locks,
                                                  const std::string& path) {
    struct statx file {};
    ::statx(AT_FDCWD, path.c_str(), 0, STATX_INO | STATX_MNT_ID, &file);
    std::vector<std::pair<bool, pid_t>> on;
    for (const ZQ::LockTable::Entry& lock : ZQ::LockTable::locksOn(
             locks, TempFolder::read("/proc/self/mountinfo"), file.stx_mnt_id, file.stx_ino)) {
        on.emplace_back(lock.flock, lock.process);
    }
    return on;
}

TEST(LockTableTest, EveryKindOfLockIsFoundOnItsFileWithItsTakerAndAWaitingRequestHoldsNothing) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string flocked = folder.file("flock");
    const std::string posix = folder.file("posix");
    const std::string openFile = folder.file("ofd");
    for (const std::string& path : {flocked, posix, openFile}) {
        TempFolder::write(path, "1\n");
    }
    // The table is believed where it lists the lock a game holds on its
    // folder.
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
    // A second open of the flocked file waits for it, listed under the lock.
    const pid_t waiter = ::fork();
    if (waiter == 0) {
        ::_exit(::flock(::open(flocked.c_str(), O_RDWR), LOCK_EX) == 0 ? 0 : 1);
    }
    const std::string asWaiter = " " + std::to_string(waiter) + " ";
    std::string table;
    while ((table = TempFolder::read("/proc/locks")).find(asWaiter) == std::string::npos &&
           ::waitpid(waiter, nullptr, WNOHANG) == 0) {
    }
    const ZQ::LockTable::Holder ofFlocked = ZQ::LockTable::holderOf(flocked, folderHeld);
    ::kill(waiter, SIGKILL);
    ::waitpid(waiter, nullptr, 0);
    ::close(release[1]);
    ASSERT_NE(table.find(asWaiter), std::string::npos) << "the second open did not wait";

    const std::vector<ZQ::LockTable::Entry> locks = ZQ::LockTable::parse(table);
    using Kinds = std::vector<std::pair<bool, pid_t>>;
    EXPECT_EQ(kernelLocksOn(locks, flocked), (Kinds{{true, taker}})) << table;
    EXPECT_EQ(kernelLocksOn(locks, posix), (Kinds{{false, ::getpid()}})) << table;
    EXPECT_EQ(kernelLocksOn(locks, openFile), (Kinds{{false, -1}})) << table;
    // Only a holder that runs is named: the taker's number may be another's.
    EXPECT_TRUE(ofFlocked.held && ofFlocked.unknown.empty() && ofFlocked.process == 0);
    const ZQ::LockTable::Holder ofPosix = ZQ::LockTable::holderOf(posixHeld, folderHeld);
    EXPECT_TRUE(ofPosix.held && ofPosix.process == ::getpid());
    const ZQ::LockTable::Holder ofOpenFile = ZQ::LockTable::holderOf(openFile, folderHeld);
    EXPECT_TRUE(ofOpenFile.held && ofOpenFile.process == 0);
    // A table without this game's own lock (one shown empty, say) says
    // nothing of the others.
    ::flock(folderHeld, LOCK_UN);
    EXPECT_FALSE(ZQ::LockTable::holderOf(posix, folderHeld).unknown.empty());
    for (const int held : {folderHeld, posixHeld, openFileHeld}) {
        ::close(held);
    }
}

} // namespace
