#include "platform/ZQShareFolder.h"

#include "engine/FileCalls.h"
#include "engine/OwnedFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ZQShareFolder {

namespace {

using ZQ::OwnedFolder;

constexpr int kMaxNameTries = 1000;
constexpr std::size_t kMaxStem = 48;

constexpr const char* kTemporaryPrefix = ".share.tmp-";

// The folders made on the way take the player's umask, as the desktop makes
// the pictures folder: a picture viewer of another user may read them.
constexpr mode_t kSharedFolderMode = 0777;

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// What mends a step that failed with `error`: no room on the disk is mended
// as wherever the game meets it.
std::vector<ZQ::Mend> mendsFor(int error) {
    return error == ENOSPC || error == EDQUOT ? std::vector<ZQ::Mend>{ZQ::freeSpace()}
                                              : std::vector<ZQ::Mend>{};
}

// Why `step` failed on `path`, by errno.
ZQ::Refusal failure(const std::string& step, const std::string& path) {
    const int error = errno;
    return {"", step + " " + path + ": " + std::strerror(error), mendsFor(error)};
}

OwnedFolder::Handle openPlace(const Place& place, OwnedFolder::Make make) {
    const OwnedFolder::Handle start = OwnedFolder::open(place.start, make, kSharedFolderMode);
    return start->usable() && !start->missing() ? start->below(place.below, make, kSharedFolderMode) : start;
}

// The whole of `path` when it is a regular file of the game's user on a
// way of the user's (OwnedFolder); empty for anything else, which is never
// opened: opening a device acts on it, and a FIFO would hold the start.
std::string regularFileText(const std::string& path) {
    const std::filesystem::path file(path);
    const auto [folder, name, link] = OwnedFolder::open(file.parent_path(), OwnedFolder::Make::no)
                                          ->entry(file.filename(), OwnedFolder::Make::no);
    struct stat seen {};
    struct stat opened {};
    if (!folder->usable() || folder->missing() ||
        ZQ::gFileCalls.fstatat(folder->descriptor(), name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(seen.st_mode) || seen.st_uid != ::geteuid()) {
        return {};
    }
    const int fd = ZQ::gFileCalls.openat(folder->descriptor(), name.c_str(),
                                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
    std::string text;
    if (fd >= 0 && ::fstat(fd, &opened) == 0 && opened.st_dev == seen.st_dev &&
        opened.st_ino == seen.st_ino) {
        char buffer[4096];
        for (ssize_t n = 0; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return text;
}

} // namespace

std::string picturesFolder(const char* picturesDir, const std::string& userDirsFile,
                           const std::string& home) {
    // XDG folders must be absolute; a relative one is ignored.
    if (picturesDir != nullptr && picturesDir[0] == '/') {
        return picturesDir;
    }
    std::istringstream in(regularFileText(userDirsFile));
    static constexpr std::string_view kKey = "XDG_PICTURES_DIR=\"";
    static constexpr std::string_view kHome = "$HOME";
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with(kKey) || line.size() < kKey.size() + 1 || line.back() != '"') {
            continue;
        }
        std::string value = line.substr(kKey.size(), line.size() - kKey.size() - 1);
        if (value.starts_with(kHome)) {
            value = home + value.substr(kHome.size());
        }
        const bool none =
            !value.starts_with('/') || withoutTrailingSlashes(value) == withoutTrailingSlashes(home);
        return none ? std::string() : value;
    }
    return {};
}

std::string userDirsFile(const char* configHome, const std::string& home) {
    return ZQ::joinPath(configHome != nullptr && configHome[0] == '/' ? configHome
                                                                      : ZQ::joinPath(home, ".config"),
                        "user-dirs.dirs");
}

Place choose(const std::string& picturesFolder, const std::string& dataFolder) {
    return picturesFolder.empty() ? Place{dataFolder, "shares"} : Place{picturesFolder, "Velmora"};
}

Place chooseDocuments(const char* documentsDir, const std::string& dataFolder) {
    return {documentsDir != nullptr && documentsDir[0] == '/' ? documentsDir : dataFolder, ""};
}

std::optional<ZQ::Refusal> unwritable(const Place& place) {
    const OwnedFolder::Handle folder = openPlace(place, OwnedFolder::Make::no);
    std::optional<ZQ::Refusal> refusal = folder->usable() ? folder->unwritable() : folder->refusal();
    if (refusal) {
        refusal->what = "cannot save shares in " + place.path();
    }
    return refusal;
}

std::string saveNew(const Place& place, const std::function<std::string(int attempt)>& nameFor,
                    const std::function<bool(std::FILE* file, std::string& error)>& write,
                    ZQ::Refusal& refused) {
    const OwnedFolder::Handle folder = openPlace(place, OwnedFolder::Make::yes);
    if (!folder->usable()) {
        refused = folder->refusal();
        return {};
    }
    const int dir = folder->descriptor();
    ZQ::removeStale(dir, kTemporaryPrefix);
    // The player's umask gives the file its mode (0600 would hide the
    // picture from a viewer running as another user).
    std::string temporary;
    const int fd = ZQ::makeTemporary(dir, kTemporaryPrefix, 0666, temporary);
    if (fd < 0) {
        refused = failure("cannot write in", place.path());
        return {};
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        refused = failure("cannot write in", place.path());
    }
    // A writer says why it failed; errno, when the cause was the disk's.
    errno = 0;
    std::string why;
    bool written = file != nullptr && write(file, why);
    if (file != nullptr && !written) {
        refused = {"", why, mendsFor(errno)};
    }
    // The bytes reach the disk before the name does: a crash leaves no
    // named file half written.
    if (written && (std::fflush(file) != 0 || ::fsync(fd) != 0)) {
        refused = failure("cannot sync", ZQ::joinPath(place.path(), temporary));
        written = false;
    }
    if ((file != nullptr ? std::fclose(file) : ::close(fd)) != 0 && written) {
        refused = failure("cannot write", ZQ::joinPath(place.path(), temporary));
        written = false;
    }
    for (int attempt = 0; written && attempt < kMaxNameTries; ++attempt) {
        const std::string name = nameFor(attempt);
        if (ZQ::renameNoReplace(dir, temporary.c_str(), name.c_str()) == 0) {
            ::fsync(dir);
            return ZQ::joinPath(place.path(), name);
        }
        if (errno != EEXIST) {
            refused = failure("cannot name", ZQ::joinPath(place.path(), name));
            written = false;
        }
    }
    if (written) {
        refused = {"", "every name in " + place.path() + " is taken", {}};
    }
    ZQ::gFileCalls.unlinkat(dir, temporary.c_str(), 0);
    return {};
}

std::string fileStem(const std::string& text) {
    std::string stem;
    for (const char c : text.substr(0, kMaxStem)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '_';
        stem += plain ? c : '_';
    }
    return stem.empty() ? "knot" : stem;
}

} // namespace ZQShareFolder
