#include "engine/OwnedFolder.h"
#include "support/AsPlayer.h"
#include "support/FileCallHook.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

// The way to every folder the game writes in is checked as StrictModes checks a key's.

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

// A root game followed a player's link into root's folder, a user moved a data
// folder out of one open to all, and a user's /tmp link took the cloud file.
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
    const auto fromItsRoot = [&] {
        return ::chroot(folder.path().c_str()) == 0 && ::chdir("/") == 0 ? refusalOf("/sticky/velmora") : "";
    };
    const std::string refusal = asplayer::apart(fromItsRoot, false);
    EXPECT_TRUE(refusal.starts_with("the folder / ")) << refusal;
    EXPECT_EQ(refusal.find("chmod"), std::string::npos) << "/ is never a mend's: " << refusal;
}

// A folder above the home open to all (a shared mount) held off every start.
TEST(OwnedFolderTest, AWayIntoTheHomeIsCheckedFromTheHomeDownAndAnyOtherFromRoot) {
    TempFolder folder;
    const std::string above = folder.file("above");
    const std::string home = above + "/home";
    fs::create_directories(home + "/real");
    fs::create_directories(above + "/out");
    fs::create_symlink(home + "/real", home + "/in");
    fs::create_symlink(above + "/out", home + "/away");
    ASSERT_EQ(::chmod(above.c_str(), 0777), 0);
    ScopedEnvironment environment;
    environment.set("HOME", home + "/");
    EXPECT_EQ(refusalOf(home + "/.local/share/velmora", OwnedFolder::Make::yes), "");
    EXPECT_EQ(refusalOf(home + "/in"), "");
    for (const std::string& outside : {home + "/away", above + "/out", home + "/../out"}) {
        EXPECT_TRUE(refusalOf(outside).starts_with("the folder " + above + " belongs to")) << outside;
    }
    ASSERT_EQ(::chmod(home.c_str(), 0777), 0);
    EXPECT_TRUE(refusalOf(home + "/real").starts_with("the folder " + home + " belongs to"));
    ::chmod(home.c_str(), 0755);
}

// A stow link's ".." out of the home kept its standing: root's folder got a sudo chown -R.
TEST(OwnedFolderTest, ARelativeLinkOutOfTheHomeIsJudgedWhereItLeads) {
    TempFolder folder;
    const std::string home = folder.file("home");
    fs::create_directories(home + "/.local");
    fs::create_directories(folder.file("mine/share"));
    const std::string toRoot = fs::path("/").lexically_relative(home + "/.local").string() + "/";
    fs::create_symlink(toRoot + "usr/share", home + "/.local/share");
    fs::create_symlink(toRoot, home + "/up");
    fs::create_symlink("../../mine/share", home + "/.local/own");
    for (const char* entry : {"", "home", "home/.local", "home/.local/share", "home/up", "home/.local/own",
                              "mine", "mine/share"}) {
        ASSERT_TRUE(!asplayer::testsRunAsRoot() ||
                    ::lchown(folder.file(entry).c_str(), asplayer::kPlayer, asplayer::kPlayer) == 0);
    }
    ScopedEnvironment environment;
    environment.set("HOME", home);
    const std::string seen = asplayer::run([&] {
        return refusalOf(home + "/.local/share/velmora", OwnedFolder::Make::yes) + "\n" +
               refusalOf(home + "/up/velmora", OwnedFolder::Make::yes) + "\n" +
               refusalOf(home + "/.local/own/velmora", OwnedFolder::Make::yes);
    });
    EXPECT_EQ(seen.find("chown"), std::string::npos) << seen;
    EXPECT_TRUE(seen.starts_with("the folder /usr/share belongs to root")) << seen;
    EXPECT_NE(seen.find("\nthe folder / belongs to root"), std::string::npos) << seen;
    EXPECT_TRUE(seen.ends_with("\n")) << "the player's own link out of the home serves: " << seen;
    EXPECT_TRUE(fs::is_directory(folder.file("mine/share/velmora")));
}

// Enters a user namespace showing this process as `inside`; false where none
// can be made. Dumpable again: a changed user left the maps root's.
bool enterNamespace(uid_t inside) {
    const auto put = [](const char* file, const std::string& text) {
        return (std::ofstream(file) << text << std::flush).good();
    };
    const std::string uids = std::to_string(inside) + " " + std::to_string(::geteuid()) + " 1";
    const std::string gids = std::to_string(inside) + " " + std::to_string(::getegid()) + " 1";
    return ::prctl(PR_SET_DUMPABLE, 1) == 0 && ::unshare(CLONE_NEWUSER) == 0 &&
           put("/proc/self/setgroups", "deny") && put("/proc/self/uid_map", uids) &&
           put("/proc/self/gid_map", gids);
}

// In a user namespace (nested too) the overflow id that / and unmapped owners show refused all.
TEST(OwnedFolderTest, InAnyUserNamespaceTheOverflowIdIsTheSystemsAndThePlayersWayServes) {
    TempFolder folder;
    fs::create_directories(folder.file("real"));
    fs::create_symlink(folder.file("real"), folder.file("link"));
    for (const char* entry : {"", "real", "link"}) {
        ASSERT_TRUE(asplayer::handToPlayer(folder.file(entry)));
    }
    for (const std::vector<uid_t>& nesting : {std::vector<uid_t>{4242}, {0, 1234}}) {
        const std::string seen = asplayer::run([&] {
            return std::ranges::all_of(nesting, enterNamespace) ? refusalOf(folder.file("link")) + "usable"
                                                                : "no namespace";
        });
        if (seen == "no namespace") {
            GTEST_SKIP() << "this machine lets no user enter a user namespace";
        }
        EXPECT_EQ(seen, "usable") << nesting.size() << " namespaces deep";
    }
}

