#include "XvfbDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

extern char** environ;

namespace {

bool onPath(const char* program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        return false;
    }
    std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = dirs.find(':', start);
        const std::string dir =
            dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return false;
}

uint32_t bigEndian(const unsigned char* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

// The value of `pixel` under `mask`, scaled to 0..255.
uint8_t channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) {
        return 0;
    }
    int shift = 0;
    while (((mask >> shift) & 1u) == 0) {
        ++shift;
    }
    const uint32_t max = mask >> shift;
    return static_cast<uint8_t>(((pixel & mask) >> shift) * 255u / max);
}

} // namespace

bool XvfbDisplay::installed() {
    return onPath("Xvfb");
}

bool XvfbDisplay::start(int width, int height, std::string& failure) {
    char directory[] = "/tmp/velmora-xvfb-XXXXXX";
    if (mkdtemp(directory) == nullptr) {
        failure = "cannot make a directory for the screen file";
        return false;
    }
    screenDirectory = directory;
    int ready[2];
    if (pipe(ready) != 0) {
        failure = "cannot make a pipe for -displayfd";
        return false;
    }
    const std::string fd = std::to_string(ready[1]);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const char* argv[] = {"Xvfb",      "-displayfd", fd.c_str(), "-screen", "0",    screen.c_str(),
                          "-nolisten", "tcp",        "-fbdir",   directory, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, ready[0]);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned =
        posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ready[1]);
    if (spawned != 0) {
        pid = -1;
        close(ready[0]);
        failure = std::string("cannot start Xvfb: ") + std::strerror(spawned);
        return false;
    }
    // Xvfb writes its display number and a newline once it accepts clients,
    // or ends, which ends the pipe. However busy the machine, it does one or
    // the other within minutes: only a hang waits longer.
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && poll(&wait, 1, 120000) > 0) {
        char buffer[16];
        const ssize_t got = read(ready[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        number.append(buffer, static_cast<std::size_t>(got));
    }
    close(ready[0]);
    if (number.find('\n') == std::string::npos) {
        failure = wait.revents == 0 ? "Xvfb reported no display in two minutes: it hangs"
                                    : "Xvfb ended without reporting a display";
        return false;
    }
    display = ":" + number.substr(0, number.find('\n'));
    return true;
}

XvfbDisplay::~XvfbDisplay() {
    if (pid > 0) {
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
    }
    if (!screenDirectory.empty()) {
        std::remove((screenDirectory + "/Xvfb_screen0").c_str());
        rmdir(screenDirectory.c_str());
    }
}

bool XvfbDisplay::readScreen(ZQImage& image) const {
    // The screen file is an XWD image: a header of big-endian 32-bit fields,
    // the colour map, then the pixel rows.
    std::ifstream in(screenDirectory + "/Xvfb_screen0", std::ios::binary);
    const std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    if (file.size() < 100) {
        return false;
    }
    auto field = [&](int index) { return bigEndian(&file[static_cast<std::size_t>(index) * 4]); };
    const uint32_t headerSize = field(0);
    const uint32_t width = field(4);
    const uint32_t height = field(5);
    const uint32_t lsbFirst = field(7) == 0;
    const uint32_t bitsPerPixel = field(11);
    const uint32_t bytesPerLine = field(12);
    const uint32_t masks[3] = {field(14), field(15), field(16)};
    const uint32_t colours = field(19);
    const std::size_t pixels = headerSize + static_cast<std::size_t>(colours) * 12;
    if (bitsPerPixel != 32 || pixels + static_cast<std::size_t>(bytesPerLine) * height > file.size()) {
        return false;
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.rgba.clear();
    image.rgba.reserve(static_cast<std::size_t>(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const unsigned char* p = &file[pixels + y * bytesPerLine + x * 4];
            const uint32_t value = lsbFirst ? (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) |
                                                  (uint32_t{p[1]} << 8) | uint32_t{p[0]}
                                            : bigEndian(p);
            image.rgba.insert(image.rgba.end(), {channel(value, masks[0]), channel(value, masks[1]),
                                                 channel(value, masks[2]), 255});
        }
    }
    return true;
}

long XvfbDisplay::countPixels(std::array<uint8_t, 3> rgb) const {
    ZQImage screen;
    if (!readScreen(screen)) {
        return -1;
    }
    long count = 0;
    for (std::size_t i = 0; i < screen.rgba.size(); i += 4) {
        if (screen.rgba[i] == rgb[0] && screen.rgba[i + 1] == rgb[1] && screen.rgba[i + 2] == rgb[2]) {
            ++count;
        }
    }
    return count;
}
