#include "engine/PlistFileStore.h"

#include "engine/FileCalls.h"
#include "engine/Log.h"
#include "engine/PlistCodec.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <utility>

namespace ZQ {

namespace {

// A crashed write leaves its temporary file behind; one this old belongs to
// no write still running.
constexpr int64_t kStaleTemporarySeconds = 60;

// A write overtaken by another writer is made anew from the file it wrote;
// one overtaken every time means the file never stops changing.
constexpr int kWriteAttempts = 8;

// Names a damaged file is kept aside under within one second.
constexpr int kAsideNames = 100;

std::string temporaryPrefix(const std::string& name) {
    return "." + name + ".tmp-";
}

std::string utcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The list in `bytes` when the store could also write it back with whatever
// the game writes under its own keys: a binary list spelt out as XML, or
// text whose every '<', '>' and '&' becomes a reference, may be more than
// the reader takes, or leave no room for a saved record, and a store holding
// it would refuse every write, the game's progress with it.
std::optional<StoreValue::Dictionary> readList(const std::string& bytes, const PlistRoom& room,
                                               std::string& why) {
    std::optional<StoreValue::Dictionary> parsed = parsePlistDictionary(bytes.data(), bytes.size(), why);
    if (parsed) {
        if (std::string fault = plistRoomFault(*parsed, room); !fault.empty()) {
            why = std::move(fault);
            return std::nullopt;
        }
    }
    return parsed;
}

// Both absent, or both there and equal.
bool sameEntry(const StoreValue* a, const StoreValue* b) {
    return a == nullptr || b == nullptr ? a == b : *a == *b;
}

std::set<std::string, std::less<>> keysOf(const StoreValue::Dictionary& a, const StoreValue::Dictionary& b) {
    std::set<std::string, std::less<>> keys;
    for (const StoreValue::Dictionary* side : {&a, &b}) {
        for (const auto& item : *side) {
            keys.insert(item.first);
        }
    }
    return keys;
}

const StoreValue* entryOf(const StoreValue::Dictionary& dictionary, const std::string& key) {
    const auto found = dictionary.find(key);
    return found != dictionary.end() ? &found->second : nullptr;
}

// "it belongs to root (uid 0), mode 0600, and the game runs as alice (uid 1000)"
std::string whose(const struct stat& info) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    return "it belongs to " + accountName(info.st_uid) + ", mode " + mode + ", and the game runs as " +
           accountName(::geteuid());
}

void removeStaleTemporaries(int folder, const std::string& name) {
    removeStale(folder, temporaryPrefix(name), kStaleTemporarySeconds);
}

} // namespace

PlistFileStore::FileStamp PlistFileStore::FileStamp::of(const struct stat& info) {
    return {true,
            static_cast<uint64_t>(info.st_dev),
            static_cast<uint64_t>(info.st_ino),
            static_cast<int64_t>(info.st_size),
            static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
            static_cast<int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec,
            info.st_uid,
            info.st_mode};
}

bool PlistFileStore::FileStamp::sameContent(const FileStamp& other) const {
    return std::tie(exists, device, inode, size, modifiedNs) ==
           std::tie(other.exists, other.device, other.inode, other.size, other.modifiedNs);
}

PlistFileStore::PlistFileStore(const std::string& path, PlistRoom room)
    : PlistFileStore(
          OwnedFolder::open(std::filesystem::path(path).parent_path().string(), OwnedFolder::Make::no),
          std::filesystem::path(path).filename().string(), std::move(room)) {}

