#include "engine/PlistFileStore.h"
#include "support/AsPlayer.h"
#include "support/FileCallHook.h"
#include "support/StoreFiles.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <tuple>

// What a store keeps. The moment between two steps is reached through FileCalls, never by a race.

namespace {

namespace fs = std::filesystem;
using ZQ::PlistFileStore;

const std::string kTornList = "<plist><dict><key>level</key><integer>6";

// Another user's file (without root, one of mode 0 stands in) went aside or was written over.
TEST(PlistFileStoreKeeps, AFileThisUserCannotReadOrDoesNotOwnStaysAsItIsUntilItIsTheirs) {
    for (const mode_t mode : {0600, 0644}) {
        if (mode == 0644 && !asplayer::testsRunAsRoot()) {
            std::printf("skipped: a readable file of another user needs root to make\n");
            continue;
        }
        TempFolder folder;
        const std::string path = folder.file("store.plist");
        storeValue(path, "level", 7);
        ASSERT_TRUE(asplayer::handToPlayer(folder.path()));
        ASSERT_EQ(::chmod(path.c_str(), asplayer::testsRunAsRoot() ? mode : 0), 0);
        const std::string bytes = TempFolder::read(path);
        const struct stat before = lstatOf(path);
        const std::string named = asplayer::testsRunAsRoot() ? "belongs to root (uid 0), and the game runs as"
                                                             : "cannot be read (Permission denied)";
        EXPECT_THAT(asplayer::run([&] { return refusalOf(path); }), testing::HasSubstr(named)) << mode;
        const struct stat after = lstatOf(path);
        EXPECT_EQ(TempFolder::read(path), bytes);
        EXPECT_EQ(std::tie(after.st_ino, after.st_uid, after.st_mode),
                  std::tie(before.st_ino, before.st_uid, before.st_mode));
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
        // A file of the player's own put in its place is taken in and written.
        const std::string mended = asplayer::run([&] {
            PlistFileStore store(path);
            store.setInteger("sound", 1);
            storeValue(path + ".new", "level", 9);
            std::rename((path + ".new").c_str(), path.c_str());
            const bool taken = store.pullExternalChanges().size() == 1 && store.synchronize();
            return taken && PlistFileStore(path).integerForKey("sound") == 1 ? "taken in" : "not taken in";
        });
        EXPECT_EQ(mended, "taken in");
    }
}

// A game run as root followed a player's links and replaced root's file there.
// Another user's folder, link or file on the way is refused, taking nothing.
TEST(PlistFileStoreKeeps, AWayThroughAnotherUsersFolderOrLinkIsLeftAlone) {
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP() << "needs root: a game of root's on a folder and links of another user";
    }
    TempFolder folder;
    const std::string theirs = folder.file("theirs/store.plist");
    const std::string roots = folder.file("roots.plist");
    const std::string intoTheirs = folder.file("into-theirs.plist");
    fs::create_directory(folder.file("theirs"));
    storeValue(theirs, "level", 3);
    storeValue(roots, "level", 4);
    ASSERT_EQ(::chown(folder.file("theirs").c_str(), asplayer::kPlayer, asplayer::kPlayer), 0);
    fs::create_symlink(theirs, intoTheirs);
    fs::create_symlink(roots, folder.file("their-link.plist"));
    ASSERT_EQ(::lchown(folder.file("their-link.plist").c_str(), asplayer::kPlayer, asplayer::kPlayer), 0);
    // Their file reached through a link: the link may go instead.
    const std::string theirFile = folder.file("their-file.plist");
    const std::string toTheirFile = folder.file("to-their-file.plist");
    storeValue(theirFile, "level", 5);
    ASSERT_EQ(::chown(theirFile.c_str(), asplayer::kPlayer, asplayer::kPlayer), 0);
    fs::create_symlink("their-file.plist", toTheirFile);
    const std::string before =
        TempFolder::read(theirs) + TempFolder::read(roots) + TempFolder::read(theirFile);
    const ZQ::Mend runAsThem = ZQ::runAs(asplayer::kPlayer);
    for (const auto& [file, mend] : {std::pair{theirs, runAsThem},
                                     {intoTheirs, ZQ::undoLink(intoTheirs)},
                                     {folder.file("their-link.plist"), runAsThem},
                                     {toTheirFile, ZQ::undoLink(toTheirFile)}}) {
        ZQ::Refusal refusal;
        logOf([&, &path = file] {
            PlistFileStore store(path);
            EXPECT_TRUE(store.contents().empty()) << path;
            store.setInteger("level", 1);
            EXPECT_FALSE(store.synchronize()) << path;
            refusal = store.refusal().value_or(ZQ::Refusal{});
        });
        EXPECT_THAT(refusal.why,
                    testing::HasSubstr("belongs to nobody (uid 65534), and the game runs as root (uid 0)"));
        EXPECT_EQ(TempFolder::read(theirs) + TempFolder::read(roots) + TempFolder::read(theirFile), before);
        EXPECT_EQ(folder.entries("theirs"), std::vector<std::string>{"store.plist"});
        EXPECT_EQ(refusal.mends, std::vector<ZQ::Mend>{mend}) << ZQ::line(refusal);
    }
}

