// velmora-screens: plays one screen of the game flow headless through the
// whole engine (the view with its models and passes): the story, the outro
// or the tutorial, with an optional file of timed touches and gestures as a
// player would give them. It reports what happens (the tutorial's steps as
// they start, reach their goal and end; the cord's energies; whether the
// tutorial was marked completed) and writes pictures: every N frames of the
// story and the outro, one of every tutorial step once its lines and hints
// are in place (75 frames after it started) or at its goal when that comes
// sooner.
//
// The preference stores are a fresh temporary folder, never the player's own.
#include "OutputFolder.h"
#include "ScreenRun.h"

#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/Random.h"
#include "game/TutorialController.h"
#include "platform/ZQApplication.h"
#include "platform/ZQEGLContext.h"
#include "platform/ZQInputScript.h"
#include "platform/ZQView.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>

namespace {

const char* kUsage =
    "usage: velmora-screens --screen story|story-menu|outro|tutorial [--script FILE] [--shots DIR]\n"
    "                       [--shot-every N] [--frames N] [--room N] [--every K] [--positions] [--seed N]\n"
    "                       [--no-draw] [--draw-shots]\n"
    "  --screen       the story as at the first start, or from the menu (skip allowed), the outro,\n"
    "                 or the tutorial's two rooms\n"
    "  --script FILE  touches and gestures in the format of velmora --input (velmora --help gives\n"
    "                 it): points from the top-left corner of the 375 x 667 point screen, frames\n"
    "                 numbered from 0 as the game and this tool's reports number them\n"
    "  --shots DIR    write the pictures there (made, parents too)\n"
    "  --shot-every N the story and the outro: a picture every N frames (default 60)\n"
    "  --frames N     give up after N frames (default 9000)\n"
    "  --room N       the tutorial: start at room N (0 or 1)\n"
    "  --every K      the tutorial: print the cord's energies every K frames\n"
    "  --positions    with --every: also where every particle of the cord is, in points\n"
    "  --seed N       the random source's seed (default 1), so that a run can be repeated\n"
    "  --no-draw      step the game without drawing it (no pictures), much faster\n"
    "  --draw-shots   draw only the frames pictured (and those that leave what later frames read),\n"
    "                 stepping the others without drawing\n";

// The options that take a value; the others are flags.
constexpr std::string_view kValueOptions[] = {"--screen", "--script", "--shots", "--shot-every",
                                              "--frames", "--room",   "--seed",  "--every"};

struct Arguments {
    ScreenRun::Options run;
    std::string script;
    long frames = 9000;
    long seed = 1;
    bool draw = true;
};

bool readCount(const std::string& option, const std::string& value, long& out) {
    char* end = nullptr;
    out = std::strtol(value.c_str(), &end, 10);
    if (*end != '\0' || out < 1) {
        std::fprintf(stderr, "velmora-screens: %s needs a whole number, 1 or more, not \"%s\"\n",
                     option.c_str(), value.c_str());
        return false;
    }
    return true;
}

bool parse(int argc, char** argv, Arguments& arguments) {
    bool screenGiven = false;
    arguments.run.shotEvery = 60;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::printf("%s", kUsage);
            std::exit(0);
        }
        if (option == "--positions") {
            arguments.run.positions = true;
            continue;
        }
        if (option == "--no-draw") {
            arguments.draw = false;
            continue;
        }
        if (option == "--draw-shots") {
            arguments.run.drawShotsOnly = true;
            continue;
        }
        if (std::find(std::begin(kValueOptions), std::end(kValueOptions), option) ==
            std::end(kValueOptions)) {
            std::fprintf(stderr, "velmora-screens: unknown option \"%s\"\n%s", option.c_str(), kUsage);
            return false;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "velmora-screens: %s needs a value\n%s", option.c_str(), kUsage);
            return false;
        }
        const std::string value = argv[++i];
        if (option == "--screen") {
            screenGiven = true;
            if (value == "story") {
                arguments.run.screen = Screen::story;
            } else if (value == "story-menu") {
                arguments.run.screen = Screen::storyFromMenu;
            } else if (value == "outro") {
                arguments.run.screen = Screen::outro;
            } else if (value == "tutorial") {
                arguments.run.screen = Screen::tutorial;
            } else {
                std::fprintf(stderr, "velmora-screens: no screen \"%s\"\n%s", value.c_str(), kUsage);
                return false;
            }
        } else if (option == "--script") {
            arguments.script = value;
        } else if (option == "--shots") {
            arguments.run.shots = value;
        } else if (option == "--shot-every") {
            if (!readCount(option, value, arguments.run.shotEvery)) {
                return false;
            }
        } else if (option == "--frames") {
            if (!readCount(option, value, arguments.frames)) {
                return false;
            }
        } else if (option == "--room") {
            long room = 0;
            if (value != "0" && !readCount(option, value, room)) {
                return false;
            }
            // Any other room would stop the tutorial controller at its check.
            if (room >= ZQ::TutorialController::kStageLength) {
                std::fprintf(stderr, "velmora-screens: --room is 0 to %d, not %ld\n",
                             ZQ::TutorialController::kStageLength - 1, room);
                return false;
            }
            arguments.run.room = static_cast<int32_t>(room);
        } else if (option == "--seed") {
            if (!readCount(option, value, arguments.seed)) {
                return false;
            }
        } else if (!readCount(option, value, arguments.run.every)) { // --every, the one left
            return false;
        }
    }
    if (!screenGiven) {
        std::fprintf(stderr, "%s", kUsage);
        return false;
    }
    if (!arguments.draw && !arguments.run.shots.empty()) {
        std::fprintf(stderr, "velmora-screens: --shots needs the frames drawn, not --no-draw\n");
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (!parse(argc, argv, arguments)) {
        return 2;
    }
    if (!arguments.run.shots.empty() && !OutputFolder::make("velmora-screens", arguments.run.shots)) {
        return 1;
    }
    ZQInputScript input;
    std::string error;
    if (!arguments.script.empty() && !input.load(arguments.script, error)) {
        std::fprintf(stderr, "velmora-screens: %s\n", error.c_str());
        return 1;
    }
    // Before anything reads a store: the tutorial's last step writes both.
    const std::string stores = ScreenRun::useTemporaryStores();

    const ZQ::DeviceProfile& profile = ZQ::DeviceProfile::get();
    ZQEGLContext* egl =
        ZQEGLContext::sharedHeadless(static_cast<int>(ZQApplication::kFramePoints.x * profile.contentScale),
                                     static_cast<int>(ZQApplication::kFramePoints.y * profile.contentScale));
    if (egl == nullptr) {
        std::fprintf(stderr, "velmora-screens: no OpenGL ES 2.0 context: %s\n",
                     ZQEGLContext::sharedFailure().c_str());
        return 1;
    }
    ZQ::seedRandom(static_cast<uint64_t>(arguments.seed));
    int status = 0;
    {
        // The run is the master controller here: the game's own master, which
        // would start its own story in the first frame, is left out.
        ZQView view(*egl, ZQApplication::kFramePoints, profile.contentScale, profile,
                    &makeEngineModels<ZQPlainMaker>,
                    arguments.draw ? &makeRenderPasses<ZQPlainMaker> : &makeNoRenderPasses, &makeNoMaster);
        ScreenRun run(view, input, arguments.run);
        status = run.play(arguments.frames) ? 0 : 1;
    }
    ScreenRun::removeTemporaryStores(stores);
    return status;
}
