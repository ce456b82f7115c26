#pragma once

#include "engine/KeyValueStore.h"
#include "engine/OwnedFolder.h"
#include "engine/PlistCodec.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

struct stat;

namespace ZQ {

// A key-value store kept in one property-list file, in a folder opened once
// on a way of the game's user (OwnedFolder): the user defaults, their cloud
// copy and the leaderboards are three of these. What stands at its name is a
// file, damage (set aside) or a refusal; a write exchanges a new file for the
// old one, merging another writer's first. docs/stores.md gives the rules.
//
// Ownership: owns its values and its handle on the folder. Threads: main
// thread only.
class PlistFileStore : public KeyValueStore {
public:
    // Whether the game can play without the store (KeyValueStore::needed).
    enum class Need { required, optional };

    // The store's folder: one held, or the one standing at a way now
    // (StoreLocations), asked at each walk; a new one is owed everything.
    struct Place {
        Place(OwnedFolder::Handle folder) : folder(std::move(folder)) {}
        Place(OwnedFolder::Handle (*now)()) : now(now) {}
        OwnedFolder::Handle operator()() const { return now != nullptr ? now() : folder; }
        OwnedFolder::Handle folder;
        OwnedFolder::Handle (*now)() = nullptr;
    };

    // The file `name` in `place`, a link there of the game's user followed.
    // Every list read in must leave `room` for what the game writes itself.
    // `elsewhere`, when given, says how to keep the store in another folder,
    // a mend of every refusal: for a store whose folder other users may share.
    PlistFileStore(Place place, const std::string& name, PlistRoom room = {}, Need need = Need::required,
                   Mend elsewhere = {});
    // The file at `path`, in a folder opened for it alone (made when missing).
    explicit PlistFileStore(const std::string& path, PlistRoom room = {}, Need need = Need::required);

    const StoreValue* object(std::string_view key) const override;
    void setObject(std::string_view key, StoreValue value) override;
    void remove(std::string_view key) override;
    bool synchronize() override;
    std::vector<std::string> pullExternalChanges() override;
    std::vector<std::string> takeConflicts() override;
    const StoreValue::Dictionary& contents() const override { return values; }
    std::optional<Refusal> refusal() const override { return refusal_; }
    bool needed() const override { return need == Need::required; }
    std::optional<Refusal> unsaved() const override;

    const std::string& path() const { return filePath; }

private:
    // Looks at an entry that changes while it is followed, before it is
    // refused as being replaced without pause.
    static constexpr int kLooks = 8;
    // New names tried for damage set aside in one nanosecond.
    static constexpr int kNewNames = 100;

    // What identifies one version of an entry on disk.
    struct FileStamp {
        bool exists = false;
        uint64_t device = 0;
        uint64_t inode = 0;
        int64_t size = 0;
        int64_t modifiedNs = 0;
        int64_t changedNs = 0;
        uid_t owner = 0;
        mode_t mode = 0;
        bool operator==(const FileStamp&) const = default;
        // The same file, unchanged, as far as a rename can tell: a rename
        // moves the change time and nothing else of these.
        bool sameContent(const FileStamp& other) const;
        static FileStamp of(const struct stat& info);
    };
    // Bad: an entry of this user's that is no file. Link: a link stands
    // where the walk found none, to be walked again.
    enum class ReadResult { Missing, Read, Bad, Refused, Changed, Link };
    // Cleared: damage was set aside (or another game moved it first).
    enum class Found { Missing, Read, Cleared, Refused };
    // Displaced: the exchange took another writer's file from the name,
    // which was merged; the merge is still to be written.
    enum class WriteResult { Written, Failed, Overtaken, Displaced };
    enum class Aside { Moved, Gone, Changed, Failed };

    // Walks from the store's folder to the file its name leads to now
    // (`folder`, `name`, `link`): false while a folder on the way is
    // missing, or refused (then the store refuses); `make` makes them first.
    bool resolve(OwnedFolder::Make make);
    FileStamp currentStamp(const std::string& entry) const;
    // The stamp is filled for whatever stands at `entry`; `why` says what is
    // Bad, `refused` why it is Refused.
    ReadResult readFile(const std::string& entry, std::string& bytes, FileStamp& stamp, std::string& why,
                        Refusal& refused) const;
    // Reads what the entry holds now into `list` (`note` names what of it
    // the store does not keep), setting damage aside (logged).
    Found find(std::string& bytes, FileStamp& stamp, StoreValue::Dictionary& list, std::string& note,
               Refusal& refused);
    // Renames `entry`, while still the version `seen`, to a new name
    // (`aside`, when Moved); one that took its place meanwhile is put back.
    Aside setAside(const std::string& entry, const FileStamp& seen, std::string& aside);
    // True when a key another writer changed was set here too (a conflict).
    bool takeIn(const StoreValue::Dictionary& incoming);
    // Takes the file in when its entry changed since it was last read or
    // written, or while the store refuses.
    bool takeExternalChanges();
    // The list in `bytes`, when it leaves `room` for what the game writes.
    static std::optional<StoreValue::Dictionary> readList(const std::string& bytes, const PlistRoom& room,
                                                          std::string& why);
    // The store refuses for `why` (logged as it begins), or no longer.
    void refuse(Refusal why);
    void allow();
    // Why another user's entry at `path` refuses, with a mend that takes nothing.
    Refusal ownedElsewhere(const std::string& path, const FileStamp& stamp) const;
    WriteResult writeFile(const std::string& bytes, bool& conflicted);
    // Merges and removes another writer's file, which an exchange took away.
    bool takeDisplaced(const std::string& entry);
    void keepMode(int file);
    void markPending(std::string_view key);

    // Everything held is owed to the file: its folder holds nothing known.
    void owe();

    // Where the store's folder is, the folder it last found there, and that
    // folder (made since, when it was missing); its file's name there.
    Place place;
    OwnedFolder::Handle placed;
    OwnedFolder::Handle origin;
    std::string fileName;
    std::string filePath;
    // Where that name leads now: the folder and name of the file, and the
    // last link of the player's own followed to it (empty when none).
    OwnedFolder::Handle folder;
    std::string name;
    std::string link;
    PlistRoom room;
    StoreValue::Dictionary values;
    // Keys set or removed here and not yet written, each with the value the
    // file held when first set (or none): when the file no longer holds it,
    // another writer changed the key too.
    std::map<std::string, std::optional<StoreValue>, std::less<>> pending;
    // Keys another writer changed, waiting for pullExternalChanges.
    std::set<std::string, std::less<>> externalKeys;
    // Keys set here that gave way to another writer's, waiting for takeConflicts.
    std::set<std::string, std::less<>> conflicts;
    FileStamp knownStamp;
    std::string knownBytes;             // the file as we last read or wrote it
    StoreValue::Dictionary knownValues; // what those bytes hold
    Need need;
    Mend elsewhere;
    std::optional<Refusal> refusal_; // nothing while the store can keep its values
    std::string writeFailure;        // why the last write failed; empty once one is made
    int writeError = 0;              // its errno, when it had one
    bool modeRefusalLogged = false;
};

} // namespace ZQ
