#include "platform/ZQDataFolderLock.h"

#include "engine/Log.h"
#include "engine/SafeFiles.h"
#include "platform/LockTable.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A look fails only when the lock file was moved since: by this game, which
// then looks once more, or by a game without a turn on the folder (one that
// may not read it); games started by the hundred settle in two or three.
constexpr int kLockAttempts = 8;

// Not followed through a link, not handed to a child; no wait on a FIFO.
constexpr int kOpenFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;

bool sameEntry(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

void logCannotLock(const std::string& folder, const char* why) {
    ZQ::platformLog("The data folder %s cannot be locked (%s): a second game on it would not be noticed",
                    folder.c_str(), why);
}

// The message of a game turned away: the holder is named only as the
// kernel gives it (0 for none).
std::string refusalFor(const std::string& folder, pid_t holder) {
    return "another game" + (holder > 0 ? " (process " + std::to_string(holder) + ")" : std::string()) +
           " is playing on the data folder " + folder +
           "; close it first, or start this one with another XDG_DATA_HOME";
}

// A game's turn on the folder: a lock on the folder itself, held from its
// look at the lock file to its lock or its move. Without turns, a game that
// looked before another moved the file and made one in its place would move
// that new file, held by then; and a game of another user (root opens a file
// of mode 000) could lock a file between a look at the kernel's table that
// found it free and its move. The table is believed only where it lists
// this lock. A folder this user may not read cannot be locked: then the game
// goes without.
class FolderTurn {
public:
    explicit FolderTurn(const std::string& folder)
        : descriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (descriptor >= 0 && ::flock(descriptor, LOCK_EX) != 0) {
            ::close(descriptor);
            descriptor = -1;
        }
    }
    ~FolderTurn() {
        if (descriptor >= 0) {
            ::close(descriptor);
        }
    }
    FolderTurn(const FolderTurn&) = delete;
    FolderTurn& operator=(const FolderTurn&) = delete;

    // The folder, locked here, or -1 without a turn.
    int held() const { return descriptor; }

private:
    int descriptor;
};

} // namespace

ZQDataFolderLock::ZQDataFolderLock(const std::string& folder) {
    std::error_code ignored; // a folder that cannot be made fails the open
    std::filesystem::create_directories(folder, ignored);
    const std::string path = folder + "/.lock";
    int setAsideHeld = -1;
    bool settled = false;
    for (int attempt = 0; attempt < kLockAttempts && !settled; ++attempt) {
        settled = lockOnce(folder, path, setAsideHeld);
    }
    if (setAsideHeld >= 0) {
        ::close(setAsideHeld);
    }
    if (!settled) {
        logCannotLock(folder, "other games kept moving its lock file");
    }
}

