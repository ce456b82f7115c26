#include "engine/PlistFileStore.h"

#include "engine/FileCalls.h"
#include "engine/Log.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// How a store reads what stands at its name, and sets damage aside.

namespace ZQ {

namespace {

// Damaged copies kept of each store: a sync tool that keeps bringing a
// damaged file back would otherwise pile up one at each check.
constexpr std::size_t kAsidesKept = 5;

std::string asidePrefix(const std::string& name) {
    return name + ".corrupt-";
}

// The time in a set-aside name as text that sorts: to the nanosecond, or to
// the second and a count in names earlier versions gave ("20261209T192117Z",
// "...Z-12" for the twelfth in that second). Empty for names never given.
std::string asideTime(std::string_view stamp) {
    // 'd' stands for a digit, any other character for itself.
    const auto shaped = [](std::string_view text, std::string_view shape) {
        return std::ranges::equal(text, shape, [](char c, char s) {
            return s == 'd' ? std::isdigit(static_cast<unsigned char>(c)) != 0 : c == s;
        });
    };
    const std::size_t zone = stamp.find('Z');
    if (zone == std::string_view::npos) {
        return {};
    }
    const std::string_view time = stamp.substr(0, zone);
    std::string_view count = stamp.substr(zone + 1);
    const bool nanoseconds = shaped(time, "ddddddddTdddddd.ddddddddd");
    if (!(nanoseconds || shaped(time, "ddddddddTdddddd")) ||
        !(count.empty() ||
          shaped(count, std::string_view("-ddddddddd").substr(0, std::max<std::size_t>(count.size(), 2))))) {
        return {};
    }
    count.remove_prefix(count.empty() ? 0 : 1);
    return std::string(time.substr(0, 15)) + std::string(nanoseconds ? time.substr(16) : "000000000") +
           std::string(9 - count.size(), '0') + std::string(count);
}

// Keeps the newest kAsidesKept copies of `name` this user set aside in
// `folder`, `made` among them; another user's neither count nor go. An
// empty file, no damage, is what a kill left before the rename: it goes.
void keepNewestAsides(int folder, const std::string& name, const std::string& made) {
    DIR* listing = ::fdopendir(gFileCalls.openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (listing == nullptr) {
        return;
    }
    const std::string prefix = asidePrefix(name);
    std::vector<std::pair<std::string, std::string>> asides; // time ("" when empty), name
    while (const dirent* entry = ::readdir(listing)) {
        const std::string entryName = entry->d_name;
        std::string time = entryName.starts_with(prefix) ? asideTime(entryName.substr(prefix.size())) : "";
        struct stat info {};
        if (!time.empty() && entryName != made &&
            gFileCalls.fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            info.st_uid == ::geteuid()) {
            asides.emplace_back(S_ISREG(info.st_mode) && info.st_size == 0 ? "" : std::move(time), entryName);
        }
    }
    ::closedir(listing);
    std::sort(asides.begin(), asides.end(), std::greater<>());
    for (std::size_t i = 0; i < asides.size(); ++i) {
        if (i + 1 >= kAsidesKept || asides[i].first.empty()) {
            gFileCalls.unlinkat(folder, asides[i].second.c_str(), 0);
        }
    }
}

// The player's own file that cannot be read: opened up, or moved aside.
Refusal unreadable(const std::string& path, int error, const std::string& link) {
    Refusal refusal = cannot("the file " + path, "read", error);
    if (error == EACCES || error == EPERM) {
        refusal.mends.push_back({"let its owner read and write it", "chmod u+rw " + shellQuoted(path)});
    } else {
        refusal.mends.push_back({"move it aside, and the game starts it anew",
                                 "mv " + shellQuoted(path) + " " + shellQuoted(path + ".unreadable")});
    }
    if (!link.empty()) {
        refusal.mends.push_back(undoLink(link));
    }
    return refusal;
}

} // namespace

// A list that leaves no room for what the game writes (a binary list spelt
// out as XML may be more than the reader takes) would refuse every write.
std::optional<StoreValue::Dictionary> PlistFileStore::readList(const std::string& bytes,
                                                               const PlistRoom& room, std::string& why) {
    std::optional<StoreValue::Dictionary> parsed = parsePlistDictionary(bytes.data(), bytes.size(), why);
    if (std::string fault = parsed ? plistRoomFault(*parsed, room) : ""; !fault.empty()) {
        why = std::move(fault);
        return std::nullopt;
    }
    return parsed;
}

PlistFileStore::FileStamp PlistFileStore::FileStamp::of(const struct stat& info) {
    const auto ns = [](const timespec& time) { return int64_t{time.tv_sec} * 1000000000 + time.tv_nsec; };
    return {true,        info.st_dev, info.st_ino, info.st_size, ns(info.st_mtim), ns(info.st_ctim),
            info.st_uid, info.st_mode};
}

bool PlistFileStore::FileStamp::sameContent(const FileStamp& other) const {
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
           modifiedNs == other.modifiedNs;
}

PlistFileStore::FileStamp PlistFileStore::currentStamp(const std::string& entry) const {
    struct stat info {};
    return gFileCalls.fstatat(folder->descriptor(), entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0
               ? FileStamp::of(info)
               : FileStamp{};
}

Refusal PlistFileStore::ownedElsewhere(const std::string& path, const FileStamp& stamp) const {
    Refusal refusal{"", ownedBy(std::string("the ") + kindOf(stamp.mode) + " " + path, stamp.owner), {}};
    if (stamp.owner == 0 && folder->players()) {
        // A game once run with sudo: all it left in the store's own folder
        // goes back at once, whichever of its files the game meets first.
        refusal.mends.push_back(link.empty()
                                    ? giveBack(origin->path(), Entry::folder)
                                    : giveBack(path, S_ISLNK(stamp.mode) ? Entry::link : Entry::file));
    } else {
        // Where another folder serves (refuse adds it), another user's file
        // is theirs to keep: a cloud folder may be shared between users.
        if (!link.empty() || elsewhere.advice.empty()) {
            refusal.mends.push_back(link.empty() ? runAs(stamp.owner) : undoLink(link));
        }
    }
    return refusal;
}

PlistFileStore::ReadResult PlistFileStore::readFile(const std::string& entry, std::string& bytes,
                                                    FileStamp& stamp, std::string& why,
                                                    Refusal& refused) const {
    bytes.clear();
    const int dir = folder->descriptor();
    const std::string path = joinPath(folder->path(), entry);
    // Looked at before it is opened: opening a device may act on it.
    stamp = currentStamp(entry);
    if (!stamp.exists) {
        if (errno == ENOENT) {
            return ReadResult::Missing;
        }
        refused = unreadable(path, errno, link);
        return ReadResult::Refused;
    }
    if (stamp.owner != ::geteuid()) {
        refused = ownedElsewhere(path, stamp);
        return ReadResult::Refused;
    }
    if (!S_ISREG(stamp.mode)) {
        why = std::string("not a regular file but a ") + kindOf(stamp.mode);
        return S_ISLNK(stamp.mode) ? ReadResult::Link : ReadResult::Bad;
    }
    // Without O_NONBLOCK a FIFO put in the file's place since the look would
    // hold the open until something wrote into it: the game would never start.
    const int fd = gFileCalls.openat(dir, entry.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0);
    if (fd < 0) {
        // Refused only by the very file looked at: ENOENT or ELOOP (a link)
        // says that another took its place since.
        const int failure = errno;
        if (failure == ENOENT || failure == ELOOP || currentStamp(entry) != stamp) {
            return ReadResult::Changed;
        }
        refused = unreadable(path, failure, link);
        return ReadResult::Refused;
    }
    struct stat opened {};
    ReadResult result =
        ::fstat(fd, &opened) == 0 && FileStamp::of(opened) == stamp ? ReadResult::Read : ReadResult::Changed;
    // One byte past the limit is enough for the parser to refuse the file.
    char buffer[65536];
    while (result == ReadResult::Read && bytes.size() <= kPlistMaxBytes) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno != EINTR) {
            refused = unreadable(path, errno, link);
            result = ReadResult::Refused;
        } else if (n == 0) {
            break;
        } else if (n > 0) {
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return result;
}

PlistFileStore::Found PlistFileStore::find(std::string& bytes, FileStamp& stamp, StoreValue::Dictionary& list,
                                           std::string& note, Refusal& refused) {
    bool linkSeen = false;
    for (int look = 0; look < kLooks; ++look) {
        // What changed is walked to again: a link may stand there now.
        if (look > 0 && !resolve(OwnedFolder::Make::no)) {
            refused = refusal_.value_or(Refusal{});
            return refusal_ ? Found::Refused : Found::Missing;
        }
        std::string why;
        const ReadResult read = readFile(name, bytes, stamp, why, refused);
        // A link the walk did not see came since (a sync tool, a dotfile
        // manager): no damage for coming late, it is walked. Only one the
        // walk itself leads to leads to no file.
        if (read == ReadResult::Changed || (read == ReadResult::Link && !linkSeen)) {
            linkSeen = linkSeen || read == ReadResult::Link;
            continue;
        }
        if (read == ReadResult::Missing || read == ReadResult::Refused) {
            return read == ReadResult::Missing ? Found::Missing : Found::Refused;
        }
        if (read == ReadResult::Read) {
            // An empty file is no damage: a writer that rewrites the file in
            // place leaves it so for a moment.
            if (std::optional<StoreValue::Dictionary> parsed =
                    bytes.empty() ? StoreValue::Dictionary() : readList(bytes, room, why)) {
                list = std::move(*parsed);
                note = why;
                return Found::Read;
            }
        }
        std::string aside;
        switch (setAside(name, stamp, aside)) {
        case Aside::Changed:
            continue;
        case Aside::Moved:
            platformLog("Store %s: %s; kept aside as %s, read as empty", filePath.c_str(), why.c_str(),
                        aside.c_str());
            return Found::Cleared;
        case Aside::Gone:
            platformLog("Store %s: %s; gone before it could be kept aside (another game set it aside first), "
                        "so it is read as empty",
                        filePath.c_str(), why.c_str());
            return Found::Cleared;
        case Aside::Failed: {
            const int failure = errno;
            const std::string path = joinPath(folder->path(), name);
            refused = cannot("the " + std::string(kindOf(stamp.mode)) + " " + path + " is damaged (" + why +
                                 ") and",
                             "kept aside", failure);
            refused.mends = {
                {"move it aside", "mv " + shellQuoted(path) + " " + shellQuoted(path + ".damaged")}};
            return Found::Refused;
        }
        }
    }
    refused = {"",
               "the file " + joinPath(folder->path(), name) + " changed at each of " +
                   std::to_string(kLooks) + " looks while the game read it",
               {{"stop what keeps replacing it", ""}}};
    return Found::Refused;
}

PlistFileStore::Aside PlistFileStore::setAside(const std::string& entry, const FileStamp& seen,
                                               std::string& aside) {
    const int dir = folder->descriptor();
    // Rewritten in place or replaced since the read: read again.
    const FileStamp now = currentStamp(entry);
    if (!now.exists) {
        return errno == ENOENT ? Aside::Gone : Aside::Failed;
    }
    if (now != seen) {
        return Aside::Changed;
    }
    const std::string base = asidePrefix(name) + asideStamp();
    int moved = -1;
    for (int n = 0; n < kNewNames && moved != 0; ++n) {
        aside = n == 0 ? base : base + "-" + std::to_string(n);
        moved = renameToFreshName(dir, entry.c_str(), aside.c_str());
        if (moved != 0 && errno != EEXIST) {
            break;
        }
    }
    if (moved != 0) {
        return errno == ENOENT ? Aside::Gone : Aside::Failed;
    }
    // The rename moves whatever stands at the name: one that took it
    // between the look and the rename goes back. Should yet another have
    // come since, it stays aside, kept like any.
    if (const FileStamp moved = currentStamp(aside); moved.exists && !moved.sameContent(seen)) {
        if (renameNoReplace(dir, aside.c_str(), entry.c_str()) != 0) {
            platformLog("Store %s: a file that took its place meanwhile is kept as %s", filePath.c_str(),
                        aside.c_str());
        }
        return Aside::Changed;
    }
    ::fsync(dir);
    keepNewestAsides(dir, name, aside);
    return Aside::Moved;
}

} // namespace ZQ
