#include "platform/ZQDialogPresenter.h"
#include "platform/ZQUnsavedReport.h"

#include "engine/PlistFileStore.h"
#include "support/FileCallHook.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
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

} // namespace
