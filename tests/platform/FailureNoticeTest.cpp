#include "XvfbDisplay.h"
#include "platform/ZQDialogPresenter.h"
#include "platform/ZQFailureNotice.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <algorithm>
#include <csignal>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// A start refused from the desktop has no terminal to be read on: in a
// window session that reaches its display the refusal is also a box in the
// words of the line on standard error, its lines wrapped (SDL's X11 box draws
// each at full length, past the screen's edge), which a signal closes; else
// it is that line alone.

namespace {

struct RecordingPresenter final : ZQDialogPresenter {
    void present(const ZQDialog& dialog, std::function<void()>) override { shown.push_back(dialog); }
    std::vector<ZQDialog> shown;
};

// The boxes `refusals` were shown in, its status and lines checked on the way.
std::vector<ZQDialog> boxesOfRefusal(bool window, const std::vector<ZQ::Refusal>& refusals) {
    RecordingPresenter presenter;
    testing::internal::CaptureStderr();
    EXPECT_EQ(ZQFailureNotice(window, presenter).refuse(refusals), 1);
    std::string lines;
    for (const ZQ::Refusal& refusal : refusals) {
        lines += "velmora: " + ZQ::line(refusal) + "\n";
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), lines);
    return presenter.shown;
}

TEST(FailureNoticeTest, ARefusalIsABoxInAWindowSessionWithADisplayThatASignalEndsAndALineAlways) {
    if (!XvfbDisplay::installed()) {
        GTEST_SKIP() << "Xvfb is not installed (apt-get install xvfb)";
    }
    XvfbDisplay xvfb;
    ScopedEnvironment environment;
    std::string failure;
    ASSERT_TRUE(xvfb.start(640, 480, environment, failure)) << failure;

    // The reason a paragraph, begun with a capital unless it begins with a
    // file's name, then each mend, its command on a line of its own, to be
    // copied; a mend two refusals share comes once. The layout comes from
    // the parts: a path that holds "; " or ": " changes nothing of it.
    const ZQ::Mend giveBack{"give it back to al", "sudo chown -R al: '/d; x: y'"};
    const std::pair<std::vector<ZQ::Refusal>, std::string> refusals[] = {
        {{{"", "cube.pod: not a model", {{"install the game again", "cmake --install build"}}}},
         "cube.pod: not a model\n\nInstall the game again:\ncmake --install build"},
        {{{"cannot keep progress in a.plist", "/d; x: y is root's", {giveBack}},
          {"cannot keep progress in b.plist", "/d; x: y/b is root's", {giveBack}}},
         "Cannot keep progress in a.plist: /d; x: y is root's\n\nCannot keep progress in b.plist: /d; x: y/b "
         "is root's\n\nGive it back to al:\nsudo chown -R al: '/d; x: y'"},
        {{{"cannot play on /d",
           "/d is open to all",
           {{"take that right away", "chmod o-w '/d'"}, {"play elsewhere", ""}}}},
         "Cannot play on /d: /d is open to all\n\nTake that right away:\nchmod o-w '/d'\n\nOr play "
         "elsewhere"},
    };
    // Held so that the server does not reset between the refusals' own clients.
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    for (const auto& [said, text] : refusals) {
        const std::vector<ZQDialog> boxes = boxesOfRefusal(true, said);
        ASSERT_EQ(boxes.size(), 1u) << text;
        EXPECT_EQ(boxes[0].message, text);
    }

    EXPECT_TRUE(boxesOfRefusal(false, refusals[0].first).empty()) << "a headless run shows no box";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);

    // SIGINT while the box is up (Ctrl-C at the terminal the game was
    // started from) closes it, and the game ends by that signal, as it
    // would have without a box, its refusal said before the box. SDL,
    // started for the box, turned it into a quit that nobody read. gtest's
    // "fast" death test forks where it stands, on this display.
    struct SignalledPresenter final : ZQDialogPresenter {
        void present(const ZQDialog&, std::function<void()> dismissed) override {
            std::raise(SIGINT);
            dismissed();
        }
    } signalled;
    const ZQ::Refusal& refusal = refusals[0].first[0];
    EXPECT_EXIT(ZQFailureNotice(true, signalled).refuse({refusal}), testing::KilledBySignal(SIGINT),
                "^velmora: " + ZQ::line(refusal) +
                    "\nvelmora: SIGINT closed the box \"Velmora cannot start\"\n$");
    // No display, or a driver that shows nothing: a box would be seen by nobody.
    for (const auto& [display, driver] :
         {std::pair<std::string, std::string>{":4093", "x11"}, {"", "x11"}, {xvfb.name(), "offscreen"}}) {
        environment.set("DISPLAY", display);
        environment.set("SDL_VIDEODRIVER", driver);
        EXPECT_TRUE(boxesOfRefusal(true, refusals[0].first).empty()) << display << " " << driver;
    }
}

// Texts of words, paths, spaces, breaks and characters of two and three
// bytes, wrapped: no line wider than the box, none cut inside a character,
// no character lost or added, no break of the text's own dropped.
TEST(FailureNoticeTest, WrappedLinesFitTheBoxAndKeepEveryCharacter) {
    const char* const pieces[] = {"word", "/home/p/a.plist", "é", "ständig", "設定ファイル"};
    const auto characters = [](std::string text) {
        std::erase_if(text, [](char c) { return c == ' ' || c == '\n'; });
        return text;
    };
    std::mt19937 random(20261209);
    for (int round = 0; round < 400; ++round) {
        std::string text;
        for (int i = static_cast<int>(random() % 40); i > 0; --i) {
            // Runs of 'x' or '/' stand for long words and paths.
            text += random() % 5 == 0 ? std::string(random() % 100, "x/"[random() % 2])
                                      : pieces[random() % std::size(pieces)];
            text += std::string(random() % 3, " \n"[random() % 2]);
        }
        const std::string out = ZQMessageBoxPresenter::wrapped(text);
        SCOPED_TRACE(text);
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            const auto starts = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; };
            EXPECT_LE(static_cast<std::size_t>(std::count_if(line.begin(), line.end(), starts)),
                      ZQMessageBoxPresenter::kColumns)
                << line;
            EXPECT_TRUE(line.empty() || starts(line[0])) << "cut inside a character";
        }
        EXPECT_EQ(characters(out), characters(text));
        EXPECT_GE(std::count(out.begin(), out.end(), '\n'), std::count(text.begin(), text.end(), '\n'));
    }
    // What fits is left as it is; a path is broken after a '/'.
    const std::string a(40, 'a');
    const std::string b(40, 'b');
    EXPECT_EQ(ZQMessageBoxPresenter::wrapped("Keep it\n\nThe folder /" + a + "/" + b + " lacks it"),
              "Keep it\n\nThe folder\n/" + a + "/\n" + b + " lacks it");
}

} // namespace
