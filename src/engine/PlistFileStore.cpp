#include "engine/PlistFileStore.h"

#include "engine/FileCalls.h"
#include "engine/Log.h"
#include "engine/PlistCodec.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <utility>

namespace ZQ {

namespace {

// New names tried for a temporary file.
constexpr int kTemporaryNames = 100;

// A write overtaken by another writer is made anew from the file it wrote;
// one overtaken every time means the file never stops changing.
constexpr int kWriteAttempts = 8;

std::string temporaryPrefix(const std::string& name) {
    return "." + name + ".tmp-";
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

} // namespace

PlistFileStore::PlistFileStore(const std::string& path, PlistRoom room, Need need)
    : PlistFileStore(
          OwnedFolder::open(std::filesystem::path(path).parent_path().string(), OwnedFolder::Make::no),
          std::filesystem::path(path).filename().string(), std::move(room), need) {}

PlistFileStore::PlistFileStore(const OwnedFolder::Handle& in, const std::string& fileName, PlistRoom room,
                               Need need)
    : origin(in), fileName(fileName), filePath(in->path() + "/" + fileName), folder(in), name(fileName),
      room(std::move(room)), need(need) {
    if (resolve(OwnedFolder::Make::no)) {
        removeStale(folder->descriptor(), temporaryPrefix(name));
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
        if (refusal_) {
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
            writeError = 0;
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
    writeError = 0;
    platformLog("Store %s: not written: %s", filePath.c_str(), writeFailure.c_str());
    return false;
}

std::vector<std::string> PlistFileStore::pullExternalChanges() {
    takeExternalChanges();
    std::vector<std::string> keys(externalKeys.begin(), externalKeys.end());
    externalKeys.clear();
    return keys;
}

std::optional<Refusal> PlistFileStore::unsaved() const {
    Refusal owed{"this session's progress is not saved in " + filePath, "", {}};
    // A store that refuses keeps nothing; an optional one owes nothing.
    if (refusal_) {
        if (need == Need::optional) {
            return std::nullopt;
        }
        owed.why = refusal_->why;
        owed.mends = refusal_->mends;
        return owed;
    }
    if (pending.empty()) {
        return std::nullopt;
    }
    owed.why = writeFailure.empty() ? "not written yet" : writeFailure;
    // Whatever the cause, this session's changes are gone once the process
    // ends; the next session saves at its first change.
    owed.mends.push_back({writeError == ENOSPC || writeError == EDQUOT
                              ? "free some space on its disk, then play again"
                          : writeError == EACCES || writeError == EPERM || writeError == EROFS
                              ? "make its folder writable, then play again"
                              : "mend its disk, then play again",
                          ""});
    return owed;
}

std::vector<std::string> PlistFileStore::takeConflicts() {
    std::vector<std::string> keys(conflicts.begin(), conflicts.end());
    conflicts.clear();
    return keys;
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

bool PlistFileStore::resolve(OwnedFolder::Make make) {
    // Refused when the store was made: for good, as the way is not known.
    OwnedFolder::Handle found = origin->usable() && origin->missing() ? origin->again(make) : origin;
    if (!found->usable()) {
        refuse(found->refusal());
        return false;
    }
    origin = std::move(found);
    if (origin->missing()) {
        allow(); // nothing there to refuse
        return false;
    }
    OwnedFolder::Reached reached = origin->entry(fileName, make);
    if (!reached.folder->usable()) {
        refuse(reached.folder->refusal());
        return false;
    }
    folder = std::move(reached.folder);
    name = std::move(reached.name);
    link = std::move(reached.link);
    if (folder->missing()) {
        allow();
        return false;
    }
    return true;
}

void PlistFileStore::refuse(Refusal why) {
    why.what =
        (need == Need::required ? "cannot keep progress in " : "cannot share progress through ") + fileName;
    if (!refusal_) {
        platformLog(
            need == Need::optional
                ? "Store %s: %s; the game plays on without it, and looks at it again before each write"
                : "Store %s: %s; nothing is saved in it until it is mended, and it is looked at again "
                  "before each write",
            filePath.c_str(), line(why).c_str());
    }
    refusal_ = std::move(why);
}

void PlistFileStore::allow() {
    if (refusal_) {
        platformLog("Store %s: no longer refused, and read again", filePath.c_str());
        refusal_.reset();
    }
}

bool PlistFileStore::takeExternalChanges() {
    // While the store refuses it looks each time: its file may have been
    // given back since.
    if (!resolve(OwnedFolder::Make::no) || (!refusal_ && currentStamp(name) == knownStamp)) {
        return false;
    }
    std::string bytes;
    FileStamp stamp;
    std::string why;
    Refusal refused;
    StoreValue::Dictionary incoming;
    const Found found = find(bytes, stamp, incoming, why, refused);
    if (found == Found::Refused) {
        refuse(std::move(refused));
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
    if (!resolve(OwnedFolder::Make::yes)) {
        return WriteResult::Failed;
    }
    const int dir = folder->descriptor();
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < kTemporaryNames; ++attempt) {
        temporary = temporaryPrefix(name) + std::to_string(::getpid()) + "-" + std::to_string(++temporaries);
        fd = gFileCalls.openat(dir, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                               0600);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        writeError = errno;
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
    // temporary name, until it is seen to be the file last read. Refused
    // (any error but ENOENT), a last look comes just before a plain rename.
    bool exchanged = false;
    bool overtaken = false;
    if (failure == 0) {
        step = "rename";
        int swapped = knownStamp.exists
                          ? gFileCalls.renameat2(dir, temporary.c_str(), dir, name.c_str(), RENAME_EXCHANGE)
                          : renameNoReplace(dir, temporary.c_str(), name.c_str());
        exchanged = swapped == 0 && knownStamp.exists;
        if (swapped != 0 && errno != ENOENT && knownStamp.exists) {
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
            writeError = failure;
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
        writeError = errno;
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
    Refusal refused;
    std::optional<StoreValue::Dictionary> theirs;
    ReadResult read = ReadResult::Changed;
    for (int look = 0; look < kLooks && read == ReadResult::Changed; ++look) {
        read = readFile(entry, bytes, stamp, why, refused);
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
            filePath.c_str(), (read == ReadResult::Refused ? refused.why : why).c_str(),
            kept ? aside.c_str() : entry.c_str());
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
