#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/Log.h"
#include "engine/SoundGateway.h"
#include "platform/OpenALSoundGateway.h"
#include "platform/ZQEGLContext.h"
#include "render/Render.h"
#include "render/RenderTargets.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

// The phone screen the game is laid out for; a window shrinks it to fit the
// display, keeping its aspect.
constexpr int kScreenWidth = 750;
constexpr int kScreenHeight = 1334;
// A headless run has no window to close: it stops after this many frames
// unless told otherwise.
constexpr long kHeadlessFrames = 300;

struct Launch {
    bool headless = false;
    long frames = -1; // -1: until the window is closed
};

void printUsage(std::FILE* out) {
    std::fprintf(
        out,
        "usage: velmora [--headless] [--frames N]\n"
        "  --headless   draw without a window or display (EGL surfaceless); %ld frames unless --frames\n"
        "  --frames N   stop after N frames\n",
        kHeadlessFrames);
}

// False on a command line it cannot use; `status` is then the exit status.
bool parse(int argc, char** argv, Launch& launch, int& status) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0) {
            launch.headless = true;
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            char* end = nullptr;
            launch.frames = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || launch.frames < 0) {
                std::fprintf(stderr, "velmora: --frames needs a whole number of frames, not \"%s\"\n",
                             argv[i]);
                status = 2;
                return false;
            }
        } else if (std::strcmp(argv[i], "--help") == 0) {
            printUsage(stdout);
            status = 0;
            return false;
        } else {
            std::fprintf(stderr, "velmora: unknown option \"%s\"\n", argv[i]);
            printUsage(stderr);
            status = 2;
            return false;
        }
    }
    if (launch.headless && launch.frames < 0) {
        launch.frames = kHeadlessFrames;
    }
    return true;
}

// One frame: game logic, sound, then drawing, then the picture on screen.
void runFrame(ZQEGLContext& context, const ZQ::RenderTargets& targets) {
    ZQ::gGlobals.stepFrame();
    ZQ::SoundGateway::instance()->doStep();
    ZQ::renderFrame(targets, {});
    context.presentRenderbuffer();
}

} // namespace

int main(int argc, char** argv) {
    Launch launch;
    int status = 0;
    if (!parse(argc, argv, launch, status)) {
        return status;
    }

    // Without an OpenGL ES 2.0 context there is nothing to draw with: stop
    // before anything of the engine is built.
    ZQEGLContext::Options options;
    options.surface = launch.headless ? ZQEGLContext::Surface::Headless : ZQEGLContext::Surface::Window;
    options.width = kScreenWidth;
    options.height = kScreenHeight;
    ZQEGLContext::configure(options);
    ZQEGLContext* context = ZQEGLContext::sharedEGLContext();
    if (context == nullptr) {
        ZQ::platformLog("No OpenGL ES 2.0 context, so the game cannot start: %s",
                        ZQEGLContext::sharedFailure().c_str());
        return 1;
    }

    const int width = context->drawableWidth();
    const int height = context->drawableHeight();
    ZQ::gGlobals.setScreenSize(static_cast<float>(width), static_cast<float>(height));
    const ZQ::DeviceProfile& profile = ZQ::DeviceProfile::get();
    ZQ::RenderTargets targets;
    targets.create(static_cast<float>(width), static_cast<float>(height), profile);
    context->setUpLayer();
    ZQ::OpenALSoundGateway::install();
    ZQ::SoundGateway::instance()->setUp();
    targets.setUp();
    ZQ::setUpRenderPasses();

    // 60 Hz display ticks per frame, as the display link counts them.
    const auto period = std::chrono::microseconds(1000000 * profile.frameInterval / 60);
    auto next = std::chrono::steady_clock::now();
    for (long frame = 0; launch.frames < 0 || frame < launch.frames; ++frame) {
        if (!context->pumpEvents()) {
            break;
        }
        runFrame(*context, targets);
        if (!launch.headless) {
            // A late frame moves the schedule rather than rushing the next ones.
            next = std::max(next + period, std::chrono::steady_clock::now());
            std::this_thread::sleep_until(next);
        }
    }

    ZQ::tearDownRenderPasses();
    targets.tearDown();
    ZQ::SoundGateway::instance()->tearDown();
    std::printf("Velmora: %d frames drawn %s at %d x %d. The room, cords and game flow are not drawn yet.\n",
                ZQ::gGlobals.frameCount, launch.headless ? "headless" : "in a window", width, height);
    return 0;
}
