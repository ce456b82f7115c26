#pragma once

#include <string>

// Where a tool's output goes. A tool makes the folder it writes into, parents
// too, as mkdir -p does, and checks it before any work: a folder that cannot
// be made or written costs one message and nothing else, not a run's work
// and then one failed write per file.
namespace OutputFolder {

// Makes `folder` and its missing parents and checks that files can be made
// in it (engine/WritableFile.h). When it cannot be made or written, or its name
// is empty (the tools join names as folder + "/" + file, which would then
// point at the root), prints one line on standard error, "TOOL: cannot ...
// FOLDER: reason", and returns false.
bool make(const char* tool, const std::string& folder);

// Makes the folder the file `path` goes into, as make does, and checks that
// the file itself can be written, by the game's rule (engine/WritableFile.h):
// one line, "TOOL: cannot ... PATH: reason", and false when not.
bool makeFor(const char* tool, const std::string& path);

} // namespace OutputFolder
