#include "engine/Assert.h"
#include "engine/PngName.h"
#include "engine/WritableFile.h"
#include "platform/ZQApplication.h"
#include "platform/ZQStandardError.h"
#include "texts/usage_txt.h"

#include <charconv>
#include <cinttypes>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

namespace {

// The text scripts/play prints for --help too, with no build to ask: the
// headless frame count is filled in here, from the constant the run uses.
void printUsage(std::FILE* out) {
    std::string text = ZQ::Texts::usage_txt;
    const std::string_view field = "@kHeadlessFrames@";
    const std::size_t at = text.find(field);
    ZQ_ASSERT(at != std::string::npos);
    text.replace(at, field.size(), std::to_string(ZQApplication::kHeadlessFrames));
    std::fputs(text.c_str(), out);
}

// The value after option i, or null (with a message) when there is none.
const char* valueOf(int argc, char** argv, int& i) {
    if (i + 1 >= argc) {
        ZQStandardError::say("%s needs a value", argv[i]);
        return nullptr;
    }
    return argv[++i];
}

// A plain whole number from `low` to `high`: digits alone, so that a sign, a
// space or a value past the range is refused rather than read as another
// number (" -1" would otherwise wrap round to the largest seed).
template <class Number> bool readWhole(std::string_view text, Number low, Number high, Number& out) {
    if (text.empty() || text[0] < '0' || text[0] > '9') {
        return false;
    }
    Number value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

// Why a PNG cannot be written at `path` now, or nothing when it can: asked
// before the first frame, so that a mistyped name or folder does not cost the
// run.
std::string whyNoPictureAt(const std::string& path) {
    const std::string why = ZQ::whyNoPngName(path);
    return why.empty() ? ZQ::whyUnwritable(path) : why;
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
            if (!readWhole<uint64_t>(value, 0, std::numeric_limits<uint64_t>::max(), launch.seed)) {
                ZQStandardError::say("--seed needs a whole number from 0 to %" PRIu64 ", not \"%s\"",
                                     std::numeric_limits<uint64_t>::max(), value);
                return false;
            }
            launch.seeded = true;
        } else if (std::strcmp(option, "--frames") == 0) {
            const char* value = valueOf(argc, argv, i);
            if (value == nullptr) {
                return false;
            }
            // The game counts its frames in 32 bits.
            if (!readWhole<long>(value, 1, INT32_MAX, launch.frames)) {
                ZQStandardError::say("--frames needs a whole number of frames from 1 to %d, not \"%s\"",
                                     INT32_MAX, value);
                return false;
            }
        } else if (std::strcmp(option, "--shot") == 0) {
            const char* value = valueOf(argc, argv, i);
            if (value == nullptr) {
                return false;
            }
            const char* colon = std::strchr(value, ':');
            ZQShot shot;
            if (colon == nullptr || colon[1] == '\0' ||
                !readWhole<long>(std::string_view(value, colon - value), 0, LONG_MAX, shot.frame)) {
                ZQStandardError::say("--shot needs FRAME:FILE.png with FRAME 0 or more, not \"%s\"", value);
                return false;
            }
            shot.path = colon + 1;
            launch.shots.push_back(shot);
        } else if (std::strcmp(option, "--screenshot") == 0 || std::strcmp(option, "--input") == 0) {
            const char* value = valueOf(argc, argv, i);
            if (value == nullptr) {
                return false;
            }
            // An empty name would quietly mean no file at all.
            if (value[0] == '\0') {
                ZQStandardError::say("%s needs a file name, not an empty one", option);
                return false;
            }
            (option[2] == 's' ? launch.screenshot : launch.input) = value;
        } else if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0) {
            printUsage(stdout);
            status = 0;
            return false;
        } else {
            ZQStandardError::say("unknown option \"%s\"", option);
            printUsage(stderr);
            return false;
        }
    }
    if (!launch.headless && (!launch.screenshot.empty() || !launch.shots.empty() || !launch.input.empty() ||
                             launch.realtime || launch.drawShotsOnly)) {
        ZQStandardError::say(
            "--screenshot, --shot, --input, --realtime and --draw-shots-only go with --headless");
        return false;
    }
    // A shot past the last frame would never be written, and a picture
    // whose folder cannot take it would fail only once every frame has run.
    const long frames = launch.frames < 0 ? ZQApplication::kHeadlessFrames : launch.frames;
    for (const ZQShot& shot : launch.shots) {
        if (shot.frame >= frames) {
            ZQStandardError::say("--shot %ld:%s comes after the last frame, %ld (--frames %ld draws frames 0 "
                                 "to %ld)",
                                 shot.frame, shot.path.c_str(), frames - 1, frames, frames - 1);
            return false;
        }
        if (const std::string why = whyNoPictureAt(shot.path); !why.empty()) {
            ZQStandardError::say("--shot %ld:%s cannot be written: %s", shot.frame, shot.path.c_str(),
                                 why.c_str());
            return false;
        }
    }
    const std::string why = launch.screenshot.empty() ? std::string() : whyNoPictureAt(launch.screenshot);
    if (!why.empty()) {
        ZQStandardError::say("--screenshot %s cannot be written: %s", launch.screenshot.c_str(), why.c_str());
        return false;
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