// In a namespace another user's link in a sticky folder open to all was followed.
TEST(OwnedFolderTest, InANamespaceAnotherUsersLinkInAFolderSharedByAllIsNeverFollowed) {
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP() << "needs root: a link of another user is made with lchown";
    }
    TempFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    fs::create_directories(folder.file("real"));
    fs::create_directories(folder.file("shared"));
    fs::create_symlink(folder.file("real"), folder.file("shared/theirs"));
    fs::create_symlink(folder.file("real"), folder.file("shared/mine"));
    constexpr uid_t kOther = 4321;
    ASSERT_EQ(::lchown(folder.file("shared/theirs").c_str(), kOther, kOther), 0);
    for (const char* entry : {"real", "shared/mine"}) {
        ASSERT_EQ(::lchown(folder.file(entry).c_str(), asplayer::kPlayer, asplayer::kPlayer), 0);
    }
    // Shared by all, as /tmp; or by a group, where outside the link of
    // another user was refused and inside a namespace followed.
    for (const auto& shape : {std::pair{01777, false}, {01777, true}, {0775, false}, {0775, true}}) {
        const int mode = shape.first;
        const bool nested = shape.second; // a structured binding clang 14 will not capture
        SCOPED_TRACE(std::string(mode == 0775 ? "group-writable, " : "sticky, ") +
                     (nested ? "in a namespace" : "outside"));
        ASSERT_EQ(::chmod(folder.file("shared").c_str(), static_cast<mode_t>(mode)), 0);
        const std::string seen = asplayer::run([&] {
            if (nested && !enterNamespace(4242)) {
                return std::string("no namespace");
            }
            return refusalOf(folder.file("shared/theirs")) + "|" + refusalOf(folder.file("shared/mine"));
        });
        if (seen == "no namespace") {
            GTEST_SKIP() << "this machine lets no user enter a user namespace";
        }
        EXPECT_TRUE(seen.starts_with("the link " + folder.file("shared/theirs") + " belongs to ")) << seen;
        if (mode == 01777) {
            EXPECT_EQ(seen.find("run the game as"), std::string::npos) << seen; // theirs to keep
        }
        EXPECT_TRUE(seen.ends_with("|")) << "the player's own link is followed: " << seen;
    }
}

// A way through /proc/self/cwd into another user's folder was mended with
// rm '/proc/<pid>/cwd', a link of a process that had ended.
TEST(OwnedFolderTest, AWayThroughTheKernelsOwnLinksNamesNoneOfThemToRemove) {
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP() << "needs root: a folder of another user is made with chown";
    }
    TempFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    fs::create_directories(folder.file("theirs"));
    ASSERT_EQ(::chown(folder.file("theirs").c_str(), 4321, 4321), 0);
    const std::string seen = asplayer::run([&] {
        // Dumpable, as the player's own game is: its /proc entries are its own.
        const bool ready = ::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0) == 0 && ::chdir(folder.path().c_str()) == 0;
        return ready ? refusalOf("/proc/self/cwd/theirs/velmora") : "not ready";
    });
    EXPECT_NE(seen.find(" belongs to uid 4321"), std::string::npos) << seen;
    EXPECT_EQ(seen.find("rm '/proc"), std::string::npos) << seen;
}

// However spelt a way is one folder; again() makes one noted missing; a refused one makes none.
TEST(OwnedFolderTest, AWayIsOneFolderHoweverItIsSpeltAndOneNotedMissingIsMadeAgain) {
    TempFolder folder;
    const OwnedFolder::Handle noted =
        OwnedFolder::open(folder.path() + "//data/./velmora/", OwnedFolder::Make::no);
    ASSERT_TRUE(noted->usable());
    EXPECT_TRUE(noted->missing());
    EXPECT_EQ(noted->path(), folder.path() + "/data/velmora");
    const OwnedFolder::Handle made = noted->again(OwnedFolder::Make::yes);
    ASSERT_TRUE(made->usable());
    EXPECT_FALSE(made->missing());
    EXPECT_EQ(made->path(), folder.path() + "/data/velmora");
    EXPECT_TRUE(fs::is_directory(folder.file("data/velmora")));
    EXPECT_EQ(made->again(OwnedFolder::Make::no), made);
    const OwnedFolder::Reached reached = noted->entry(".//store.plist", OwnedFolder::Make::no);
    ASSERT_TRUE(reached.folder->usable());
    EXPECT_EQ(reached.folder->path(), made->path());
    EXPECT_EQ(reached.name, "store.plist");
    const std::string openToAll = folder.file("open");
    ASSERT_EQ(::mkdir(openToAll.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(openToAll.c_str(), 0777), 0);
    const OwnedFolder::Handle refused = OwnedFolder::open(openToAll, OwnedFolder::Make::no);
    ASSERT_FALSE(refused->usable());
    EXPECT_EQ(refused->below("cloud", OwnedFolder::Make::yes), refused);
    EXPECT_FALSE(fs::exists(openToAll + "/cloud"));
}

// A sync tool replaced the player's link with the file while the game followed it.
TEST(OwnedFolderTest, ALinkReplacedWhileFollowedIsLookedAtAgain) {
    TempFolder folder;
    const std::string link = folder.file("defaults.plist");
    fs::create_symlink("target", link);
    const FileCallHook hook([&](const auto& call, const auto& entry, const auto&, unsigned) {
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