PlistFileStore::PlistFileStore(const OwnedFolder::Handle& in, const std::string& fileName, PlistRoom room)
    : filePath(in->path() + "/" + fileName), room(std::move(room)) {
    std::tie(folder, name) =
        in->usable() ? in->entry(fileName, OwnedFolder::Make::no) : std::pair(in, fileName);
    // A link to anything but a file (a FIFO, a device, a folder) is itself
    // the damaged entry: what it names is never set aside.
    struct stat target {};
    if (folder->usable() && !folder->missing() && (folder != in || name != fileName) &&
        gFileCalls.fstatat(folder->descriptor(), name.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(target.st_mode)) {
        std::tie(folder, name) = std::pair(in, fileName);
    }
    if (!folder->usable()) {
        platformLog("Store %s: %s; the game leaves it alone and plays on without it", filePath.c_str(),
                    folder->refusal().c_str());
        hold = Hold::Refused;
        holdWhy = folder->refusal();
        return;
    }
    if (!folder->missing()) {
        removeStaleTemporaries(folder->descriptor(), name);
    }
    // What the file holds to begin with is no change of another writer's.
    takeExternalChanges();
    externalKeys.clear();
}

const StoreValue* PlistFileStore::object(std::string_view key) const {
    const auto found = values.find(key);
    return found != values.end() ? &found->second : nullptr;
}

void PlistFileStore::markPending(std::string_view key) {
    const auto found = pending.find(key);
    if (found == pending.end()) {
        const StoreValue* held = object(key);
        pending.emplace(std::string(key), held != nullptr ? std::optional<StoreValue>(*held) : std::nullopt);
    }
}

void PlistFileStore::setObject(std::string_view key, StoreValue value) {
    markPending(key);
    values.insert_or_assign(std::string(key), std::move(value));
}

void PlistFileStore::remove(std::string_view key) {
    // Pending even when absent here: the file may still hold the key from a
    // change not yet pulled in, and it must not come back.
    markPending(key);
    const auto found = values.find(key);
    if (found != values.end()) {
        values.erase(found);
    }
}

bool PlistFileStore::synchronize() {
    // Another writer's keys must survive our write, and be reported.
    bool conflicted = takeExternalChanges();
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        if (pending.empty()) {
            return !conflicted;
        }
        if (hold != Hold::None) {
            static constexpr const char* kWhy[] = {
                "", "its file cannot be read or is another user's, and stays as it is",
                "its damaged file could not be kept aside", "the game leaves its folder alone"};
            platformLog("Store %s: not written: %s", filePath.c_str(), kWhy[static_cast<int>(hold)]);
            writeFailure = kWhy[static_cast<int>(hold)];
            return false;
        }
        // Values set again as they were: replacing the file would only cost
        // two flushes and its identity, which other writers watch.
        if (values == knownValues) {
            pending.clear();
            return !conflicted;
        }
        std::string bytes = writePlistDictionary(values);
        if (const std::string fault = plistSizeFault(bytes); !fault.empty()) {
            platformLog("Store %s: not written: %s, more than it could read back", filePath.c_str(),
                        fault.c_str());
            writeFailure = fault + ", more than it could read back";
            return false;
        }
        switch (writeFile(bytes, conflicted)) {
        case WriteResult::Failed:
            return false;
        case WriteResult::Written:
            pending.clear();
            writeFailure.clear();
            return !conflicted;
        case WriteResult::Overtaken:
            conflicted = takeExternalChanges() || conflicted;
            break;
        case WriteResult::Displaced:
            break;
        }
    }
    writeFailure = "another writer kept changing it while this one wrote";
    platformLog("Store %s: not written: %s", filePath.c_str(), writeFailure.c_str());
    return false;
}

std::vector<std::string> PlistFileStore::pullExternalChanges() {
    takeExternalChanges();
    std::vector<std::string> keys(externalKeys.begin(), externalKeys.end());
    externalKeys.clear();
    return keys;
}

std::string PlistFileStore::refusal() const {
    return hold == Hold::None ? std::string() : holdWhy;
}

std::optional<std::string> PlistFileStore::unsaved() const {
    if (pending.empty()) {
        return std::nullopt;
    }
    return writeFailure.empty() ? std::string("not written yet") : writeFailure;
}

std::vector<std::string> PlistFileStore::takeConflicts() {
    std::vector<std::string> keys(conflicts.begin(), conflicts.end());
    conflicts.clear();
    return keys;
}

