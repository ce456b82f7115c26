#include "platform/ZQDataFolderLock.h"

#include "engine/Log.h"
#include "engine/SafeFiles.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Each look fails only when another game moved the lock file in between;
// games started by the hundred settle in two or three.
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

// The process a held lock file names, or empty: a file left unwritten by its
// holder keeps an earlier game's number, and one with a second name another
// file's bytes, and neither names the holder.
std::string holderOf(int descriptor) {
    char text[16] = {};
    const ssize_t n = ::pread(descriptor, text, sizeof text - 1, 0);
    const std::string_view pid(text, n > 0 ? std::strcspn(text, "\n") : 0);
    if (pid.empty() || pid.size() > 9 || pid.find_first_not_of("0123456789") != std::string_view::npos) {
        return {};
    }
    const long number = std::strtol(text, nullptr, 10);
    if (number <= 0 || (::kill(static_cast<pid_t>(number), 0) != 0 && errno != EPERM)) {
        return {};
    }
    return std::string(pid);
}

// Moves aside what stands at `path`, a thing no game can have locked, when it
// is still the entry `seen`. False when it stays where it is (errno says
// why); true also when another game moved it first. Games that find such a
// thing take turns on the folder (a lock on the folder itself): else one
// that looked before another moved it and made a lock file in its place
// would move that new file, held by then, and both would play.
bool setAsideUnheld(const std::string& folder, const std::string& path, const struct stat& seen,
                    const char* what) {
    // A folder this user may not read cannot be locked: then it moves
    // without waiting its turn.
    const int turn = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (turn >= 0) {
        ::flock(turn, LOCK_EX);
    }
    struct stat now {};
    std::string aside;
    const bool still = ::lstat(path.c_str(), &now) == 0 && sameEntry(now, seen);
    if (still) {
        aside = ZQ::setAside(path);
    }
    const int error = errno;
    if (turn >= 0) {
        ::close(turn);
    }
    if (!aside.empty()) {
        ZQ::platformLog("The data folder's lock %s %s; kept aside as %s", path.c_str(), what, aside.c_str());
    }
    errno = error;
    return !still || !aside.empty();
}

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
    // Anything but a regular file there (a folder, a link, a FIFO) would
    // leave the folder unlocked, and every game would play on it.
    struct stat seen {};
    const bool found = ::lstat(path.c_str(), &seen) == 0;
    if (found && !S_ISREG(seen.st_mode)) {
        if (setAsideUnheld(folder, path, seen, "is not a regular file")) {
            return false;
        }
        logCannotLock(folder, std::strerror(errno));
        return true;
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
        // Moved or made by another game since the look above: what failed to
        // open may not be what stands there now, a lock file just made and
        // held, say.
        struct stat now {};
        const bool stillFound = ::lstat(path.c_str(), &now) == 0;
        if (stillFound != found || (found && !sameEntry(now, seen))) {
            return false;
        }
        // One this user cannot even read is none of its games' locks.
        if (found && (error == EACCES || error == EPERM) &&
            setAsideUnheld(folder, path, seen, "cannot be opened")) {
            return false;
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
    // Between the open and the lock another game may have set the file aside
    // and made a new one: a lock on a file the path no longer names keeps no
    // game out, and one held there names a game that may yet be turned away.
    if (::lstat(path.c_str(), &seen) != 0 || !sameEntry(seen, held)) {
        ::close(fd);
        return false;
    }
    if (!locked) {
        if (lockError == EWOULDBLOCK) {
            const std::string pid = holderOf(fd);
            refusal = "another game" + (pid.empty() ? std::string() : " (process " + pid + ")") +
                      " is playing on the data folder " + folder +
                      "; close it first, or start this one with another XDG_DATA_HOME";
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
            // Only the message of a game turned away would lack the number.
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

ZQDataFolderLock::~ZQDataFolderLock() {
    if (descriptor >= 0) {
        ::close(descriptor);
    }
}
