#include "platform/ZQDataFolderLock.h"

#include "engine/FileCalls.h"
#include "engine/Log.h"
#include "platform/ZQLockTable.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Looks at the lock file's name before it is taken: a name that changes at
// each of them (another game making it anew at each turn) is refused.
constexpr int kLooks = 8;

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A lock file no one but the player's programs can ever have opened: the
// game's own kind, made 0600. Any bit for others, now or once, may have let
// someone open it and hold its lock.
bool onlyThePlayers(const struct stat& info) {
    return S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 0777) == 0600;
}

bool isMark(const ZQLockTable::Held& lock) {
    return lock.kind == "OFDLCK" && lock.shared && lock.start == ZQDataFolderLock::kMarkByte &&
           lock.end == ZQDataFolderLock::kMarkByte;
}

// Plays on a copy of `folder` (its real path): a new folder, which no
// program has opened, so holds no lock. The folder itself stays beside it,
// whole, under a name of its own.
ZQ::Mend playOnACopy(const std::string& folder) {
    const std::size_t slash = folder.rfind('/');
    const std::string here = ZQ::shellQuoted(folder.substr(slash + 1));
    const std::string when = ZQ::asideStamp();
    const std::string copy = ZQ::shellQuoted(folder.substr(slash + 1) + ".copy-" + when);
    const std::string held = ZQ::shellQuoted(folder.substr(slash + 1) + ".held-" + when);
    return {"if none is, play on a copy of the folder, which no program holds; the folder itself is kept "
            "beside it",
            "cd " + ZQ::shellQuoted(slash == 0 ? "/" : folder.substr(0, slash)) + " && cp -a -T " + here +
                " " + copy + " && mv -T " + here + " " + held + " && mv -T " + copy + " " + here};
}

// Says in the log whose locks stand on the folder besides the games' marks:
// none of them keeps a game out.
void noteOthersLocks(const std::string& path, int folder) {
    struct stat info {};
    if (::fstat(folder, &info) != 0) {
        return;
    }
    for (const ZQLockTable::Held& lock : ZQLockTable::heldOn(info.st_dev, info.st_ino)) {
        if (!isMark(lock)) {
            ZQ::logMessage(ZQ::LogLevel::Info,
                           "The data folder %s is locked by %s, %s: no game's lock file or mark, so the game "
                           "plays on",
                           path.c_str(), ZQLockTable::holder(lock).c_str(),
                           ZQLockTable::described(lock).c_str());
        }
    }
}

} // namespace

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
    // game and the mark must go with this object alone.
    folderDescriptor =
        ZQ::gFileCalls.openat(folder->descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    struct stat info {};
    if (folderDescriptor < 0 || ::fstat(folderDescriptor, &info) != 0) {
        refuse(ZQ::cannot("the data folder " + path, "opened", errno));
        return;
    }
    // Whoever may open the folder may lay locks on it; it is the game's own
    // folder, which it makes with mode 0700.
    if ((info.st_mode & (S_IRGRP | S_IROTH)) != 0) {
        ZQ::gFileCalls.fchmod(folderDescriptor, info.st_mode & 07777 & ~(S_IRGRP | S_IROTH));
    }
    if (takeLockFile(path, folder)) {
        mark(path, folder->path());
    }
    if (!refused()) {
        noteOthersLocks(path, folderDescriptor);
    }
}

ZQDataFolderLock::~ZQDataFolderLock() {
    letGo();
}

void ZQDataFolderLock::refuse(ZQ::Refusal why) {
    refusal = std::move(why);
    letGo();
}

void ZQDataFolderLock::letGo() {
    for (int* descriptor : {&fileDescriptor, &folderDescriptor}) {
        if (*descriptor >= 0) {
            ::close(*descriptor);
            *descriptor = -1;
        }
    }
}

