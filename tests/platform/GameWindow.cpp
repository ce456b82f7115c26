#include "GameWindow.h"

#include "engine/PVRTVector.h"
#include "platform/ZQApplication.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace {

// What `command` prints on its standard output (sh), or nothing.
std::string outputOf(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return out;
    }
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        out += buffer;
    }
    pclose(pipe);
    return out;
}

std::string pixel(float value) {
    return std::to_string(static_cast<int>(value + 0.5f));
}

} // namespace

std::string GameWindow::missingTools() {
    if (!XvfbDisplay::installed()) {
        return "Xvfb is not installed (apt-get install xvfb)";
    }
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0) {
        return "xdotool is not installed (apt-get install xdotool)";
    }
    return {};
}

bool GameWindow::start(const std::string& arguments, std::string& failure, int width, int height) {
    if (!folder.ok()) {
        failure = "cannot make a folder for the game's log";
        return false;
    }
    if (!xvfb.start(width, height, failure)) {
        return false;
    }
    environment.set("DISPLAY", xvfb.name());
    environment.unset("WAYLAND_DISPLAY");
    environment.set("SDL_VIDEODRIVER", "x11");
    const std::string command = std::string("exec '") + VELMORA_EXECUTABLE + "' --report-input " + arguments +
                                " >'" + folder.file("game.log") + "' 2>&1";
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    if (posix_spawnp(&game, "sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
        game = -1;
        failure = "cannot start the game";
        return false;
    }
    // The game's window title is its name alone.
    const std::string found = outputOf("timeout 30 xdotool search --sync --onlyvisible --name '^Velmora$'");
    windowId = found.substr(0, found.find('\n'));
    if (windowId.empty()) {
        failure = "the game's window did not appear within 30 s";
        return false;
    }
    // The window is placed (centred) after it first shows: a pointer moved
    // before then misses it. Wait until its place and size hold still.
    std::string geometry;
    std::string previous;
    for (int tries = 0; tries < 40 && (geometry.empty() || geometry != previous); ++tries) {
        previous = geometry;
        rest(std::chrono::milliseconds(250));
        geometry = outputOf("xdotool getwindowgeometry --shell " + windowId);
    }
    int w = 0;
    int h = 0;
    const std::size_t at = geometry.find("WIDTH=");
    if (geometry != previous || at == std::string::npos ||
        std::sscanf(geometry.c_str() + at, "WIDTH=%d\nHEIGHT=%d", &w, &h) != 2 || w <= 0 || h <= 0) {
        failure = "the window's place and size did not settle: " + geometry;
        return false;
    }
    window = PVRTVec2(static_cast<float>(w), static_cast<float>(h));
    if (!xdotool("windowfocus --sync " + windowId)) {
        failure = "cannot give the game's window the focus";
        return false;
    }
    rest(stepPause);
    return true;
}

PVRTVec2 GameWindow::windowPixel(PVRTVec2 point) const {
    const PVRTVec2 frame = ZQApplication::kFramePoints;
    const float fit = std::min(window.x / frame.x, window.y / frame.y);
    const PVRTVec2 offset((window.x - frame.x * fit) * 0.5f, (window.y - frame.y * fit) * 0.5f);
    return offset + point * fit;
}

bool GameWindow::xdotool(const std::string& arguments) {
    return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

void GameWindow::rest(std::chrono::milliseconds pause) const {
    std::this_thread::sleep_for(pause);
}

bool GameWindow::moveTo(PVRTVec2 point) {
    const PVRTVec2 at = windowPixel(point);
    const bool done = xdotool("mousemove --window " + windowId + " " + pixel(at.x) + " " + pixel(at.y));
    rest(stepPause);
    return done;
}

bool GameWindow::press(PVRTVec2 point) {
    if (!moveTo(point)) {
        return false;
    }
    const bool done = xdotool("mousedown 1");
    rest(stepPause);
    return done;
}

bool GameWindow::release() {
    const bool done = xdotool("mouseup 1");
    rest(stepPause);
    return done;
}

bool GameWindow::tap(PVRTVec2 point) {
    if (!moveTo(point)) {
        return false;
    }
    // Down and up within one frame or two: a tap, not a hold.
    const bool done = xdotool("click 1");
    rest(stepPause);
    return done;
}

bool GameWindow::drag(PVRTVec2 from, PVRTVec2 to, int steps) {
    if (!press(from)) {
        return false;
    }
    for (int i = 1; i <= steps; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(steps);
        if (!moveTo(from + (to - from) * t)) {
            release();
            return false;
        }
    }
    return release();
}

bool GameWindow::leaveWindow() {
    // The root window stands for the desktop.
    const std::string root = outputOf("xdotool search --maxdepth 0 '' 2>/dev/null");
    const bool done = !root.empty() && xdotool("windowfocus " + root.substr(0, root.find('\n')));
    rest(stepPause);
    return done;
}

bool GameWindow::returnToWindow() {
    const bool done = xdotool("windowfocus --sync " + windowId);
    rest(stepPause);
    return done;
}

bool GameWindow::running() {
    if (game <= 0) {
        return false;
    }
    int status = 0;
    if (waitpid(game, &status, WNOHANG) == game) {
        exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        game = -1;
        return false;
    }
    return true;
}

GameRun GameWindow::stop(std::chrono::seconds patience) {
    if (running()) {
        kill(game, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (running() && std::chrono::steady_clock::now() < deadline) {
            rest(std::chrono::milliseconds(50));
        }
        if (running()) {
            kill(game, SIGKILL);
            waitpid(game, nullptr, 0);
            game = -1;
            exitStatus = -1;
        }
    }
    GameRun run;
    run.status = exitStatus;
    run.output = TempFolder::read(folder.file("game.log"));
    return run;
}

GameWindow::~GameWindow() {
    if (game > 0) {
        kill(game, SIGKILL);
        waitpid(game, nullptr, 0);
    }
}
