#include "platform/ZQShareFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace ZQShareFolder {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxNameTries = 1000;
constexpr std::size_t kMaxStem = 48;

bool syncPath(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string failure(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + std::strerror(error);
}

} // namespace

std::string picturesFolder(const char* picturesDir, const std::string& userDirsFile,
                           const std::string& home) {
    // XDG folders must be absolute; a relative one is ignored.
    if (picturesDir != nullptr && picturesDir[0] == '/') {
        return picturesDir;
    }
    std::ifstream in(userDirsFile);
    static constexpr std::string_view kKey = "XDG_PICTURES_DIR=\"";
    static constexpr std::string_view kHome = "$HOME";
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(kKey, 0) != 0 || line.size() < kKey.size() + 1 || line.back() != '"') {
            continue;
        }
        std::string value = line.substr(kKey.size(), line.size() - kKey.size() - 1);
        if (value.rfind(kHome, 0) == 0) {
            value = home + value.substr(kHome.size());
        }
        if (value.empty() || value[0] != '/' ||
            withoutTrailingSlashes(value) == withoutTrailingSlashes(home)) {
            return {};
        }
        return value;
    }
    return {};
}

std::string userDirsFile(const char* configHome, const std::string& home) {
    if (configHome != nullptr && configHome[0] == '/') {
        return std::string(configHome) + "/user-dirs.dirs";
    }
    return home + "/.config/user-dirs.dirs";
}

std::string choose(const std::string& picturesFolder, const std::string& dataFolder) {
    return picturesFolder.empty() ? dataFolder + "/shares" : picturesFolder + "/Velmora";
}

std::string chooseDocuments(const char* documentsDir, const std::string& dataFolder) {
    if (documentsDir != nullptr && documentsDir[0] == '/') {
        return documentsDir;
    }
    return dataFolder;
}

bool isWritable(const std::string& folder) {
    fs::path path(folder);
    for (;;) {
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0) {
            return S_ISDIR(info.st_mode) && ::access(path.c_str(), W_OK | X_OK) == 0;
        }
        // Only a missing entry may be made; anything else (a file in the
        // way, no permission to look) means no.
        if (errno != ENOENT || !path.has_relative_path()) {
            return false;
        }
        path = path.parent_path();
    }
}

std::string saveNew(const std::string& folder, const std::function<std::string(int attempt)>& nameFor,
                    const std::function<bool(const std::string& path, std::string& error)>& write,
                    std::string& error) {
    std::error_code made;
    fs::create_directories(folder, made);
    if (made) {
        error = "cannot make " + folder + ": " + made.message();
        return {};
    }
    // Made with open, not mkstemp, so that the player's umask gives the
    // file its mode (mkstemp's 0600 would hide the picture from a viewer
    // running as another user).
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < kMaxNameTries; ++attempt) {
        temporary = folder + "/.share.tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        error = failure("cannot write in", folder, errno);
        return {};
    }
    ::close(fd);
    if (!write(temporary, error)) {
        ::unlink(temporary.c_str());
        return {};
    }
    // The bytes reach the disk before the name does: a crash leaves no
    // named file half written.
    if (!syncPath(temporary, O_RDONLY)) {
        error = failure("cannot sync", temporary, errno);
        ::unlink(temporary.c_str());
        return {};
    }
    for (int attempt = 0; attempt < kMaxNameTries; ++attempt) {
        const std::string path = folder + "/" + nameFor(attempt);
        if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
            syncPath(folder, O_RDONLY | O_DIRECTORY);
            return path;
        }
        if (errno != EEXIST) {
            error = failure("cannot name", path, errno);
            ::unlink(temporary.c_str());
            return {};
        }
    }
    error = "every name in " + folder + " is taken";
    ::unlink(temporary.c_str());
    return {};
}

std::string fileStem(const std::string& text) {
    std::string stem;
    for (const char c : text) {
        if (stem.size() == kMaxStem) {
            break;
        }
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '_';
        stem += plain ? c : '_';
    }
    return stem.empty() ? "knot" : stem;
}

} // namespace ZQShareFolder
