#include "platform/ZQDataFolderLock.h"

#include "engine/FileCalls.h"
#include "engine/Log.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why the game's user may not make files in `folder`, with errno as
// writable() left it, and what mends it.
std::string unwritable(const ZQ::OwnedFolder& folder) {
    const std::string why = std::string("it cannot be written: ") + std::strerror(errno);
    struct stat info {};
    if (errno != EACCES || ::fstat(folder.descriptor(), &info) != 0) {
        return why;
    }
    // A game once run with sudo leaves root's folders where the player's were.
    return why + (info.st_uid == ::geteuid() ? "; chmod u+w " + ZQ::shellQuoted(folder.path())
                                             : "; " + ZQ::giveToGameUser(folder.path()));
}

} // namespace

ZQDataFolderLock::ZQDataFolderLock(const std::string& path, const ZQ::OwnedFolder::Handle& folder) {
    const std::string data = "the data folder " + path;
    if (!folder->usable() || !folder->writable()) {
        const std::string why = folder->usable() ? unwritable(*folder) : folder->refusal();
        refusal = "cannot play on " + data + ", where no progress could be saved: " + why +
                  "; to play elsewhere, start the game with another XDG_DATA_HOME";
        return;
    }
    const std::string lock = folder->path() + "/.lock";
    const std::string remove = "; remove it (rm -r " + ZQ::shellQuoted(lock) + ") and start the game again";
    // Not followed through a link, no wait on a FIFO; opened for reading
    // alone, as the lock needs no more and the file is never written.
    const int fd = ZQ::gFileCalls.openat(folder->descriptor(), ".lock",
                                         O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int failure = errno;
        struct stat info {};
        const bool absent =
            ZQ::gFileCalls.fstatat(folder->descriptor(), ".lock", &info, AT_SYMLINK_NOFOLLOW) != 0 &&
            errno == ENOENT;
        const bool full = failure == ENOSPC || failure == EDQUOT;
        // Only a file that is there and cannot be used is to be removed.
        refusal =
            absent ? "the lock file " + lock + " cannot be made (" + std::strerror(failure) + ")" +
                         (full ? "; free some space or inodes on its disk and start the game again" : "")
                   : "the lock file " + lock + " cannot be opened (" + std::strerror(failure) + ")" + remove;
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        refusal = "the lock file " + lock + " is not a file of the game's user" + remove;
        ::close(fd);
        return;
    }
    // Whoever may open the file may take the lock and hold every game off:
    // one an older setup made readable by all is the game's alone again. A
    // file system that keeps no modes has none to take away.
    if ((info.st_mode & 07777) != 0600) {
        ZQ::gFileCalls.fchmod(fd, 0600);
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        descriptor = fd;
        return;
    }
    if (errno == EWOULDBLOCK) {
        refusal = "another game is playing on " + data +
                  "; close it first, or start this one with another XDG_DATA_HOME";
    } else {
        ZQ::platformLog("The data folder %s cannot be locked (%s): a second game on it would not be noticed",
                        folder->path().c_str(), std::strerror(errno));
    }
    ::close(fd);
}

ZQDataFolderLock::~ZQDataFolderLock() {
    if (descriptor >= 0) {
        ::close(descriptor);
    }
}
