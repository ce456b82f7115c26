#include "platform/ZQDataFolderLock.h"

#include "engine/FileCalls.h"
#include "engine/Log.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What clears a ".lock" the game cannot lock as its own: root's file where the
// player's things belong came with a sudo run's others, so the folder goes back
// whole; a folder may hold someone's files, so it is never removed full.
std::vector<ZQ::Mend> clearLock(const ZQ::OwnedFolder& folder, const std::string& lock,
                                const struct stat& info) {
    if (S_ISREG(info.st_mode) && info.st_uid == 0 && ::geteuid() != 0 && folder.players()) {
        return {ZQ::giveBack(folder.path(), ZQ::Entry::folder)};
    }
    if (ZQ::unmapped(info.st_uid)) {
        return {ZQ::runAs(info.st_uid)};
    }
    if (!S_ISDIR(info.st_mode)) {
        return {{"remove it, and start the game again", "rm " + ZQ::shellQuoted(lock)}};
    }
    DIR* listing = ::fdopendir(ZQ::gFileCalls.openat(folder.descriptor(), ".lock",
                                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0));
    int entries = 0;
    while (listing != nullptr && ::readdir(listing) != nullptr) {
        ++entries;
    }
    if (listing != nullptr && ::closedir(listing) == 0 && entries == 2) { // "." and ".." alone
        return {{"remove that empty folder, and start the game again", "rmdir " + ZQ::shellQuoted(lock)}};
    }
    std::string kept = ".lock.kept";
    struct stat taken {};
    for (int n = 2;
         ZQ::gFileCalls.fstatat(folder.descriptor(), kept.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0; ++n) {
        kept = ".lock.kept-" + std::to_string(n);
    }
    return {{"move that folder aside with what it holds, and start the game again",
             "mv " + ZQ::shellQuoted(lock) + " " + ZQ::shellQuoted(ZQ::joinPath(folder.path(), kept))}};
}

} // namespace

ZQDataFolderLock::ZQDataFolderLock(const std::string& path, const ZQ::OwnedFolder::Handle& folder) {
    if (std::optional<ZQ::Refusal> way = folder->usable() ? folder->unwritable() : folder->refusal()) {
        way->what = "cannot play on the data folder " + path + ", where no progress could be saved";
        way->mends.push_back({"to play elsewhere, start the game with another XDG_DATA_HOME", ""});
        refusal = std::move(way);
        return;
    }
    const std::string lock = ZQ::joinPath(folder->path(), ".lock");
    // Not followed through a link, no wait on a FIFO. Made for reading and
    // writing, as some FUSE mounts make no file opened for reading alone; one
    // there that is only readable is opened for reading, all a lock needs.
    constexpr int kOpen = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = ZQ::gFileCalls.openat(folder->descriptor(), ".lock", O_RDWR | O_CREAT | kOpen, 0600);
    if (fd < 0 && errno == EACCES) {
        fd = ZQ::gFileCalls.openat(folder->descriptor(), ".lock", O_RDONLY | kOpen, 0);
    }
    struct stat info {};
    if (fd < 0) {
        const int failure = errno;
        // Only a file that is there and cannot be used is to be cleared.
        const bool missing =
            ZQ::gFileCalls.fstatat(folder->descriptor(), ".lock", &info, AT_SYMLINK_NOFOLLOW) != 0 &&
            errno == ENOENT;
        refusal = ZQ::cannot("the lock file " + lock, missing ? "made" : "opened", failure);
        if (!missing) {
            refusal->mends = clearLock(*folder, lock, info);
        } else if (failure == ENOSPC || failure == EDQUOT) {
            refusal->mends.push_back(ZQ::freeSpace());
        }
        return;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        const std::string file = "the lock file " + lock;
        refusal = {"",
                   S_ISREG(info.st_mode) ? ZQ::ownedBy(file, info.st_uid) : file + " is not a regular file",
                   clearLock(*folder, lock, info)};
        ::close(fd);
        return;
    }
    // Whoever may open the file may take the lock and hold every game off. A
    // file system that keeps no modes has none to take away.
    if ((info.st_mode & 07777) != 0600) {
        ZQ::gFileCalls.fchmod(fd, 0600);
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
