#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Whether a bundle folder can be played from, asked once at start: a wrong
// $VELMORA_BUNDLE or a bundle that was never generated would otherwise give a
// game without texts, tiles or models that runs on as if nothing were amiss.
namespace ZQBundleCheck {

// The files the game cannot be played without, as named in the bundle: the
// captions list (every text), the interface's pictures and reliefs at the
// device's caption `scale` (the tiles), the cord's normal maps and the
// models. Sounds are not among them: without them the game plays silent, as
// it does without a sound device.
std::vector<std::string> neededFiles(int32_t scale);

// False with one line saying why when `folder` is no folder, lacks any of
// the needed files (naming the first few) or has a captions list that gives
// no caption at all (empty, unreadable, not a list of captions).
bool check(const std::string& folder, int32_t scale, std::string& problem);

} // namespace ZQBundleCheck