bool ZQDataFolderLock::takeLockFile(const std::string& path, const ZQ::OwnedFolder::Handle& folder) {
    const std::string file = ZQ::joinPath(path, kLockFile);
    for (int look = 0; look < kLooks; ++look) {
        struct stat seen {};
        int fd = -1;
        if (ZQ::gFileCalls.fstatat(folderDescriptor, kLockFile, &seen, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                refuse(ZQ::cannot("the lock file " + file, "looked at", errno));
                return false;
            }
            fd = ZQ::gFileCalls.openat(folderDescriptor, kLockFile,
                                       O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        } else if (onlyThePlayers(seen)) {
            // Never waits on what came at the name since the look.
            fd = ZQ::gFileCalls.openat(folderDescriptor, kLockFile,
                                       O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
        } else if (seen.st_uid != ::geteuid()) {
            ZQ::Refusal theirs{"", ZQ::ownedBy("the lock file " + file, seen.st_uid), {}};
            theirs.mends.push_back(seen.st_uid == 0 && folder->players()
                                       ? ZQ::giveBack(folder->path(), ZQ::Entry::folder)
                                       : ZQ::runAs(seen.st_uid));
            refuse(std::move(theirs));
            return false;
        } else if (S_ISDIR(seen.st_mode)) {
            const std::string aside =
                ZQ::shellQuoted(ZQ::joinPath(folder->path(), kLockFile) + ".folder-" + ZQ::asideStamp());
            refuse({"",
                    "the game keeps its lock file at " + file + ", where a folder stands",
                    {{"move the folder out of the way",
                      "mv -T " + ZQ::shellQuoted(ZQ::joinPath(folder->path(), kLockFile)) + " " + aside}}});
            return false;
        } else {
            // The player's own, of no use as a lock (a FIFO, a link, a file
            // that others may have opened): a new one takes its name.
            std::string temporary;
            fd = ZQ::makeTemporary(folderDescriptor, std::string(kLockFile) + ".tmp-", 0600, temporary);
            if (fd >= 0 && ZQ::gFileCalls.renameat2(folderDescriptor, temporary.c_str(), folderDescriptor,
                                                    kLockFile, 0) != 0) {
                const int error = errno;
                ZQ::gFileCalls.unlinkat(folderDescriptor, temporary.c_str(), 0);
                ::close(fd);
                refuse(ZQ::cannot("the lock file " + file, "made anew", error));
                return false;
            }
            if (fd >= 0) {
                ZQ::platformLog("The lock file %s was a %s of mode %04o, which others may have opened and "
                                "locked: it is made anew",
                                file.c_str(), ZQ::kindOf(seen.st_mode), seen.st_mode & 07777);
            }
        }
        if (fd < 0) {
            if (errno == EEXIST || errno == ENOENT || errno == ELOOP) {
                continue; // the name changed since the look
            }
            refuse(ZQ::cannot("the lock file " + file, "opened", errno));
            return false;
        }
        struct stat opened {};
        ::fstat(fd, &opened);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            if (error != EWOULDBLOCK) {
                // The mark still keeps a second game on this machine out.
                ZQ::platformLog("The lock file %s cannot be locked (%s): a second game on the data folder "
                                "from another machine would not be noticed",
                                file.c_str(), std::strerror(error));
                fileDescriptor = fd;
                return true;
            }
            // What is known of the holder: none where it plays in another
            // namespace, whose processes this one cannot see.
            ZQLockTable::Held holder;
            for (const ZQLockTable::Held& lock : ZQLockTable::heldOn(opened.st_dev, opened.st_ino)) {
                holder = lock.kind == "FLOCK" ? lock : holder;
            }
            const std::string known = ", in " + ZQLockTable::holder(holder);
            ::close(fd);
            refuse({"",
                    "another game is playing on the data folder " + path + known,
                    {{"close it first, or start this one with another XDG_DATA_HOME", ""}}});
            return false;
        }
        // Locked while it was still the file at the name: one replaced
        // between the open and the lock is another game's to take.
        struct stat now {};
        if (ZQ::gFileCalls.fstatat(folderDescriptor, kLockFile, &now, AT_SYMLINK_NOFOLLOW) == 0 &&
            sameFile(now, opened)) {
            fileDescriptor = fd;
            return true;
        }
        ::close(fd);
    }
    refuse({"",
            "the lock file " + file + " changed at each of " + std::to_string(kLooks) +
                " looks while the game took it",
            {{"stop what keeps replacing it", ""}}});
    return false;
}

void ZQDataFolderLock::mark(const std::string& path, const std::string& realPath) {
    struct flock mine {};
    mine.l_type = F_RDLCK;
    mine.l_whence = SEEK_SET;
    mine.l_start = kMarkByte;
    mine.l_len = 1;
    if (::fcntl(folderDescriptor, F_OFD_SETLK, &mine) != 0) {
        ZQ::platformLog(
            "The data folder %s cannot bear the game's mark (%s): a game whose lock file is removed "
            "or made anew while it plays would not keep a second game out",
            path.c_str(), std::strerror(errno));
        return;
    }
    // Only a lock of another open file conflicts: this one's own mark never.
    struct flock other = mine;
    other.l_type = F_WRLCK;
    if (::fcntl(folderDescriptor, F_OFD_GETLK, &other) != 0 || other.l_type == F_UNLCK) {
        return;
    }
    // A read lock covers the byte: another game's mark, or some program's
    // lock over more than it, behind which a mark may stand. The kernel's
    // table tells them apart, where it lists this game's own mark.
    struct stat info {};
    ::fstat(folderDescriptor, &info);
    const std::vector<ZQLockTable::Held> held = ZQLockTable::heldOn(info.st_dev, info.st_ino);
    const auto marks = std::count_if(held.begin(), held.end(), isMark);
    if (marks == 1) {
        return;
    }
    const ZQLockTable::Held met{other.l_pid == -1 ? "OFDLCK" : "POSIX", true, other.l_pid, other.l_start,
                                other.l_len == 0 ? -1 : other.l_start + other.l_len - 1};
    const std::string why =
        marks > 1 || isMark(met)
            ? "the folder bears another game's mark while its lock file is free, as when the lock file of a "
              "game that plays there is removed or made anew; the mark is held through an open file, which "
              "names no process"
            : "the folder is locked over the byte where a game bears its mark, by " +
                  ZQLockTable::holder(met) + " (" + ZQLockTable::described(met) +
                  "), and the system's table of locks does not tell whether a game's mark stands behind it";
    refuse({"",
            "another game may be playing on the data folder " + path + ": " + why,
            {{"if a game of yours plays on it (in a sandbox, say), close it first", ""},
             playOnACopy(realPath)}});
}
