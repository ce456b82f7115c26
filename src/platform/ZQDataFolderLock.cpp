#include "platform/ZQDataFolderLock.h"

#include "engine/Log.h"
#include "engine/SafeFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isRegularFile(int descriptor) {
    struct stat info {};
    return ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

ZQDataFolderLock::ZQDataFolderLock(const std::string& folder) {
    std::error_code ignored; // a folder that cannot be made fails the open below
    std::filesystem::create_directories(folder, ignored);
    const std::string path = folder + "/.lock";
    // Anything but a regular file there (a folder, a link, a FIFO) would
    // leave the folder unlocked, and every game would play on it: it is set
    // aside as a damaged store is, and a lock file made in its place.
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        const std::string aside = ZQ::setAside(path);
        if (!aside.empty()) {
            ZQ::platformLog("The data folder's lock %s is not a regular file; kept aside as %s", path.c_str(),
                            aside.c_str());
        }
    }
    // Not followed through a link, not handed to a child; no wait on a FIFO.
    descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (descriptor >= 0 && !isRegularFile(descriptor)) {
        ::close(descriptor);
        descriptor = -1;
        errno = EINVAL; // put there again since: not a lock file
    }
    if (descriptor < 0) {
        ZQ::platformLog("The data folder %s cannot be locked (%s): a second game on it would not be noticed",
                        folder.c_str(), std::strerror(errno));
        return;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            char holder[32] = {};
            const ssize_t n = ::pread(descriptor, holder, sizeof holder - 1, 0);
            const std::string_view pid(holder, n > 0 ? std::strcspn(holder, "\n") : 0);
            refusal = "another game" + (pid.empty() ? std::string() : " (process " + std::string(pid) + ")") +
                      " is playing on the data folder " + folder +
                      "; close it first, or start this one with another XDG_DATA_HOME";
        } else {
            ZQ::platformLog(
                "The data folder %s cannot be locked (%s): a second game on it would not be noticed",
                folder.c_str(), std::strerror(error));
        }
        ::close(descriptor);
        descriptor = -1;
        return;
    }
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(descriptor, 0) != 0 || ::pwrite(descriptor, pid.data(), pid.size(), 0) < 0) {
        // Only the message of a game turned away would lack the number.
        ZQ::platformLog("The data folder's lock %s does not name this game: %s", path.c_str(),
                        std::strerror(errno));
    }
}

ZQDataFolderLock::~ZQDataFolderLock() {
    if (descriptor >= 0) {
        ::close(descriptor);
    }
}
