#include "GameProcess.h"

#include "game/MasterGameController.h"

#include <png.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <sstream>

GameRun runShell(const std::string& command) {
    GameRun run;
    const std::string both = "{ " + command + "; } 2>&1";
    FILE* pipe = popen(both.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        run.output += buffer;
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

GameRun runGame(const std::string& arguments) {
    return runShell(std::string("'") + VELMORA_EXECUTABLE + "' " + arguments);
}

bool readPng(const std::string& path, ZQImage& out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgba.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr) != 0;
}

std::string missingResourceLine(const std::string& output) {
    // The lines the readers log when a file of the bundle is missing or
    // unreadable: POD models, PVR textures, pictures, sound effects, music.
    static constexpr std::array<const char*, 5> kMarks = {
        "res==PVR_FAIL",
        "EPVRTError",
        "GLKTextureLoader",
        "ExtAudioFileOpenURL failed",
        "Error loading music file",
    };
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        for (const char* mark : kMarks) {
            if (line.find(mark) != std::string::npos) {
                return line;
            }
        }
    }
    return {};
}

bool readInputReport(const std::string& output, InputReport& report) {
    const std::size_t at = output.find("input handed to the game: ");
    if (at == std::string::npos) {
        return false;
    }
    InputReport r;
    const int read =
        std::sscanf(output.c_str() + at,
                    "input handed to the game: %ld began, %ld moved, %ld ended, %ld cancelled, "
                    "%ld taps, %ld double taps, %ld swipes.",
                    &r.began, &r.moved, &r.ended, &r.cancelled, &r.taps, &r.doubleTaps, &r.swipes);
    if (read != 7) {
        return false;
    }
    report = r;
    return true;
}

std::map<long, int32_t> readStateTrail(const std::string& output) {
    std::map<long, int32_t> trail;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        int32_t state = 0;
        char name[32] = {};
        long frame = 0;
        int end = 0;
        if (std::sscanf(line.c_str(), "state %d %31s at frame %ld%n", &state, name, &frame, &end) == 3 &&
            static_cast<std::size_t>(end) == line.size() &&
            std::strcmp(name, ZQ::MasterGameController::stateName(
                                  static_cast<ZQ::MasterGameController::State>(state))) == 0) {
            trail[frame] = state;
        }
    }
    return trail;
}
