#include "engine/PlistFileStore.h"

#include "engine/FileCalls.h"
#include "engine/Log.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace ZQ {

namespace {

// A write overtaken by another writer is made anew from the file it wrote;
// one overtaken every time means the file never stops changing.
constexpr int kWriteAttempts = 8;

std::string temporaryPrefix(const std::string& name) {
    return "." + name + ".tmp-";
}

bool writeAll(int fd, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR) {
            return false;
        }
        done += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    return true;
}

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

const StoreValue* entryOf(const StoreValue::Dictionary& dictionary, std::string_view key) {
    const auto found = dictionary.find(key);
    return found != dictionary.end() ? &found->second : nullptr;
}

} // namespace

PlistFileStore::PlistFileStore(const std::string& path, PlistRoom room, Need need)
    : PlistFileStore(
          OwnedFolder::open(std::filesystem::path(path).parent_path().string(), OwnedFolder::Make::no),
          std::filesystem::path(path).filename().string(), std::move(room), need) {}

PlistFileStore::PlistFileStore(Place place, const std::string& fileName, PlistRoom room, Need need,
                               Mend elsewhere)
    : place(std::move(place)), placed(this->place()), origin(placed), fileName(fileName),
      filePath(joinPath(origin->path(), fileName)), folder(origin), name(fileName), room(std::move(room)),
      need(need), elsewhere(std::move(elsewhere)) {
    if (resolve(OwnedFolder::Make::no)) {
        removeStale(folder->descriptor(), temporaryPrefix(name));
    }
    // What the file holds to begin with is no change of another writer's.
    takeExternalChanges();
    externalKeys.clear();
}

const StoreValue* PlistFileStore::object(std::string_view key) const {
    return entryOf(values, key);
}

