#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora_sim {

// What one run of the headless player does.
struct SimOptions {
    int32_t level = 0;    // catalogue index in play order, 0 = the first level
    int32_t frames = 300; // frames stepped after the cord is laid and settled, numbered from 0
    int32_t every = 30;   // report every this many frames
    int32_t width = 640;  // screen in pixels: sets the world scale and the camera
    int32_t height = 1136;
    std::string script;       // scripted touches and swipes; empty for none
    std::string screenshot;   // PNG of the level's room; empty for none
    std::string contactSheet; // PNG of every level's room as thumbnails; empty for none
    std::string hud;          // displays over the screenshot: "arcade", "zen", "points" or empty
    bool help = false;
};

// Reads the arguments after the program name. False, with one line for the
// user in `error`, on anything it cannot use; `options` is then unspecified.
bool parseOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

// The usage text, one option a line.
const char* usageText();

} // namespace velmora_sim
