#include "GameDataFolder.h"
#include "GameProcess.h"
#include "XvfbDisplay.h"
#include "engine/Bundle.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A file name in a fresh folder of the test process's own, removed with it.
class TemporaryFile {
public:
    explicit TemporaryFile(const char* name) {
        std::string pattern = testing::TempDir() + "velmora-startup-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "cannot make " << pattern;
        }
        directory = pattern;
        path = directory + "/" + name;
    }
    ~TemporaryFile() {
        std::error_code error;
        std::filesystem::remove_all(directory, error);
    }
    std::string directory;
    std::string path;
};

// The frame numbers --print-frames printed, in order: the lines that are a
// number alone.
std::vector<long> printedFrames(const std::string& output) {
    std::vector<long> frames;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) {
            frames.push_back(std::stol(line));
        }
    }
    return frames;
}

// A run of the game asked to stop at a frame it printed.
struct StoppedRun {
    int status = -1; // as pclose gives it
    std::string output;
    long lastFrame = -1; // the last frame it printed
};

// Runs the game with `arguments` and --print-frames, calls `atFrame` with
// its process id once it has printed frame `frame` or a later one, and reads
// its output to its end. Only the game's output, never a time, says when.
StoppedRun runStoppedAt(const std::string& arguments, long frame, const std::function<void(pid_t)>& atFrame) {
    StoppedRun run;
    // The shell says its process id, which exec hands on to the game.
    const std::string command =
        std::string("echo $$; exec '") + VELMORA_EXECUTABLE + "' --print-frames " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    char line[512];
    if (pipe == nullptr || std::fgets(line, sizeof line, pipe) == nullptr) {
        run.output = "cannot start the game";
        if (pipe != nullptr) {
            pclose(pipe);
        }
        return run;
    }
    const pid_t game = static_cast<pid_t>(std::atol(line));
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        run.output += line;
        char* end = nullptr;
        const long printed = std::strtol(line, &end, 10);
        if (end == line || *end != '\n') {
            continue; // not a frame's number alone
        }
        if (run.lastFrame < frame && printed >= frame) {
            atFrame(game);
        }
        run.lastFrame = printed;
    }
    run.status = pclose(pipe);
    return run;
}

std::string pictureBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(StartUpTest, HeadlessRunsTheFramesItIsAskedFor) {
    // The largest seed its type holds is a seed like any other.
    const GameRun run = runGame("--headless --frames 3 --seed 18446744073709551615");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Using OpenGL ES 2.0"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("3 frames drawn headless at 750 x 1334"), std::string::npos) << run.output;
}

TEST(StartUpTest, WithoutAContextTheGameStopsBeforeBuildingAnything) {
    ScopedEnvironment environment;
    environment.set("DISPLAY", ":4093");
    environment.unset("WAYLAND_DISPLAY");
    environment.unset("SDL_VIDEODRIVER");
    const GameRun run = runGame("--frames 3");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("velmora: no OpenGL ES 2.0 context, so the game cannot start: no display"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("to play without a display: velmora --headless"), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("frames drawn"), std::string::npos) << run.output;
}

TEST(StartUpTest, AHeadlessRunWritesItsLastFrameAsAPortraitScreenshot) {
    TemporaryFile shot("last.png");
    const GameRun run = runGame("--headless --frames 300 --screenshot '" + shot.path + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("300 frames drawn headless at 750 x 1334"), std::string::npos) << run.output;
    ZQImage image;
    ASSERT_TRUE(readPng(shot.path, image));
    EXPECT_EQ(image.width, 750);
    EXPECT_EQ(image.height, 1334);

    // A run of the start-up's frame alone still has a picture to write.
    const GameRun one = runGame("--headless --frames 1 --screenshot '" + shot.path + "'");
    ASSERT_EQ(one.status, 0) << one.output;
    ZQImage first;
    ASSERT_TRUE(readPng(shot.path, first));
    EXPECT_EQ(first.width, 750);
    EXPECT_EQ(first.height, 1334);
}

