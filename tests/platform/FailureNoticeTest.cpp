#include "ScopedEnvironment.h"
#include "XvfbDisplay.h"
#include "platform/ZQDialogPresenter.h"
#include "platform/ZQFailureNotice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// A start refused from the desktop has no terminal to be read on: in a
// window session that reaches its display the refusal is a message box too,
// in the words of the line on standard error; headless, or with no display
// to show a box on, it is that line alone. And the boxes' lines are wrapped,
// as SDL's X11 box draws every line at its full length, past the screen's
// edge.

namespace {

class RecordingPresenter final : public ZQDialogPresenter {
public:
    void present(const ZQDialog& dialog, std::function<void()> dismissed) override {
        shown.push_back(dialog);
        dismissed();
    }
    std::vector<ZQDialog> shown;
};

struct NoticeSaid {
    int status = 0;
    std::string stderrText;
    std::vector<ZQDialog> boxes;
};

NoticeSaid refuseWith(bool window, const std::string& why) {
    RecordingPresenter presenter;
    testing::internal::CaptureStderr();
    NoticeSaid said;
    said.status = ZQFailureNotice(window, presenter).refuse(why);
    said.stderrText = testing::internal::GetCapturedStderr();
    said.boxes = presenter.shown;
    return said;
}

// The number of characters (not bytes) of a UTF-8 line.
std::size_t columnsOf(const std::string& line) {
    std::size_t columns = 0;
    for (const char byte : line) {
        columns += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    }
    return columns;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines(1);
    for (const char c : text) {
        if (c == '\n') {
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

std::string withoutBlanks(const std::string& text) {
    std::string kept;
    for (const char c : text) {
        if (c != ' ' && c != '\n') {
            kept += c;
        }
    }
    return kept;
}

TEST(FailureNoticeTest, ARefusalIsABoxInAWindowSessionWithADisplayAndALineAlways) {
    if (!XvfbDisplay::installed()) {
        GTEST_SKIP() << "Xvfb is not installed (apt-get install xvfb)";
    }
    const std::string why = "another game is playing on the data folder /home/p/.local/share/velmora; "
                            "close it first, or start this one with another XDG_DATA_HOME";
    XvfbDisplay xvfb;
    std::string failure;
    ASSERT_TRUE(xvfb.start(640, 480, failure)) << failure;
    ScopedEnvironment environment;
    environment.set("DISPLAY", xvfb.name());
    environment.unset("WAYLAND_DISPLAY");
    environment.set("SDL_VIDEODRIVER", "x11");

    const NoticeSaid window = refuseWith(true, why);
    EXPECT_EQ(window.status, 1);
    EXPECT_NE(window.stderrText.find("velmora: " + why + "\n"), std::string::npos) << window.stderrText;
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].title, "Velmora cannot start");
    EXPECT_EQ(window.boxes[0].message,
              "Another game is playing on the data folder /home/p/.local/share/velmora"
              "\n\nClose it first, or start this one with another XDG_DATA_HOME");

    // The mend's command stands on a line of its own, whole, to be copied.
    const NoticeSaid mended =
        refuseWith(true, "cannot keep progress in defaults.plist: the file /d/defaults.plist "
                         "belongs to root (uid 0); give it to alice: sudo chown alice: "
                         "'/d/defaults.plist'");
    ASSERT_EQ(mended.boxes.size(), 1u);
    EXPECT_EQ(mended.boxes[0].message,
              "Cannot keep progress in defaults.plist: the file /d/defaults.plist belongs "
              "to root (uid 0)\n\nGive it to alice:\nsudo chown alice: '/d/defaults.plist'");

    // A clause that begins with a file's name keeps its spelling.
    const NoticeSaid files = refuseWith(true, "the bundle folder /b lacks 2 files: a.pvr (cut short); "
                                              "cube.pod (not a model); set VELMORA_BUNDLE to the folder");
    ASSERT_EQ(files.boxes.size(), 1u);
    EXPECT_EQ(files.boxes[0].message,
              "The bundle folder /b lacks 2 files: a.pvr (cut short)\n\ncube.pod (not a "
              "model)\n\nSet VELMORA_BUNDLE to the folder");

    const NoticeSaid headless = refuseWith(false, why);
    EXPECT_EQ(headless.status, 1);
    EXPECT_NE(headless.stderrText.find("velmora: " + why + "\n"), std::string::npos) << headless.stderrText;
    EXPECT_TRUE(headless.boxes.empty()) << "a headless run shows no box";

    for (const char* display : {":4093", ""}) {
        SCOPED_TRACE(std::string("DISPLAY=") + display);
        environment.set("DISPLAY", display);
        const NoticeSaid unseen = refuseWith(true, why);
        EXPECT_EQ(unseen.status, 1);
        EXPECT_NE(unseen.stderrText.find("velmora: " + why + "\n"), std::string::npos) << unseen.stderrText;
        EXPECT_TRUE(unseen.boxes.empty()) << "a box on no display would be shown to nobody";
    }
}

// Texts of words, long paths, runs of spaces and characters of two and
// three bytes, wrapped: no line is wider than the box takes, none is cut
// inside a character, and no character is lost or added.
TEST(FailureNoticeTest, WrappedLinesFitTheBoxAndKeepEveryCharacter) {
    const std::vector<std::string> pieces = {"word",
                                             "a",
                                             "cannot",
                                             "/home/player/.local/share/velmora/defaults.plist",
                                             "  ",
                                             "é",
                                             "ständig",
                                             "設定ファイル",
                                             std::string(90, 'x'),
                                             std::string(40, '/'),
                                             "(rm -r '/tmp/a b/.lock')",
                                             "\n",
                                             "\n\n"};
    std::mt19937 random(20261209);
    for (int round = 0; round < 400; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            text += pieces[random() % pieces.size()];
            text += random() % 3 == 0 ? "" : " ";
        }
        const std::string out = ZQMessageBoxPresenter::wrapped(text);
        SCOPED_TRACE(text);
        for (const std::string& line : linesOf(out)) {
            EXPECT_LE(columnsOf(line), ZQMessageBoxPresenter::kColumns) << line;
            if (!line.empty()) {
                EXPECT_NE(static_cast<unsigned char>(line[0]) & 0xC0, 0x80) << "cut inside a character";
            }
        }
        EXPECT_EQ(withoutBlanks(out), withoutBlanks(text));
        // The text's own breaks, blank lines included, stay: wrapping only adds.
        EXPECT_GE(linesOf(out).size(), linesOf(text).size());
    }
    // What fits is left as it is; a path is broken after a '/', and a
    // paragraph after a wrapped one still begins after its blank line.
    const std::string fits =
        "Cannot keep progress in defaults.plist\n\nChmod it so that its user may read it";
    EXPECT_EQ(ZQMessageBoxPresenter::wrapped(fits), fits);
    const std::string path = "/a-rather-long-folder-name-01/a-rather-long-folder-name-02/bundle";
    EXPECT_EQ(ZQMessageBoxPresenter::wrapped("The bundle folder " + path + path + " lacks files\n\nSet it"),
              "The bundle folder\n" + path + "/\n" +
                  "a-rather-long-folder-name-01/a-rather-long-folder-name-02/bundle lacks\nfiles\n\nSet it");
}

} // namespace
