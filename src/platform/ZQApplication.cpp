#include "platform/ZQApplication.h"

#include "engine/Bundle.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/Log.h"
#include "engine/Random.h"
#include "engine/SocialGateway.h"
#include "engine/StoreLocations.h"
#include "game/AwardController.h"
#include "game/CloudMerge.h"
#include "game/GameServiceGateway.h"
#include "game/MasterGameController.h"
#include "game/TutorialController.h"
#include "game/TutorialNode.h"
#include "levels/LevelCatalogueTables.h"
#include "platform/OpenALSoundGateway.h"
#include "platform/ZQAppDelegate.h"
#include "platform/ZQBundleCheck.h"
#include "platform/ZQDataFolderLock.h"
#include "platform/ZQDialogPresenter.h"
#include "platform/ZQEGLContext.h"
#include "platform/ZQFailureNotice.h"
#include "platform/ZQFlowLines.h"
#include "platform/ZQGameCenterGateway.h"
#include "platform/ZQInputScript.h"
#include "platform/ZQRootController.h"
#include "platform/ZQSnapshot.h"
#include "platform/ZQSocialGateway.h"
#include "platform/ZQStandardError.h"
#include "platform/ZQStopSignals.h"
#include "platform/ZQUnsavedReport.h"
#include "platform/ZQView.h"
#include "platform/ZQWindowEvents.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>

void ZQAppDelegate::applicationWillResignActive() {
    view.moveToInactive();
}

void ZQAppDelegate::applicationDidBecomeActive() {
    view.moveToActive();
}

void ZQAppDelegate::applicationDidEnterBackground() {
    view.runGc();
}

void ZQAppDelegate::applicationWillEnterForeground() {
    view.moveToForeground();
}

