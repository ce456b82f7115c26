#include "engine/PlistFileStore.h"

#include "engine/FileCalls.h"
#include "engine/Log.h"
#include "engine/PlistCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <pwd.h>
#include <regex>
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

// New names tried for a temporary file, or for damage kept aside within one
// nanosecond.
constexpr int kAsideNames = 100;

// Damaged copies kept of each store: a sync tool that keeps bringing a
// damaged file back would otherwise pile up one at each check.
constexpr std::size_t kAsidesKept = 5;

// Looks at an entry that changes while it is followed; one that changes at
// every look is being replaced without pause.
constexpr int kLooks = 8;

std::string temporaryPrefix(const std::string& name) {
    return "." + name + ".tmp-";
}

std::string asidePrefix(const std::string& name) {
    return name + ".corrupt-";
}

// "20261209T192117.123456789Z": the nanosecond, so that names sort by time.
std::string asideStamp() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm parts{};
    gmtime_r(&now.tv_sec, &parts);
    char text[48];
    const std::size_t length = std::strftime(text, sizeof text, "%Y%m%dT%H%M%S", &parts);
    std::snprintf(text + length, sizeof text - length, ".%09ldZ", static_cast<long>(now.tv_nsec));
    return text;
}

// The time in a set-aside name, as text that sorts by it: to the nanosecond
// in names given now ("20261209T192117.123456789Z"), to the second and a
// count in those earlier versions gave ("20261209T192117Z", "...Z-12" for
// the twelfth in that second). Empty for a name the game never gives.
std::string asideTime(const std::string& stamp) {
    static const std::regex kStamp(R"(([0-9]{8}T[0-9]{6})(?:\.([0-9]{9}))?Z(?:-([0-9]{1,9}))?)");
    std::smatch part;
    if (!std::regex_match(stamp, part, kStamp)) {
        return {};
    }
    const std::string count = part[3].str();
    return part[1].str() + (part[2].matched ? part[2].str() : "000000000") +
           std::string(9 - count.size(), '0') + count;
}