PlistFileStore::FileStamp PlistFileStore::currentStamp() const {
    struct stat info {};
    return gFileCalls.fstatat(folder->descriptor(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0
               ? FileStamp::of(info)
               : FileStamp{};
}

PlistFileStore::ReadResult PlistFileStore::readFile(const std::string& entry, std::string& bytes,
                                                    FileStamp& stamp, std::string& why) const {
    bytes.clear();
    // Without O_NONBLOCK a FIFO in the file's place would hold the open
    // until something wrote into it: the game would never start.
    const int fd = gFileCalls.openat(folder->descriptor(), entry.c_str(),
                                     O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0);
    const int failure = fd < 0 ? errno : 0;
    if (failure == ENOENT) {
        stamp = {};
        return ReadResult::Missing;
    }
    struct stat info {};
    const bool seen =
        fd >= 0 ? ::fstat(fd, &info) == 0
                : gFileCalls.fstatat(folder->descriptor(), entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
    stamp = seen ? FileStamp::of(info) : FileStamp{};
    ReadResult result = ReadResult::Read;
    if (failure == ELOOP || (seen && !S_ISREG(info.st_mode))) {
        // A folder, a device, a FIFO, or a link put in the file's place since
        // the game started, is no file at all: damage, whoever may open it.
        why = "is not a regular file";
        result = ReadResult::Bad;
    } else if (seen && info.st_uid != ::geteuid()) {
        // Left by a game run as another user, root say: that user's to mend.
        why = "is another user's (" + whose(info) + ": chown it to that user)";
        result = ReadResult::Unreadable;
    } else if (fd < 0 || !seen) {
        why = std::string("cannot be opened: ") + std::strerror(fd < 0 ? failure : errno) +
              (seen ? " (" + whose(info) + ": chmod it so that its user may read and write it)" : "");
        result = ReadResult::Unreadable;
    }
    // One byte past the limit is enough for the parser to refuse the file.
    char buffer[65536];
    while (result == ReadResult::Read && bytes.size() <= kPlistMaxBytes) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno != EINTR) {
            why = std::string("cannot be read: ") + std::strerror(errno);
            result = ReadResult::Unreadable;
        } else if (n == 0) {
            break;
        } else if (n > 0) {
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return result;
}

PlistFileStore::Found PlistFileStore::find(std::string& bytes, FileStamp& stamp, StoreValue::Dictionary& list,
                                           std::string& why) {
    // Each turn sees a file another writer put in place of the one read; a
    // writer that never stops leaves the file unread for now.
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        const ReadResult read = readFile(name, bytes, stamp, why);
        if (read == ReadResult::Missing || read == ReadResult::Unreadable) {
            return read == ReadResult::Missing ? Found::Missing : Found::Unreadable;
        }
        if (read == ReadResult::Read) {
            if (std::optional<StoreValue::Dictionary> parsed = readList(bytes, room, why)) {
                list = std::move(*parsed);
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
        case Aside::Failed:
            platformLog("Store %s: %s; could not keep it aside (%s), so it will not be overwritten",
                        filePath.c_str(), why.c_str(), std::strerror(errno));
            return Found::Stuck;
        }
    }
    why = "another writer kept replacing it while it was read";
    return Found::Unreadable;
}

PlistFileStore::Aside PlistFileStore::setAside(const std::string& entry, const FileStamp& seen,
                                               std::string& aside) {
    const int dir = folder->descriptor();
    aside.clear();
    // Rewritten in place or replaced since the read: read again.
    struct stat now {};
    if (gFileCalls.fstatat(dir, entry.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? Aside::Gone : Aside::Failed;
    }
    if (!(FileStamp::of(now) == seen)) {
        return Aside::Changed;
    }
    const std::string base = name + ".corrupt-" + utcStamp();
    int moved = -1;
    for (int n = 0; n <= kAsideNames && moved != 0; ++n) {
        aside = n == 0 ? base : base + "-" + std::to_string(n);
        moved = gFileCalls.renameat2(dir, entry.c_str(), dir, aside.c_str(), RENAME_NOREPLACE);
        if (moved != 0 && errno != EEXIST) {
            break;
        }
    }
    if (moved != 0) {
        aside.clear();
        return errno == ENOENT ? Aside::Gone : Aside::Failed;
    }
    // A file that took the name between the look and the rename goes back.
    // Should yet another have come since, it stays aside, kept like any.
    if (gFileCalls.fstatat(dir, aside.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
        !FileStamp::of(now).sameContent(seen)) {
        if (gFileCalls.renameat2(dir, aside.c_str(), dir, entry.c_str(), RENAME_NOREPLACE) != 0) {
            platformLog("Store %s: a file that took its place meanwhile is kept as %s", filePath.c_str(),
                        aside.c_str());
        }
        return Aside::Changed;
    }
    ::fsync(dir);
    return Aside::Moved;
}

void PlistFileStore::cleared() {
    knownStamp = {};
    knownBytes.clear();
    knownValues.clear();
    // Read while the game runs, memory keeps what it held: all of it is to
    // be written into a file that now holds nothing.
    for (auto& entry : pending) {
        entry.second.reset();
    }
    for (const auto& entry : values) {
        pending.try_emplace(entry.first);
    }
}

bool PlistFileStore::reach(OwnedFolder::Make make) {
    if (folder->missing()) {
        OwnedFolder::Handle found = folder->again(make);
        if (!found->usable()) {
            reachRefusal = found->refusal();
            return false;
        }
        folder = std::move(found);
    }
    return !folder->missing();
}

bool PlistFileStore::takeExternalChanges() {
    // A file that could not be read is looked at again each time: it may
    // have been given back to this user since.
    if (hold == Hold::Stuck || hold == Hold::Refused || !reach(OwnedFolder::Make::no) ||
        (hold == Hold::None && currentStamp() == knownStamp)) {
        return false;
    }
    std::string bytes;
    FileStamp stamp;
    std::string why;
    StoreValue::Dictionary incoming;
    const Found found = find(bytes, stamp, incoming, why);
    if (hold == Hold::Unreadable && found != Found::Unreadable) {
        platformLog("Store %s: can be read again, and is taken in", filePath.c_str());
    }
    switch (found) {
    case Found::Unreadable:
        if (hold != Hold::Unreadable) {
            platformLog(
                "Store %s: %s; it stays as it is: the game plays on without it, never writes over it, and "
                "tries it again before each write and at the next start",
                filePath.c_str(), why.c_str());
        }
        hold = Hold::Unreadable;
        holdWhy = why;
        return false;
    case Found::Stuck:
        hold = Hold::Stuck;
        holdWhy = "it is damaged (" + why + ") and could not be kept aside";
        return false;
    case Found::Cleared:
        hold = Hold::None;
        cleared();
        return false;
    case Found::Missing:
        // Removed by another writer: every key it held is gone.
        hold = Hold::None;
        break;
    case Found::Read:
        hold = Hold::None;
        if (bytes == knownBytes) {
            knownStamp = stamp; // touched, not changed
            return false;
        }
        if (!why.empty()) {
            platformLog("Store %s: %s; the file keeps it until the game next writes a changed value",
                        filePath.c_str(), why.c_str());
        }
        break;
    }
    const bool conflicted = takeIn(incoming);
    knownStamp = stamp;
    knownBytes = std::move(bytes);
    knownValues = std::move(incoming);
    return conflicted;
}

bool PlistFileStore::takeIn(const StoreValue::Dictionary& incoming) {
    bool conflicted = false;
    for (const std::string& key : keysOf(values, incoming)) {
        const StoreValue* theirs = entryOf(incoming, key);
        if (const auto mine = pending.find(key); mine != pending.end()) {
            // Set here and not yet written: kept unless the other writer
            // gave it a value of its own, which the owner must hear of and
            // merge. Writing over a key the other writer removed loses
            // nothing of its.
            if (theirs == nullptr || sameEntry(theirs, mine->second ? &*mine->second : nullptr)) {
                continue;
            }
            const bool alreadyOurs = sameEntry(theirs, entryOf(values, key));
            pending.erase(mine);
            if (alreadyOurs) {
                continue;
            }
            platformLog("Store %s: %s was changed by another writer before this one wrote it; its value is "
                        "taken in to be merged",
                        filePath.c_str(), key.c_str());
            conflicts.insert(key);
            conflicted = true;
        } else if (sameEntry(theirs, entryOf(values, key))) {
            continue;
        }
        if (theirs == nullptr) {
            values.erase(key);
        } else {
            values.insert_or_assign(key, *theirs);
        }
        externalKeys.insert(key);
    }
    return conflicted;
}

void PlistFileStore::keepMode(int file) {
    // The new file takes the permission bits of the one it replaces, less
    // the set-id bits any write by a user clears; a file made anew is this
    // user's alone. A file system that refuses (FAT, some network mounts)
    // still gets the save.
    const mode_t wanted = knownStamp.exists ? knownStamp.mode & 0777 : 0600;
    struct stat made {};
    if (::fstat(file, &made) != 0 || (made.st_mode & 07777) == wanted ||
        gFileCalls.fchmod(file, wanted) == 0 || modeRefusalLogged) {
        return;
    }
    modeRefusalLogged = true;
    platformLog("Store %s: its file system refuses the mode %04o (%s); it is saved with mode %04o",
                filePath.c_str(), static_cast<unsigned>(wanted), std::strerror(errno),
                static_cast<unsigned>(made.st_mode & 07777));
}

PlistFileStore::WriteResult PlistFileStore::writeFile(const std::string& bytes, bool& conflicted) {
    if (!reach(OwnedFolder::Make::yes)) {
        writeFailure = reachRefusal;
        platformLog("Store %s: could not write: %s", filePath.c_str(), writeFailure.c_str());
        return WriteResult::Failed;
    }
    const int dir = folder->descriptor();
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < kAsideNames; ++attempt) {
        temporary = temporaryPrefix(name) + std::to_string(::getpid()) + "-" + std::to_string(++temporaries);
        fd = gFileCalls.openat(dir, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                               0600);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        writeFailure = std::string("a new file cannot be made: ") + std::strerror(errno);
        platformLog("Store %s: could not write: %s", filePath.c_str(), writeFailure.c_str());
        return WriteResult::Failed;
    }
    keepMode(fd);
    const char* step = "write";
    int failure = writeAll(fd, bytes) ? 0 : errno;
    if (failure == 0) {
        step = "fsync";
        failure = ::fsync(fd) == 0 ? 0 : errno;
    }
    // Over a file, an exchange keeps the one it replaces, under the
    // temporary name, until it is seen to be the file last read. Where the
    // file system has no exchange, a last look comes just before the rename.
    bool exchanged = false;
    bool overtaken = false;
    if (failure == 0) {
        step = "rename";
        int swapped = gFileCalls.renameat2(dir, temporary.c_str(), dir, name.c_str(),
                                           knownStamp.exists ? RENAME_EXCHANGE : RENAME_NOREPLACE);
        exchanged = swapped == 0 && knownStamp.exists;
        if (swapped != 0 && errno == EINVAL) {
            const bool unchanged = currentStamp() == knownStamp;
            swapped = unchanged ? gFileCalls.renameat2(dir, temporary.c_str(), dir, name.c_str(), 0) : -1;
            errno = unchanged ? errno : EEXIST;
        }
        overtaken = swapped != 0 && (errno == EEXIST || errno == ENOENT);
        failure = swapped == 0 || overtaken ? 0 : errno;
    }
    // The exchange keeps the new file's identity, size and time: the stamp
    // of what we wrote, whatever has come to the name since.
    struct stat info {};
    if (failure == 0 && !overtaken && ::fstat(fd, &info) != 0) {
        std::tie(step, failure) = std::pair("fstat", errno);
    }
    ::close(fd);
    if (failure != 0 || overtaken) {
        if (failure != 0) {
            writeFailure = std::string(step) + " failed: " + std::strerror(failure);
            platformLog("Store %s: could not write (%s): %s", filePath.c_str(), step, std::strerror(failure));
        }
        // Still the new file, unless it was swapped in: then the name holds it.
        if (!exchanged) {
            gFileCalls.unlinkat(dir, temporary.c_str(), 0);
        }
        return failure != 0 ? WriteResult::Failed : WriteResult::Overtaken;
    }
    const StoreValue::Dictionary written = values;
    WriteResult result = WriteResult::Written;
    struct stat replaced {};
    if (exchanged && (gFileCalls.fstatat(dir, temporary.c_str(), &replaced, AT_SYMLINK_NOFOLLOW) != 0 ||
                      !FileStamp::of(replaced).sameContent(knownStamp))) {
        conflicted = takeDisplaced(temporary, written) || conflicted;
        result = WriteResult::Displaced;
    } else if (exchanged) {
        gFileCalls.unlinkat(dir, temporary.c_str(), 0);
    }
    knownStamp = FileStamp::of(info);
    knownBytes = bytes;
    knownValues = written;
    // Without it a crash could undo the rename after we reported success.
    if (::fsync(dir) != 0) {
        writeFailure = std::string("its folder cannot be synced: ") + std::strerror(errno);
        platformLog("Store %s: could not write: %s", filePath.c_str(), writeFailure.c_str());
        return WriteResult::Failed;
    }
    return result;
}

bool PlistFileStore::takeDisplaced(const std::string& entry, const StoreValue::Dictionary& written) {
    std::string bytes;
    FileStamp stamp;
    std::string why;
    std::optional<StoreValue::Dictionary> theirs;
    const ReadResult read = readFile(entry, bytes, stamp, why);
    if (read == ReadResult::Read) {
        theirs = readList(bytes, room, why);
    }
    bool conflicted = false;
    if (theirs) {
        conflicted = takeIn(*theirs);
        gFileCalls.unlinkat(folder->descriptor(), entry.c_str(), 0);
    } else if (read != ReadResult::Missing) {
        // Nothing of it can be taken in: kept, as a damaged file is.
        std::string aside;
        const bool kept = setAside(entry, stamp, aside) == Aside::Moved;
        platformLog(
            "Store %s: the file another writer put there while this one wrote cannot be taken in (%s); "
            "it is kept as %s",
            filePath.c_str(), why.c_str(), kept ? aside.c_str() : entry.c_str());
    }
    // The name holds what was written now: what the merge changed of it is
    // still to be written.
    pending.clear();
    for (const std::string& key : keysOf(values, written)) {
        const StoreValue* was = entryOf(written, key);
        if (!sameEntry(entryOf(values, key), was)) {
            pending.emplace(key, was != nullptr ? std::optional<StoreValue>(*was) : std::nullopt);
        }
    }
    return conflicted;
}

} // namespace ZQ
