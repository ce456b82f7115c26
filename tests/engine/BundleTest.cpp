#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/Bundle.h"

namespace {

namespace fs = std::filesystem;

TEST(BundleTest, FolderIsTheVariableThenTheBuildTreeThenTheInstalledShare) {
    EXPECT_EQ(ZQ::chooseBundleFolder("/opt/assets/", "/usr/games/velmora", "/src/build"), "/opt/assets");
    EXPECT_EQ(ZQ::chooseBundleFolder("", "/src/build/tools/x/tool", "/src/build"), "/src/build/bundle");
    EXPECT_EQ(ZQ::chooseBundleFolder(nullptr, "/src/build/velmora", "/src/build/"), "/src/build/bundle");
    // A sibling folder that merely starts with the build folder's name is not inside it.
    EXPECT_EQ(ZQ::chooseBundleFolder(nullptr, "/src/build-asan/velmora", "/src/build"),
              "/src/share/games/velmora");
    EXPECT_EQ(ZQ::chooseBundleFolder(nullptr, "/usr/local/bin/velmora", ""),
              "/usr/local/share/games/velmora");
}

TEST(BundleTest, TestsRunFromTheBuildTreeReadItsBundle) {
    if (std::getenv("VELMORA_BUNDLE") != nullptr) {
        GTEST_SKIP() << "VELMORA_BUNDLE chooses the folder";
    }
    EXPECT_EQ(fs::path(ZQ::bundleFolder()).filename(), "bundle");
}

TEST(BundleTest, LooksUpRegularFilesByNameAndExtensionOnly) {
    const fs::path folder = fs::temp_directory_path() / ("velmora-bundle-" + std::to_string(::getpid()));
    fs::create_directories(folder / "sub");
    std::ofstream(folder / "tile_bg_1px.pvr") << "x";
    std::ofstream(folder / "captions") << "x";
    std::ofstream(folder / "sub" / "deep.caf") << "x";
    const std::string f = folder.string();

    EXPECT_EQ(ZQ::pathForResourceIn(f, "tile_bg_1px", "pvr"), f + "/tile_bg_1px.pvr");
    EXPECT_EQ(ZQ::pathForResourceIn(f, "captions", ""), f + "/captions");
    EXPECT_EQ(ZQ::pathForResourceIn(f, "sub/deep", "caf"), f + "/sub/deep.caf");
    EXPECT_EQ(ZQ::pathForResourceIn(f, "tile_bg_1px", "png"), "");
    EXPECT_EQ(ZQ::pathForResourceIn(f, "sub", ""), "") << "a folder is no resource";
    EXPECT_EQ(ZQ::pathForResourceIn(f, "", "pvr"), "");
    EXPECT_EQ(ZQ::pathForResourceIn(f + "/sub", "../tile_bg_1px", "pvr"), "");
    EXPECT_EQ(ZQ::pathForResourceIn(f, f + "/tile_bg_1px", "pvr"), "");
    fs::remove_all(folder);
}

} // namespace
