#pragma once

#include "engine/Refusal.h"

#include <cstdint>
#include <memory>
#include <string>
#include <sys/types.h>
#include <utility>

namespace ZQ {

// A folder opened once, on a way that belongs to the game's user: every
// folder from / down to it and each link followed on the way belong to the
// user who runs the game or to root, and no folder on it may be written by
// every user unless it is sticky (as /tmp is), as OpenSSH's StrictModes has
// it. Each is checked on what was opened, so the check and the step are
// about one and the same folder; every later step in it goes relative to its
// descriptor (FileCalls), and a link swapped on the way between two steps
// moves none of them elsewhere. A game run as root is no exception: a
// player's folder is another user's. The rules are in docs/stores.md.
//
// Ownership: owns its descriptor, closed with the last handle.
// Threads: any thread; nothing in it changes once it is opened.
class OwnedFolder : public std::enable_shared_from_this<OwnedFolder> {
public:
    using Handle = std::shared_ptr<const OwnedFolder>;
    // Whether what is missing of a way is made or only noted.
    enum class Make { yes, no };
    // The mode folders are made with, less the umask: the game's own alone.
    static constexpr mode_t kPrivate = 0700;

    // The folder `path` names (a relative one from the current folder),
    // looked at from / down.
    static Handle open(const std::string& path, Make make, mode_t mode = kPrivate);
    // The folder `way` (relative to this one) leads to.
    Handle below(const std::string& way, Make make, mode_t mode = kPrivate) const;
    // Where the file at `way` lies once every link to it is followed: the
    // folder of its last entry, and that entry's name (not a link; it may be
    // missing). Where the links lead to no file (a loop, a folder, a FIFO),
    // the first of them, which the caller can set aside as it would any
    // entry that is no file.
    std::pair<Handle, std::string> entry(const std::string& way, Make make) const;

    // False when the way is refused; `refusal` then says why, naming the
    // folder or link, its owner, and after "; " what mends it.
    bool usable() const { return refusal_.empty(); }
    const std::string& refusal() const { return refusal_; }
    // Some of the way is not there yet (Make::no): the descriptor is the
    // deepest folder that is, where the rest would be made.
    bool missing() const { return deepest_ != nullptr; }
    // The way looked at again from the deepest folder that was there, the
    // rest made or not; this folder when nothing was missing.
    Handle again(Make make) const;
    // Whether the game's user may make files here (where the rest would be
    // made, when missing); errno says why not.
    bool writable() const;
    int descriptor() const { return missing() ? deepest_->descriptor_ : descriptor_; }
    // The folder's path from /, with no link on it.
    const std::string& path() const { return path_; }

    // Opened (`descriptor`), refused (`refusal`), or missing from `deepest`
    // on (`rest` is the way below it).
    OwnedFolder(int descriptor, std::string path, std::string refusal, Handle deepest = nullptr,
                std::string rest = {});
    ~OwnedFolder();
    OwnedFolder(const OwnedFolder&) = delete;
    OwnedFolder& operator=(const OwnedFolder&) = delete;

private:
    Handle walk(std::string way, Make make, mode_t mode, std::string* last) const;

    int descriptor_;
    std::string path_;
    std::string refusal_;
    Handle deepest_;
    std::string rest_;
};

// Removes from `folder` the regular files of the game's user whose names
// begin with `prefix` and that were last written over a minute ago: the
// temporaries a crashed write left. A younger one may be another game's
// write still running. The stores and the shares keep this one rule.
void removeStale(int folder, const std::string& prefix);

// What gives `path` to the game's user: "give it to alice: sudo chown
// alice: 'path'" (with -h for a link, which is given itself).
std::string giveToGameUser(const std::string& path, bool link = false);

} // namespace ZQ
