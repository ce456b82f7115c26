#include "engine/OwnedFolder.h"

#include "engine/FileCalls.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ZQ {

namespace {

// As many as the kernel follows on one path.
constexpr int kMaxLinks = 40;

// A temporary older than this belongs to no write still running: a crash
// left it.
constexpr std::time_t kStaleSeconds = 60;

using Handle = OwnedFolder::Handle;

// The id root's files show here: 0, or in a user namespace (unshare --user,
// bubblewrap) the id it maps root to, else the overflow id every unmapped
// owner shows, which the namespace cannot tell apart from root. Read at each
// look, as a process may enter a namespace after its first.
uid_t rootAsShown() {
    std::ifstream map("/proc/self/uid_map");
    if (!map) {
        return 0; // no /proc: no namespace we could see either
    }
    for (unsigned long inside = 0, outside = 0, count = 0; map >> inside >> outside >> count;) {
        if (outside == 0 && count > 0) {
            return static_cast<uid_t>(inside);
        }
    }
    unsigned long overflow = 65534;
    std::ifstream("/proc/sys/kernel/overflowuid") >> overflow;
    return static_cast<uid_t>(overflow);
}

// Root owns the folders every way starts under (/, /home, /tmp): trusting
// them trusts nothing a user could change.
bool trusted(uid_t owner) {
    return owner == ::geteuid() || owner == rootAsShown();
}

std::string ownedElsewhere(const std::string& path, uid_t owner, bool link) {
    const std::string fault = (link ? "the link " : "the folder ") + path + " belongs to " +
                              accountName(owner) + ", and the game runs as " + accountName(::geteuid()) +
                              "; run the game as " + accountName(owner);
    // Root's game meets a player's folder: giving it to root would lock the
    // player out of it.
    return ::geteuid() == 0 ? fault : fault + ", or " + giveToGameUser(path, link);
}

// A folder every user may write in, and not sticky: any of them may move
// what the game keeps there away, or put a link in its place.
std::string openToAll(const std::string& path, const struct stat& info) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    return "the folder " + path + " belongs to " + accountName(info.st_uid) +
           " and every user may write in it (mode " + mode +
           "); take that right away: " + (info.st_uid == ::geteuid() ? "" : "sudo ") + "chmod o-w " +
           shellQuoted(path);
}

std::string failed(const std::string& what, const char* step) {
    return what + " cannot be " + step + ": " + std::strerror(errno);
}

Handle refused(const std::string& path, std::string why) {
    return std::make_shared<OwnedFolder>(-1, path, std::move(why));
}

Handle adopt(int descriptor, const std::string& path) {
    struct stat info {};
    std::string why;
    if (::fstat(descriptor, &info) != 0) {
        why = failed("the folder " + path, "examined");
    } else if (!trusted(info.st_uid)) {
        why = ownedElsewhere(path, info.st_uid, false);
    } else if ((info.st_mode & S_IWOTH) != 0 && (info.st_mode & S_ISVTX) == 0) {
        why = openToAll(path, info);
    }
    if (!why.empty()) {
        ::close(descriptor);
        return refused(path, why);
    }
    return std::make_shared<OwnedFolder>(descriptor, path, "");
}

