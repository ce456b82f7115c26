#include "platform/ZQDataFolderLock.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

// Whatever stands where the lock file goes, a game takes the folder and a
// second game is turned away: a folder, a link or a FIFO there once let
// every game play on the folder, each writing its record over the others'.

namespace {

namespace fs = std::filesystem;

TEST(DataFolderLockTest, AnythingButALockFileIsSetAsideAndTheFolderStillHoldsOneGame) {
    const std::vector<std::pair<std::string, std::function<void(const TempFolder&, const std::string&)>>>
        cases = {
            {"a folder",
             [](const TempFolder&, const std::string& lock) { fs::create_directories(lock + "/inside"); }},
            {"a dangling link", [](const TempFolder& f,
                                   const std::string& lock) { fs::create_symlink(f.file("nowhere"), lock); }},
            {"a link to a file",
             [](const TempFolder& f, const std::string& lock) {
                 TempFolder::write(f.file("elsewhere.txt"), "kept");
                 fs::create_symlink(f.file("elsewhere.txt"), lock);
             }},
            {"a FIFO", [](const TempFolder&, const std::string& lock) { ::mkfifo(lock.c_str(), 0644); }},
        };
    for (const auto& [what, make] : cases) {
        SCOPED_TRACE(what);
        TempFolder folder;
        ASSERT_TRUE(folder.ok());
        const std::string data = folder.file("data");
        fs::create_directories(data);
        make(folder, data + "/.lock");
        testing::internal::CaptureStderr();
        const ZQDataFolderLock first(data);
        const ZQDataFolderLock second(data);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(first.heldElsewhere()) << log;
        EXPECT_TRUE(second.heldElsewhere()) << log;
        EXPECT_NE(second.refusal.find("process " + std::to_string(::getpid())), std::string::npos)
            << second.refusal;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(data + "/.lock")));
        const std::vector<std::string> entries = folder.entries("data");
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[1].rfind(".lock.corrupt-", 0), 0u) << entries[1];
        if (fs::exists(folder.file("elsewhere.txt"))) {
            EXPECT_EQ(TempFolder::read(folder.file("elsewhere.txt")), "kept")
                << "the link's target was written";
        }
    }
}

} // namespace