// Frames are numbered from 0 by every option: a run of six prints 0 to 5,
// and --shot keeps the first of them, the one a run of a single frame ends
// on, and the last, the one its --screenshot keeps.
TEST(StartUpTest, AHeadlessRunWritesTheFramesAskedForOnTheWay) {
    TemporaryFile first("first.png");
    TemporaryFile last("last.png");
    TemporaryFile end("end.png");
    TemporaryFile alone("alone.png");
    GameDataFolder data;
    GameDataFolder otherData;
    ASSERT_TRUE(data.ok() && otherData.ok());
    const GameRun run = data.run("--seed 3 --frames 6 --print-frames --shot '0:" + first.path +
                                 "' --shot '5:" + last.path + "' --screenshot '" + end.path + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(printedFrames(run.output), (std::vector<long>{0, 1, 2, 3, 4, 5})) << run.output;
    const GameRun one = otherData.run("--seed 3 --frames 1 --screenshot '" + alone.path + "'");
    ASSERT_EQ(one.status, 0) << one.output;
    for (const std::string& path : {first.path, last.path}) {
        ZQImage image;
        ASSERT_TRUE(readPng(path, image)) << path;
        EXPECT_EQ(image.width, 750);
        EXPECT_EQ(image.height, 1334);
    }
    EXPECT_TRUE(pictureBytes(first.path) == pictureBytes(alone.path))
        << "--shot 0 is not the frame the game starts with";
    EXPECT_TRUE(pictureBytes(last.path) == pictureBytes(end.path))
        << "--shot 5 is not the last of six frames";
    // A device that takes the file but not its bytes fails only the shot.
    const GameRun refused = runGame("--headless --frames 3 --shot 2:/dev/full");
    EXPECT_EQ(refused.status, 1) << refused.output;
    EXPECT_NE(refused.output.find("3 frames drawn"), std::string::npos)
        << "the run goes on" << refused.output;
}

TEST(StartUpTest, APngKeepsThePicturesRowsAndColours) {
    // Top half red, bottom half blue, one green pixel in the top-left corner.
    ZQImage picture;
    picture.width = 5;
    picture.height = 4;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t alpha = static_cast<uint8_t>(x * 60); // dropped: windows show no alpha
            if (x == 0 && y == 0) {
                picture.rgba.insert(picture.rgba.end(), {0, 255, 0, alpha});
            } else if (y < 2) {
                picture.rgba.insert(picture.rgba.end(), {255, 0, 0, alpha});
            } else {
                picture.rgba.insert(picture.rgba.end(), {0, 0, 255, alpha});
            }
        }
    }
    TemporaryFile file("rows.png");
    std::string error;
    ASSERT_TRUE(writePng(file.path, picture, error)) << error;
    ZQImage back;
    ASSERT_TRUE(readPng(file.path, back));
    ASSERT_EQ(back.width, 5);
    ASSERT_EQ(back.height, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            for (int c = 0; c < 3; ++c) {
                EXPECT_EQ(back.pixel(x, y)[c], picture.pixel(x, y)[c]) << x << ", " << y;
            }
            EXPECT_EQ(back.pixel(x, y)[3], 255);
        }
    }
    EXPECT_FALSE(writePng(file.path, ZQImage{}, error));
}

