#include "engine/OwnedFolder.h"
#include "engine/PlistFileStore.h"
#include "support/AsPlayer.h"
#include "support/FileCallHook.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>

// A store file the game cannot keep once left the game playing on without
// it, saving nothing, with status 0. Now the store refuses, naming the file,
// why and the command that mends it, and writes nothing over it.

namespace {

using ZQ::PlistFileStore;

// What a store on `path` makes of it: its refusal, when it also reads
// nothing, writes nothing and owes the refusal.
std::string refusalOf(const std::string& path) {
    testing::internal::CaptureStderr();
    PlistFileStore store(path);
    std::string report = store.refusal() + (store.contents().empty() ? "" : " [read]");
    store.setInteger("sound", 1);
    report += store.synchronize() ? " [written]" : "";
    report += store.unsaved() == store.refusal() ? "" : " [owes something else]";
    testing::internal::GetCapturedStderr();
    return report;
}

TEST(PlistFileStoreRefuses, AnotherUsersFileOrOneThatGivesAnIOErrorIsRefusedWithItsMend) {
    TempFolder folder;
    const std::string path = folder.file("store.plist");
    PlistFileStore(path).update([](ZQ::KeyValueStore& store) { store.setInteger("level", 7); });
    const std::string bytes = TempFolder::read(path);
    {
        const FileCallHook failing(
            [](const std::string& call, const std::string& entry, const std::string&, unsigned) {
                return call == "openat" && entry == "store.plist" ? EIO : 0;
            });
        EXPECT_EQ(refusalOf(path), "the file " + path +
                                       " cannot be read (Input/output error); move it aside, and the game "
                                       "starts it anew: mv '" +
                                       path + "' '" + path + ".unreadable'");
    }
    if (asplayer::testsRunAsRoot()) {
        // Root's file, readable, in the player's folder.
        ASSERT_TRUE(asplayer::handToPlayer(folder.path()));
        ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
        const std::string player = ::getpwuid(asplayer::kPlayer)->pw_name;
        EXPECT_EQ(asplayer::run([&] { return refusalOf(path); }),
                  "the file " + path + " belongs to root (uid 0), and the game runs as " +
                      ZQ::accountName(asplayer::kPlayer) + "; give it to " + player + ": sudo chown " +
                      player + ": '" + path + "'");
    }
    EXPECT_EQ(TempFolder::read(path), bytes);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
}

// A file taken from the player while the game runs: said once, owed by a
// store the game needs (the session's end fails the run) and by no optional
// one, looked at before each write, and written once it is given back.
TEST(PlistFileStoreRefuses, ARefusalDuringPlayIsSaidOnceOwedWhereNeededAndEndsWhenMended) {
    for (const PlistFileStore::Need need : {PlistFileStore::Need::required, PlistFileStore::Need::optional}) {
        TempFolder folder;
        const std::string path = folder.file("store.plist");
        ASSERT_TRUE(asplayer::handToPlayer(folder.path()));
        const std::string report = asplayer::run([&] {
            PlistFileStore store(path, {}, need);
            store.setInteger("level", 1);
            std::string facts = store.synchronize() ? "written" : "not written";
            ::chmod(path.c_str(), 0);
            testing::internal::CaptureStderr();
            store.setInteger("level", 2);
            facts += store.synchronize() || store.synchronize() ? ", written while refused" : "";
            store.pullExternalChanges();
            const std::string log = testing::internal::GetCapturedStderr();
            const std::string refusal = store.refusal();
            const std::size_t said = log.find(refusal);
            facts += refusal.ends_with("; let its owner read and write it: chmod u+rw '" + path + "'")
                         ? ", refused"
                         : ", " + refusal;
            facts += said != std::string::npos && log.find(refusal, said + 1) == std::string::npos
                         ? ", said once"
                         : ", " + log;
            facts += store.unsaved() == refusal ? ", owed" : store.unsaved() ? ", " + *store.unsaved() : "";
            ::chmod(path.c_str(), 0600);
            testing::internal::CaptureStderr();
            facts += store.synchronize() && !store.unsaved() && store.refusal().empty()
                         ? ", written when mended"
                         : "";
            testing::internal::GetCapturedStderr();
            return facts + ", level " + std::to_string(PlistFileStore(path).integerForKey("level"));
        });
        EXPECT_EQ(report, std::string("written, refused, said once") +
                              (need == PlistFileStore::Need::required ? ", owed" : "") +
                              ", written when mended, level 2");
    }
}

} // namespace
