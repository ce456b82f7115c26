#pragma once

#include "engine/OwnedFolder.h"

#include <optional>
#include <string>

// The game's hold on its data folder, taken before the first frame. Two games
// on one folder would each write the record they hold over the other's; a
// folder of another user, or one it cannot write, would lose the run's progress.
//
// Two locks make the hold, each covering what the other cannot
// (docs/stores.md, One game at a time):
// - an exclusive flock on the lock file, a file of the player's that no one
//   else may open. Only the player's own programs can hold it, so another
//   user who opened the folder and locked it keeps no game out; and on NFS
//   the lock reaches the server, so games on two machines keep each other
//   out.
// - the game's mark on the folder itself: a read lock on one byte, taken
//   through a descriptor of the folder. No name inside the folder takes it
//   away, so a lock file removed or made anew under a playing game lets no
//   second game in; and nobody can keep a mark off, as read locks never
//   conflict and a folder cannot be opened for writing.
// A game takes the lock file, then its mark, then looks for another game's
// mark. Neither waits, and the kernel lets both go however the game ends.
//
// Ownership: owns both descriptors, closed (the locks let go) when the object
// goes or the hold is refused. Threads: main thread.
class ZQDataFolderLock {
public:
    static constexpr const char* kLockFile = ".game.lock";
    // The byte of the folder a game's mark locks: any one does, as long as
    // every game takes the same.
    static constexpr long long kMarkByte = 0x56454C4D;

    // `folder` is the data folder `path` names, opened.
    ZQDataFolderLock(const std::string& path, const ZQ::OwnedFolder::Handle& folder);
    ~ZQDataFolderLock();
    ZQDataFolderLock(const ZQDataFolderLock&) = delete;
    ZQDataFolderLock& operator=(const ZQDataFolderLock&) = delete;

    // The game may not play on the folder; `refusal` says why and what to do.
    bool refused() const { return refusal.has_value(); }
    std::optional<ZQ::Refusal> refusal;

private:
    bool takeLockFile(const std::string& path, const ZQ::OwnedFolder::Handle& folder);
    // `realPath`: the folder's path with no link on it, for a mend's command.
    void mark(const std::string& path, const std::string& realPath);
    void refuse(ZQ::Refusal why);
    void letGo();

    int folderDescriptor = -1; // bears the mark
    int fileDescriptor = -1;   // the lock file, flocked
};
