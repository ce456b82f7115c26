#include "platform/ZQDialogPresenter.h"
#include "platform/ZQStopSignals.h"
#include "platform/ZQUnsavedReport.h"

#include "engine/PlistFileStore.h"
#include "support/FileCallHook.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

class RecordingBoxes final : public ZQDialogPresenter {
public:
    void present(const ZQDialog& dialog, std::function<void()> dismissed) override {
        shown.push_back(dialog);
        dismissed();
    }
    std::vector<ZQDialog> shown;
};

// Each store the last try cannot save is named with why and what mends it,
// on standard error and in the window's box, and fails the run; one it
// saves counts as saved. A store refused during play names the refusal's
// mend, not advice for a full disk.
TEST(UnsavedReport, EachStoreTheLastTryCannotSaveIsNamedWithWhyAndItsMendAndFailsTheRun) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    std::map<std::string, int> failing = {{"full", ENOSPC}, {"locked", EACCES}, {"mended", ENOSPC}};
    bool unreadable = false;
    FileCallHook hook([&](const std::string& call, const std::string& entry, const std::string&, unsigned) {
        const std::size_t dot = entry.find(".plist.tmp-");
        const auto cause = dot == std::string::npos ? failing.end() : failing.find(entry.substr(1, dot - 1));
        if (unreadable && call == "openat" && entry == "refused.plist") {
            return EIO;
        }
        return call == "openat" && cause != failing.end() ? cause->second : 0;
    });
    std::vector<std::unique_ptr<ZQ::PlistFileStore>> stores;
    std::vector<ZQ::KeyValueStore*> played;
    for (const char* name : {"full", "locked", "mended", "refused"}) {
        const std::string path = folder.file(name + std::string(".plist"));
        played.push_back(stores.emplace_back(std::make_unique<ZQ::PlistFileStore>(path)).get());
        stores.back()->setInteger("level", 7);
        EXPECT_EQ(stores.back()->synchronize(), name == std::string("refused"));
    }
    // Damaged on its disk during play: looked at again before the write.
    const std::string refused = folder.file("refused.plist");
    unreadable = true;
    ASSERT_EQ(::chmod(refused.c_str(), 0644), 0);
    stores.back()->setInteger("level", 8);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(stores.back()->synchronize());
    testing::internal::GetCapturedStderr();
    failing.erase("mended");
    RecordingBoxes boxes;
    testing::internal::CaptureStderr();
    EXPECT_EQ(ZQUnsavedReport::endSession(played, &boxes), 1);
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_EQ(boxes.shown.size(), 1u);
    const std::string& box = boxes.shown.front().message;
    const auto saidOf = [&](const char* name, const std::string& cause, const std::string& mend) {
        const std::string file = folder.file(name + std::string(".plist"));
        EXPECT_NE(said.find("velmora: this session's progress is not saved in " + file + ": " + cause + "; " +
                            mend + "\n"),
                  std::string::npos)
            << said;
        EXPECT_NE(box.find(file), std::string::npos) << box;
        EXPECT_NE(box.find(cause), std::string::npos) << box;
    };
    saidOf("full", "a new file cannot be made: No space left on device", ZQ::freeSpace().advice);
    saidOf("locked", "a new file cannot be made: Permission denied", "make its folder writable");
    saidOf("refused", "the file " + refused + " cannot be read (Input/output error)",
           "move it aside, and the game starts it anew: mv '" + refused + "' '" + refused + ".unreadable'");
    EXPECT_EQ(said.find("mended"), std::string::npos) << said;
    EXPECT_EQ(box.find("mended"), std::string::npos) << box;

    failing.clear();
    unreadable = false;
    boxes.shown.clear();
    testing::internal::CaptureStderr();
    EXPECT_EQ(ZQUnsavedReport::endSession(played, &boxes), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ZQ::PlistFileStore(folder.file("mended.plist")).integerForKey("level"), 7);
    EXPECT_EQ(ZQ::PlistFileStore(refused).integerForKey("level"), 8);
}

// A player at the window's box: each question is noted with what the
// stores' files hold while it is up, and answered by `answer`, which may
// mend a store first as a player who frees space would.
class AnsweringBoxes final : public ZQDialogPresenter {
public:
    using Answer = std::function<std::string(std::size_t question)>;
    explicit AnsweringBoxes(Answer answer) : answer(std::move(answer)) {}

    void present(const ZQDialog& dialog, std::function<void()> dismissed) override {
        ADD_FAILURE() << "a box without a choice: " << dialog.message;
        dismissed();
    }
    std::size_t ask(const ZQDialog& dialog, const std::vector<std::string>& answers) override {
        asked.push_back(dialog.message);
        // Return takes the first answer, Escape the last.
        EXPECT_EQ(answers.front(), ZQUnsavedReport::kTryAgain);
        EXPECT_EQ(answers.back(), ZQUnsavedReport::kQuit);
        const auto chosen = std::find(answers.begin(), answers.end(), answer(asked.size() - 1));
        EXPECT_NE(chosen, answers.end());
        return static_cast<std::size_t>(chosen - answers.begin());
    }
    std::vector<std::string> asked;

private:
    Answer answer;
};

