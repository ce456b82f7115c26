#pragma once

#include <memory>
#include <string>
#include <sys/types.h>
#include <utility>

namespace ZQ {

// A folder opened once, on a way that belongs to the game's user: the folder
// a way starts at ($XDG_DATA_HOME, $VELMORA_CLOUD_DIR, the pictures folder),
// each folder below it and each link followed on the way belong to the
// user who runs the game or to root. Each is checked on what was opened, so
// the check and the step are about one and the same folder; every later step
// in it goes relative to its descriptor (FileCalls), and a link swapped on
// the way between two steps moves none of them elsewhere. A game run as
// root is no exception: a player's folder is another user's. The rules are
// in docs/stores.md.
//
// Ownership: owns its descriptor, closed with the last handle.
// Threads: any thread; nothing in it changes once it is opened.
class OwnedFolder : public std::enable_shared_from_this<OwnedFolder> {
public:
    using Handle = std::shared_ptr<const OwnedFolder>;
    // Whether what is missing of a way is made (mode 0700) or only noted.
    enum class Make { yes, no };

    // The folder `path` names, where a way starts: the kernel follows the
    // path, and the folder it opens is checked.
    static Handle open(const std::string& path, Make make);
    // The folder `way` (relative to this one) leads to.
    Handle below(const std::string& way, Make make) const;
    // Where the file at `way` lies once every link to it is followed: the
    // folder of its last entry, and that entry's name (not a link; it may be
    // missing, or be something other than a file).
    std::pair<Handle, std::string> entry(const std::string& way, Make make) const;

    // False when the way is refused; `refusal` then says why, naming the
    // folder or link and, where it is another user's, its owner.
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
    const std::string& path() const { return path_; }

    // Opened (`descriptor`), refused (`refusal`), or missing from `deepest`
    // on (`rest` is the way below it).
    OwnedFolder(int descriptor, std::string path, std::string refusal, Handle deepest = nullptr,
                std::string rest = {});
    ~OwnedFolder();
    OwnedFolder(const OwnedFolder&) = delete;
    OwnedFolder& operator=(const OwnedFolder&) = delete;

private:
    Handle walk(std::string way, Make make, std::string* last) const;

    int descriptor_;
    std::string path_;
    std::string refusal_;
    Handle deepest_;
    std::string rest_;
};

// "alice (uid 1000)", or the number alone for an account without a name.
std::string accountName(uid_t uid);

} // namespace ZQ
