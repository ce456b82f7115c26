#include "GameWindow.h"

#include "engine/PVRTVector.h"
#include "platform/ZQApplication.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace {

// A first frame takes the game's whole start: only a hang takes longer.
constexpr auto kStartPatience = std::chrono::minutes(5);

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
    if (!xvfb.start(width, height, environment, failure)) {
        return false;
    }
    const std::string command = std::string("exec '") + VELMORA_EXECUTABLE +
                                "' --report-input --print-frames " + arguments + " >'" +
                                folder.file("game.log") + "' 2>&1";
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    if (posix_spawnp(&game, "sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
        game = -1;
        failure = "cannot start the game";
        return false;
    }
    // The game draws its first frame once its window is up (SDL waits for
    // the window to be mapped): that, not a time, says the window is there.
    // However busy the machine, a first frame comes within minutes.
    const auto deadline = std::chrono::steady_clock::now() + kStartPatience;
    while (lastFrame() < 0) {
        if (!running() || std::chrono::steady_clock::now() >= deadline) {
            failure = running() ? "the game drew no frame in five minutes: it hangs: " + output()
                                : "the game ended before its first frame: " + output();
            return false;
        }
        rest(std::chrono::milliseconds(10));
    }
    // The game's window title is its name alone.
    const std::string found = outputOf("xdotool search --onlyvisible --name '^Velmora$'");
    windowId = found.substr(0, found.find('\n'));
    if (windowId.empty()) {
        failure = "the game draws, and no window named Velmora shows";
        return false;
    }
    // The frames after the focus say the game has read it. The window's
    // place (centred) and size were set as SDL made it, before any frame.
    if (!step("windowfocus --sync " + windowId)) {
        failure = "the game did not take the focus and draw: " + TempFolder::read(folder.file("game.log"));
        return false;
    }
    const std::string geometry = outputOf("xdotool getwindowgeometry --shell " + windowId);
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    const std::size_t at = geometry.find("\nX=");
    if (at == std::string::npos ||
        std::sscanf(geometry.c_str() + at, "\nX=%d\nY=%d\nWIDTH=%d\nHEIGHT=%d", &x, &y, &w, &h) != 4 ||
        w <= 0 || h <= 0) {
        failure = "the window's place and size cannot be read: " + geometry;
        return false;
    }
    window = PVRTVec2(static_cast<float>(w), static_cast<float>(h));
    windowPlace = PVRTVec2(static_cast<float>(x), static_cast<float>(y));
    return true;
}

long GameWindow::lastFrame() const {
    // The game's log also holds its messages: the frames are the lines
    // that are a number alone.
    const std::string log = TempFolder::read(folder.file("game.log"));
    long last = -1;
    std::size_t line = 0;
    while (line < log.size()) {
        std::size_t end = log.find('\n', line);
        if (end == std::string::npos) {
            break; // a line still being written
        }
        const std::string text = log.substr(line, end - line);
        if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
            last = std::stol(text);
        }
        line = end + 1;
    }
    return last;
}

bool GameWindow::framesAfter(long frame, long count) {
    // Patience for each frame, not for all of them: a slow machine draws
    // slowly, a stopped game not at all.
    auto deadline = std::chrono::steady_clock::now() + framePatience;
    for (long seen = lastFrame(); seen < frame + count;) {
        if (!running()) {
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            reportNoFrames(seen);
            return false;
        }
        rest(std::chrono::milliseconds(10));
        const long now = lastFrame();
        if (now > seen) {
            seen = now;
            deadline = std::chrono::steady_clock::now() + framePatience;
        }
    }
    return true;
}

bool GameWindow::waitFrames(long count) {
    return framesAfter(lastFrame(), count);
}

std::string GameWindow::output() const {
    return TempFolder::read(folder.file("game.log"));
}