namespace ZQApplication {

namespace {

using Clock = ZQDisplayLink::Clock;

// While inactive nothing is drawn; the loop still wakes now and then to see
// whether it should stop.
constexpr int kIdleWaitMilliseconds = 100;

// Milliseconds until `due`, rounded up so that a wait never ends early and
// turns into polling.
int millisecondsUntil(Clock::time_point due, Clock::time_point now) {
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(due - now).count();
    return static_cast<int>(std::max<long long>(wait, 1));
}

// The frame drawn last, read back from the target where presenting leaves
// it (headless). Never the game's own snapshot: the game takes and clears
// that for its sharing, whatever frame a shot asks for.
bool writeScreenshot(const std::string& path) {
    const ZQImage image = readSnapshot();
    std::string error;
    if (image.rgba.empty() || !writePng(path, image, error)) {
        ZQStandardError::say("no screenshot: %s", image.rgba.empty() ? "no frame was drawn" : error.c_str());
        return false;
    }
    return true;
}

// Events the headless loop never reaches: those a frame after the last, N - 1
// of --frames N, would be the first to show. Said before the first frame:
// playing part of a script is a fair use, but a forgotten --frames should
// not pass unseen.
void noteUnplayedInput(const ZQInputScript& input, const std::string& path, long frames) {
    const std::vector<ZQInputScript::Event>& events = input.events();
    const auto first =
        std::partition_point(events.begin(), events.end(), [frames](const ZQInputScript::Event& e) {
            return ZQInputScript::frameShowing(e.frame) < frames;
        });
    if (first == events.end()) {
        return;
    }
    ZQStandardError::say("%td of the %zu events in '%s' will not be played: the first of them, at frame %d, "
                         "is due after the last frame, %ld (--frames %ld draws frames 0 to %ld)",
                         events.end() - first, events.size(), path.c_str(), first->frame, frames - 1, frames,
                         frames - 1);
}

// Why the stores the game needs can keep nothing, each named by its file:
// all at once, so that one start names all the player has to mend.
std::vector<ZQ::Refusal> storesRefusals() {
    std::vector<ZQ::Refusal> refusals;
    for (const ZQ::KeyValueStore* store : gameStores()) {
        if (std::optional<ZQ::Refusal> refusal = store->refusal(); refusal && store->needed()) {
            refusals.push_back(std::move(*refusal));
        }
    }
    return refusals;
}

} // namespace

std::vector<ZQ::KeyValueStore*> gameStores() {
    return {&ZQ::userDefaults(), &ZQ::cloudStore(),
            &ZQGameCenterGateway::sharedInstance()->leaderboards().file()};
}

int32_t frameNumber() {
    return ZQ::gGlobals.frameCount - 1;
}

void runWindowLoop(ZQView& view, ZQWindowEvents& events, const std::function<bool()>& keepGoing,
                   const std::function<void()>& afterFrame) {
    ZQDisplayLink& link = view.displayLink();
    SDL_Event event;
    for (bool open = true; open;) {
        const Clock::time_point now = Clock::now();
        if (view.isAnimating() && now >= link.due()) {
            if (!keepGoing()) {
                return;
            }
            view.drawView();
            link.fired(Clock::now());
            if (afterFrame) {
                afterFrame();
            }
            while (open && SDL_PollEvent(&event) != 0) {
                open = events.handle(event);
            }
            continue;
        }
        if (!view.isAnimating() && !keepGoing()) {
            return;
        }
        const int wait = view.isAnimating() ? millisecondsUntil(link.due(), now) : kIdleWaitMilliseconds;
        if (SDL_WaitEventTimeout(&event, wait) != 0) {
            open = events.handle(event);
        }
    }
}

void runHeadlessLoop(ZQView& view, ZQInputScript& input, long frames, bool realtime,
                     const std::function<void()>& afterFrame,
                     const std::function<bool(long frame)>& renders) {
    ZQDisplayLink& link = view.displayLink();
    const double secondsPerFrame = std::chrono::duration<double>(link.period()).count();
    const float touchRadius = view.deviceProfile().touchRadius;
    // The view drew frame 0 while it was built.
    for (long frame = 1; frame < frames; ++frame) {
        input.deliver(view, static_cast<int32_t>(frame), secondsPerFrame, touchRadius);
        if (realtime && view.isAnimating()) {
            std::this_thread::sleep_until(link.due());
        }
        // A signal's request to stop makes this frame the last.
        const bool last = frame + 1 == frames || ZQStopSignals::received() != 0;
        if (!renders || last || renders(frame)) {
            view.drawView();
        } else {
            view.stepView();
        }
        link.fired(Clock::now());
        if (afterFrame) {
            afterFrame();
        }
        if (last) {
            break;
        }
    }
}

int run(const ZQLaunch& launch) {
    const ZQ::DeviceProfile& profile = ZQ::DeviceProfile::get();
    const float scale = profile.contentScale;
    // Every start the game cannot make is said through this one notice.
    ZQMessageBoxPresenter failureBoxes;
    const ZQFailureNotice notice(!launch.headless, failureBoxes);
    // Which bundle is read, and whether it can be played from, before
    // anything reads it.
    const char* variable = std::getenv("VELMORA_BUNDLE");
    const bool named = variable != nullptr && variable[0] != '\0';
    ZQ::logMessage(ZQ::LogLevel::Info, "Bundle folder: %s%s", ZQ::bundleFolder().c_str(),
                   named ? " (from VELMORA_BUNDLE)" : "");
    if (const std::optional<ZQ::Refusal> refusal =
            ZQBundleCheck::check(ZQ::bundleFolder(), ZQ::bundleOrigin(), profile.captionScale)) {
        return notice.refuse({*refusal});
    }
    ZQInputScript input;
    std::string error;
    if (!launch.input.empty() && !input.load(launch.input, error)) {
        return notice.refuse({ZQ::Refusal{"", error, {}}});
    }
    const long frames = launch.frames < 0 ? kHeadlessFrames : launch.frames;
    if (launch.headless) {
        noteUnplayedInput(input, launch.input, frames);
    }

    // Before a window opens or the stores are read: a second game on the
    // folder would write the older record it holds over this one's.
    auto lock = std::make_unique<ZQDataFolderLock>(ZQ::dataFolder(), ZQ::openedDataFolder());
    if (lock->refused()) {
        return notice.refuse({*lock->refusal});
    }
    // A data folder replaced while the game runs (a backup restored, a sync
    // tool's swap) is taken as this start took it before a store writes in
    // it: another game may have started on it meanwhile.
    ZQ::guardDataFolder([&lock](const ZQ::OwnedFolder::Handle& folder) -> std::optional<ZQ::Refusal> {
        auto taken = std::make_unique<ZQDataFolderLock>(ZQ::dataFolder(), folder);
        if (taken->refused()) {
            return taken->refusal;
        }
        lock = std::move(taken);
        return std::nullopt;
    });
    const struct Unguard {
        ~Unguard() { ZQ::guardDataFolder(nullptr); }
    } unguard;
    // A refusal from here on lets go of the folder first: a box left open
    // would otherwise turn the player's next start away as another game.
    const auto refuseHeld = [&](const std::vector<ZQ::Refusal>& refusals) {
        lock.reset();
        return notice.refuse(refusals);
    };
    // A store the game may not use would lose the whole run's progress: the
    // game stops before its first frame. The cloud copy is optional, and a
    // refused one only logs (the store itself does).
    if (const std::vector<ZQ::Refusal> refusals = storesRefusals(); !refusals.empty()) {
        return refuseHeld(refusals);
    }

    // Without an OpenGL ES 2.0 context there is nothing to draw with: stop
    // before anything of the engine is built.
    ZQEGLContext::Options options;
    options.surface = launch.headless ? ZQEGLContext::Surface::Headless : ZQEGLContext::Surface::Window;
    options.width = static_cast<int>(kFramePoints.x * scale);
    options.height = static_cast<int>(kFramePoints.y * scale);
    ZQEGLContext::configure(options);
    ZQEGLContext* context = ZQEGLContext::sharedEGLContext();
    if (context == nullptr) {
        ZQ::Refusal refusal{
            "no OpenGL ES 2.0 context, so the game cannot start", ZQEGLContext::sharedFailure(), {}};
        if (!launch.headless) {
            refusal.mends.push_back({"to play without a display", "velmora --headless"});
        }
        return refuseHeld({refusal});
    }

    // From here on the stores may be written: a headless run asked to stop
    // ends as at its last frame (a window's SDL does the same for it).
    std::optional<ZQStopSignals> stopSignals;
    if (launch.headless) {
        stopSignals.emplace();
    }
    // The game plays through OpenAL; without a sound device the gateway runs
    // silent, so this never stops the game.
    ZQ::OpenALSoundGateway::install();
    if (launch.seeded) {
        ZQ::seedRandom(launch.seed);
    }
    // Progress made on another machine comes in through the cloud folder:
    // merged once now, then checked every few seconds of play.
    ZQ::CloudMerge cloudMerge(ZQ::userDefaults(), ZQ::cloudStore(), ZQ::LevelCatalogue::kLevelCount);
    cloudMerge.start();
    int status = 0;
    {
        ZQView view(*context, kFramePoints, scale, profile);
        view.setCloudMerge(&cloudMerge);
        // Dialogs over the game: message boxes in the window, the log headless.
        ZQMessageBoxPresenter messageBoxes;
        ZQLogPresenter logLines;
        ZQRootController root(view,
                              launch.headless ? static_cast<ZQDialogPresenter&>(logLines) : messageBoxes);
        ZQRootController::setCurrent(&root);
        ZQ::GameServiceGateway::setInstance(ZQGameCenterGateway::sharedInstance());
        ZQ::SocialGateway::setInstance(ZQSocialGateway::sharedInstance());
        view.setGameCenter(ZQGameCenterGateway::sharedInstance());
        ZQAppDelegate delegate(view);
        // The application is active once launched; the window system tells
        // of every change after that.
        delegate.applicationDidBecomeActive();
        // A test that stops the game at a frame, waits for the game to have
        // handled what it sent, or follows the game's flow reads these;
        // flushed, as the process may end by a kill at any moment.
        std::string shownState;
        std::string shownAward;
        std::string shownStep;
        const auto printState = [&] {
            const auto* master = dynamic_cast<const ZQ::MasterGameController*>(ZQ::gGlobals.masterController);
            if (!launch.printStates || master == nullptr) {
                return;
            }
            bool printed = false;
            const auto show = [&](std::string& shown, const std::string& now) {
                if (now != shown) {
                    shown = now;
                    if (!now.empty()) {
                        std::puts(ZQFlowLines::atFrame(now, frameNumber()).c_str());
                        printed = true;
                    }
                }
            };
            show(shownState, ZQFlowLines::masterState(master->state));
            // The award's states while it runs: a hand waits for its buttons.
            const auto* award =
                dynamic_cast<const ZQ::AwardController*>(master->controller(ZQ::ControllerRole::Award));
            show(shownAward, award != nullptr && master->active == award
                                 ? ZQFlowLines::awardState(award->state)
                                 : std::string());
            // The tutorial's lessons wait for their gesture: a hand that
            // plays them waits for the step to run before it makes it.
            const auto* tutorial =
                dynamic_cast<const ZQ::TutorialController*>(master->controller(ZQ::ControllerRole::Tutorial));
            const ZQ::TutorialNode* node = tutorial != nullptr ? tutorial->currentNode : nullptr;
            show(shownStep, node != nullptr ? "step " + node->name() + " " + std::to_string(node->status)
                                            : std::string());
            if (printed) {
                std::fflush(stdout);
            }
        };
        const auto printFrame = [&] {
            printState();
            if (launch.printFrames) {
                std::printf("%d\n", frameNumber());
                std::fflush(stdout);
            }
        };
        printFrame(); // frame 0, drawn while the view was built
        if (launch.headless) {
            // Each shot is written once its frame is drawn; a shot that
            // cannot be written fails the run, which goes on regardless.
            const auto writeShots = [&] {
                for (const ZQShot& shot : launch.shots) {
                    if (shot.frame == frameNumber() && !writeScreenshot(shot.path)) {
                        status = 1;
                    }
                }
            };
            writeShots();
            const auto afterFrame = [&] {
                printFrame();
                writeShots();
            };
            const auto isShot = [&](long frame) {
                return std::any_of(launch.shots.begin(), launch.shots.end(),
                                   [frame](const ZQShot& shot) { return shot.frame == frame; });
            };
            runHeadlessLoop(view, input, frames, launch.realtime, afterFrame,
                            launch.drawShotsOnly ? std::function<bool(long)>(isShot) : nullptr);
            if (const int signal = ZQStopSignals::received()) {
                const bool shotsLeft =
                    std::any_of(launch.shots.begin(), launch.shots.end(),
                                [&](const ZQShot& shot) { return shot.frame > frameNumber(); });
                ZQStandardError::say("%s: the run ends at frame %d%s",
                                     signal == SIGINT ? "SIGINT" : "SIGTERM", frameNumber(),
                                     shotsLeft ? "; the shots of later frames are not written" : "");
            }
            if (!launch.screenshot.empty() && !writeScreenshot(launch.screenshot)) {
                status = 1;
            }
        } else {
            ZQWindowEvents events(view, delegate, *context, kFramePoints);
            const int32_t start = ZQ::gGlobals.frameCount - 1;
            runWindowLoop(
                view, events,
                [&] { return launch.frames < 0 || ZQ::gGlobals.frameCount - start < launch.frames; },
                printFrame);
        }
        const PVRTVec2 size = view.screenSize();
        if (launch.headless) {
            std::printf("Velmora: %d frames drawn headless at %d x %d.\n", ZQ::gGlobals.frameCount,
                        static_cast<int>(size.x), static_cast<int>(size.y));
        } else {
            std::printf("Velmora: %d frames drawn at %d x %d in a window of %d x %d.\n",
                        ZQ::gGlobals.frameCount, static_cast<int>(size.x), static_cast<int>(size.y),
                        context->drawableWidth(), context->drawableHeight());
        }
        if (launch.reportInput) {
            const ZQView::InputTally& t = view.inputTally();
            std::printf("Velmora: input handed to the game: %ld began, %ld moved, %ld ended, %ld cancelled, "
                        "%ld taps, %ld double taps, %ld swipes.\n",
                        t.began, t.moved, t.ended, t.cancelled, t.taps, t.doubleTaps, t.swipes);
        }
        // Progress the game could not save is lost when the process ends:
        // said before the window goes, in a box over it that tries again
        // while the player mends it, and failing the run once they quit
        // without saving. Headless the line on standard error says it all.
        if (ZQUnsavedReport::endSession(gameStores(), launch.headless ? nullptr : &messageBoxes) != 0) {
            status = 1;
        }
        // The window goes: nothing may present over it or snapshot it now.
        view.setGameCenter(nullptr);
        ZQ::SocialGateway::setInstance(nullptr);
        ZQ::GameServiceGateway::setInstance(nullptr);
        ZQRootController::setCurrent(nullptr);
    }
    return status;
}

} // namespace ZQApplication
