#include "engine/StoreLocations.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

namespace {

// HOME=relative/dir made ./relative/dir/.local/share/velmora wherever the game started.
TEST(StoreLocationsTest, ARelativeHomeOrCloudFolderIsIgnoredAndLogged) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(ZQ::chooseDataFolder(nullptr, "relative/dir"),
              std::string(::getpwuid(::getuid())->pw_dir) + "/.local/share/velmora");
    EXPECT_EQ(ZQ::chooseCloudFolder("sync/velmora", "/d/velmora"), "/d/velmora/cloud");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("HOME=relative/dir is not an absolute path"), std::string::npos) << log;
}

// A home of / was shown as //.local/share/velmora.
TEST(StoreLocationsTest, AFolderIsJoinedToItsNameWithOneSlash) {
    EXPECT_EQ(ZQ::chooseDataFolder(nullptr, "/"), "/.local/share/velmora");
    EXPECT_EQ(ZQ::chooseDataFolder("/data//", "/home/alice"), "/data/velmora");
    EXPECT_EQ(ZQ::chooseCloudFolder(nullptr, "/"), "/cloud");
}

} // namespace
