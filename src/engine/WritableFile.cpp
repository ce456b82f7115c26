#include "engine/WritableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace ZQ {

std::string whyUnwritable(const std::string& path) {
    const std::filesystem::path file(path);
    struct stat status {};
    const bool existed = stat(path.c_str(), &status) == 0;
    if (!file.has_filename() || (existed && S_ISDIR(status.st_mode))) {
        return "it names a folder, not a file";
    }
    const std::string folder = file.has_parent_path() ? file.parent_path().string() : std::string(".");
    struct stat folderStatus {};
    if (stat(folder.c_str(), &folderStatus) != 0) {
        return errno == ENOENT ? "there is no folder '" + folder + "'"
                               : "the folder '" + folder + "' cannot be reached: " + std::strerror(errno);
    }
    if (!S_ISDIR(folderStatus.st_mode)) {
        return "'" + folder + "' is not a folder";
    }
    if (existed && (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode))) {
        return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? std::string()
                                                                        : std::strerror(errno);
    }
    const int descriptor = open(
        path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (existed ? 0 : O_CREAT | O_EXCL), 0600);
    if (descriptor < 0) {
        return std::strerror(errno);
    }
    close(descriptor);
    if (!existed) {
        unlink(path.c_str());
    }
    return {};
}

std::string whyNoNewFileIn(const std::string& folder) {
    std::string name = folder + "/.velmora-write-test-XXXXXX";
    const int descriptor = mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0) {
        return std::strerror(errno);
    }
    close(descriptor);
    unlink(name.c_str());
    return {};
}

} // namespace ZQ
