#pragma once

#include <string>

namespace ZQ {

// Where the game and the tools may write, judged before any work, so that a
// mistyped path does not cost a run. The one sure answer is the write itself,
// so the judge tries it as the writer will: it opens the file. Asking about
// the folder instead (access) was wrong both ways: root passes it wherever it
// asks, and a player may write a file in a folder that is not theirs
// (/dev/null in /dev).

// Why no file can be written at `path` now, or empty when one can. A new name
// is made and removed at once; a file that is there is opened for writing and
// left as it was (never truncated). A device or a FIFO is judged by its
// permission instead: opening one can act on it (a FIFO's reader sees its end
// when the try closes it, and the real write then waits for a reader that
// has gone; a tape rewinds).
std::string whyUnwritable(const std::string& path);

// Why no new file can be made in `folder` now, or empty when one can: one is
// made under a name of its own and removed at once.
std::string whyNoNewFileIn(const std::string& folder);

} // namespace ZQ
