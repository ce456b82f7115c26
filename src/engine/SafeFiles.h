#pragma once

#include <functional>
#include <string>
#include <sys/stat.h>

namespace ZQ {

// What the stores and the data folder's lock share to replace or move a file
// without ever losing one. Any thread.

// The folder `path` lies in ("." for a bare name).
std::string folderOf(const std::string& path);

// Makes the folder's entries (a rename into it, a new file) durable.
bool syncFolder(const std::string& folder);

// Moves whatever stands at `path` (a damaged file, a folder, a FIFO, a link,
// itself and not what it names) out of the way, keeping it: renamed to
// "<path>.corrupt-<UTC time>" in its own folder, numbered when that name is
// taken, never over anything. The name it now has, or empty when it could
// not be moved (errno says why).
std::string setAside(const std::string& path);

// What setAsideIf did.
enum class AsideOutcome {
    Moved,    // set aside
    Gone,     // nothing stands at the path any more: another moved it first
    Replaced, // another entry stands there now, which stays
    Failed,   // it stays where it is (errno says why)
};

// Moves what stands at `path` aside as setAside does, only while it is the
// entry `still` holds for (given its lstat): one that took its place
// between the look and the move is put back, so it is never what is kept
// aside. `aside` is the name of the entry moved.
AsideOutcome setAsideIf(const std::string& path, const std::function<bool(const struct stat&)>& still,
                        std::string& aside);

} // namespace ZQ
