#include "ScopedEnvironment.h"
#include "XvfbDisplay.h"
#include "platform/ZQDialogPresenter.h"
#include "platform/ZQFailureNotice.h"

#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// A start refused from the desktop has no terminal to be read on: in a
// window session that reaches its display the refusal is also a box in the
// words of the line on standard error, its lines wrapped (SDL's X11 box draws
// each at full length, past the screen's edge); else it is that line alone.

namespace {

struct RecordingPresenter final : ZQDialogPresenter {
    void present(const ZQDialog& dialog, std::function<void()>) override { shown.push_back(dialog); }
    std::vector<ZQDialog> shown;
};

// The boxes `why` was shown in, its status and line checked on the way.
std::vector<ZQDialog> boxesOfRefusal(bool window, const std::string& why) {
    RecordingPresenter presenter;
    testing::internal::CaptureStderr();
    EXPECT_EQ(ZQFailureNotice(window, presenter).refuse(why), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "velmora: " + why + "\n");
    return presenter.shown;
}

TEST(FailureNoticeTest, ARefusalIsABoxInAWindowSessionWithADisplayAndALineAlways) {
    if (!XvfbDisplay::installed()) {
        GTEST_SKIP() << "Xvfb is not installed (apt-get install xvfb)";
    }
    XvfbDisplay xvfb;
    ScopedEnvironment environment;
    std::string failure;
    ASSERT_TRUE(xvfb.start(640, 480, environment, failure)) << failure;

    // A clause a paragraph, begun with a capital unless it begins with a
    // file's name; the mend's command on a line of its own, to be copied.
    const std::pair<std::string, std::string> refusals[] = {
        {"the bundle folder /b lacks a.pvr (cut short); cube.pod (reader: not a model); set VELMORA_BUNDLE",
         "The bundle folder /b lacks a.pvr (cut short)\n\ncube.pod (reader: not a model)\n\nSet "
         "VELMORA_BUNDLE"},
        {"cannot keep progress in a.plist: /d is root's; give it to al: sudo chown al: '/d'",
         "Cannot keep progress in a.plist: /d is root's\n\nGive it to al:\nsudo chown al: '/d'"},
        {"cannot play on /d: /d is open to all; take that right away: chmod o-w '/d'; or play elsewhere",
         "Cannot play on /d: /d is open to all\n\nTake that right away:\nchmod o-w '/d'\n\nOr play "
         "elsewhere"},
    };
    // Held so that the server does not reset between the refusals' own clients.
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    for (const auto& [why, text] : refusals) {
        const std::vector<ZQDialog> boxes = boxesOfRefusal(true, why);
        ASSERT_EQ(boxes.size(), 1u) << why;
        EXPECT_EQ(boxes[0].message, text);
    }

    EXPECT_TRUE(boxesOfRefusal(false, refusals[0].first).empty()) << "a headless run shows no box";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
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
