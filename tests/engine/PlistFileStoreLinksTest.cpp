#include "engine/PlistFileStore.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

// A link of the player's in a store file's place that leads to no file (a
// loop, itself through ".", a folder, below a file) once refused the store, and the run's
// progress with it: it is the damaged entry, kept aside as any other.

namespace {

namespace fs = std::filesystem;

TEST(PlistFileStoreLinksTest, ALinkThatLeadsToNoFileIsKeptAsideAndWhatItNamesIsUntouched) {
    for (const char* target : {"loop", ".", "sub", "sub/defaults.plist/x"}) {
        SCOPED_TRACE(target);
        TempFolder folder;
        const std::string path = folder.file("defaults.plist");
        fs::create_directories(folder.file("sub"));
        const std::string named = "<plist><dict><key>k</key><integer>7</integer></dict></plist>";
        TempFolder::write(folder.file("sub/defaults.plist"), named);
        fs::create_symlink("defaults.plist", folder.file("loop"));
        fs::create_symlink(target, path);
        ZQ::PlistFileStore store(path);
        EXPECT_EQ(store.refusal(), "");
        EXPECT_EQ(store.integerForKey("k"), 0);
        store.setInteger("k", 3);
        EXPECT_TRUE(store.synchronize());
        EXPECT_EQ(ZQ::PlistFileStore(path).integerForKey("k"), 3);
        EXPECT_EQ(folder.entries().size(), 4u) << "the file, the link kept aside, loop and sub";
        EXPECT_EQ(TempFolder::read(folder.file("sub/defaults.plist")), named);
        EXPECT_EQ(folder.entries("sub"), std::vector<std::string>{"defaults.plist"});
    }
}

} // namespace