void PlistFileStore::markPending(std::string_view key) {
    if (!pending.contains(key)) {
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
    if (const auto found = values.find(key); found != values.end()) {
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
        // Values set again as they were: replacing the file would only cost
        // two flushes and its identity, which other writers watch.
        if (pending.empty() || values == knownValues) {
            pending.clear();
            return !conflicted;
        }
        const std::string bytes = writePlistDictionary(values);
        if (const std::string fault = plistSizeFault(bytes); !fault.empty()) {
            writeFailure = fault + ", more than it could read back";
            writeError = 0;
            platformLog("Store %s: not written: %s", filePath.c_str(), writeFailure.c_str());
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
    const auto keys = std::exchange(externalKeys, {});
    return std::vector<std::string>(keys.begin(), keys.end());
}

std::optional<Refusal> PlistFileStore::unsaved() const {
    // A store that refuses keeps nothing; an optional one owes nothing.
    if (refusal_ ? need == Need::optional : pending.empty()) {
        return std::nullopt;
    }
    const std::string what = "this session's progress is not saved in " + filePath;
    if (refusal_) {
        return Refusal{what, refusal_->why, refusal_->mends};
    }
    // Whatever the cause, this session's changes are gone once the process
    // ends; the next session saves at its first change.
    const Mend mend = writeError == ENOSPC || writeError == EDQUOT ? freeSpace()
                      : writeError == EACCES || writeError == EPERM || writeError == EROFS
                          ? Mend{"make its folder writable", ""}
                          : Mend{"mend its disk", ""};
    return Refusal{what, writeFailure.empty() ? "not written yet" : writeFailure, {mend}};
}

std::vector<std::string> PlistFileStore::takeConflicts() {
    const auto keys = std::exchange(conflicts, {});
    return std::vector<std::string>(keys.begin(), keys.end());
}

bool PlistFileStore::resolve(OwnedFolder::Make make) {
    if (OwnedFolder::Handle now = place(); now != placed) {
        placed = now;
        origin = std::move(now);
        owe();
    }
    // A folder refused, with no way to find it again: refused for good.
    OwnedFolder::Handle found = origin->usable() && origin->missing() ? origin->again(make) : origin;
    if (!found->usable()) {
        refuse(found->refusal());
        return false;
    }
    origin = std::move(found);
    OwnedFolder::Reached reached =
        origin->missing() ? OwnedFolder::Reached{origin, fileName, ""} : origin->entry(fileName, make);
    if (!reached.folder->usable()) {
        refuse(reached.folder->refusal());
        return false;
    }
    folder = std::move(reached.folder);
    name = std::move(reached.name);
    link = std::move(reached.link);
    if (folder->missing()) {
        allow(); // nothing there to refuse
        return false;
    }
    return true;
}

void PlistFileStore::refuse(Refusal why) {
    why.what =
        (need == Need::required ? "cannot keep progress in " : "cannot share progress through ") + fileName;
    if (!elsewhere.advice.empty() && std::ranges::find(why.mends, elsewhere) == why.mends.end()) {
        why.mends.push_back(elsewhere);
    }
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
    // While refused it looks each time: its file may have been given back since.
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
        // Read while the game runs, memory keeps what it held.
        owe();
        return false;
    }
    // Missing reads as no bytes: removed by another writer, its keys are gone.
    if (bytes == knownBytes) {
        knownStamp = stamp; // touched, not changed
        return false;
    }
    if (!why.empty()) {
        platformLog("Store %s: %s; the file keeps it until the game next writes a changed value",
                    filePath.c_str(), why.c_str());
    }
    const bool conflicted = takeIn(incoming);
    knownStamp = stamp;
    knownBytes = std::move(bytes);
    knownValues = std::move(incoming);
    return conflicted;
}

void PlistFileStore::owe() {
    knownStamp = {};
    knownBytes.clear();
    knownValues.clear();
    for (auto& entry : pending) {
        entry.second.reset();
    }
    for (const auto& entry : values) {
        pending.try_emplace(entry.first);
    }
}

bool PlistFileStore::takeIn(const StoreValue::Dictionary& incoming) {
    bool conflicted = false;
    for (const std::string& key : keysOf(values, incoming)) {
        const StoreValue* theirs = entryOf(incoming, key);
        if (const auto mine = pending.find(key); mine != pending.end()) {
            // Set here and not yet written: kept unless the other writer gave
            // it a value of its own, for the owner to merge. Writing over a
            // key the other writer removed loses nothing of its.
            if (theirs == nullptr || sameEntry(theirs, mine->second ? &*mine->second : nullptr)) {
                continue;
            }
            pending.erase(mine);
            if (sameEntry(theirs, entryOf(values, key))) {
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
    // The bits of the file replaced, less the set-id bits any write clears;
    // a file system that refuses them (FAT) still gets the save.
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
    const int fd = makeTemporary(dir, temporaryPrefix(name), 0600, temporary);
    if (fd < 0) {
        writeError = errno;
        writeFailure = std::string("a new file cannot be made: ") + std::strerror(errno);
        platformLog("Store %s: could not write: %s", filePath.c_str(), writeFailure.c_str());
        return WriteResult::Failed;
    }
    keepMode(fd);
    bool exchanged = false;
    // A step that failed (`failure`), or a rename overtaken (none), removes
    // the new file, unless it was swapped in: then the name holds it.
    const auto abandon = [&](const char* step, int failure) {
        ::close(fd);
        if (!exchanged) {
            gFileCalls.unlinkat(dir, temporary.c_str(), 0);
        }
        if (failure == 0) {
            return WriteResult::Overtaken;
        }
        writeError = failure;
        writeFailure = std::string(step) + " failed: " + std::strerror(failure);
        platformLog("Store %s: could not write (%s): %s", filePath.c_str(), step, std::strerror(failure));
        return WriteResult::Failed;
    };
    if (!writeAll(fd, bytes)) {
        return abandon("write", errno);
    }
    if (::fsync(fd) != 0) {
        return abandon("fsync", errno);
    }
    // Over a file, an exchange keeps the one it replaces, under the
    // temporary name, until it is seen to be the file last read. Refused
    // (any error but ENOENT), a last look comes just before a plain rename.
    int swapped = knownStamp.exists
                      ? gFileCalls.renameat2(dir, temporary.c_str(), dir, name.c_str(), RENAME_EXCHANGE)
                      : renameNoReplace(dir, temporary.c_str(), name.c_str());
    exchanged = swapped == 0 && knownStamp.exists;
    if (swapped != 0 && errno != ENOENT && knownStamp.exists) {
        const bool unchanged = currentStamp(name) == knownStamp;
        swapped = unchanged ? gFileCalls.renameat2(dir, temporary.c_str(), dir, name.c_str(), 0) : -1;
        errno = unchanged ? errno : EEXIST;
    }
    // Overtaken: the name was taken, or left, since the last look.
    if (swapped != 0) {
        return abandon("rename", errno == EEXIST || errno == ENOENT ? 0 : errno);
    }
    // The exchange keeps the new file's identity, size and time: the stamp
    // of what we wrote, whatever has come to the name since.
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return abandon("fstat", errno);
    }
    ::close(fd);
    const bool displaced = exchanged && !currentStamp(temporary).sameContent(knownStamp);
    knownStamp = FileStamp::of(info);
    knownBytes = bytes;
    knownValues = values;
    if (displaced) {
        conflicted = takeDisplaced(temporary) || conflicted;
    } else if (exchanged) {
        gFileCalls.unlinkat(dir, temporary.c_str(), 0);
    }
    // Without it a crash could undo the rename after we reported success.
    if (::fsync(dir) != 0) {
        writeError = errno;
        writeFailure = std::string("its folder cannot be synced: ") + std::strerror(errno);
        platformLog("Store %s: could not write: %s", filePath.c_str(), writeFailure.c_str());
        return WriteResult::Failed;
    }
    return displaced ? WriteResult::Displaced : WriteResult::Written;
}

bool PlistFileStore::takeDisplaced(const std::string& entry) {
    std::string bytes;
    FileStamp stamp;
    std::string why;
    Refusal refused;
    ReadResult read = ReadResult::Changed;
    for (int look = 0; look < kLooks && read == ReadResult::Changed; ++look) {
        read = readFile(entry, bytes, stamp, why, refused);
    }
    const std::optional<StoreValue::Dictionary> theirs =
        read == ReadResult::Read ? readList(bytes, room, why) : std::nullopt;
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
    // The name holds what was written; what the merge changed is still to write.
    pending.clear();
    for (const std::string& key : keysOf(values, knownValues)) {
        const StoreValue* was = entryOf(knownValues, key);
        if (!sameEntry(entryOf(values, key), was)) {
            pending.emplace(key, was != nullptr ? std::optional<StoreValue>(*was) : std::nullopt);
        }
    }
    return conflicted;
}

} // namespace ZQ
