#pragma once

#include <string>

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

} // namespace ZQ
