#include "engine/PlistFileStore.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>

// A link of the player's in a store file's place that leads to no file (a
// loop, itself through ".", a folder) once refused the store, and the run's
// progress with it: it is the damaged entry, kept aside as any other.

namespace {

namespace fs = std::filesystem;

std::vector<std::string> defaultsKeptAside(const TempFolder& folder) {
    std::vector<std::string> found;
    for (const std::string& entry : folder.entries()) {
        if (entry.rfind("defaults.plist.corrupt-", 0) == 0) {
            found.push_back(entry);
        }
    }
    return found;
}

TEST(PlistFileStoreLinksTest, ALinkThatLeadsToNoFileIsKeptAsideAndWhatItNamesIsUntouched) {
    using Maker = std::function<void(const TempFolder&)>;
    const std::vector<std::pair<std::string, Maker>> cases = {
        {"a loop",
         [](const TempFolder& f) {
             fs::create_symlink("loopb", f.file("defaults.plist"));
             fs::create_symlink("defaults.plist", f.file("loopb"));
         }},
        {"a link to .", [](const TempFolder& f) { fs::create_symlink(".", f.file("defaults.plist")); }},
        {"a link to a folder",
         [](const TempFolder& f) { fs::create_symlink("sub", f.file("defaults.plist")); }},
    };
    for (const auto& [what, make] : cases) {
        SCOPED_TRACE(what);
        TempFolder folder;
        fs::create_directories(folder.file("sub"));
        TempFolder::write(folder.file("sub/defaults.plist"), "<plist><dict><key>k</key><integer>7</integer>"
                                                             "</dict></plist>");
        make(folder);
        const std::string target = fs::read_symlink(folder.file("defaults.plist")).string();
        ZQ::PlistFileStore store(folder.file("defaults.plist"));
        EXPECT_EQ(store.refusal(), "");
        EXPECT_EQ(store.integerForKey("k"), 0);
        const std::vector<std::string> aside = defaultsKeptAside(folder);
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(fs::read_symlink(folder.file(aside[0])).string(), target);

        store.setInteger("k", 3);
        EXPECT_TRUE(store.synchronize());
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder.file("defaults.plist"))));
        EXPECT_EQ(ZQ::PlistFileStore(folder.file("defaults.plist")).integerForKey("k"), 3);
        EXPECT_EQ(folder.entries("sub"), std::vector<std::string>{"defaults.plist"});
        EXPECT_NE(TempFolder::read(folder.file("sub/defaults.plist")).find("<integer>7</integer>"),
                  std::string::npos);
    }
}

} // namespace