// The root folder, the start of every way.
Handle openRoot() {
    const int descriptor = gFileCalls.openat(AT_FDCWD, "/", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    return descriptor >= 0 ? adopt(descriptor, "/") : refused("/", failed("the folder /", "opened"));
}

// The path of `part` in the folder at `path`. No path of a folder holds a
// link, so ".." is the folder above, as the kernel takes it.
std::string child(const std::string& path, const std::string& part) {
    if (part == "..") {
        const std::size_t slash = path.rfind('/');
        return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
    }
    return path == "/" ? "/" + part : path + "/" + part;
}

std::deque<std::string> partsOf(const std::string& way) {
    std::deque<std::string> parts;
    std::size_t start = 0;
    while (start <= way.size()) {
        const std::size_t end = std::min(way.find('/', start), way.size());
        if (end > start && way.compare(start, end - start, ".") != 0) {
            parts.push_back(way.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

} // namespace

std::string giveToGameUser(const std::string& path, bool link) {
    const passwd* entry = ::getpwuid(::geteuid());
    const bool named = entry != nullptr && entry->pw_name != nullptr;
    const std::string user = named ? std::string(entry->pw_name) : "uid " + std::to_string(::geteuid());
    return "give it to " + user + ": sudo chown " + (link ? "-h " : "") +
           (named ? user + ":" : std::to_string(::geteuid())) + " " + shellQuoted(path);
}

void removeStale(int folder, const std::string& prefix) {
    const int listed = gFileCalls.openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    DIR* listing = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (listing == nullptr) {
        if (listed >= 0) {
            ::close(listed);
        }
        return;
    }
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(listing)) {
        struct stat info {};
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0 &&
            gFileCalls.fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && now - info.st_mtime > kStaleSeconds) {
            gFileCalls.unlinkat(folder, entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

OwnedFolder::OwnedFolder(int descriptor, std::string path, std::string refusal, Handle deepest,
                         std::string rest)
    : descriptor_(descriptor), path_(std::move(path)), refusal_(std::move(refusal)),
      deepest_(std::move(deepest)), rest_(std::move(rest)) {}

OwnedFolder::~OwnedFolder() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

Handle OwnedFolder::open(const std::string& path, Make make, mode_t mode) {
    std::string whole = path;
    if (whole.empty() || whole[0] != '/') {
        char here[PATH_MAX];
        if (::getcwd(here, sizeof here) == nullptr) {
            return refused(path, failed("the current folder", "named"));
        }
        whole = std::string(here) + "/" + whole;
    }
    const Handle root = openRoot();
    return root->usable() ? root->below(whole, make, mode) : root;
}

Handle OwnedFolder::again(Make make) const {
    return missing() ? deepest_->below(rest_, make) : shared_from_this();
}

Handle OwnedFolder::below(const std::string& way, Make make, mode_t mode) const {
    return walk(way, make, mode, nullptr);
}

std::pair<Handle, std::string> OwnedFolder::entry(const std::string& way, Make make) const {
    std::string name;
    Handle folder = walk(way, make, kPrivate, &name);
    return {std::move(folder), std::move(name)};
}

bool OwnedFolder::writable() const {
    return ::faccessat(descriptor(), ".", W_OK | X_OK, AT_EACCESS) == 0;
}

// Each entry of the way is looked at without following it: a folder is
// opened and checked, a link of a trusted owner is followed (an absolute one
// from /). With `last` the way's last entry is not entered but named there;
// the links from it on are its chain, and a chain that leads to no file
// names its first link instead.
Handle OwnedFolder::walk(std::string way, Make make, mode_t mode, std::string* last) const {
    if (!usable()) {
        return shared_from_this(); // no way on from a folder that is refused
    }
    if (missing()) {
        return deepest_->walk(rest_ + "/" + way, make, mode, last);
    }
    std::deque<std::string> parts = partsOf(way);
    Handle at = shared_from_this();
    Handle chainFolder;
    std::string chainName;
    const auto noFile = [&] {
        *last = chainName;
        return chainFolder;
    };
    // Links followed and looks taken again: no more than the kernel follows.
    int detours = 0;
    while (!parts.empty()) {
        const std::string part = std::move(parts.front());
        parts.pop_front();
        const std::string here = child(at->path_, part);
        const bool named = parts.empty() && last != nullptr;
        if (named && chainFolder == nullptr) {
            chainFolder = at;
            chainName = part;
        }
        const bool inChain = chainFolder != nullptr;
        struct stat info {};
        if (gFileCalls.fstatat(at->descriptor_, part.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                return refused(here, failed(here, "examined"));
            }
            if (named) {
                *last = part;
                return at;
            }
            if (make == Make::no) {
                std::string rest = part;
                for (std::size_t next = 0; next + (last != nullptr ? 1 : 0) < parts.size(); ++next) {
                    rest += "/" + parts[next];
                }
                if (last != nullptr) {
                    *last = parts.back();
                }
                return std::make_shared<OwnedFolder>(-1, child(at->path_, rest), "", at, rest);
            }
            if (gFileCalls.mkdirat(at->descriptor_, part.c_str(), mode) != 0 && errno != EEXIST) {
                return refused(here, failed("the folder " + here, "made"));
            }
            if (++detours > kMaxLinks) {
                return refused(here, here + " cannot be followed: " + std::strerror(ELOOP));
            }
            parts.push_front(part); // looked at again, as whatever stands there now
            continue;
        }
        if (S_ISLNK(info.st_mode)) {
            if (!trusted(info.st_uid)) {
                return refused(here, ownedElsewhere(here, info.st_uid, true));
            }
            if (++detours > kMaxLinks) {
                return inChain ? noFile()
                               : refused(here, here + " cannot be followed: " + std::strerror(ELOOP));
            }
            char target[PATH_MAX];
            const ssize_t length =
                gFileCalls.readlinkat(at->descriptor_, part.c_str(), target, sizeof target);
            if (length < 0 && (errno == EINVAL || errno == ENOENT)) {
                parts.push_front(part); // no longer a link, or gone: looked at again
                continue;
            }
            if (length <= 0 || length == static_cast<ssize_t>(sizeof target)) {
                return refused(here, failed("the link " + here, "read"));
            }
            std::deque<std::string> followed = partsOf(std::string(target, static_cast<std::size_t>(length)));
            if (named && followed.empty()) {
                return noFile(); // a link to . or to /
            }
            if (target[0] == '/') {
                at = openRoot();
                if (!at->usable()) {
                    return at;
                }
            }
            parts.insert(parts.begin(), followed.begin(), followed.end());
            continue;
        }
        if (named) {
            if (!S_ISREG(info.st_mode)) {
                return noFile();
            }
            *last = part;
            return at;
        }
        const int descriptor = gFileCalls.openat(at->descriptor_, part.c_str(),
                                                 O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0);
        if (descriptor < 0) {
            const bool replaced = errno == ELOOP || errno == ENOENT;
            if (inChain && errno == ENOTDIR) {
                return noFile(); // a link to somewhere below a file
            }
            if (!replaced || ++detours > kMaxLinks) {
                return refused(here, failed("the folder " + here, "opened"));
            }
            parts.push_front(part); // replaced since the look
            continue;
        }
        at = adopt(descriptor, here);
        if (!at->usable()) {
            return at;
        }
    }
    return at;
}

} // namespace ZQ
