#include "engine/OwnedFolder.h"

#include "engine/FileCalls.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ZQ {

namespace {

// As many as the kernel follows on one path.
constexpr int kMaxLinks = 40;

using Handle = OwnedFolder::Handle;

// Root owns the folders every way starts under (/, /home, /tmp): trusting
// them trusts nothing a user could change.
bool trusted(uid_t owner) {
    return owner == ::geteuid() || owner == 0;
}

std::string ownedElsewhere(const std::string& what, uid_t owner) {
    return what + " belongs to " + accountName(owner) + ", and the game runs as " + accountName(::geteuid()) +
           ": run the game as " + accountName(owner);
}

std::string failed(const std::string& what, const char* step) {
    return what + " cannot be " + step + ": " + std::strerror(errno);
}

Handle refused(const std::string& path, std::string why) {
    return std::make_shared<OwnedFolder>(-1, path, std::move(why));
}

Handle adopt(int descriptor, const std::string& path) {
    struct stat info {};
    const bool examined = ::fstat(descriptor, &info) == 0;
    std::string why = examined ? "" : failed("the folder " + path, "examined");
    if (examined && !trusted(info.st_uid)) {
        why = ownedElsewhere("the folder " + path, info.st_uid);
    }
    if (!why.empty()) {
        ::close(descriptor);
        return refused(path, why);
    }
    return std::make_shared<OwnedFolder>(descriptor, path, "");
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

std::string accountName(uid_t uid) {
    const passwd* entry = ::getpwuid(uid);
    const std::string number = "uid " + std::to_string(uid);
    return entry != nullptr && entry->pw_name != nullptr ? std::string(entry->pw_name) + " (" + number + ")"
                                                         : number;
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

Handle OwnedFolder::open(const std::string& path, Make make) {
    const int descriptor = gFileCalls.openat(AT_FDCWD, path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (descriptor >= 0) {
        return adopt(descriptor, path);
    }
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    if (errno != ENOENT || trimmed == "/") {
        return refused(path, failed("the folder " + path, "opened"));
    }
    // Made from the deepest folder that is there, which is checked as any.
    const std::filesystem::path whole(trimmed);
    const Handle above = open(whole.has_parent_path() ? whole.parent_path().string() : ".", make);
    return above->usable() ? above->below(whole.filename().string(), make) : above;
}

Handle OwnedFolder::again(Make make) const {
    return missing() ? deepest_->below(rest_, make) : shared_from_this();
}

Handle OwnedFolder::below(const std::string& way, Make make) const {
    return walk(way, make, nullptr);
}

std::pair<Handle, std::string> OwnedFolder::entry(const std::string& way, Make make) const {
    std::string name;
    Handle folder = walk(way, make, &name);
    return {std::move(folder), std::move(name)};
}

bool OwnedFolder::writable() const {
    return ::faccessat(descriptor(), ".", W_OK | X_OK, AT_EACCESS) == 0;
}

// Each entry of the way is looked at without following it: a folder is
// opened and checked, a link of a trusted owner is followed (an absolute one
// from /). With `last` the way's last entry is not entered but named there.
Handle OwnedFolder::walk(std::string way, Make make, std::string* last) const {
    if (missing()) {
        return deepest_->walk(rest_ + "/" + way, make, last);
    }
    std::deque<std::string> parts = partsOf(way);
    Handle at = shared_from_this();
    // Links followed and looks taken again: no more than the kernel follows.
    int detours = 0;
    while (!parts.empty()) {
        const std::string part = std::move(parts.front());
        parts.pop_front();
        const std::string here = at->path_ + "/" + part;
        const bool named = parts.empty() && last != nullptr;
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
                return std::make_shared<OwnedFolder>(-1, at->path_ + "/" + rest, "", at, rest);
            }
            if (gFileCalls.mkdirat(at->descriptor_, part.c_str(), 0700) != 0 && errno != EEXIST) {
                return refused(here, failed("the folder " + here, "made"));
            }
            if (++detours > kMaxLinks) {
                return refused(here, here + " cannot be followed: " + std::strerror(ELOOP));
            }
            parts.push_front(part); // looked at again, as whatever stands there now
            continue;
        }
        if (S_ISLNK(info.st_mode)) {
            if (++detours > kMaxLinks) {
                return refused(here, here + " cannot be followed: " + std::strerror(ELOOP));
            }
            if (!trusted(info.st_uid)) {
                return refused(here, ownedElsewhere("the link " + here, info.st_uid));
            }
            char target[PATH_MAX];
            const ssize_t length = ::readlinkat(at->descriptor_, part.c_str(), target, sizeof target);
            if (length <= 0 || length == static_cast<ssize_t>(sizeof target)) {
                return refused(here, failed("the link " + here, "read"));
            }
            std::deque<std::string> followed = partsOf(std::string(target, static_cast<std::size_t>(length)));
            if (named && followed.empty()) {
                return refused(here, "the link " + here + " leads to a folder, not a file");
            }
            if (target[0] == '/') {
                at = open("/", Make::no);
                if (!at->usable()) {
                    return at;
                }
            }
            parts.insert(parts.begin(), followed.begin(), followed.end());
            continue;
        }
        if (named) {
            *last = part;
            return at;
        }
        const int descriptor = gFileCalls.openat(at->descriptor_, part.c_str(),
                                                 O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0);
        if (descriptor < 0) {
            const bool replaced = errno == ELOOP || errno == ENOENT;
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
