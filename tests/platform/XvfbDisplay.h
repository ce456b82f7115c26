#pragma once

#include "platform/ZQSnapshot.h"
#include "support/ScopedEnvironment.h"

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <string>

// A private X server for one test: Xvfb started on a free display number
// (it picks one and reports it through -displayfd) with its screen kept in a
// file (-fbdir), so a test can see what a window really shows. Stopped, by
// its own process id, when the object goes.
class XvfbDisplay {
public:
    // Whether Xvfb can be started at all (it is on the PATH).
    static bool installed();

    XvfbDisplay() = default;
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;
    ~XvfbDisplay();

    // Starts a width x height x 24 screen; false with the reason on failure.
    bool start(int width, int height, std::string& failure);
    // The same, and SDL in this process and the games it starts draws on
    // this server (through X11) for the scope of `environment`.
    bool start(int width, int height, ScopedEnvironment& environment, std::string& failure) {
        if (!start(width, height, failure)) {
            return false;
        }
        environment.set("DISPLAY", display);
        environment.unset("WAYLAND_DISPLAY");
        environment.set("SDL_VIDEODRIVER", "x11");
        return true;
    }
    // ":N", for DISPLAY.
    const std::string& name() const { return display; }

    // The whole screen as it is now, alpha 255; false when the screen file
    // cannot be read.
    bool readScreen(ZQImage& image) const;
    // How many screen pixels have exactly this colour; -1 when the screen
    // file cannot be read.
    long countPixels(std::array<uint8_t, 3> rgb) const;

private:
    pid_t pid = -1;
    std::string display;
    std::string screenDirectory;
};
