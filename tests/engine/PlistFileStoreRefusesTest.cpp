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

// A store's refusal on `path`, when it also reads and writes nothing and
// owes the refusal.
std::string refusalOf(const std::string& path) {
    testing::internal::CaptureStderr();
    PlistFileStore store(path);
    store.setInteger("sound", 1);
    const bool kept =
        store.contents().size() == 1 && !store.synchronize() && store.unsaved() == store.refusal();
    testing::internal::GetCapturedStderr();
    return kept ? store.refusal() : "read or written";
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
        ASSERT_TRUE(asplayer::handToPlayer(folder.path()));
        ASSERT_EQ(::chmod(path.c_str(), 0644), 0); // readable: only its owner keeps it from the player
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
// one, and written once it is given back.
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
            const std::string refusal = store.refusal();
            facts += refusal.ends_with("; let its owner read and write it: chmod u+rw '" + path + "'") &&
                             log.find(refusal) == log.rfind(refusal) && log.find(refusal) != std::string::npos
                         ? ", said once"
                         : ", " + log;
            facts += store.unsaved() == refusal ? ", owed" : "";
            ::chmod(path.c_str(), 0600);
            facts += store.synchronize() && !store.unsaved() ? ", written when mended" : "";
            return facts + ", level " + std::to_string(PlistFileStore(path).integerForKey("level"));
        });
        EXPECT_EQ(report, std::string("written, said once") +
                              (need == PlistFileStore::Need::required ? ", owed" : "") +
                              ", written when mended, level 2");
    }
}

} // namespace
