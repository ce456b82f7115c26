#pragma once

#include "engine/KeyValueStore.h"
#include "engine/PlistCodec.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct stat;

namespace ZQ {

// A key-value store kept in one property-list file: the game's user
// defaults and its cloud copy are two of these.
//
// The file is read when the store is made. A damaged file (one that is not
// a regular file (a FIFO is opened without waiting for a writer), is not a
// property list with a dictionary at its root, or leaves no room for a
// write the game can make: plistRoomFault, the keys the game writes itself
// at their largest, written back as XML with the rest, would pass the
// reader's caps, so the store could not write the game's progress) is
// logged, renamed to "<name>.corrupt-<UTC time>" beside itself and read as
// empty. Only the file that was read is moved: when the path names another
// file by then, that one is read instead, and when it names none (another
// game moved it first) nothing is moved and the store goes on as for a
// missing file. When the damaged file cannot be moved aside the store
// never writes over it.
//
// A file that is there but cannot be read (permission denied, an I/O
// error) is no damage: it stays as it is, the log says why and whose file
// it is, and the store holds nothing from it and never writes over it. It
// is tried again before every write and whenever changes are pulled in,
// and so at the next start.
//
// synchronize writes the whole dictionary atomically: a temporary file in
// the same folder, fsync, rename over the old file, fsync of the folder. A
// crash at any moment leaves the old file or the new one, never a mix. The
// new file takes the permission bits of the file it replaces, and its
// owner and group where this user may give them (root may); a file made
// anew is this user's alone (0600). When the path is a symbolic link, all
// of that happens to the file it names, in that file's folder: the link
// stays a link. Nothing is written while the file holds every value the
// store holds already. A dictionary whose list would be more than the
// reader takes is not written at all: synchronize logs it and fails, and
// the file stays as it was.
//
// Another writer (a file-sync tool bringing the cloud file from another
// machine) is noticed by the file's identity, size and modification time,
// confirmed by its bytes; pullExternalChanges takes such a change in, and so
// does synchronize before it writes and again once its temporary file is
// flushed, just before the rename: a file changed by then is read in and
// the write made anew from it. A key set here whose value the other writer
// changed too is never written over: it takes the file's value and is
// reported as a conflict (KeyValueStore::update), also after a write that
// failed.
//
// Ownership: owns its values and nothing else. Threads: main thread only.
class PlistFileStore : public KeyValueStore {
public:
    // `room`: the keys the game writes into this store itself, with the
    // most it writes under each, which every list read in leaves room for.
    explicit PlistFileStore(std::string path, PlistRoom room = {});

    const StoreValue* object(std::string_view key) const override;
    void setObject(std::string_view key, StoreValue value) override;
    void remove(std::string_view key) override;
    bool synchronize() override;
    std::vector<std::string> pullExternalChanges() override;
    std::vector<std::string> takeConflicts() override;
    const StoreValue::Dictionary& contents() const override { return values; }

    const std::string& path() const { return filePath; }

    // Called, when set, with the store's path between reading a damaged
    // file and setting it aside: the moment at which another game may move
    // it or a file-sync tool put another file in its place. For tests.
    static inline std::function<void(const std::string& path)> beforeSetAside;

private:
    // What identifies one version of the file on disk.
    struct FileStamp {
        bool exists = false;
        uint64_t device = 0;
        uint64_t inode = 0;
        int64_t size = 0;
        int64_t modifiedNs = 0;
        bool operator==(const FileStamp&) const = default;
        static FileStamp of(const struct stat& info);
    };
    // Bad: damaged, for what the path holds. Unreadable: a file is there,
    // whole or not, that this user cannot read.
    enum class ReadResult { Missing, Read, Bad, Unreadable };
    // What the path held once a damaged file was dealt with. Cleared: a
    // damaged file was set aside (or another game moved it first), so the
    // file holds nothing. Stuck: it could not be set aside.
    enum class Found { Missing, Read, Cleared, Unreadable, Stuck };
    // Why the store does not write its file.
    enum class Hold { None, Unreadable, Stuck };
    enum class WriteResult { Written, Failed, Overtaken };

    FileStamp currentStamp() const;
    // Reads the file's bytes and its stamp; Bad or Unreadable, with `why`,
    // when something is there that gives no bytes.
    ReadResult readFile(std::string& bytes, FileStamp& stamp, std::string& why) const;
    // Reads what the path names now into `list`, setting aside each damaged
    // file read, as long as the path names that file (logged).
    Found find(std::string& bytes, FileStamp& stamp, StoreValue::Dictionary& list, std::string& why);
    // The file read holds nothing now: everything in memory is to be
    // written.
    void cleared();
    // Takes the file's contents when another writer changed it since we last
    // read or wrote it, or when it could not be read before; the keys that
    // changed join `externalKeys`. True when a key set here was among them
    // (a conflict).
    bool takeExternalChanges();
    // Overtaken, with nothing replaced, when another writer changed the
    // file since we last read it; `stamp` is the new file's.
    WriteResult writeFile(const std::string& bytes, FileStamp& stamp);
    void markPending(std::string_view key);

    std::string filePath;
    PlistRoom room;
    StoreValue::Dictionary values;
    // Keys set or removed here since the last successful synchronize, each
    // with the value the file held for it when it was first set (nothing
    // when it held none): the other writer changed it too when the file no
    // longer holds that value. The store is dirty while this is not empty.
    std::map<std::string, std::optional<StoreValue>, std::less<>> pending;
    // Keys another writer changed, waiting for pullExternalChanges.
    std::set<std::string, std::less<>> externalKeys;
    // Keys set here that gave way to another writer's, waiting for takeConflicts.
    std::set<std::string, std::less<>> conflicts;
    FileStamp knownStamp;
    std::string knownBytes;             // the file as we last read or wrote it
    StoreValue::Dictionary knownValues; // what those bytes hold
    Hold hold = Hold::None;
};

} // namespace ZQ