// Every step found its folder by path: a link swapped in meanwhile left temporaries elsewhere.
TEST(PlistFileStoreKeeps, AFolderSwappedForALinkBetweenTwoStepsMovesNoStep) {
    TempFolder folder;
    const std::string data = folder.file("data");
    fs::create_directories(folder.file("elsewhere"));
    PlistFileStore store(data + "/store.plist");
    store.setInteger("level", 2);
    const FileCallHook swap([&](const auto& call, const auto& entry, const auto&, unsigned) {
        if (call == "openat" && entry.starts_with(".store.plist.tmp-") && !fs::exists(folder.file("moved"))) {
            fs::rename(data, folder.file("moved"));
            fs::create_directory_symlink(folder.file("elsewhere"), data);
        }
        return 0;
    });
    ASSERT_TRUE(store.synchronize());
    EXPECT_TRUE(folder.entries("elsewhere").empty());
    EXPECT_EQ(PlistFileStore(folder.file("moved/store.plist")).integerForKey("level"), 2);
}

// A good file synced in or rewritten while a damaged one was read went aside
// as damage; a damaged one another game moved first left the store unwritten.
TEST(PlistFileStoreKeeps, OnlyTheDamagedFileThatWasReadIsSetAside) {
    TempFolder folder;
    const std::string path = folder.file("cloud.plist");
    const std::string good = folder.file("good.plist");
    storeValue(good, "level", 10);
    const std::string moved = path + ".corrupt-by-another-game";
    const std::pair<const char*, std::function<void()>> meanwhile[] = {
        {"synced in",
         [&] {
             fs::copy_file(good, path + ".new");
             fs::rename(path + ".new", path);
         }},
        {"rewritten in place", [&] { std::ofstream(path, std::ios::trunc) << TempFolder::read(good); }},
        {"moved by another game", [&] { fs::rename(path, moved); }},
    };
    for (const auto& [what, action] : meanwhile) {
        SCOPED_TRACE(what);
        const std::function<void()>& act = action; // clang 14 cannot capture a binding
        TempFolder::write(path, kTornList);
        bool opened = false;
        bool done = false;
        const FileCallHook hook([&](const auto& call, const auto& entry, const auto&, unsigned) {
            if (!done && opened && entry == "cloud.plist" && call == "fstatat") {
                done = true;
                act();
            }
            opened = opened || (entry == "cloud.plist" && call == "openat");
            return 0;
        });
        const std::string log = logOf([&] {
            PlistFileStore store(path);
            EXPECT_EQ(store.integerForKey("level"), fs::exists(moved) ? 0 : 10);
            store.setInteger("sound", 1);
            EXPECT_TRUE(store.synchronize());
        });
        EXPECT_EQ(fs::exists(moved), log.find("another game set it aside first") != std::string::npos) << log;
        EXPECT_EQ(PlistFileStore(path).integerForKey("sound"), 1);
        EXPECT_EQ(folder.entries().size(), fs::exists(moved) ? 3u : 2u) << "nothing else set aside";
    }
}

// A record synced in between a write's last look and its rename was written over unread.
TEST(PlistFileStoreKeeps, ARecordSyncedInWhileAWriteSwapsIsMergedAndWrittenAgain) {
    TempFolder folder;
    const std::string path = folder.file("cloud.plist");
    storeValue(path, "level", 1);
    PlistFileStore store(path);
    store.setInteger("mine", 2);
    bool synced = false;
    const FileCallHook meanwhile([&](const auto& call, const auto&, const auto& to, unsigned flags) {
        if (!synced && call == "renameat2" && to == "cloud.plist" && (flags & RENAME_EXCHANGE) != 0) {
            synced = true;
            storeValue(path, "theirs", 3);
        }
        return 0;
    });
    EXPECT_TRUE(store.synchronize());
    EXPECT_TRUE(synced);
    EXPECT_EQ(store.pullExternalChanges(), std::vector<std::string>{"theirs"});
    EXPECT_EQ(PlistFileStore(path).contents(), integers({{"level", 1}, {"mine", 2}, {"theirs", 3}}));
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"cloud.plist"}) << "nothing left behind";
}

