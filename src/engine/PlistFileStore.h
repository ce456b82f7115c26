#pragma once

#include "engine/KeyValueStore.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace ZQ {

// A key-value store kept in one property-list file: the game's user
// defaults and its cloud copy are two of these.
//
// The file is read when the store is made. A file that cannot be read, is
// not a regular file (a FIFO is opened without waiting for a writer), is
// not a property list with a dictionary at its root, or leaves the keys the
// game writes itself less than their room under the reader's caps once
// written back as XML (so the store could not write the game's progress)
// is logged, renamed to "<name>.corrupt-<UTC time>" beside itself and read
// as empty; when it cannot be moved aside the store never writes over it.
//
// synchronize writes the whole dictionary atomically: a temporary file in
// the same folder, fsync, rename over the old file, fsync of the folder. A
// crash at any moment leaves the old file or the new one, never a mix. When
// the path is a symbolic link, all of that happens to the file it names, in
// that file's folder: the link stays a link. A dictionary whose list would
// be more than the reader takes is not written at all: synchronize logs it
// and fails, and the file stays as it was.
//
// Another writer (a file-sync tool bringing the cloud file from another
// machine) is noticed by the file's identity, size and modification time,
// confirmed by its bytes; pullExternalChanges takes such a change in.
//
// Ownership: owns its values and nothing else. Threads: main thread only.
class PlistFileStore : public KeyValueStore {
public:
    // `ownKeys`: the keys the game writes into this store itself, for which
    // every list read in keeps room (plistRoomFault).
    explicit PlistFileStore(std::string path, std::vector<std::string> ownKeys = {});

    const StoreValue* object(std::string_view key) const override;
    void setObject(std::string_view key, StoreValue value) override;
    void remove(std::string_view key) override;
    bool synchronize() override;
    std::vector<std::string> pullExternalChanges() override;
    const StoreValue::Dictionary& contents() const override { return values; }

    const std::string& path() const { return filePath; }

private:
    // What identifies one version of the file on disk.
    struct FileStamp {
        bool exists = false;
        uint64_t device = 0;
        uint64_t inode = 0;
        int64_t size = 0;
        int64_t modifiedNs = 0;
        bool operator==(const FileStamp&) const = default;
    };
    enum class ReadResult { Missing, Read, Bad };

    FileStamp currentStamp() const;
    // Reads the file's bytes and its stamp; Bad, with `why`, when something
    // is there but is not a regular file or cannot be read.
    ReadResult readFile(std::string& bytes, FileStamp& stamp, std::string& why) const;
    // Logs `why` and moves the file aside; false (and writing blocked) when
    // it could not be moved.
    bool keepAside(const std::string& why);
    // Takes the file's contents when another writer changed it since we last
    // read or wrote it; the keys that changed join `externalKeys`.
    void takeExternalChanges();
    bool writeFile(const std::string& bytes);

    std::string filePath;
    std::vector<std::string> ownKeys;
    StoreValue::Dictionary values;
    // Keys set or removed here since the last successful synchronize: an
    // external change never overwrites them.
    std::set<std::string, std::less<>> pendingKeys;
    // Keys another writer changed, waiting for pullExternalChanges.
    std::set<std::string, std::less<>> externalKeys;
    FileStamp knownStamp;
    std::string knownBytes; // the file as we last read or wrote it
    bool dirty = false;     // memory differs from the file
    bool blocked = false;   // a bad file stayed in place: never overwrite it
};

} // namespace ZQ
