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
    if (std::optional<ZQ::Refusal> way = folder->usable() ? folder->unwritable() : folder->refusal()) {
        way->what = "cannot play on the data folder " + path + ", where no progress could be saved";
        // Where no owner can be told apart, another folder fares no better.
        if (!ZQ::unmapped(::geteuid())) {
            way->mends.push_back({"to play elsewhere, start the game with another XDG_DATA_HOME", ""});
        }
        refusal = std::move(way);
        return;
    }
    // A descriptor of its own, as the folder's may be held by others in the
    // game and the lock must go with this object alone.
    const int fd = ZQ::gFileCalls.openat(folder->descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        refusal = ZQ::cannot("the data folder " + path, "opened", errno);
        if (fd >= 0) {
            ::close(fd);
        }
        return;
    }
    // Whoever may open the folder may take the lock and hold every game off;
    // it is the game's own folder, which it makes with mode 0700.
    if ((info.st_mode & (S_IRGRP | S_IROTH)) != 0) {
        ZQ::gFileCalls.fchmod(fd, info.st_mode & 07777 & ~(S_IRGRP | S_IROTH));
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        descriptor = fd;
        return;
    }
    if (errno == EWOULDBLOCK) {
        refusal = {"",
                   "another game is playing on the data folder " + path,
                   {{"close it first, or start this one with another XDG_DATA_HOME", ""}}};
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
