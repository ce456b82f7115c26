#include "SimOptions.h"

#include "PngName.h"
#include "engine/PngName.h"

#include <charconv>

namespace velmora_sim {

namespace {

constexpr int32_t kMaxFrames = 10'000'000;
constexpr int32_t kMinScreen = 16;
constexpr int32_t kMaxScreen = 16384;

// The whole text must be a decimal integer in [lo, hi].
bool readInt(const std::string& text, int32_t lo, int32_t hi, int32_t& out) {
    if (text.empty()) {
        return false;
    }
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < lo || value > hi) {
        return false;
    }
    out = value;
    return true;
}

bool readScreen(const std::string& text, SimOptions& options) {
    const size_t x = text.find('x');
    if (x == std::string::npos) {
        return false;
    }
    return readInt(text.substr(0, x), kMinScreen, kMaxScreen, options.width) &&
           readInt(text.substr(x + 1), kMinScreen, kMaxScreen, options.height);
}

} // namespace

const char* usageText() {
    return "usage: velmora-sim --level N [--frames F] [--every K] [--screen WxH] [--script FILE]\n"
           "       velmora-sim --level N --screenshot FILE.png [--frames F] [--screen WxH] [--hud MODE]\n"
           "       velmora-sim --contact-sheet FILE.png [--screen WxH]\n"
           "  --level N      catalogue level in play order, 0 = the first\n"
           "  --frames F     frames to step after laying and settling the cord, 1 or more\n"
           "                 (default 300), numbered from 0 as the game numbers them: frames 0 to F-1\n"
           "  --every K      print the energies and the centre at frames 0, K, 2K... and the last\n"
           "                 (default 30)\n"
           "  --screen WxH   screen size in pixels (default 640x1136)\n"
           "  --script FILE  touches and gestures to play, in the format of velmora --input (velmora\n"
           "                 --help gives it): points of the game's 375 x 667 point screen from its top\n"
           "                 left, stretched over --screen; an event at frame F reaches the cord just\n"
           "                 before frame F is stepped, one at frame 0 with those at 1. Touches and swipes\n"
           "                 pull and turn the cord; taps and double taps find no button here\n"
           "                 (not with --screenshot or --contact-sheet)\n"
           "  --screenshot FILE     draw the level's room and knot headless after F frames\n"
           "                        and write it as a PNG, FILE ending in .png\n"
           "  --hud MODE     with --screenshot: the level's displays in mode arcade or zen, or\n"
           "                 points: the points show of a solve (816 points on level 0), or\n"
           "                 tutorial: the slide lesson's lines\n"
           "  --contact-sheet FILE  the rooms of every level as thumbnails in one PNG (FILE\n"
           "                        ending in .png), ten a row in play order from the top left\n"
           "  --help, -h     this text\n";
}

bool parseOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error) {
    bool haveLevel = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            return true;
        }
        if (name != "--level" && name != "--frames" && name != "--every" && name != "--screen" &&
            name != "--script" && name != "--screenshot" && name != "--contact-sheet" && name != "--hud") {
            error = "unknown argument '" + name + "'";
            return false;
        }
        if (i + 1 >= args.size()) {
            error = name + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        bool ok = false;
        if (name == "--level") {
            // The upper bound is the catalogue's size, checked once it is built.
            ok = readInt(value, 0, INT32_MAX, options.level);
            haveLevel = ok;
        } else if (name == "--frames") {
            // As the game's --frames: a run steps at least one frame.
            ok = readInt(value, 1, kMaxFrames, options.frames);
        } else if (name == "--every") {
            ok = readInt(value, 1, kMaxFrames, options.every);
        } else if (name == "--script") {
            options.script = value;
            ok = !value.empty();
        } else if (name == "--screenshot" || name == "--contact-sheet") {
            (name == "--screenshot" ? options.screenshot : options.contactSheet) = value;
            if (const std::string why = value.empty() ? "" : ZQ::whyNoPngName(value); !why.empty()) {
                error = name + " " + value + ": " + why;
                return false;
            }
            ok = !value.empty();
        } else if (name == "--hud") {
            options.hud = value;
            ok = value == "arcade" || value == "zen" || value == "points" || value == "tutorial";
        } else {
            ok = readScreen(value, options);
        }
        if (!ok) {
            const char* expected = name == "--level"    ? "a level index of 0 or more"
                                   : name == "--frames" ? "a frame count from 1 to 10000000"
                                   : name == "--every"  ? "a frame count from 1 to 10000000"
                                   : name == "--hud"    ? "arcade, zen, points or tutorial"
                                   : name == "--script" || name == "--screenshot" || name == "--contact-sheet"
                                       ? "a file name"
                                       : "WIDTHxHEIGHT, each from 16 to 16384";
            error = name + " expects " + expected + ", not '" + value + "'";
            return false;
        }
    }
    // The contact sheet draws every level.
    if (!haveLevel && options.contactSheet.empty()) {
        error = "--level is required";
        return false;
    }
    // The pictures are drawn from the cord played on its own: a script's
    // touches would not reach them.
    if (!options.script.empty() && (!options.screenshot.empty() || !options.contactSheet.empty())) {
        error = "--script plays a level for the report; it does not go with --screenshot or --contact-sheet";
        return false;
    }
    return true;
}

} // namespace velmora_sim
