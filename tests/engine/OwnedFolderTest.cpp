#include "engine/OwnedFolder.h"
#include "support/AsPlayer.h"
#include "support/FileCallHook.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

// The way to every folder the game writes in is checked from / down, as
// OpenSSH's StrictModes checks a key's.

namespace {

namespace fs = std::filesystem;
using ZQ::OwnedFolder;

void giveToPlayer(const std::string& path) {
    ASSERT_EQ(::lchown(path.c_str(), asplayer::kPlayer, asplayer::kPlayer), 0) << path;
}

// The way's refusal in words, or "" when it serves.
std::string refusalOf(const std::string& path, OwnedFolder::Make make = OwnedFolder::Make::no) {
    const OwnedFolder::Handle folder = OwnedFolder::open(path, make);
    return folder->usable() ? "" : ZQ::line(folder->refusal());
}

// A root game followed a player's link into a folder of root's, another user
// moved a data folder out of a folder open to all, and another user's link in
// /tmp sent the cloud file into a folder of theirs.
TEST(OwnedFolderTest, EveryFolderAndLinkFromRootDownIsTheGamesOrRootsAndNoneOpenToAll) {
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP() << "needs root: the folders of another user are made with chown";
    }
    TempFolder folder;
    fs::create_directories(folder.file("home/.local"));
    fs::create_directories(folder.file("rootdata"));
    fs::create_symlink(folder.file("rootdata"), folder.file("home/.local/share"));
    for (const char* entry : {"home", "home/.local", "home/.local/share"}) {
        giveToPlayer(folder.file(entry));
    }
    EXPECT_TRUE(refusalOf(folder.file("home/.local/share/velmora"), OwnedFolder::Make::yes)
                    .starts_with("the folder " + folder.file("home") + " belongs to nobody"));
    EXPECT_TRUE(folder.entries("rootdata").empty());
    for (const auto& [name, mode] : {std::pair{"open", 0777}, std::pair{"sticky", 01777}}) {
        fs::create_directories(folder.file(name) + "/velmora");
        ::chmod(folder.file(name).c_str(), static_cast<mode_t>(mode));
    }
    EXPECT_TRUE(refusalOf(folder.file("open/velmora")).ends_with("chmod o-w '" + folder.file("open") + "'"));
    EXPECT_EQ(refusalOf(folder.file("sticky/velmora")), "");
    fs::create_symlink(folder.file("rootdata"), folder.file("sticky/cloud"));
    giveToPlayer(folder.file("sticky/cloud"));
    EXPECT_TRUE(
        refusalOf(folder.file("sticky/cloud")).starts_with("the link " + folder.file("sticky/cloud")));
    // Seen from a root folder of its own, / is looked at and named.
    ::chmod(folder.path().c_str(), 0777);
    const std::string refusal = asplayer::apart(
        [&] {
            return ::chroot(folder.path().c_str()) == 0 && ::chdir("/") == 0 ? refusalOf("/sticky/velmora")
                                                                             : "";
        },
        false);
    EXPECT_TRUE(refusal.starts_with("the folder / ")) << refusal;
    EXPECT_EQ(refusal.find("chmod"), std::string::npos) << "/ is never a mend's: " << refusal;
}

// Under unshare --user or bubblewrap, / and every owner the namespace does
// not map show the overflow id: that is root there, and the player's own
// way, with its absolute links, serves.
TEST(OwnedFolderTest, InAUserNamespaceThatMapsNoRootThePlayersWayServes) {
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP() << "needs root: the test plays a player who enters a namespace";
    }
    TempFolder folder;
    fs::create_directories(folder.file("real"));
    fs::create_symlink(folder.file("real"), folder.file("link"));
    for (const char* entry : {"", "real", "link"}) {
        giveToPlayer(folder.file(entry));
    }
    const std::string seen = asplayer::run([&] {
        const std::string map = "4242 " + std::to_string(asplayer::kPlayer) + " 1";
        const auto put = [](const char* file, const std::string& text) {
            return (std::ofstream(file) << text << std::flush).good();
        };
        // Changing the user made the process undumpable, and its /proc
        // files root's: the maps could not be written.
        return ::prctl(PR_SET_DUMPABLE, 1) == 0 && ::unshare(CLONE_NEWUSER) == 0 &&
                       put("/proc/self/setgroups", "deny") && put("/proc/self/uid_map", map) &&
                       put("/proc/self/gid_map", map)
                   ? refusalOf(folder.file("link")) + "usable"
                   : "no namespace";
    });
    if (seen == "no namespace") {
        GTEST_SKIP() << "this machine lets no user enter a user namespace";
    }
    EXPECT_EQ(seen, "usable");
}

// A sync tool replaces the player's link with the file while the game
// follows it: the entry changed, and is looked at again.
TEST(OwnedFolderTest, ALinkReplacedWhileFollowedIsLookedAtAgain) {
    TempFolder folder;
    const std::string link = folder.file("defaults.plist");
    fs::create_symlink("target", link);
    const FileCallHook hook(
        [&](const std::string& call, const std::string& entry, const std::string&, unsigned) {
            if (call == "readlinkat" && entry == "defaults.plist" && fs::is_symlink(link)) {
                fs::remove(link);
                TempFolder::write(link, "synced");
            }
            return 0;
        });
    const OwnedFolder::Reached reached = OwnedFolder::open(folder.path(), OwnedFolder::Make::no)
                                             ->entry("defaults.plist", OwnedFolder::Make::no);
    EXPECT_TRUE(reached.folder->usable());
    EXPECT_EQ(reached.folder->path() + "/" + reached.name, link);
}

} // namespace