long GameWindow::frameOfLine(const std::string& text) const {
    const std::string log = "\n" + output();
    const std::string wanted = "\n" + text + " at frame ";
    const std::size_t at = log.find(wanted);
    // A line still being written has no end yet, and maybe not all its digits.
    if (at == std::string::npos || log.find('\n', at + 1) == std::string::npos) {
        return -1;
    }
    return std::strtol(log.c_str() + at + wanted.size(), nullptr, 10);
}

long GameWindow::waitForLine(const std::string& text, long frames) {
    const long last = lastFrame() + frames;
    auto deadline = std::chrono::steady_clock::now() + framePatience;
    for (long seen = lastFrame();;) {
        const long found = frameOfLine(text);
        if (found >= 0) {
            return found;
        }
        if (seen >= last || !running()) {
            return -1;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            reportNoFrames(seen);
            return -1;
        }
        rest(std::chrono::milliseconds(10));
        const long now = lastFrame();
        if (now > seen) {
            seen = now;
            deadline = std::chrono::steady_clock::now() + framePatience;
        }
    }
}

void GameWindow::reportNoFrames(long seen) const {
    ADD_FAILURE() << "the game drew no frame for " << framePatience.count() << " s after frame " << seen
                  << ": it hangs, or its window lost the focus";
}

bool GameWindow::step(const std::string& arguments) {
    const long frame = lastFrame();
    return xdotool(arguments) && framesAfter(frame);
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
    return step("mousemove --window " + windowId + " " + pixel(at.x) + " " + pixel(at.y));
}

bool GameWindow::press(PVRTVec2 point) {
    return moveTo(point) && step("mousedown 1");
}

bool GameWindow::release() {
    return step("mouseup 1");
}

bool GameWindow::tap(PVRTVec2 point) {
    // Down and up within one frame or two: a tap, not a hold.
    return moveTo(point) && step("click 1");
}

bool GameWindow::key(const std::string& name) {
    return step("key " + name);
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

bool GameWindow::flick(PVRTVec2 from, PVRTVec2 to, int steps) {
    if (!moveTo(from)) {
        return false;
    }
    std::string stroke = "mousedown 1";
    for (int i = 1; i <= steps; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(steps);
        const PVRTVec2 at = windowPixel(from + (to - from) * t);
        stroke += " sleep 0.02 mousemove --window " + windowId + " " + pixel(at.x) + " " + pixel(at.y);
    }
    return step(stroke + " sleep 0.02 mouseup 1");
}

bool GameWindow::readWindow(ZQImage& image) const {
    ZQImage screen;
    if (!readScreen(screen)) {
        return false;
    }
    const int left = static_cast<int>(windowPlace.x);
    const int top = static_cast<int>(windowPlace.y);
    const int width = static_cast<int>(window.x);
    const int height = static_cast<int>(window.y);
    if (left < 0 || top < 0 || left + width > screen.width || top + height > screen.height) {
        return false;
    }
    image.width = width;
    image.height = height;
    image.rgba.clear();
    for (int y = top; y < top + height; ++y) {
        const auto row = screen.rgba.begin() + (static_cast<std::ptrdiff_t>(y) * screen.width + left) * 4;
        image.rgba.insert(image.rgba.end(), row, row + static_cast<std::ptrdiff_t>(width) * 4);
    }
    return true;
}

bool GameWindow::leaveWindow() {
    // The root window stands for the desktop. The game's frames stop once
    // it reads the change, so there are none to wait for: the hand is away
    // a moment, and the game may read both changes together when slow.
    const std::string root = outputOf("xdotool search --maxdepth 0 '' 2>/dev/null");
    const bool done = !root.empty() && xdotool("windowfocus " + root.substr(0, root.find('\n')));
    rest(std::chrono::milliseconds(400));
    return done;
}

bool GameWindow::returnToWindow() {
    // Frames come only while the game is active, so the frames after this
    // say it has read the focus coming back.
    return step("windowfocus --sync " + windowId);
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
            ADD_FAILURE() << "the game did not end in " << patience.count() << " s after SIGTERM: it hangs";
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