// Removes all but the newest kAsidesKept copies of `name` set aside in
// `folder`. A folder set aside is never emptied: it stays, and counts.
void keepNewestAsides(int folder, const std::string& name) {
    DIR* listing = ::fdopendir(gFileCalls.openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (listing == nullptr) {
        return;
    }
    const std::string prefix = asidePrefix(name);
    std::vector<std::pair<std::string, std::string>> asides; // time, name
    while (const dirent* entry = ::readdir(listing)) {
        const std::string entryName = entry->d_name;
        if (entryName.starts_with(prefix)) {
            if (std::string time = asideTime(entryName.substr(prefix.size())); !time.empty()) {
                asides.emplace_back(std::move(time), entryName);
            }
        }
    }
    ::closedir(listing);
    std::sort(asides.begin(), asides.end(), std::greater<>());
    for (std::size_t i = kAsidesKept; i < asides.size(); ++i) {
        gFileCalls.unlinkat(folder, asides[i].second.c_str(), 0);
    }
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

// `path` as one word of a shell command.
std::string quoted(const std::string& path) {
    std::string word = "'";
    for (const char c : path) {
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return word + "'";
}

const char* kindOf(mode_t mode) {
    return S_ISREG(mode)    ? "file"
           : S_ISLNK(mode)  ? "link"
           : S_ISDIR(mode)  ? "folder"
           : S_ISFIFO(mode) ? "FIFO"
           : S_ISSOCK(mode) ? "socket"
                            : "device";
}

// "the file P belongs to root (uid 0), and the game runs as alice (uid
// 1000); give it to alice: sudo chown alice: 'P'"
std::string ownerRefusal(const std::string& path, const struct stat& info) {
    const uid_t player = ::geteuid();
    const passwd* account = ::getpwuid(player);
    const bool named = account != nullptr && account->pw_name != nullptr;
    const std::string login = named ? account->pw_name : "uid " + std::to_string(player);
    const std::string owner = named ? login + ":" : std::to_string(player);
    return std::string("the ") + kindOf(info.st_mode) + " " + path + " belongs to " +
           accountName(info.st_uid) + ", and the game runs as " + accountName(player) + "; give it to " +
           login + ": sudo chown " + (S_ISLNK(info.st_mode) ? "-h " : "") + owner + " " + quoted(path);
}

std::string unreadableRefusal(const std::string& path, int error) {
    const std::string refusal = "the file " + path + " cannot be read (" + std::strerror(error) + ")";
    if (error == EACCES || error == EPERM) {
        return refusal + "; let its owner read and write it: chmod u+rw " + quoted(path);
    }
    return refusal + "; move it aside, and the game starts it anew: mv " + quoted(path) + " " +
           quoted(path + ".unreadable");
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

PlistFileStore::PlistFileStore(const std::string& path, PlistRoom room, Need need)
    : PlistFileStore(
          OwnedFolder::open(std::filesystem::path(path).parent_path().string(), OwnedFolder::Make::no),
          std::filesystem::path(path).filename().string(), std::move(room), need) {}

PlistFileStore::PlistFileStore(const OwnedFolder::Handle& in, const std::string& fileName, PlistRoom room,
                               Need need)
    : filePath(in->path() + "/" + fileName), room(std::move(room)), need(need) {
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
    if (folder->usable() && !folder->missing()) {
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
        // Said in the log as it began; nothing is written over what refuses.
        if (!refusal_.empty()) {
            return false;
        }
        if (pending.empty()) {
            return !conflicted;
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
    return refusal_;
}

std::optional<std::string> PlistFileStore::unsaved() const {
    // A store that refuses keeps nothing; an optional one owes nothing.
    if (!refusal_.empty()) {
        return need == Need::optional ? std::nullopt : std::optional(refusal_);
    }
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

PlistFileStore::FileStamp PlistFileStore::currentStamp(const std::string& entry) const {
    struct stat info {};
    return gFileCalls.fstatat(folder->descriptor(), entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0
               ? FileStamp::of(info)
               : FileStamp{};
}

std::string PlistFileStore::linkMend() const {
    const std::string reached = folder->path() + "/" + name;
    return reached == filePath ? "" : ", or remove the link that leads there: rm " + quoted(filePath);
}

PlistFileStore::ReadResult PlistFileStore::readFile(const std::string& entry, std::string& bytes,
                                                    FileStamp& stamp, std::string& why) const {
    bytes.clear();
    const int dir = folder->descriptor();
    const std::string path = folder->path() + "/" + entry;
    // Looked at before it is opened: opening a device may act on it.
    struct stat info {};
    if (gFileCalls.fstatat(dir, entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        const int failure = errno;
        stamp = {};
        if (failure == ENOENT) {
            return ReadResult::Missing;
        }
        why = unreadableRefusal(path, failure);
        return ReadResult::Refused;
    }
    stamp = FileStamp::of(info);
    if (info.st_uid != ::geteuid()) {
        why = ownerRefusal(path, info) + linkMend();
        return ReadResult::Refused;
    }
    if (!S_ISREG(info.st_mode)) {
        why = std::string("not a regular file but a ") + kindOf(info.st_mode);
        return ReadResult::Bad;
    }
    // Without O_NONBLOCK a FIFO put in the file's place since the look would
    // hold the open until something wrote into it: the game would never start.
    const int fd = gFileCalls.openat(dir, entry.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0);
    if (fd < 0) {
        // Refused only by the very file looked at: ENOENT or ELOOP (a link)
        // says that another took its place since.
        const int failure = errno;
        if (failure == ENOENT || failure == ELOOP || !(currentStamp(entry) == stamp)) {
            return ReadResult::Changed;
        }
        why = unreadableRefusal(path, failure) + linkMend();
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
            why = unreadableRefusal(path, errno) + linkMend();
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
                                           std::string& why) {
    for (int look = 0; look < kLooks; ++look) {
        why.clear();
        const ReadResult read = readFile(name, bytes, stamp, why);
        if (read == ReadResult::Changed) {
            continue;
        }
        if (read == ReadResult::Missing || read == ReadResult::Refused) {
            return read == ReadResult::Missing ? Found::Missing : Found::Refused;
        }
        if (read == ReadResult::Read) {
            // No damage: a writer that rewrites the file in place leaves it
            // so for a moment, and the file is replaced at the next write as
            // any is, its record read first should one come meanwhile.
            if (bytes.empty()) {
                list.clear();
                return Found::Read;
            }
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
        case Aside::Failed: {
            const std::string failure = std::strerror(errno);
            const std::string path = folder->path() + "/" + name;
            why = "the " + std::string(kindOf(stamp.mode)) + " " + path + " is damaged (" + why +
                  ") and cannot be kept aside (" + failure + "); move it aside: mv " + quoted(path) + " " +
                  quoted(path + ".damaged");
            return Found::Refused;
        }
        }
    }
    why = "the file " + folder->path() + "/" + name + " changed at each of " + std::to_string(kLooks) +
          " looks while the game read it; stop what keeps replacing it";
    return Found::Refused;
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
    const std::string base = asidePrefix(name) + asideStamp();
    int moved = -1;
    for (int n = 0; n < kAsideNames && moved != 0; ++n) {
        aside = n == 0 ? base : base + "-" + std::to_string(n);
        moved = renameToFreshName(dir, entry.c_str(), aside.c_str());
        if (moved != 0 && errno != EEXIST) {
            break;
        }
    }
    if (moved != 0) {
        const int failure = errno;
        aside.clear();
        errno = failure;
        return failure == ENOENT ? Aside::Gone : Aside::Failed;
    }
    // The rename moves whatever stands at the name: one that took it
    // between the look and the rename goes back. Should yet another have
    // come since, it stays aside, kept like any.
    if (gFileCalls.fstatat(dir, aside.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
        !FileStamp::of(now).sameContent(seen)) {
        if (renameNoReplace(dir, aside.c_str(), entry.c_str()) != 0) {
            platformLog("Store %s: a file that took its place meanwhile is kept as %s", filePath.c_str(),
                        aside.c_str());
        }
        return Aside::Changed;
    }
    ::fsync(dir);
    keepNewestAsides(dir, name);
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
    // Refused when the store was made: for good, as the way is not known.
    if (!folder->usable()) {
        refuse(folder->refusal());
        return false;
    }
    if (folder->missing()) {
        OwnedFolder::Handle found = folder->again(make);
        if (!found->usable()) {
            refuse(found->refusal());
            return false;
        }
        folder = std::move(found);
    }
    if (folder->missing()) {
        allow(); // nothing there to refuse
        return false;
    }
    return true;
}

void PlistFileStore::refuse(const std::string& why) {
    if (refusal_.empty()) {
        platformLog(
            need == Need::optional
                ? "Store %s: %s; the game plays on without it, and looks at it again before each write"
                : "Store %s: %s; nothing is saved in it until it is mended, and it is looked at again "
                  "before each write",
            filePath.c_str(), why.c_str());
    }
    refusal_ = why;
}

void PlistFileStore::allow() {
    if (!refusal_.empty()) {
        platformLog("Store %s: no longer refused, and read again", filePath.c_str());
        refusal_.clear();
    }
}

bool PlistFileStore::takeExternalChanges() {
    // While the store refuses it looks each time: its file may have been
    // given back since.
    if (!reach(OwnedFolder::Make::no) || (refusal_.empty() && currentStamp(name) == knownStamp)) {
        return false;
    }
    std::string bytes;
    FileStamp stamp;
    std::string why;
    StoreValue::Dictionary incoming;
    const Found found = find(bytes, stamp, incoming, why);
    if (found == Found::Refused) {
        refuse(why);
        return false;
    }
    allow();
    if (found == Found::Cleared) {
        cleared();
        return false;
    }
    // Missing: removed by another writer, and every key it held is gone.
    if (found == Found::Read) {
        if (bytes == knownBytes) {
            knownStamp = stamp; // touched, not changed
            return false;
        }
        if (!why.empty()) {
            platformLog("Store %s: %s; the file keeps it until the game next writes a changed value",
                        filePath.c_str(), why.c_str());
        }
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
        int swapped = knownStamp.exists
                          ? gFileCalls.renameat2(dir, temporary.c_str(), dir, name.c_str(), RENAME_EXCHANGE)
                          : renameNoReplace(dir, temporary.c_str(), name.c_str());
        exchanged = swapped == 0 && knownStamp.exists;
        if (swapped != 0 && errno == EINVAL && knownStamp.exists) {
            const bool unchanged = currentStamp(name) == knownStamp;
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
    ReadResult read = ReadResult::Changed;
    for (int look = 0; look < kLooks && read == ReadResult::Changed; ++look) {
        read = readFile(entry, bytes, stamp, why);
    }
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
