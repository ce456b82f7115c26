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

// Each store the last try cannot save is named with why, on standard error
// and in the window's box, and fails the run; one it saves counts as saved.
TEST(UnsavedReport, EachStoreTheLastTryCannotSaveIsNamedWithWhyAndFailsTheRun) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    std::map<std::string, int> failing = {{"full", ENOSPC}, {"locked", EACCES}, {"mended", ENOSPC}};
    FileCallHook hook([&](const std::string& call, const std::string& entry, const std::string&, unsigned) {
        const std::size_t dot = entry.find(".plist.tmp-");
        const auto cause = dot == std::string::npos ? failing.end() : failing.find(entry.substr(1, dot - 1));
        return call == "openat" && cause != failing.end() ? cause->second : 0;
    });
    std::vector<std::unique_ptr<ZQ::PlistFileStore>> stores;
    std::vector<ZQUnsavedReport::StoreFile> files;
    for (const char* name : {"full", "locked", "mended"}) {
        const std::string path = folder.file(name + std::string(".plist"));
        files.push_back({stores.emplace_back(std::make_unique<ZQ::PlistFileStore>(path)).get(), path});
        stores.back()->setInteger("level", 7);
        EXPECT_FALSE(stores.back()->synchronize());
    }
    failing.erase("mended");
    RecordingBoxes boxes;
    testing::internal::CaptureStderr();
    EXPECT_EQ(ZQUnsavedReport::endSession(files, &boxes), 1);
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_EQ(boxes.shown.size(), 1u);
    const std::string& box = boxes.shown.front().message;
    for (const auto& [file, why] : {std::pair(files[0].path, std::string("No space left on device")),
                                    {files[1].path, "Permission denied"}}) {
        const std::string cause = "a new file cannot be made: " + why;
        EXPECT_NE(said.find("velmora: this session's progress is not saved in " + file + ": " + cause + "\n"),
                  std::string::npos)
            << said;
        EXPECT_NE(box.find(file), std::string::npos) << box;
        EXPECT_NE(box.find(cause), std::string::npos) << box;
    }
    EXPECT_EQ(said.find("mended"), std::string::npos) << said;
    EXPECT_EQ(box.find("mended"), std::string::npos) << box;
    EXPECT_EQ(said.rfind("velmora: "), said.find("velmora: free some space"))
        << "what to do comes once, last";

    failing.clear();
    boxes.shown.clear();
    testing::internal::CaptureStderr();
    EXPECT_EQ(ZQUnsavedReport::endSession(files, &boxes), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ZQ::PlistFileStore(files[2].path).integerForKey("level"), 7);
}

} // namespace