// A refused chmod (FAT, network mounts) failed every save, and set-id bits were copied.
TEST(PlistFileStoreKeeps, AWriteKeepsThePermissionBitsWhereItMayAndSavesWhereItMayNot) {
    TempFolder folder;
    const std::string path = folder.file("store.plist");
    int chmods = 0;
    {
        const FileCallHook counted([&](const auto& call, const auto&, const auto&, unsigned) {
            chmods += call == "fchmod";
            return 0;
        });
        storeValue(path, "level", 1);
        storeValue(path, "level", 2);
    }
    EXPECT_EQ(chmods, 0) << "a new file and one of mode 0600 need none";
    for (const auto& [mode, kept] : {std::pair<mode_t, mode_t>{0644, 0644}, {06750, 0750}}) {
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        storeValue(path, "level", mode);
        EXPECT_EQ(lstatOf(path).st_mode & 07777, kept) << std::oct << mode;
    }
    PlistFileStore store(path);
    const std::string log = logOf([&] {
        const FileCallHook refused([](const auto& call, const auto&, const auto&, unsigned) {
            return call == "fchmod" ? EPERM : 0;
        });
        for (const int64_t level : {10, 11}) {
            ::chmod(path.c_str(), 0644);
            store.setInteger("level", level);
            EXPECT_TRUE(store.synchronize());
        }
    });
    EXPECT_EQ(PlistFileStore(path).integerForKey("level"), 11);
    const std::size_t first = log.find("refuses the mode 0644");
    EXPECT_TRUE(first != std::string::npos && log.find("refuses", first + 1) == std::string::npos) << log;
}

// A refused rename (EXDEV) left a temporary; one without an exchange (EINVAL) must still save.
TEST(PlistFileStoreKeeps, ARefusedRenameLeavesNoTemporaryAndAFileSystemWithoutExchangeStillSaves) {
    TempFolder folder;
    const std::string path = folder.file("store.plist");
    storeValue(path, "level", 1);
    PlistFileStore store(path);
    store.setInteger("level", 2);
    for (const int error : {EXDEV, EINVAL}) {
        bool saved = false;
        logOf([&] {
            const FileCallHook refused([error](const auto& call, const auto&, const auto&, unsigned flags) {
                return call == "renameat2" && (error == EXDEV || (flags & RENAME_EXCHANGE) != 0) ? error : 0;
            });
            saved = store.synchronize();
        });
        EXPECT_EQ(saved, error == EINVAL);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
        EXPECT_EQ(PlistFileStore(path).integerForKey("level"), saved ? 2 : 1);
    }
}

// Without rename flags or links (FUSE) no store file could be made.
TEST(PlistFileStoreKeeps, AFirstSaveWithoutRenameFlagsOrLinksKeepsARecordThatCameBeforeItsRename) {
    for (const int flagError : {ENOSYS, EOPNOTSUPP}) {
        TempFolder folder;
        const std::string path = folder.file("cloud.plist");
        PlistFileStore store(path);
        store.setInteger("mine", 2);
        bool named = false;
        bool synced = false;
        const FileCallHook flagless([&](const auto& call, const auto& entry, const auto&, unsigned flags) {
            const bool here = entry == "cloud.plist";
            if (named && !synced && here && call == "fstatat") {
                synced = true;
                storeValue(path, "theirs", 3);
            }
            named = named || (here && call == "openat" && (flags & O_CREAT) != 0);
            return call == "linkat" ? EPERM : call == "renameat2" && flags != 0 ? flagError : 0;
        });
        EXPECT_TRUE(store.synchronize());
        EXPECT_TRUE(synced);
        EXPECT_EQ(PlistFileStore(path).contents(), integers({{"mine", 2}, {"theirs", 3}}));
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"cloud.plist"}) << "nothing left behind";
    }
}

// libplist writes -0.0 as 0.0: a value read once changed at the next write.
TEST(PlistFileStoreKeeps, ValuesReadAreWrittenBackBitForBit) {
    TempFolder folder;
    const std::string path = folder.file("store.plist");
    TempFolder::write(path, "<plist><dict><key>z</key><real>-0.0</real></dict></plist>");
    storeValue(path, "level", 1);
    const PlistFileStore reread(path);
    ASSERT_NE(reread.object("z"), nullptr);
    EXPECT_TRUE(std::signbit(*reread.object("z")->asReal()));
    EXPECT_EQ(reread.integerForKey("level"), 1);
}

} // namespace
