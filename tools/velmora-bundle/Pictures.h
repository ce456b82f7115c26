#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The caption box's pictures: the three heads-up icons and the title at
// every caption scale the device profiles use, and the two one-pixel fills;
// and the desktop's icon of the installed game.
namespace VelmoraBundle {

struct Picture {
    std::string name; // the file name without ".png" ("ring@2")
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba; // straight (not premultiplied) alpha, top row first
};

// The caption scales of the device profiles.
constexpr int kCaptionScales[] = {1, 2, 3};

// Every picture: "hourglass", "ring", "zen" and "zr_title" at each scale,
// then "story_bg_1px" and "tile_bg_1px".
std::vector<Picture> makePictures();

// The icon a desktop shows for the game, kIconEdge pixels square: a knotted
// cord in the caption icons' gold, on a tile of the outro's night blue.
constexpr int kIconEdge = 256;
Picture makeIcon();

} // namespace VelmoraBundle