bool ZQDataFolderLock::lockOnce(const std::string& folder, const std::string& path, int& setAsideHeld) {
    const FolderTurn turn(folder);
    // Anything but a regular file there (a folder, a link, a FIFO) would
    // leave the folder unlocked, and every game would play on it.
    struct stat seen {};
    const bool found = ::lstat(path.c_str(), &seen) == 0;
    if (found && !S_ISREG(seen.st_mode)) {
        return setAsideUnheld(folder, path, seen, "is not a regular file", turn.held());
    }
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | kOpenFlags, 0644);
    const bool writable = fd >= 0;
    const int writeError = errno;
    if (!writable) {
        // flock needs no write access: a file left by a run as another user,
        // or on a read-only disk, still locks the folder.
        fd = ::open(path.c_str(), O_RDONLY | kOpenFlags);
    }
    if (fd < 0) {
        const int error = errno;
        // Moved or made by a game without a turn since the look above: what
        // failed to open may not be what stands there now, a lock file just
        // made and held, say.
        struct stat now {};
        const bool stillFound = ::lstat(path.c_str(), &now) == 0;
        if (stillFound != found || (found && !sameEntry(now, seen))) {
            return false;
        }
        if (found && (error == EACCES || error == EPERM)) {
            return setAsideUnheld(folder, path, seen, "cannot be opened", turn.held());
        }
        // Where there is no file, why none could be made.
        logCannotLock(folder, std::strerror(error == ENOENT ? writeError : error));
        return true;
    }
    struct stat held {};
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
        ::close(fd); // put there since the look above: looked at again
        return false;
    }
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    const int lockError = errno;
    // Between the open and the lock a game without a turn may have set the
    // file aside and made a new one: a lock on a file the path no longer
    // names keeps no game out, and one held there names a game that may yet
    // be turned away.
    if (::lstat(path.c_str(), &seen) != 0 || !sameEntry(seen, held)) {
        ::close(fd);
        return false;
    }
    if (!locked) {
        if (lockError == EWOULDBLOCK) {
            refusal = refusalFor(folder, ZQ::LockTable::holderOf(fd, turn.held()).process);
        } else {
            logCannotLock(folder, std::strerror(lockError));
        }
        ::close(fd);
        return true;
    }
    // The number is written only through the file's one name: through a hard
    // link it would empty and overwrite the file of the other name.
    if (writable && ::fstat(fd, &held) == 0 && held.st_nlink == 1) {
        descriptor = fd;
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(descriptor, 0) != 0 || ::pwrite(descriptor, pid.data(), pid.size(), 0) < 0) {
            // Only a person reading the file would miss the number.
            ZQ::platformLog("The data folder's lock %s does not name this game: %s", path.c_str(),
                            std::strerror(errno));
        }
        return true;
    }
    // Held here, so no game waits on it: replaced by a file of this game's
    // own. The old one stays locked until the new one is: while the folder
    // changes hands it is never without a held lock.
    const char* what = writable ? "has a second name" : "cannot be written by this game";
    const std::string aside = ZQ::setAside(path);
    if (aside.empty()) {
        ZQ::platformLog("The data folder's lock %s %s and cannot be set aside (%s): locked as it is, without "
                        "this game's number",
                        path.c_str(), what, std::strerror(errno));
        descriptor = fd;
        return true;
    }
    ZQ::platformLog("The data folder's lock %s %s; kept aside as %s", path.c_str(), what, aside.c_str());
    if (setAsideHeld >= 0) {
        ::close(setAsideHeld);
    }
    setAsideHeld = fd;
    return false;
}

bool ZQDataFolderLock::setAsideUnheld(const std::string& folder, const std::string& path,
                                      const struct stat& seen, const char* what, int turn) {
    // Only the kernel knows who holds a file this game cannot lock: a game of
    // another user may hold one it cannot even open.
    const ZQ::LockTable::Holder holder = ZQ::LockTable::holderOf(path, turn);
    if (holder.held) {
        refusal = refusalFor(folder, holder.process);
        return true;
    }
    if (!holder.unknown.empty()) {
        refusal = "another game may be playing on the data folder " + folder + ": its lock " + path + " " +
                  what + ", and the kernel's table of locks cannot say whether a game holds it (" +
                  holder.unknown +
                  "); close any other game and remove the lock file, or start this one with another "
                  "XDG_DATA_HOME";
        return true;
    }
    // Only the entry looked at is moved: one put there since is looked at
    // again.
    std::string aside;
    switch (ZQ::setAsideIf(
        path, [&seen](const struct stat& now) { return sameEntry(now, seen); }, aside)) {
    case ZQ::AsideOutcome::Moved:
        ZQ::platformLog("The data folder's lock %s %s; kept aside as %s", path.c_str(), what, aside.c_str());
        return false;
    case ZQ::AsideOutcome::Gone:
    case ZQ::AsideOutcome::Replaced:
        return false;
    case ZQ::AsideOutcome::Failed:
        break;
    }
    logCannotLock(folder, std::strerror(errno));
    return true;
}

ZQDataFolderLock::~ZQDataFolderLock() {
    if (descriptor >= 0) {
        ::close(descriptor);
    }
}
