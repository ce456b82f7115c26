#include "engine/OwnedFolder.h"
#include "support/AsPlayer.h"
#include "support/FileCallHook.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// The way to every folder the game writes in is checked from / down, as
// OpenSSH's StrictModes checks a key's: a root game once followed a
// player's link into a folder of root's, another user moved a data folder
// out of a folder open to all, and another user's link in /tmp sent the
// cloud file into a folder of theirs.

namespace {

namespace fs = std::filesystem;
using ZQ::OwnedFolder;

// What `part` returns, run in a child process of root's (a chroot, or a
// namespace, stays there).
std::string runApart(const std::function<std::string()>& part) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return "failed";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const std::string report = part();
        const bool sent =
            ::write(channel[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n = 0; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    const bool ended =
        child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return ended ? report : "failed";
}

void giveToPlayer(const std::string& path) {
    ASSERT_EQ(::lchown(path.c_str(), asplayer::kPlayer, asplayer::kPlayer), 0) << path;
}

bool writeProcFile(const char* path, const std::string& text) {
    std::ofstream out(path);
    out << text;
    out.flush();
    return static_cast<bool>(out);
}

TEST(OwnedFolderTest, EveryFolderAndLinkFromTheRootDownIsTheGamesOrRootsAndNoneOpenToAll) {
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP() << "needs root: the folders of another user are made with chown";
    }
    TempFolder folder;
    // A root game with the player's HOME: the player's link leads into a
    // folder of root's, and nothing may be made there.
    fs::create_directories(folder.file("home/.local"));
    fs::create_directories(folder.file("rootdata"));
    fs::create_symlink(folder.file("rootdata"), folder.file("home/.local/share"));
    for (const char* entry : {"home", "home/.local", "home/.local/share"}) {
        giveToPlayer(folder.file(entry));
    }
    const OwnedFolder::Handle sudoed =
        OwnedFolder::open(folder.file("home/.local/share/velmora"), OwnedFolder::Make::yes);
    EXPECT_EQ(sudoed->refusal(), "the folder " + folder.file("home") +
                                     " belongs to nobody (uid 65534), and the game runs as root (uid 0); run "
                                     "the game as nobody (uid 65534)");
    EXPECT_TRUE(folder.entries("rootdata").empty());

    // A folder every user may write in lets any of them move the data
    // folder away; a sticky one (as /tmp is) or one of the owner's group
    // does not.
    for (const auto& [name, mode] :
         {std::pair{"open", 0777}, std::pair{"sticky", 01777}, std::pair{"group", 0770}}) {
        fs::create_directories(folder.file(name) + "/velmora");
        ::chmod(folder.file(name).c_str(), static_cast<mode_t>(mode));
    }
    EXPECT_EQ(
        OwnedFolder::open(folder.file("open/velmora"), OwnedFolder::Make::no)->refusal(),
        "the folder " + folder.file("open") +
            " belongs to root (uid 0) and every user may write in it (mode 0777); take that right away: "
            "chmod o-w '" +
            folder.file("open") + "'");
    EXPECT_FALSE(OwnedFolder::open(folder.file("open"), OwnedFolder::Make::no)->usable());
    for (const char* name : {"sticky/velmora", "group/velmora"}) {
        const OwnedFolder::Handle taken = OwnedFolder::open(folder.file(name), OwnedFolder::Make::no);
        EXPECT_TRUE(taken->usable() && !taken->missing()) << name << ": " << taken->refusal();
    }

    // Another user's link in the sticky folder leads to a folder of root's:
    // the link is theirs, and the way is refused there.
    fs::create_symlink(folder.file("rootdata"), folder.file("sticky/cloud"));
    giveToPlayer(folder.file("sticky/cloud"));
    EXPECT_EQ(OwnedFolder::open(folder.file("sticky/cloud"), OwnedFolder::Make::no)->refusal(),
              "the link " + folder.file("sticky/cloud") +
                  " belongs to nobody (uid 65534), and the game runs as root (uid 0); run the game as "
                  "nobody (uid 65534)");

    // A player's game meets a folder of another user: the mend may be either.
    ASSERT_TRUE(asplayer::handToPlayer(folder.path()));
    fs::create_directories(folder.file("others"));
    ASSERT_EQ(::chown(folder.file("others").c_str(), 4243, 4243), 0);
    EXPECT_EQ(
        asplayer::run(
            [&] { return OwnedFolder::open(folder.file("others/x"), OwnedFolder::Make::no)->refusal(); }),
        "the folder " + folder.file("others") +
            " belongs to uid 4243, and the game runs as nobody (uid 65534); run the game as uid 4243, or "
            "give it to nobody: sudo chown nobody: '" +
            folder.file("others") + "'");
}

// The root folder is the first on every way, and a refusal of it names it.
TEST(OwnedFolderTest, TheRootFolderItselfIsLookedAtAndNamed) {
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP() << "needs root: the test makes a root folder of its own with chroot";
    }
    TempFolder folder;
    fs::create_directories(folder.file("data"));
    fs::create_symlink("/data", folder.file("link"));
    ::chmod(folder.path().c_str(), 0777);
    const std::string refusals = runApart([&] {
        if (::chroot(folder.path().c_str()) != 0 || ::chdir("/") != 0) {
            return std::string("no chroot");
        }
        return OwnedFolder::open("/data", OwnedFolder::Make::no)->refusal() + "\n" +
               OwnedFolder::open("/tmp", OwnedFolder::Make::no)
                   ->entry("link/x", OwnedFolder::Make::no)
                   .first->refusal();
    });
    const std::string refusal =
        "the folder / belongs to uid 0 and every user may write in it (mode 0777); take that right away: "
        "chmod o-w '/'";
    EXPECT_EQ(refusals, refusal + "\n" + refusal);
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
    TempFolder::write(folder.file("real/defaults.plist"), "");
    fs::create_symlink(folder.file("real/defaults.plist"), folder.file("defaults.plist"));
    for (const char* entry : {"", "real", "real/defaults.plist", "defaults.plist"}) {
        giveToPlayer(folder.file(entry));
    }
    const std::string seen = asplayer::run([&] {
        const std::string map = "4242 " + std::to_string(asplayer::kPlayer) + " 1";
        // Changing the user made the process undumpable, and its /proc
        // files root's: the maps could not be written.
        if (::prctl(PR_SET_DUMPABLE, 1) != 0 || ::unshare(CLONE_NEWUSER) != 0 ||
            !writeProcFile("/proc/self/setgroups", "deny") || !writeProcFile("/proc/self/uid_map", map) ||
            !writeProcFile("/proc/self/gid_map", map)) {
            return std::string("no namespace");
        }
        const auto [in, name] = OwnedFolder::open(folder.path(), OwnedFolder::Make::no)
                                    ->entry("defaults.plist", OwnedFolder::Make::no);
        return std::to_string(::geteuid()) + " " + (in->usable() ? in->path() + "/" + name : in->refusal());
    });
    if (seen == "no namespace") {
        GTEST_SKIP() << "this machine lets no user enter a user namespace";
    }
    EXPECT_EQ(seen, "4242 " + folder.file("real/defaults.plist"));
}

