#include "platform/ZQDialogPresenter.h"
#include "platform/ZQUnsavedReport.h"

#include "engine/PlistFileStore.h"
#include "support/FileCallHook.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

namespace {

// A store whose writes fail, with a cause of its own, until `failingTries`
// tries have been made.
class FailingStore final : public ZQ::KeyValueStore {
public:
    FailingStore(std::optional<std::string> why, int failingTries)
        : why(std::move(why)), failingTries(failingTries) {}

    const ZQ::StoreValue* object(std::string_view) const override { return nullptr; }
    void setObject(std::string_view, ZQ::StoreValue) override {}
    void remove(std::string_view) override {}
    bool synchronize() override {
        ++tries;
        if (why && tries > failingTries) {
            why.reset();
        }
        return !why;
    }
    std::vector<std::string> pullExternalChanges() override { return {}; }
    std::vector<std::string> takeConflicts() override { return {}; }
    std::string refusal() const override { return {}; }
    std::optional<std::string> unsaved() const override { return why; }
    const ZQ::StoreValue::Dictionary& contents() const override { return empty; }

    int tries = 0;

private:
    std::optional<std::string> why;
    int failingTries;
    ZQ::StoreValue::Dictionary empty;
};

class RecordingBoxes final : public ZQDialogPresenter {
public:
    void present(const ZQDialog& dialog, std::function<void()> dismissed) override {
        shown.push_back(dialog);
        dismissed();
    }
    std::vector<ZQDialog> shown;
};

bool holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The end of a session: each store tried once more, each still failing
// named with its cause, on standard error and in the window's box, and the
// run failed; a store the last try saved is not named.
TEST(UnsavedReport, EachStoreTheLastTryCannotSaveIsNamedWithWhyAndFailsTheRun) {
    const std::string full = "write failed: No space left on device";
    const std::string readOnly = "a new file cannot be made: Permission denied";
    FailingStore defaults(full, 1000);
    FailingStore cloud(std::nullopt, 0);
    FailingStore boards(readOnly, 1000);
    FailingStore mended(full, 0); // the disk had room again by the end
    const std::vector<ZQUnsavedReport::StoreFile> stores = {{&defaults, "/data/velmora/defaults.plist"},
                                                            {&cloud, "/data/velmora/cloud/cloud.plist"},
                                                            {&boards, "/data/velmora/leaderboards.plist"},
                                                            {&mended, "/elsewhere/mended.plist"}};
    RecordingBoxes boxes;
    testing::internal::CaptureStderr();
    const int status = ZQUnsavedReport::endSession(stores, &boxes);
    const std::string said = testing::internal::GetCapturedStderr();

    EXPECT_EQ(status, 1);
    EXPECT_EQ(defaults.tries, 1);
    EXPECT_EQ(boards.tries, 1);
    EXPECT_EQ(mended.tries, 1);
    EXPECT_TRUE(
        holds(said, "velmora: this session's progress is not saved in /data/velmora/defaults.plist: " + full +
                        "\n"))
        << said;
    EXPECT_TRUE(holds(said, "velmora: this session's progress is not saved in "
                            "/data/velmora/leaderboards.plist: " +
                                readOnly + "\n"))
        << said;
    EXPECT_FALSE(holds(said, "cloud.plist")) << said;
    EXPECT_FALSE(holds(said, "mended.plist")) << said;
    // What to do, once, as the last line.
    const std::size_t advice = said.find("velmora: free some space");
    EXPECT_EQ(said.rfind("velmora: "), advice) << said;
    EXPECT_EQ(said.back(), '\n');

    ASSERT_EQ(boxes.shown.size(), 1u);
    const ZQDialog& box = boxes.shown.front();
    EXPECT_EQ(box.title, "Velmora could not save your progress");
    for (const std::string& part : {std::string("/data/velmora/defaults.plist"), full,
                                    std::string("/data/velmora/leaderboards.plist"), readOnly}) {
        EXPECT_TRUE(holds(box.message, part)) << part << "\n" << box.message;
    }
    EXPECT_FALSE(holds(box.message, "cloud.plist")) << box.message;
    EXPECT_FALSE(holds(box.message, "mended.plist")) << box.message;

    // Headless there is no box: the lines alone say it.
    FailingStore still(full, 1000);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ZQUnsavedReport::endSession({{&still, "/data/velmora/defaults.plist"}}, nullptr), 1);
    EXPECT_TRUE(holds(testing::internal::GetCapturedStderr(), "/data/velmora/defaults.plist: " + full));
}

// A real store on a disk that is full (its new file cannot be made) keeps
// its changes in memory and fails the run; once there is room, the last try
// saves them, and the run ends with status 0 saying nothing.
TEST(UnsavedReport, AFileStoreOnAFullDiskFailsTheRunUnlessTheLastTryFindsRoom) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string path = folder.file("defaults.plist");
    bool diskFull = true;
    FileCallHook hook([&](const std::string& call, const std::string& entry, const std::string&, unsigned) {
        return diskFull && call == "openat" && entry.rfind(".defaults.plist.tmp-", 0) == 0 ? ENOSPC : 0;
    });
    ZQ::PlistFileStore store(path);
    store.setInteger("level", 7);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(store.synchronize());
    EXPECT_EQ(ZQUnsavedReport::endSession({{&store, path}}, nullptr), 1);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(holds(said, "velmora: this session's progress is not saved in " + path +
                                ": a new file cannot be made: No space left on device\n"))
        << said;

    diskFull = false;
    RecordingBoxes boxes;
    testing::internal::CaptureStderr();
    EXPECT_EQ(ZQUnsavedReport::endSession({{&store, path}}, &boxes), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ZQ::PlistFileStore(path).integerForKey("level"), 7);
}

} // namespace
