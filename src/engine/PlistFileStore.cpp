#include "engine/PlistFileStore.h"

#include "engine/Log.h"
#include "engine/PlistCodec.h"
#include "engine/SafeFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace ZQ {

namespace {

namespace fs = std::filesystem;

// A crashed write leaves its temporary file behind; one this old belongs to
// no write still running.
constexpr int64_t kStaleTemporarySeconds = 60;

// A write overtaken by another writer is made anew from the file it wrote;
// one overtaken every time means the file never stops changing.
constexpr int kWriteAttempts = 8;

std::string temporaryPrefix(const std::string& path) {
    return "." + fs::path(path).filename().string() + ".tmp-";
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

// Where writes to `path` land: a symbolic link (a chain of them) is
// followed to the file it names, existing or not, so a store kept elsewhere
// through a link stays there and the link stays a link. A link to anything
// but a regular file (a device, a FIFO, a folder), a loop or a chain longer
// than the kernel follows leaves the path itself: that is what is set aside
// or replaced, never the thing it names.
std::string linkTarget(const std::string& path) {
    constexpr int kMaxLinks = 40;
    fs::path current = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(current, error);
        if (!fs::is_symlink(status)) {
            const bool usable = fs::is_regular_file(status) || status.type() == fs::file_type::not_found;
            return usable ? current.string() : path;
        }
        const fs::path target = fs::read_symlink(current, error);
        if (error) {
            return path;
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return path;
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

const StoreValue* entryOf(const StoreValue::Dictionary& dictionary, const std::string& key) {
    const auto found = dictionary.find(key);
    return found != dictionary.end() ? &found->second : nullptr;
}

// "alice (uid 1000)", or the number alone for an account without a name.
std::string accountName(uid_t uid) {
    const passwd* entry = ::getpwuid(uid);
    const std::string number = "uid " + std::to_string(uid);
    return entry != nullptr && entry->pw_name != nullptr ? std::string(entry->pw_name) + " (" + number + ")"
                                                         : number;
}

// Why the file at `path` gives no bytes when `step` failed with `failure`,
// and, where its permissions are the cause, whose file it is and what
// would let this game read it.
std::string cannotRead(const std::string& path, const char* step, int failure) {
    std::string why = std::string("cannot be ") + step + ": " + std::strerror(failure);
    if (failure != EACCES && failure != EPERM) {
        return why;
    }
    const std::string player = accountName(::geteuid());
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return why + " (a folder on its way is closed to " + player + ", who runs the game)";
    }
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    return why + " (it belongs to " + accountName(info.st_uid) + ", mode " + mode +
           ", and the game runs as " + player +
           ": chown it to that user, or chmod it so that they may read and write it)";
}

void removeStaleTemporaries(const std::string& path) {
    const std::string prefix = temporaryPrefix(path);
    std::error_code error;
    fs::directory_iterator it(folderOf(path), error);
    if (error) {
        return;
    }
    const std::time_t now = std::time(nullptr);
    for (const fs::directory_entry& entry : it) {
        const std::string name = entry.path().filename().string();
        struct stat info {};
        if (name.rfind(prefix, 0) != 0 || ::lstat(entry.path().c_str(), &info) != 0 ||
            !S_ISREG(info.st_mode)) {
            continue;
        }
        if (now - info.st_mtime > kStaleTemporarySeconds) {
            fs::remove(entry.path(), error);
        }
    }
}

} // namespace

PlistFileStore::FileStamp PlistFileStore::FileStamp::of(const struct stat& info) {
    return {true, static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
            static_cast<int64_t>(info.st_size),
            static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

PlistFileStore::PlistFileStore(std::string path, PlistRoom room)
    : filePath(std::move(path)), room(std::move(room)) {
    removeStaleTemporaries(linkTarget(filePath));
    std::string bytes;
    FileStamp stamp;
    std::string why;
    StoreValue::Dictionary list;
    switch (find(bytes, stamp, list, why)) {
    case Found::Missing:
    case Found::Cleared:
        return;
    case Found::Unreadable:
        platformLog("Store %s: %s; it stays as it is, the game plays on without it and never writes over "
                    "it while it cannot be read, and tries it again before each write and at the next start",
                    filePath.c_str(), why.c_str());
        hold = Hold::Unreadable;
        return;
    case Found::Stuck:
        hold = Hold::Stuck;
        return;
    case Found::Read:
        break;
    }
    if (!why.empty()) {
        platformLog("Store %s: %s; the file keeps it until the game next writes a changed value",
                    filePath.c_str(), why.c_str());
    }
    values = std::move(list);
    knownValues = values;
    knownStamp = stamp;
    knownBytes = std::move(bytes);
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
            platformLog("Store %s: not written: %s", filePath.c_str(),
                        hold == Hold::Unreadable ? "its file cannot be read, and stays as it is"
                                                 : "its damaged file could not be kept aside");
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
            return false;
        }
        FileStamp stamp;
        switch (writeFile(bytes, stamp)) {
        case WriteResult::Failed:
            return false;
        case WriteResult::Written:
            pending.clear();
            knownBytes = std::move(bytes);
            knownValues = values;
            knownStamp = stamp;
            return !conflicted;
        case WriteResult::Overtaken:
            conflicted = takeExternalChanges() || conflicted;
            break;
        }
    }
    platformLog("Store %s: not written: another writer kept changing it while this one wrote",
                filePath.c_str());
    return false;
}

std::vector<std::string> PlistFileStore::pullExternalChanges() {
    takeExternalChanges();
    std::vector<std::string> keys(externalKeys.begin(), externalKeys.end());
    externalKeys.clear();
    return keys;
}

std::vector<std::string> PlistFileStore::takeConflicts() {
    std::vector<std::string> keys(conflicts.begin(), conflicts.end());
    conflicts.clear();
    return keys;
}

PlistFileStore::FileStamp PlistFileStore::currentStamp() const {
    struct stat info {};
    return ::stat(filePath.c_str(), &info) == 0 ? FileStamp::of(info) : FileStamp{};
}

PlistFileStore::ReadResult PlistFileStore::readFile(std::string& bytes, FileStamp& stamp,
                                                    std::string& why) const {
    bytes.clear();
    stamp = {};
    // Without O_NONBLOCK a FIFO in the file's place would hold the open
    // until something wrote into it: the game would never start.
    const int fd = ::open(filePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        // A folder on the way that is missing, or is a file, means no file:
        // nothing to keep aside, and the next write says why it fails.
        const int failure = errno;
        if (failure == ENOENT || failure == ENOTDIR) {
            return ReadResult::Missing;
        }
        // A loop of links, or a folder, device or socket this user may not
        // open, is no file at all: damage whoever may open it.
        struct stat info {};
        if (failure == ELOOP || (::stat(filePath.c_str(), &info) == 0 && !S_ISREG(info.st_mode))) {
            why = std::string("is not a regular file (") + std::strerror(failure) + ")";
            return ReadResult::Bad;
        }
        why = cannotRead(filePath, "opened", failure);
        return ReadResult::Unreadable;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        why = cannotRead(filePath, "examined", errno);
        ::close(fd);
        return ReadResult::Unreadable;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        why = "is not a regular file";
        return ReadResult::Bad;
    }
    stamp = FileStamp::of(info);
    // One byte past the limit is enough for the parser to refuse the file.
    char buffer[65536];
    while (bytes.size() <= kPlistMaxBytes) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            why = cannotRead(filePath, "read", errno);
            ::close(fd);
            return ReadResult::Unreadable;
        }
        if (n == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadResult::Read;
}

PlistFileStore::Found PlistFileStore::find(std::string& bytes, FileStamp& stamp, StoreValue::Dictionary& list,
                                           std::string& why) {
    // Each turn sees a file another writer put in place of the one read; a
    // writer that never stops leaves the file unread for now.
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        const ReadResult read = readFile(bytes, stamp, why);
        if (read == ReadResult::Missing || read == ReadResult::Unreadable) {
            return read == ReadResult::Missing ? Found::Missing : Found::Unreadable;
        }
        if (read == ReadResult::Read) {
            if (std::optional<StoreValue::Dictionary> parsed = readList(bytes, room, why)) {
                list = std::move(*parsed);
                return Found::Read;
            }
        }
        if (beforeSetAside) {
            beforeSetAside(filePath);
        }
        // Behind a link the bad file is the target: it goes aside in its own
        // folder and the link stays for the next write. What was read is a
        // regular file by its identity, or anything else by its kind.
        const bool regular = stamp.exists;
        const FileStamp seen = stamp;
        std::string aside;
        const AsideOutcome outcome = setAsideIf(
            linkTarget(filePath),
            [&](const struct stat& now) {
                return regular ? S_ISREG(now.st_mode) && static_cast<uint64_t>(now.st_dev) == seen.device &&
                                     static_cast<uint64_t>(now.st_ino) == seen.inode
                               : !S_ISREG(now.st_mode);
            },
            aside);
        switch (outcome) {
        case AsideOutcome::Replaced:
            continue;
        case AsideOutcome::Moved:
            platformLog("Store %s: %s; kept aside as %s, read as empty", filePath.c_str(), why.c_str(),
                        aside.c_str());
            return Found::Cleared;
        case AsideOutcome::Gone:
            platformLog("Store %s: %s; gone before it could be kept aside (another game set it aside first), "
                        "so it is read as empty",
                        filePath.c_str(), why.c_str());
            return Found::Cleared;
        case AsideOutcome::Failed:
            platformLog("Store %s: %s; could not keep it aside (%s), so it will not be overwritten",
                        filePath.c_str(), why.c_str(), std::strerror(errno));
            return Found::Stuck;
        }
    }
    why = "another writer kept replacing it while it was read";
    return Found::Unreadable;
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

bool PlistFileStore::takeExternalChanges() {
    // A file that could not be read is looked at again each time: it may
    // have been given back to this user since.
    if (hold == Hold::Stuck || (hold == Hold::None && currentStamp() == knownStamp)) {
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
            platformLog("Store %s: %s; left as it is and never written over while it cannot be read",
                        filePath.c_str(), why.c_str());
        }
        hold = Hold::Unreadable;
        return false;
    case Found::Stuck:
        hold = Hold::Stuck;
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
        break;
    }
    std::set<std::string, std::less<>> keys;
    for (const auto& entry : values) {
        keys.insert(entry.first);
    }
    for (const auto& entry : incoming) {
        keys.insert(entry.first);
    }
    bool conflicted = false;
    for (const std::string& key : keys) {
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
    knownStamp = stamp;
    knownBytes = std::move(bytes);
    knownValues = std::move(incoming);
    return conflicted;
}

PlistFileStore::WriteResult PlistFileStore::writeFile(const std::string& bytes, FileStamp& stamp) {
    // The rename replaces the link's target, in the target's folder, so the
    // rename stays atomic and the link keeps pointing at the new file.
    const std::string target = linkTarget(filePath);
    const std::string folder = folderOf(target);
    std::error_code error;
    fs::create_directories(folder, error);
    std::string temporary = folder + "/" + temporaryPrefix(target) + "XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        platformLog("Store %s: could not write: %s", filePath.c_str(), std::strerror(errno));
        return WriteResult::Failed;
    }
    // What the file replaced has, the new one has: a game run as root on a
    // player's folder leaves the player's files the player's, and a file
    // kept readable to others stays so. Owner first, as a change of owner
    // clears the set-user and set-group bits. Only root may give a file
    // away; any other user keeps the group where it belongs to it, and the
    // file is otherwise its own, as any file it makes.
    const char* step = "fchmod";
    int failure = 0;
    struct stat replaced {};
    if (::stat(target.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode)) {
        if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
            [[maybe_unused]] const int groupKept = ::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid);
        }
        failure = ::fchmod(fd, replaced.st_mode & 07777) == 0 ? 0 : errno;
    }
    if (failure == 0) {
        step = "write";
        failure = writeAll(fd, bytes) ? 0 : errno;
    }
    if (failure == 0) {
        step = "fsync";
        failure = ::fsync(fd) == 0 ? 0 : errno;
    }
    // The rename keeps the temporary file's identity, size and time: the
    // stamp of what we wrote, taken before anyone else can touch the name.
    struct stat info {};
    if (failure == 0) {
        step = "fstat";
        failure = ::fstat(fd, &info) == 0 ? 0 : errno;
    }
    if (::close(fd) != 0 && failure == 0) {
        step = "close";
        failure = errno;
    }
    // The flushes take milliseconds, in which a file-sync tool may have
    // brought another machine's file: look once more, as late as can be.
    if (failure == 0 && currentStamp() != knownStamp) {
        ::unlink(temporary.c_str());
        return WriteResult::Overtaken;
    }
    if (failure == 0) {
        step = "rename";
        failure = ::rename(temporary.c_str(), target.c_str()) == 0 ? 0 : errno;
    }
    if (failure != 0) {
        platformLog("Store %s: could not write (%s): %s", filePath.c_str(), step, std::strerror(failure));
        ::unlink(temporary.c_str());
        return WriteResult::Failed;
    }
    stamp = FileStamp::of(info);
    // Without it a crash could undo the rename after we reported success.
    if (!syncFolder(folder)) {
        platformLog("Store %s: could not sync its folder: %s", filePath.c_str(), std::strerror(errno));
        return WriteResult::Failed;
    }
    return WriteResult::Written;
}

} // namespace ZQ