// A sync tool replaces the player's link for a moment while the game
// follows it: the entry changed, and is looked at again.
TEST(OwnedFolderTest, ALinkReplacedOrRemovedWhileFollowedIsLookedAtAgain) {
    TempFolder folder;
    const std::string link = folder.file("defaults.plist");
    const std::vector<std::pair<std::string, std::function<void()>>> changes = {
        {"replaced by a file",
         [&] {
             fs::remove(link);
             TempFolder::write(link, "synced");
         }},
        {"removed", [&] { fs::remove(link); }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        TempFolder::write(folder.file("target"), "");
        fs::create_symlink("target", link);
        int changed = 0;
        std::pair<OwnedFolder::Handle, std::string> found;
        {
            const FileCallHook hook(
                [&](const std::string& call, const std::string& entry, const std::string&, unsigned) {
                    if (call == "readlinkat" && entry == "defaults.plist" && changed++ == 0) {
                        change();
                    }
                    return 0;
                });
            found = OwnedFolder::open(folder.path(), OwnedFolder::Make::no)
                        ->entry("defaults.plist", OwnedFolder::Make::no);
        }
        EXPECT_EQ(changed, 1);
        EXPECT_TRUE(found.first->usable()) << found.first->refusal();
        EXPECT_EQ(found.first->path() + "/" + found.second, link);
        fs::remove(link);
    }
    // A folder on the way, made a real one meanwhile.
    fs::create_directories(folder.file("real"));
    fs::create_symlink("real", folder.file("cloud"));
    const FileCallHook hook(
        [&](const std::string& call, const std::string& entry, const std::string&, unsigned) {
            if (call == "readlinkat" && entry == "cloud") {
                fs::remove(folder.file("cloud"));
                fs::create_directory(folder.file("cloud"));
            }
            return 0;
        });
    const OwnedFolder::Handle cloud = OwnedFolder::open(folder.file("cloud"), OwnedFolder::Make::no);
    EXPECT_TRUE(cloud->usable() && !cloud->missing()) << cloud->refusal();
}

// The store sets aside an entry that is no file; the links of a loop, or
// to a folder, are that entry, and what they name is never touched.
TEST(OwnedFolderTest, LinksThatLeadToNoFileAreTheEntryThemselvesAndOwnershipStillRefuses) {
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
        {"a link to a FIFO",
         [](const TempFolder& f) {
             ::mkfifo(f.file("sub/fifo").c_str(), 0600);
             fs::create_symlink("sub/fifo", f.file("defaults.plist"));
         }},
        {"a link below a file",
         [](const TempFolder& f) {
             TempFolder::write(f.file("sub/file"), "");
             fs::create_symlink("sub/file/defaults.plist", f.file("defaults.plist"));
         }},
    };
    for (const auto& [what, make] : cases) {
        SCOPED_TRACE(what);
        TempFolder folder;
        fs::create_directories(folder.file("sub"));
        make(folder);
        const OwnedFolder::Handle in = OwnedFolder::open(folder.path(), OwnedFolder::Make::no);
        const auto [at, name] = in->entry("defaults.plist", OwnedFolder::Make::no);
        EXPECT_TRUE(at->usable()) << at->refusal();
        EXPECT_EQ(at->path() + "/" + name, folder.file("defaults.plist"));
        EXPECT_FALSE(at->missing());
    }
    if (asplayer::testsRunAsRoot()) {
        TempFolder folder;
        fs::create_symlink(".", folder.file("defaults.plist"));
        giveToPlayer(folder.file("defaults.plist"));
        const auto [at, name] = OwnedFolder::open(folder.path(), OwnedFolder::Make::no)
                                    ->entry("defaults.plist", OwnedFolder::Make::no);
        EXPECT_EQ(at->refusal().rfind("the link " + folder.file("defaults.plist") + " belongs to nobody", 0),
                  0u)
            << at->refusal();
    }
}

} // namespace
