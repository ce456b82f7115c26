#include "engine/OwnedFolder.h"

#include "engine/FileCalls.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <pwd.h>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <vector>

namespace ZQ {

namespace {

// As many as the kernel follows on one path.
constexpr int kMaxLinks = 40;
// A temporary older than this is no running write's: a crash left it.
constexpr std::time_t kStaleSeconds = 60;

using Handle = OwnedFolder::Handle;

// The game's user and root own the folders every way starts under (/,
// /home, /tmp): trusting them trusts nothing another user could change. A
// nested user namespace (unshare --user, bubblewrap) shows every owner it
// does not map, root among them, as one overflow id, taken as the system's.
bool trusted(uid_t owner) {
    return owner == ::geteuid() || owner == 0 || unmapped(owner);
}

Handle refused(const std::string& path, Refusal why) {
    return std::make_shared<OwnedFolder>(path, std::move(why));
}

// Another user's folder or link on the way. Taking it would take it from
// that user; the player's own link that led there is the player's to undo.
Refusal ownedElsewhere(const std::string& what, uid_t owner, const std::string& viaLink) {
    return {"", ownedBy(what, owner), {viaLink.empty() ? runAs(owner) : undoLink(viaLink)}};
}

// A folder every user may write in, and not sticky: any of them may move
// what the game keeps there away or put a link in its place. Only its owner
// may take that right away; another's folder, and /, are left as they are.
Refusal openToAll(const std::string& path, const struct stat& info) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    Refusal refusal{"",
                    "the folder " + path + " belongs to " + accountName(info.st_uid) +
                        " and every user may write in it (mode " + mode + ")",
                    {}};
    if (info.st_uid == ::geteuid() && path != "/") {
        refusal.mends.push_back({"take that right away", "chmod o-w " + shellQuoted(path)});
    }
    return refusal;
}

// Why the folder at `path`, one of `owner`'s, cannot be `act`, and what
// mends it: the player's own is opened up, one of root's where the player's
// things belong is given back whole, anything else is left as it is.
Refusal cannotUse(const std::string& path, const char* act, uid_t owner, bool players, int error) {
    const bool denied = error == EACCES || error == EPERM;
    Refusal refusal = cannot(denied && owner != ::geteuid() ? ownedBy("the folder " + path, owner) + ": it"
                                                            : "the folder " + path,
                             std::string(act), error);
    if (error == ENOSPC || error == EDQUOT) {
        refusal.mends.push_back(freeSpace());
    } else if (denied && owner == ::geteuid()) {
        refusal.mends.push_back({"let its owner use it", "chmod u+rwx " + shellQuoted(path)});
    } else if (denied && owner == 0 && players) {
        refusal.mends.push_back(giveBack(path, Entry::folder));
    } else if (denied && unmapped(owner)) {
        refusal.mends.push_back(runAs(owner));
    }
    return refusal;
}

// `descriptor`, opened at `path` (-1: failed with errno), judged on what was
// opened; its things are the player's when it is, or root's in the player's.
Handle adopt(int descriptor, const std::string& path, bool inPlayers, const std::string& viaLink) {
    if (descriptor < 0) {
        return refused(path, cannot("the folder " + path, "opened", errno));
    }
    struct stat info {};
    std::optional<Refusal> why;
    if (::fstat(descriptor, &info) != 0) {
        why = cannot("the folder " + path, "examined", errno);
    } else if (!trusted(info.st_uid)) {
        why = ownedElsewhere("the folder " + path, info.st_uid, viaLink);
    } else if ((info.st_mode & S_IWOTH) != 0 && (info.st_mode & S_ISVTX) == 0) {
        why = openToAll(path, info);
    }
    if (why) {
        ::close(descriptor);
        return refused(path, std::move(*why));
    }
    // Root's file system mounted in the player's folders is no sudo run's
    // leftover: a mend that gave it back would give away the mounted tree.
    struct statx mount {};
    const bool mounted = ::statx(descriptor, "", AT_EMPTY_PATH, 0, &mount) == 0 &&
                         (mount.stx_attributes & mount.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0;
    const bool players = info.st_uid == ::geteuid() || (info.st_uid == 0 && inPlayers && !mounted);
    return std::make_shared<OwnedFolder>(descriptor, path, info.st_uid, players);
}

std::deque<std::string> partsOf(const std::string& way) {
    std::deque<std::string> parts;
    std::istringstream stream(way);
    for (std::string part; std::getline(stream, part, '/');) {
        if (!part.empty() && part != ".") {
            parts.push_back(std::move(part));
        }
    }
    return parts;
}

// Where the absolute way `rest` starts: at the player's home folder when it
// leads into it (the home itself is judged, what stands above it is the
// system's), else at /; `rest` is left as the way from there. A ".." that
// climbs out again leaves the home's standing (OwnedFolder::walk).
Handle startOf(std::deque<std::string>& rest) {
    const std::deque<std::string> home = partsOf(homeFolder(std::getenv("HOME")));
    if (!home.empty() && home.size() <= rest.size() && std::equal(home.begin(), home.end(), rest.begin())) {
        std::string homePath;
        for (const std::string& part : home) {
            homePath += "/" + part;
        }
        const int descriptor =
            gFileCalls.openat(AT_FDCWD, homePath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
        // A home that is not there yet: the way is made from / as any other.
        if (descriptor >= 0 || errno != ENOENT) {
            rest.erase(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(home.size()));
            return adopt(descriptor, homePath, false, "");
        }
    }
    return adopt(gFileCalls.openat(AT_FDCWD, "/", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0), "/", false, "");
}

// The parts of the way to the folder above where `folder` really stands,
// every link on it resolved (/ for /): a ".." from it is judged from there.
std::deque<std::string> wayAbove(const OwnedFolder& folder) {
    char real[PATH_MAX];
    const std::string opened = "/proc/self/fd/" + std::to_string(folder.descriptor());
    std::deque<std::string> way = partsOf(::realpath(opened.c_str(), real) != nullptr ? real : folder.path());
    way.resize(way.empty() ? 0 : way.size() - 1);
    return way;
}

} // namespace

std::string joinPath(std::string folder, const std::string& name) {
    while (folder.ends_with('/')) {
        folder.pop_back();
    }
    return folder + "/" + name;
}

std::string homeFolder(const char* home) {
    if (home != nullptr && home[0] == '/') {
        return home;
    }
    // Services and sandboxes may run without HOME.
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "/tmp";
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
        if (std::string_view(entry->d_name).starts_with(prefix) &&
            gFileCalls.fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && now - info.st_mtime > kStaleSeconds) {
            gFileCalls.unlinkat(folder, entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

OwnedFolder::OwnedFolder(int descriptor, std::string path, uid_t owner, bool players, Handle deepest,
                         std::string rest)
    : descriptor_(descriptor), path_(std::move(path)), owner_(owner), players_(players),
      deepest_(std::move(deepest)), rest_(std::move(rest)) {}

OwnedFolder::OwnedFolder(std::string path, Refusal refusal)
    : path_(std::move(path)), refusal_(std::move(refusal)) {}

OwnedFolder::~OwnedFolder() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

Handle OwnedFolder::open(const std::string& path, Make make, mode_t mode) {
    // A namespace with no map shows every owner, the game's own too, as the
    // overflow id: no owner can be told from the player, so none is trusted.
    if (unmapped(::geteuid())) {
        return refused(path,
                       {"",
                        "the game runs in a user namespace that maps no account, where every file shows "
                        "uid " +
                            std::to_string(::geteuid()) + " and none can be told to be its own",
                        {{"start the sandbox with a map of your account: unshare -r, unshare "
                          "--map-current-user, or bubblewrap, which maps it unless told not to",
                          ""}}});
    }
    std::string whole = path;
    if (whole.empty() || whole[0] != '/') {
        char here[PATH_MAX];
        if (::getcwd(here, sizeof here) == nullptr) {
            return refused(path, cannot("the current folder", "named", errno));
        }
        whole = std::string(here) + "/" + whole;
    }
    std::deque<std::string> rest = partsOf(whole);
    const Handle start = startOf(rest);
    return start->walk(std::move(rest), make, mode, nullptr);
}

Handle OwnedFolder::below(const std::string& way, Make make, mode_t mode) const {
    return walk(partsOf(way), make, mode, nullptr);
}

OwnedFolder::Reached OwnedFolder::entry(const std::string& way, Make make) const {
    Reached reached;
    reached.folder = walk(partsOf(way), make, kPrivate, &reached);
    return reached;
}

std::optional<Refusal> OwnedFolder::unwritable() const {
    const OwnedFolder& where = missing() ? *deepest_ : *this;
    if (::faccessat(where.descriptor_, ".", W_OK | X_OK, AT_EACCESS) == 0) {
        return std::nullopt;
    }
    return cannotUse(where.path_, "written", where.owner_, where.players_, errno);
}

// Each entry of the way is looked at without following it: a folder is
// opened and checked, a link of a trusted owner is followed (an absolute one
// from where its way starts). With `last` the way's last entry is not
// entered but named there; the links from it on are its chain, and a chain
// that leads to no file names its first link instead.
Handle OwnedFolder::walk(std::deque<std::string> parts, Make make, mode_t mode, Reached* last) const {
    if (missing()) {
        const std::deque<std::string> before = partsOf(rest_);
        parts.insert(parts.begin(), before.begin(), before.end());
        return deepest_->walk(std::move(parts), make, mode, last);
    }
    Handle at = shared_from_this();
    // The folders walked down from where the walk began, or its last
    // absolute start: a ".." goes back up them, each keeping its standing.
    std::vector<Handle> trail{at};
    Handle chainFolder;
    std::string chainName;
    std::string ownLink; // the last link of the game's user followed
    const auto reached = [&](const Handle& folder, const std::string& name) {
        last->name = name;
        last->link = ownLink;
        return folder;
    };
    // Links followed and looks taken again: no more than the kernel follows.
    int detours = 0;
    // No way on from a folder that is refused.
    while (at->usable() && !parts.empty()) {
        const std::string part = std::move(parts.front());
        parts.pop_front();
        const std::string here = joinPath(at->path_, part);
        const bool named = parts.empty() && last != nullptr;
        if (named && chainFolder == nullptr) {
            chainFolder = at;
            chainName = part;
        }
        if (part == "..") {
            if (named) {
                return reached(chainFolder, chainName); // a link to a folder
            }
            if (trail.size() > 1) {
                trail.pop_back();
                at = trail.back();
                continue;
            }
            // Out of where the walk began: the rest is an absolute way from
            // where the folder above really stands, without its standing (a
            // relative link out of the home is judged as an absolute one).
            std::deque<std::string> up = wayAbove(*at);
            at = startOf(up);
            trail = {at};
            parts.insert(parts.begin(), up.begin(), up.end());
            continue;
        }
        struct stat info {};
        if (gFileCalls.fstatat(at->descriptor_, part.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                return refused(here, cannot(here, "examined", errno));
            }
            if (named) {
                return reached(at, part);
            }
            if (make == Make::no) {
                if (last != nullptr) {
                    reached(at, parts.back());
                    parts.pop_back();
                }
                std::string rest = part;
                for (const std::string& next : parts) {
                    rest += "/" + next;
                }
                return std::make_shared<OwnedFolder>(-1, joinPath(at->path_, rest), at->owner_, at->players_,
                                                     at, rest);
            }
            if (gFileCalls.mkdirat(at->descriptor_, part.c_str(), mode) != 0 && errno != EEXIST) {
                return refused(here, cannotUse(at->path_, "written", at->owner_, at->players_, errno));
            }
            if (++detours > kMaxLinks) {
                return refused(here, cannot(here, "followed", ELOOP));
            }
            parts.push_front(part); // looked at again, as whatever stands there now
            continue;
        }
        if (S_ISLNK(info.st_mode)) {
            // As the kernel does (protected_symlinks), a link in a folder shared
            // by all is followed only when the follower's or the folder owner's;
            // in a namespace, where unmapped owners look alike, a link in a
            // folder others than its owner may write is followed when the
            // player's only, as outside another user's would not be.
            struct stat holder {};
            const bool unknown = ::fstat(at->descriptor_, &holder) != 0;
            const bool shared =
                unknown || ((holder.st_mode & S_ISVTX) != 0 && (holder.st_mode & S_IWOTH) != 0);
            const bool othersWrite = unknown || (holder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
            if (info.st_uid != ::geteuid() &&
                (!trusted(info.st_uid) || (shared && info.st_uid != holder.st_uid) ||
                 (othersWrite && unmapped(info.st_uid)))) {
                Refusal why = ownedElsewhere("the link " + here, info.st_uid, ownLink);
                if (shared && ownLink.empty()) {
                    why.mends.clear();
                }
                return refused(here, std::move(why));
            }
            if (++detours > kMaxLinks) {
                return chainFolder != nullptr ? reached(chainFolder, chainName)
                                              : refused(here, cannot(here, "followed", ELOOP));
            }
            char target[PATH_MAX];
            const ssize_t length =
                gFileCalls.readlinkat(at->descriptor_, part.c_str(), target, sizeof target);
            if (length < 0 && (errno == EINVAL || errno == ENOENT)) {
                parts.push_front(part); // no longer a link, or gone: looked at again
                continue;
            }
            if (length <= 0 || length == static_cast<ssize_t>(sizeof target)) {
                return refused(here, cannot("the link " + here, "read", errno));
            }
            // The kernel's own links (/proc/self/cwd) are the player's by owner
            // alone: no one can remove one, and its name is a process's.
            struct statfs system {};
            if (info.st_uid == ::geteuid() &&
                (::fstatfs(at->descriptor_, &system) != 0 || system.f_type != PROC_SUPER_MAGIC)) {
                ownLink = here;
            }
            std::deque<std::string> followed = partsOf(std::string(target, static_cast<std::size_t>(length)));
            if (named && followed.empty()) {
                return reached(chainFolder, chainName); // a link to . or to /
            }
            if (target[0] == '/') {
                at = startOf(followed);
                trail = {at};
            }
            parts.insert(parts.begin(), followed.begin(), followed.end());
            continue;
        }
        if (named) {
            return S_ISREG(info.st_mode) ? reached(at, part) : reached(chainFolder, chainName);
        }
        const int descriptor = gFileCalls.openat(at->descriptor_, part.c_str(),
                                                 O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0);
        if (descriptor < 0) {
            if (chainFolder != nullptr && errno == ENOTDIR) {
                return reached(chainFolder, chainName); // a link to somewhere below a file
            }
            if ((errno != ELOOP && errno != ENOENT) || ++detours > kMaxLinks) {
                return refused(here, cannotUse(here, "opened", info.st_uid, at->players_, errno));
            }
            parts.push_front(part); // replaced since the look
            continue;
        }
        at = adopt(descriptor, here, at->players_, ownLink);
        trail.push_back(at);
    }
    return at;
}

} // namespace ZQ
