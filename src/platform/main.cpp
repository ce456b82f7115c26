#include "platform/ZQApplication.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void printUsage(std::FILE* out) {
    std::fprintf(
        out,
        "usage: velmora [--frames N] [--report-input] [--print-frames] [--print-states] [--seed N]\n"
        "       velmora --headless [--frames N] [--screenshot FILE.png] [--shot F:FILE.png]... [--input "
        "FILE]\n"
        "                          [--realtime] [--draw-shots-only] [--report-input] [--print-frames]\n"
        "                          [--print-states] [--seed N]\n"
        "  --headless         draw without a window or display (EGL surfaceless); %ld frames unless "
        "--frames\n"
        "  --frames N         stop once N frames are drawn (1 <= N <= 2147483647)\n"
        "  --screenshot FILE  write the last frame as a PNG (headless)\n"
        "  --shot F:FILE      write frame F (the first drawn is 1; 2 <= F <= the frames drawn) as a PNG\n"
        "                     on the way; may be given again for more frames (headless)\n"
        "  --input FILE       replay timed touches and gestures (headless); one event a line:\n"
        "                       FRAME began|moved|ended|cancelled FINGER X Y [RADIUS [TOLERANCE]]\n"
        "                       FRAME swipe X Y right|left|up|down\n"
        "                       FRAME tap X Y [RADIUS]\n"
        "                       FRAME doubletap X Y\n"
        "                     in points from the top-left corner of the 375 x 667 point screen; lines\n"
        "                     of up to 4096 characters, files of up to 16 MB\n"
        "  --realtime         headless at 30 frames per second instead of as fast as it can\n"
        "  --draw-shots-only  headless: render only the frames written as PNGs (and those later frames\n"
        "                     rely on) and step the others; flow, stores and PNGs are as when all are drawn\n"
        "  --report-input     at the end, count the touches and gestures that reached the game\n"
        "  --print-frames     print each frame's number on a line of its own once drawn\n"
        "  --print-states     print \"state S at frame F\" whenever the game's flow changes state, and\n"
        "                     \"step NAME STATUS at frame F\" whenever a tutorial step starts or moves on\n"
        "  --seed N           make the game's random choices from seed N, so that two runs with the\n"
        "                     same input draw the same frames\n"
        "In a window: the left mouse button is a finger, F11 switches to the full screen.\n",
        ZQApplication::kHeadlessFrames);
}

// The value after option i, or null (with a message) when there is none.
const char* valueOf(int argc, char** argv, int& i) {
    if (i + 1 >= argc) {
        std::fprintf(stderr, "velmora: %s needs a value\n", argv[i]);
        return nullptr;
    }
    return argv[++i];
}

// False on a command line it cannot use; `status` is then the exit status.
bool parse(int argc, char** argv, ZQLaunch& launch, int& status) {
    status = 2;
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (std::strcmp(option, "--headless") == 0) {
            launch.headless = true;
        } else if (std::strcmp(option, "--realtime") == 0) {
            launch.realtime = true;
        } else if (std::strcmp(option, "--report-input") == 0) {
            launch.reportInput = true;
        } else if (std::strcmp(option, "--print-frames") == 0) {
            launch.printFrames = true;
        } else if (std::strcmp(option, "--print-states") == 0) {
            launch.printStates = true;
        } else if (std::strcmp(option, "--draw-shots-only") == 0) {
            launch.drawShotsOnly = true;
        } else if (std::strcmp(option, "--seed") == 0) {
            const char* value = valueOf(argc, argv, i);
            if (value == nullptr) {
                return false;
            }
            char* end = nullptr;
            errno = 0;
            launch.seed = std::strtoull(value, &end, 10);
            if (end == value || *end != '\0' || errno != 0 || value[0] == '-') {
                std::fprintf(stderr, "velmora: --seed needs a whole number, 0 or more, not \"%s\"\n", value);
                return false;
            }
            launch.seeded = true;
        } else if (std::strcmp(option, "--frames") == 0) {
            const char* value = valueOf(argc, argv, i);
            if (value == nullptr) {
                return false;
            }
            char* end = nullptr;
            errno = 0;
            launch.frames = std::strtol(value, &end, 10);
            // The game counts its frames in 32 bits.
            if (end == value || *end != '\0' || errno != 0 || launch.frames < 1 ||
                launch.frames > INT32_MAX) {
                std::fprintf(stderr,
                             "velmora: --frames needs a whole number of frames from 1 to %d, not \"%s\"\n",
                             INT32_MAX, value);
                return false;
            }
        } else if (std::strcmp(option, "--shot") == 0) {
            const char* value = valueOf(argc, argv, i);
            if (value == nullptr) {
                return false;
            }
            char* end = nullptr;
            ZQShot shot;
            errno = 0;
            shot.frame = std::strtol(value, &end, 10);
            if (end == value || *end != ':' || end[1] == '\0' || errno != 0 || shot.frame < 2) {
                std::fprintf(
                    stderr, "velmora: --shot needs FRAME:FILE.png with FRAME 2 or more, not \"%s\"\n", value);
                return false;
            }
            shot.path = end + 1;
            launch.shots.push_back(shot);
        } else if (std::strcmp(option, "--screenshot") == 0 || std::strcmp(option, "--input") == 0) {
            const char* value = valueOf(argc, argv, i);
            if (value == nullptr) {
                return false;
            }
            // An empty name would quietly mean no file at all.
            if (value[0] == '\0') {
                std::fprintf(stderr, "velmora: %s needs a file name, not an empty one\n", option);
                return false;
            }
            (option[2] == 's' ? launch.screenshot : launch.input) = value;
        } else if (std::strcmp(option, "--help") == 0) {
            printUsage(stdout);
            status = 0;
            return false;
        } else {
            std::fprintf(stderr, "velmora: unknown option \"%s\"\n", option);
            printUsage(stderr);
            return false;
        }
    }
    if (!launch.headless && (!launch.screenshot.empty() || !launch.shots.empty() || !launch.input.empty() ||
                             launch.realtime || launch.drawShotsOnly)) {
        std::fprintf(
            stderr,
            "velmora: --screenshot, --shot, --input, --realtime and --draw-shots-only go with --headless\n");
        return false;
    }
    // A shot past the last frame would never be written.
    const long frames = launch.frames < 0 ? ZQApplication::kHeadlessFrames : launch.frames;
    for (const ZQShot& shot : launch.shots) {
        if (shot.frame > frames) {
            std::fprintf(stderr, "velmora: --shot %ld:%s comes after the last frame, %ld (--frames)\n",
                         shot.frame, shot.path.c_str(), frames);
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    ZQLaunch launch;
    int status = 0;
    if (!parse(argc, argv, launch, status)) {
        return status;
    }
    return ZQApplication::run(launch);
}
