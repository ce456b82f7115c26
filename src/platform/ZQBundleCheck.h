#pragma once

#include "engine/Bundle.h"
#include "engine/Refusal.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Whether a bundle folder can be played from, asked once at start: a wrong
// $VELMORA_BUNDLE, a bundle that was never generated or one with a file cut
// short would otherwise give a game without texts, tiles or models that
// runs on as if nothing were amiss. The captions list, the pictures, the
// textures and the models are judged by the rules of the reader that will
// load them, without GL. Sounds are left to their players: one that cannot
// be played is logged there and plays as silence, which loses nothing.
namespace ZQBundleCheck {

// The reader whose rules judge a file.
enum class Reader {
    Png, // a picture, through the PNG decoder
    Pvr, // a texture, through the PVR reader
    Pod, // a model, through the POD reader and the POD box's mesh checks
};

struct NeededFile {
    std::string file; // in the bundle, with its extension
    Reader reader;
};

// Every file besides the captions list that the game reads from the bundle
// at the device's caption `scale` and cannot play without, named by the code
// that loads it: the interface's pictures and reliefs (CaptionBox::pictures),
// the cord's normal maps and the models.
std::vector<NeededFile> neededFiles(int32_t scale);

// Why the file at `path` cannot be read by `reader`, or an empty string when
// it can; the path is not repeated in the reason.
std::string judgeFile(const std::string& path, Reader reader);

// What puts the bundle at `folder` back where `origin` says it came from:
// the build in `buildTree`, the install from it, or $VELMORA_BUNDLE. An
// install's commands write as whoever owns the install's folder. Where the
// game sees that build gone, it is built again from `sourceTree` (by root,
// a build of root's own) and installed; where the game cannot look into
// it, the install from it comes first and the build again second.
std::vector<ZQ::Mend> mends(const std::string& folder, ZQ::BundleOrigin origin, const std::string& buildTree,
                            const std::string& sourceTree);

// Why the game cannot play from `folder`, which `origin` chose, or nothing
// when it can: the folder is missing, or it lacks the captions list or a
// needed file, or holds one its reader refuses (a background picture the
// captions list names is judged when it is there: a caption is drawn without
// a missing one). The why names the folder and each file with its reason,
// each reason once for all its files; the mends are those above, for this
// program's build and source trees.
std::optional<ZQ::Refusal> check(const std::string& folder, ZQ::BundleOrigin origin, int32_t scale);

} // namespace ZQBundleCheck