// The box over the window keeps the session while the player frees space:
// each try again tries what is still not saved, saves what was mended
// meanwhile and asks again naming only what still fails; the run ends as a
// saved one once all is. Quitting ends it as today, the progress lost.
TEST(UnsavedReport, TryAgainSavesWhatTheBoxLeftTimeToMendAndQuitLosesIt) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    std::map<std::string, int> failing;
    FileCallHook hook([&](const std::string& call, const std::string& entry, const std::string&, unsigned) {
        const std::size_t dot = entry.find(".plist.tmp-");
        const auto cause = dot == std::string::npos ? failing.end() : failing.find(entry.substr(1, dot - 1));
        return call == "openat" && cause != failing.end() ? cause->second : 0;
    });
    std::vector<std::unique_ptr<ZQ::PlistFileStore>> stores;
    std::vector<ZQ::KeyValueStore*> played;
    const auto playOn = [&](const std::vector<std::pair<std::string, int>>& names) {
        stores.clear();
        played.clear();
        failing = {names.begin(), names.end()};
        for (const auto& [name, cause] : names) {
            played.push_back(
                stores.emplace_back(std::make_unique<ZQ::PlistFileStore>(folder.file(name + ".plist")))
                    .get());
            stores.back()->setInteger("level", 7);
            EXPECT_FALSE(stores.back()->synchronize());
        }
    };
    const auto saved = [&](const std::string& name) {
        return ZQ::PlistFileStore(folder.file(name + ".plist")).integerForKey("level") == 7;
    };

    playOn({{"full", ENOSPC}, {"locked", EACCES}});
    AnsweringBoxes mending([&](std::size_t question) {
        failing.erase(question == 0 ? "full" : "locked");
        return ZQUnsavedReport::kTryAgain;
    });
    testing::internal::CaptureStderr();
    EXPECT_EQ(ZQUnsavedReport::endSession(played, &mending), 0);
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_EQ(mending.asked.size(), 2u) << said;
    EXPECT_NE(mending.asked[0].find(folder.file("full.plist")), std::string::npos) << mending.asked[0];
    EXPECT_NE(mending.asked[0].find(folder.file("locked.plist")), std::string::npos) << mending.asked[0];
    EXPECT_EQ(mending.asked[1].find(folder.file("full.plist")), std::string::npos) << mending.asked[1];
    EXPECT_NE(mending.asked[1].find(folder.file("locked.plist")), std::string::npos) << mending.asked[1];
    EXPECT_TRUE(saved("full") && saved("locked"));
    // What standard error said was not saved, it says is saved in the end.
    EXPECT_TRUE(said.ends_with("velmora: the progress named above is saved now\n")) << said;

    playOn({{"quit", ENOSPC}});
    AnsweringBoxes quitting([&](std::size_t) {
        failing.clear();
        return ZQUnsavedReport::kQuit;
    });
    testing::internal::CaptureStderr();
    EXPECT_EQ(ZQUnsavedReport::endSession(played, &quitting), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find(
                  "velmora: this session's progress is not saved in " + folder.file("quit.plist")),
              std::string::npos);
    EXPECT_EQ(quitting.asked.size(), 1u);
    EXPECT_FALSE(saved("quit"));
}

// SIGTERM while the box is up (a session's end, a script's kill) closes it
// and ends the run unsaved, as quitting does: status 1, no further try, what
// is lost named on standard error before the box. The answer that came with
// the signal, and the room made meanwhile, count for nothing. Once the box
// is gone the signal is the window's again (SDL's handler, stood for here),
// as if no box had held it.
TEST(UnsavedReport, ASignalWhileTheBoxIsUpEndsTheRunUnsaved) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    bool full = true;
    FileCallHook hook([&](const std::string& call, const std::string& entry, const std::string&, unsigned) {
        return full && call == "openat" && entry.starts_with(".full.plist.tmp-") ? ENOSPC : 0;
    });
    ZQ::PlistFileStore store(folder.file("full.plist"));
    store.setInteger("level", 7);
    EXPECT_FALSE(store.synchronize());

    const ZQStopSignals window;
    AnsweringBoxes signalled([&](std::size_t) {
        full = false;
        std::raise(SIGTERM);
        return ZQUnsavedReport::kTryAgain;
    });
    testing::internal::CaptureStderr();
    EXPECT_EQ(ZQUnsavedReport::endSession({&store}, &signalled), 1);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(signalled.asked.size(), 1u);
    EXPECT_NE(ZQ::PlistFileStore(folder.file("full.plist")).integerForKey("level"), 7);
    const std::size_t named =
        said.find("velmora: this session's progress is not saved in " + folder.file("full.plist"));
    EXPECT_LT(named,
              said.find("velmora: SIGTERM closed the box \"" + std::string(ZQUnsavedReport::kTitle) + "\"\n"))
        << said;
    EXPECT_EQ(ZQStopSignals::received(), SIGTERM);
}

} // namespace
