#include "engine/PlistFileStore.h"
#include "support/AsPlayer.h"
#include "support/FileCallHook.h"
#include "support/ScopedEnvironment.h"
#include "support/StoreFiles.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>

// A store file the game cannot keep is refused with its mend, untouched.

namespace {

namespace fs = std::filesystem;
using testing::EndsWith;
using testing::HasSubstr;
using ZQ::PlistFileStore;

TEST(PlistFileStoreRefuses, AnotherUsersFileOrOneThatGivesAnIOErrorIsRefusedWithItsMend) {
    TempFolder folder;
    const std::string path = folder.file("store.plist");
    storeValue(path, "level", 7);
    const std::string bytes = TempFolder::read(path);
    {
        const FileCallHook failing([](const auto& call, const auto& entry, const auto&, unsigned) {
            return call == "openat" && entry == "store.plist" ? EIO : 0;
        });
        EXPECT_THAT(refusalOf(path), EndsWith("mv '" + path + "' '" + path + ".unreadable'"));
    }
    if (asplayer::testsRunAsRoot()) {
        ASSERT_TRUE(asplayer::handToPlayer(folder.path()));
        ASSERT_EQ(::chmod(path.c_str(), 0644), 0); // readable: only its owner keeps it from the player
        // A game run with sudo left root's files among the player's: all go back.
        const std::string player = ::getpwuid(asplayer::kPlayer)->pw_name;
        EXPECT_THAT(asplayer::run([&] { return refusalOf(path); }),
                    EndsWith("sudo chown -R " + player + ": '" + folder.path() + "'"));
        // In a shared cloud folder another's file is theirs: another folder mends it.
        const std::string shared = folder.file("shared");
        fs::create_directory(shared);
        ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
        TempFolder::write(shared + "/cloud.plist", bytes);
        ASSERT_EQ(::chown((shared + "/cloud.plist").c_str(), 4321, 4321), 0);
        const ZQ::Mend elsewhere{"choose another cloud folder", ""};
        const std::string mended = asplayer::run([&] {
            std::vector<ZQ::Mend> mends;
            logOf([&] {
                const PlistFileStore cloud(ZQ::OwnedFolder::open(shared, ZQ::OwnedFolder::Make::no),
                                           "cloud.plist", {}, PlistFileStore::Need::optional, elsewhere);
                mends = cloud.refusal().value_or(ZQ::Refusal{}).mends;
            });
            return mends == std::vector{elsewhere} ? "elsewhere" : "other mends";
        });
        EXPECT_EQ(mended, "elsewhere");
        EXPECT_EQ(folder.entries(), (std::vector<std::string>{"shared", "store.plist"}));
    } else {
        std::printf("skipped: a readable file of another user needs root to make\n");
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
    }
    EXPECT_EQ(TempFolder::read(path), bytes);
}

// A relative link out of the home to root's file got "sudo chown alice: '/etc/passwd'".
TEST(PlistFileStoreRefuses, ARelativeLinkOutOfTheHomeToAFileOfRootsIsUndoneNeverTaken) {
    TempFolder folder;
    const std::string home = folder.file("home");
    fs::create_directories(home + "/velmora");
    const std::string toRoot = fs::path("/").lexically_relative(home + "/velmora").string();
    const std::string link = home + "/velmora/defaults.plist";
    fs::create_symlink(toRoot + "/etc/passwd", link);
    for (const std::string& entry : {folder.path(), home, home + "/velmora", link}) {
        ASSERT_TRUE(!asplayer::testsRunAsRoot() ||
                    ::lchown(entry.c_str(), asplayer::kPlayer, asplayer::kPlayer) == 0);
    }
    const std::string before = TempFolder::read("/etc/passwd");
    ScopedEnvironment environment;
    environment.set("HOME", home);
    const std::string refusal = asplayer::run([&] { return refusalOf(link); });
    EXPECT_THAT(refusal, testing::StartsWith(
                             "cannot keep progress in defaults.plist: the file /etc/passwd belongs to root"));
    EXPECT_THAT(refusal, EndsWith("rm '" + link + "'"));
    EXPECT_THAT(refusal, testing::Not(HasSubstr("chown")));
    EXPECT_EQ(TempFolder::read("/etc/passwd"), before);
}

// Owed only by a store the game needs: the session's end then fails the run.
TEST(PlistFileStoreRefuses, ARefusalDuringPlayIsSaidOnceOwedWhereNeededAndEndsWhenMended) {
    for (const PlistFileStore::Need need : {PlistFileStore::Need::required, PlistFileStore::Need::optional}) {
        TempFolder folder;
        const std::string path = folder.file("store.plist");
        ASSERT_TRUE(asplayer::handToPlayer(folder.path()));
        const std::string report = asplayer::run([&] {
            PlistFileStore store(path, {}, need);
            store.setInteger("level", 1);
            std::string facts = store.synchronize() ? "written" : "";
            ::chmod(path.c_str(), 0);
            testing::internal::CaptureStderr();
            store.setInteger("level", 2);
            facts += store.synchronize() || store.synchronize() ? ", written while refused" : "";
            const std::string log = testing::internal::GetCapturedStderr();
            const std::string refusal = store.refusal() ? ZQ::line(*store.refusal()) : "";
            facts += refusal.ends_with("; let its owner read and write it: chmod u+rw '" + path + "'") &&
                             log.find(refusal) == log.rfind(refusal) && log.find(refusal) != std::string::npos
                         ? ", said once"
                         : ", " + log;
            facts += owesAsItRefuses(store) ? ", owed" : "";
            ::chmod(path.c_str(), 0600);
            facts += store.synchronize() && !store.unsaved() ? ", written when mended" : "";
            return facts + ", level " + std::to_string(PlistFileStore(path).integerForKey("level"));
        });
        EXPECT_EQ(report, std::string("written, said once") +
                              (need == PlistFileStore::Need::required ? ", owed" : "") +
                              ", written when mended, level 2");
    }
}

// A cloud folder refused at its first write kept the store refused all session, mended or not.
TEST(PlistFileStoreRefuses, AFolderRefusedAtItsMakingIsLookedAtAgainOnceMended) {
    TempFolder folder;
    PlistFileStore store(folder.file("cloud/store.plist"), {}, PlistFileStore::Need::optional);
    store.setInteger("level", 3);
    fs::create_directory(folder.file("synced"));
    fs::create_directory_symlink("synced", folder.file("cloud"));
    ASSERT_EQ(::chmod(folder.file("synced").c_str(), 0777), 0);
    logOf([&] { EXPECT_FALSE(store.synchronize()); });
    ASSERT_TRUE(store.refusal().has_value());
    EXPECT_THAT(store.refusal()->why, HasSubstr("every user may write in it"));
    ASSERT_EQ(::chmod(folder.file("synced").c_str(), 0700), 0);
    EXPECT_TRUE(store.synchronize());
    EXPECT_EQ(PlistFileStore(folder.file("cloud/store.plist")).integerForKey("level"), 3);
}

} // namespace
