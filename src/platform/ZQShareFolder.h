#pragma once

#include "engine/OwnedFolder.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

// Where shares and stored snapshots go, and how a file gets there: every
// step in the one folder opened for it, on a way of the game's user
// (OwnedFolder; docs/stores.md, Leaderboards and shares).
namespace ZQShareFolder {

// A folder a way leads to.
struct Place {
    std::string start; // where the way begins: the pictures or documents folder, or the data folder
    std::string below; // the rest of the way, "" for the start itself
    std::string path() const { return below.empty() ? start : ZQ::joinPath(start, below); }
};

// The desktop's pictures folder: `picturesDir` ($XDG_PICTURES_DIR, null when
// unset) when absolute, else the XDG_PICTURES_DIR line of `userDirsFile`
// ("$HOME/...", `home` standing for $HOME, or absolute), else empty. The home
// folder itself means none, as the desktop reads it.
std::string picturesFolder(const char* picturesDir, const std::string& userDirsFile, const std::string& home);
// The desktop's user-dirs.dirs: in $XDG_CONFIG_HOME, else ~/.config.
std::string userDirsFile(const char* configHome, const std::string& home);

// Velmora in `picturesFolder`, or, when there is none, shares in the data folder.
Place choose(const std::string& picturesFolder, const std::string& dataFolder);
// $XDG_DOCUMENTS_DIR when absolute, else the data folder.
Place chooseDocuments(const char* documentsDir, const std::string& dataFolder);

// Why shares cannot be saved in `place` (or, when missing, its nearest
// folder that is there), with what mends it; nothing when they can. Changes
// nothing on disk.
std::optional<ZQ::Refusal> unwritable(const Place& place);

// Writes a new file into `place`, made when missing: `write` fills the
// temporary file it is given and answers false with a reason in `error`; the
// file is then synced and renamed to `nameFor(0)`, or, when that name is
// taken, `nameFor(1)`, `nameFor(2)`... (up to 1000 tries). Answers the final
// path, or empty with why not in `refused` (its `what` left to the caller,
// who knows what was to be saved), leaving no temporary file.
std::string saveNew(const Place& place, const std::function<std::string(int attempt)>& nameFor,
                    const std::function<bool(std::FILE* file, std::string& error)>& write,
                    ZQ::Refusal& refused);

// `text` made safe as part of a file name: letters, digits, '-' and '_'
// kept (ASCII), anything else '_', at most 48 characters; "knot" when empty.
std::string fileStem(const std::string& text);

} // namespace ZQShareFolder