TEST(StartUpTest, AHeadlessRunReplaysAnInputFileAndRefusesABadOne) {
    TemporaryFile input("input.txt");
    std::ofstream(input.path) << "# a drag, a tap and a swipe\n"
                                 "5 began 1 187 333\n6 moved 1 187 350\n8 ended 1 187 350\n"
                                 "10 tap 100 100\n12 swipe 180 600 right\n"
                                 "19 tap 100 100\n20 doubletap 100 100\n31 doubletap 100 100\n";
    // The last frame printed, 19, plays its tap; said before the first
    // frame: the events of frame 20 and later are after it.
    GameRun run =
        runGame("--headless --frames 20 --print-frames --report-input --input '" + input.path + "'");
    EXPECT_EQ(run.status, 0) << run.output;
    const std::size_t note = run.output.find(
        "velmora: 2 of the 8 events in '" + input.path +
        "' will not be played: the first of them, at frame 20, is due after the last frame, 19 (--frames 20 "
        "draws frames 0 to 19)");
    EXPECT_LT(note, run.output.find("Using OpenGL ES 2.0")) << run.output;
    ASSERT_FALSE(printedFrames(run.output).empty()) << run.output;
    EXPECT_EQ(printedFrames(run.output).back(), 19) << run.output;
    InputReport report;
    ASSERT_TRUE(readInputReport(run.output, report)) << run.output;
    EXPECT_EQ(report.began, 1);
    EXPECT_EQ(report.moved, 1);
    EXPECT_EQ(report.ended, 1);
    EXPECT_EQ(report.cancelled, 0);
    EXPECT_EQ(report.taps, 2);
    EXPECT_EQ(report.doubleTaps, 0);
    EXPECT_EQ(report.swipes, 1);

    std::ofstream(input.path) << "5 began 1 187\n";
    run = runGame("--headless --frames 20 --input '" + input.path + "'");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(input.path + ": line 1: expected X Y in points"), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("frames drawn"), std::string::npos) << run.output;
}

TEST(StartUpTest, ABadCommandLineIsRefusedWithUsage) {
    GameRun run = runGame("--fast");
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_NE(run.output.find("unknown option \"--fast\""), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("usage: velmora"), std::string::npos) << run.output;
    // As every tool does, -h is --help: the usage on standard output alone.
    for (const char* help : {"--help", "-h"}) {
        run = runGame(std::string(help) + " 2>/dev/null");
        EXPECT_EQ(run.status, 0) << help << run.output;
        EXPECT_EQ(run.output.rfind("usage: velmora", 0), 0u) << help << run.output;
    }

    for (const char* line : {"--headless --frames many", "--headless --frames 0", "--headless --frames"}) {
        run = runGame(line);
        EXPECT_EQ(run.status, 2) << line << run.output;
    }
    for (const char* line : {"--headless --shot -1:a.png", "--headless --shot a.png",
                             "--headless --shot 4:", "--headless --shot"}) {
        run = runGame(line);
        EXPECT_EQ(run.status, 2) << line << run.output;
        EXPECT_EQ(run.output.find("frames drawn"), std::string::npos) << line << run.output;
    }
    run = runGame("--shot 4:a.png");
    EXPECT_EQ(run.status, 2) << run.output;
    run = runGame("--screenshot a.png");
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_NE(run.output.find("go with --headless"), std::string::npos) << run.output;
}

