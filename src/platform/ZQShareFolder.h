#pragma once

#include <functional>
#include <string>

// Where shares and stored snapshots go, and how a file gets there: written
// whole under a temporary name, made durable, then given its name without
// ever replacing a file already there.
namespace ZQShareFolder {

// The desktop's pictures folder: $XDG_PICTURES_DIR when it holds an absolute
// folder (`picturesDir` is its value, null when unset), else the
// XDG_PICTURES_DIR line of the desktop's `userDirsFile` (user-dirs.dirs:
// "$HOME/..." or an absolute path; `home` stands for $HOME), else empty. A
// folder that is the home folder itself means none, as the desktop reads it.
std::string picturesFolder(const char* picturesDir, const std::string& userDirsFile, const std::string& home);
// The desktop's user-dirs.dirs: in $XDG_CONFIG_HOME, else ~/.config.
std::string userDirsFile(const char* configHome, const std::string& home);

// `picturesFolder`/Velmora, or the "shares" folder of the game's data
// folder when there is no pictures folder.
std::string choose(const std::string& picturesFolder, const std::string& dataFolder);
// $XDG_DOCUMENTS_DIR when absolute, else the data folder.
std::string chooseDocuments(const char* documentsDir, const std::string& dataFolder);

// True when files can be made in `folder`: it is a folder we may write, or
// it does not exist yet and its nearest existing parent is one. Changes
// nothing on disk.
bool isWritable(const std::string& folder);

// Writes a new file into `folder` (made when missing): `write` fills the
// temporary file at the path it is given and answers false with a reason in
// `error`; the file is then synced and renamed to `nameFor(0)`, or, when that
// name is taken, `nameFor(1)`, `nameFor(2)`... (up to 1000 tries). Answers
// the final path, or empty with the reason in `error`; no temporary file is
// left behind.
std::string saveNew(const std::string& folder, const std::function<std::string(int attempt)>& nameFor,
                    const std::function<bool(const std::string& path, std::string& error)>& write,
                    std::string& error);

// `text` made safe as part of a file name: letters, digits, '-' and '_'
// kept (ASCII), anything else '_', at most 48 characters; "knot" when empty.
std::string fileStem(const std::string& text);

} // namespace ZQShareFolder
