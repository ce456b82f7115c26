#pragma once

#include "engine/Refusal.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace ZQ {

// A folder opened once, on a way that belongs to the game's user or root,
// checked as OpenSSH's StrictModes checks a key's folders (the rules are in
// docs/stores.md). Each folder is checked on what was opened, and every later
// step in it goes relative to its descriptor (FileCalls): a link swapped
// between two steps moves none of them elsewhere.
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

    // Where the file at a way lies once every link to it is followed.
    struct Reached {
        // The folder of its last entry and that entry's name (not a link; it
        // may be missing); where the links lead to no file (a loop, a folder,
        // a FIFO), the first of them, set aside as any entry that is no file.
        Handle folder;
        std::string name;
        // The last link of the game's user followed, or empty: the player's
        // to undo where it leads into another user's place.
        std::string link;
    };

    // The folder `path` names (a relative one from the current folder).
    static Handle open(const std::string& path, Make make, mode_t mode = kPrivate);
    // The folder `way` (relative to this one) leads to; a refused folder
    // leads nowhere, and hands itself back.
    Handle below(const std::string& way, Make make, mode_t mode = kPrivate) const;
    Reached entry(const std::string& way, Make make) const;

    // False when the way is refused; `refusal` then says why and what mends it.
    bool usable() const { return !refusal_; }
    const Refusal& refusal() const { return *refusal_; }
    // Some of the way is not there yet (Make::no): the descriptor is the
    // deepest folder that is, where the rest would be made.
    bool missing() const { return deepest_ != nullptr; }
    // The way looked at again from the deepest folder that was there.
    Handle again(Make make) const { return below("", make); }
    // Why the game's user may not make files here (where the rest would be
    // made, when missing), with what mends it; nothing when it may.
    std::optional<Refusal> unwritable() const;
    int descriptor() const { return missing() ? deepest_->descriptor_ : descriptor_; }
    // The folder's path, with no link on it below the home folder.
    const std::string& path() const { return path_; }
    // Whether the player's things belong here: the game user's folder, or
    // one of root's inside such a folder, which a mend may give back whole.
    bool players() const { return players_; }

    // Opened, or missing from `deepest` on along the way `rest`.
    OwnedFolder(int descriptor, std::string path, uid_t owner, bool players, Handle deepest = nullptr,
                std::string rest = {});
    // Refused.
    OwnedFolder(std::string path, Refusal refusal);
    ~OwnedFolder();
    OwnedFolder(const OwnedFolder&) = delete;
    OwnedFolder& operator=(const OwnedFolder&) = delete;

private:
    Handle walk(std::deque<std::string> parts, Make make, mode_t mode, Reached* last) const;

    int descriptor_ = -1;
    std::string path_;
    uid_t owner_ = 0;
    bool players_ = false;
    std::optional<Refusal> refusal_;
    Handle deepest_;
    std::string rest_;
};

// `name` in `folder`, with one slash between them however `folder` ends
// ("/" and "/a/" too).
std::string joinPath(std::string folder, const std::string& name);

// The player's home folder: `home` ($HOME, null when unset) when absolute,
// else the account's, else /tmp.
std::string homeFolder(const char* home);

// Removes from `folder` the temporaries a crashed write left: the regular
// files of the game's user whose names begin with `prefix`, written over a
// minute ago (a younger one may be another game's write still running).
void removeStale(int folder, const std::string& prefix);

} // namespace ZQ