TEST(StartUpTest, AnOptionOrFileThatCannotBeUsedIsRefusedByName) {
    TemporaryFile folder("input");
    ASSERT_EQ(mkdir(folder.path.c_str(), 0700), 0);
    const std::pair<std::string, std::string> cases[] = {
        {"--frames 99999999999999999999", "--frames needs a whole number of frames from 1 to 2147483647"},
        {"--frames 2147483648", "--frames needs a whole number of frames from 1 to 2147483647"},
        {"--shot 99999999999999999999:a.png", "--shot needs FRAME:FILE.png"},
        {"--screenshot ''", "--screenshot needs a file name"},
        {"--input ''", "--input needs a file name"},
        {"--shot 300:a.png", "--shot 300:a.png comes after the last frame, 299"},
        {"--frames 8 --shot 8:a.png", "--shot 8:a.png comes after the last frame, 7"},
        {"--input '" + folder.path + "'", "input file '" + folder.path + "' is a folder"},
        {"--input /dev/zero", "/dev/zero: line 1: longer than 4096 characters"},
        {"--seed ' -1'", "--seed needs a whole number from 0 to 18446744073709551615, not \" -1\""},
        {"--seed 18446744073709551616", "--seed needs a whole number from 0 to 18446744073709551615"},
        {"--screenshot /nonexistent-dir/shot.png",
         "--screenshot /nonexistent-dir/shot.png cannot be written: there is no folder '/nonexistent-dir'"},
        // /proc takes no new file, whoever asks; the shot before it is only tried.
        {"--shot '2:" + folder.directory + "/shot.png' --screenshot /proc/velmora.png",
         "--screenshot /proc/velmora.png cannot be written: "},
        {"--input '" + folder.directory + "/none.txt'",
         "cannot read input file '" + folder.directory + "/none.txt': No such file or directory"},
        // A picture is a PNG whatever it is called: a name that says another
        // format, or none, would hide it.
        {"--screenshot '" + folder.directory + "/shot.jpg'",
         "--screenshot " + folder.directory +
             "/shot.jpg cannot be written: a PNG needs a name ending in .png"},
        {"--shot '2:" + folder.directory + "/shot'",
         "--shot 2:" + folder.directory + "/shot cannot be written: a PNG needs a name ending in .png"},
    };
    for (const auto& [arguments, message] : cases) {
        const GameRun run = runGame("--headless " + arguments);
        EXPECT_NE(run.status, 0) << arguments << run.output;
        EXPECT_NE(run.output.find("velmora: " + message), std::string::npos) << arguments << run.output;
        EXPECT_EQ(run.output.find("Using OpenGL ES"), std::string::npos) << arguments << run.output;
        EXPECT_EQ(run.output.find("frames drawn"), std::string::npos) << arguments << run.output;
    }
    EXPECT_NE(access((folder.directory + "/shot.png").c_str(), F_OK), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.directory),
                            std::filesystem::directory_iterator()),
              1)
        << "a refused run left a file beside the folder";

    // The case of the ending is the writer's own; a name that leads through a
    // link is judged by the file it reaches.
    const std::string upper = folder.directory + "/SHOT.PNG";
    GameRun run = runGame("--headless --frames 1 --screenshot '" + upper + "'");
    EXPECT_EQ(run.status, 0) << run.output;
    ZQImage image;
    EXPECT_TRUE(readPng(upper, image));
    std::ofstream(folder.directory + "/notes.txt") << "kept";
    std::filesystem::create_symlink(folder.directory + "/notes.txt", folder.directory + "/link.png");
    run = runGame("--headless --frames 1 --screenshot '" + folder.directory + "/link.png'");
    EXPECT_EQ(run.status, 2) << run.output;
    const std::string behind = std::filesystem::canonical(folder.directory + "/notes.txt").string();
    EXPECT_NE(run.output.find("a PNG needs a name ending in .png (it leads to " + behind + ")"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(pictureBytes(behind), "kept");
}

TEST(StartUpTest, TheBundleFolderIsNamedAndOneWithoutTheGamesFilesIsRefused) {
    const std::string bundle = ZQ::bundleFolder(); // before VELMORA_BUNDLE names another
    TemporaryFile empty("bundle");
    ASSERT_EQ(mkdir(empty.path.c_str(), 0700), 0);
    ScopedEnvironment environment;
    environment.set("VELMORA_BUNDLE", empty.path);
    GameRun run = runGame("--headless --frames 1");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("Bundle folder: " + empty.path + " (from VELMORA_BUNDLE)"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("velmora: the bundle folder " + empty.path + " lacks"), std::string::npos)
        << run.output;

    environment.set("VELMORA_BUNDLE", "/nonexistent");
    run = runGame("--headless --frames 1");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("velmora: the bundle folder /nonexistent is not there"), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("frames drawn"), std::string::npos) << run.output;

    // Every needed file, but a captions list that gives no caption.
    for (const auto& file : std::filesystem::directory_iterator(bundle)) {
        std::filesystem::create_symlink(file.path(), empty.path + "/" + file.path().filename().string());
    }
    environment.set("VELMORA_BUNDLE", empty.path);
    for (const char* list : {"", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>", "junk"}) {
        std::filesystem::remove(empty.path + "/captions.plist");
        std::ofstream(empty.path + "/captions.plist") << list;
        run = runGame("--headless --frames 1");
        EXPECT_EQ(run.status, 1) << list << run.output;
        EXPECT_NE(run.output.find(" lacks the captions"), std::string::npos) << list << run.output;
    }
    std::filesystem::remove_all(empty.path);
}

TEST(StartUpTest, AWindowedRunPresentsFramesOnADisplay) {
    if (!XvfbDisplay::installed()) {
        GTEST_SKIP() << "Xvfb is not installed, so no window can be opened here (apt-get install xvfb)";
    }
    XvfbDisplay xvfb;
    ScopedEnvironment environment;
    std::string failure;
    ASSERT_TRUE(xvfb.start(1024, 768, environment, failure)) << failure;
    const GameRun run = runGame("--frames 4");
    EXPECT_EQ(run.status, 0) << run.output;
    // The screen keeps its pixels in a window of 750 x 1334 shrunk to fit
    // 90% of a 768-pixel-high display.
    EXPECT_NE(run.output.find("4 frames drawn at 750 x 1334 in a window of 388 x 691"), std::string::npos)
        << run.output;
}

TEST(StartUpTest, AWindowAskedToCloseEndsTheGameWithStatusZero) {
    if (!XvfbDisplay::installed() || std::system("command -v xdotool >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "Xvfb or xdotool is not installed (apt-get install xvfb xdotool)";
    }
    XvfbDisplay xvfb;
    ScopedEnvironment environment;
    std::string failure;
    ASSERT_TRUE(xvfb.start(1024, 768, environment, failure)) << failure;
    // The game runs until the window is closed; the quit request is the
    // signal SDL turns into the same quit event as the close button. It goes
    // once the window has drawn a frame.
    std::string windows;
    const StoppedRun run = runStoppedAt("", 0, [&](pid_t game) {
        windows = runShell("xdotool search --name '^Velmora$'").output;
        kill(game, SIGTERM);
    });
    EXPECT_NE(windows, "") << "no window named Velmora while the game drew";
    ASSERT_TRUE(WIFEXITED(run.status)) << run.output;
    EXPECT_EQ(WEXITSTATUS(run.status), 0) << run.output;
    EXPECT_NE(run.output.find("frames drawn at 750 x 1334"), std::string::npos) << run.output;
}

// Headless, SIGINT and SIGTERM end the game as the window's close button
// does: at a frame, with the closing lines and status 0. Each waits for
// the game's output, never for a time: the signal goes once frame 3 is
// printed, and the output ends when the game does.
TEST(StartUpTest, AHeadlessRunAskedToStopEndsAtAFrameWithItsSummary) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal == SIGTERM ? "SIGTERM" : "SIGINT");
        const StoppedRun run = runStoppedAt("--headless --frames 1000000 --report-input", 3,
                                            [&](pid_t game) { kill(game, signal); });
        ASSERT_TRUE(WIFEXITED(run.status)) << run.output;
        EXPECT_EQ(WEXITSTATUS(run.status), 0) << run.output;
        // The summary counts the frames printed (from 0), the last as soon
        // as the signal let it be.
        long frames = -1;
        const std::size_t at = run.output.find("Velmora: ");
        ASSERT_NE(at, std::string::npos) << run.output;
        EXPECT_EQ(std::sscanf(run.output.c_str() + at, "Velmora: %ld frames drawn headless", &frames), 1);
        EXPECT_EQ(frames, run.lastFrame + 1) << run.output;
        InputReport input;
        EXPECT_TRUE(readInputReport(run.output, input)) << run.output;
    }
}

} // namespace
