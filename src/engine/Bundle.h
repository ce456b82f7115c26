#pragma once

#include <string>
#include <string_view>

namespace ZQ {

// The game's read-only resources (textures, models, sounds, caption texts)
// live in one bundle folder, looked up by name and extension as the game
// names them ("tile_bg_1px", "pvr").
//
// The folder is, in this order: $VELMORA_BUNDLE when set and not empty; the
// build tree's generated bundle/ when the running program was built there;
// otherwise <executable>/../share/games/velmora, where an install puts it.
// Any thread; the folder is chosen once per process.

// The bundle folder, without a trailing slash.
const std::string& bundleFolder();

// Which of the three rules above chose bundleFolder(): what puts a damaged
// bundle back depends on it.
enum class BundleOrigin { variable, buildTree, install };
BundleOrigin bundleOrigin();
// The build folder this program was compiled in (empty when unknown): the
// one an install came from too.
const std::string& buildTree();
// The source folder that build was made from (empty when unknown): where the
// game is built again once that build is gone.
const std::string& sourceTree();

// The rule behind bundleFolder: `variable` is $VELMORA_BUNDLE (null when
// unset), `executable` the running program's path, `buildTree` the build
// folder the program was compiled in (empty when unknown).
std::string chooseBundleFolder(const char* variable, const std::string& executable,
                               const std::string& buildTree);

// The full path of `name`.`ext` (or of `name` alone when `ext` is empty) in
// the bundle folder, or an empty string when no such regular file is there:
// callers treat that as "no path" and take their missing-resource road.
// Names that are absolute or climb out of the folder ("..") find nothing.
std::string pathForResource(std::string_view name, std::string_view ext);
// The same lookup in another folder.
std::string pathForResourceIn(const std::string& folder, std::string_view name, std::string_view ext);

} // namespace ZQ
