#include "platform/ZQDataFolderLock.h"

#include "engine/FileCalls.h"
#include "engine/Log.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

ZQDataFolderLock::ZQDataFolderLock(const std::string& path, const ZQ::OwnedFolder::Handle& folder) {
    const std::string data = "the data folder " + path;
    if (!folder->usable() || !folder->writable()) {
        const std::string why = folder->usable()
                                    ? std::string("it cannot be written: ") + std::strerror(errno)
                                    : folder->refusal();
        refusal = "cannot play on " + data + ", where no progress could be saved: " + why +
                  "; to play elsewhere, start the game with another XDG_DATA_HOME";
        return;
    }
    const std::string lock = folder->path() + "/.lock";
    const std::string remove = "; remove it (rm -r '" + lock + "') and start the game again";
    // Not followed through a link, no wait on a FIFO; opened for reading
    // alone, as the lock needs no more and the file is never written.
    const int fd = ZQ::gFileCalls.openat(folder->descriptor(), ".lock",
                                         O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        refusal = "the lock file " + lock + " cannot be opened (" + std::strerror(errno) + ")" + remove;
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        refusal = "the lock file " + lock + " is not a file of the game's user" + remove;
        ::close(fd);
        return;
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
