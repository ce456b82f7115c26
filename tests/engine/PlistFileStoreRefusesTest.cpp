#include "engine/OwnedFolder.h"
#include "engine/PlistFileStore.h"
#include "support/AsPlayer.h"
#include "support/FileCallHook.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <pwd.h>
#include <sys/stat.h>
#include <tuple>

// A store file the game cannot keep is refused, with the file, the why and
// the command that mends it: the game once played on without such a file,
// saving nothing, and ended with status 0.

namespace {

using ZQ::PlistFileStore;
using Need = ZQ::PlistFileStore::Need;

std::string loginOf(uid_t uid) {
    const passwd* account = ::getpwuid(uid);
    return account != nullptr ? account->pw_name : std::to_string(uid);
}

std::string refusalsLog(const std::function<void()>& part) {
    testing::internal::CaptureStderr();
    part();
    return testing::internal::GetCapturedStderr();
}

std::size_t timesSaid(const std::string& log, const std::string& text) {
    std::size_t times = 0;
    for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
        ++times;
    }
    return times;
}

// What a store on `path` makes of it: its refusal when it reads nothing,
// writes nothing and owes what it was given.
std::string refusalOf(const std::string& path) {
    std::string report;
    refusalsLog([&] {
        PlistFileStore store(path);
        const bool read = !store.contents().empty();
        store.setInteger("sound", 1);
        const bool written = store.synchronize();
        report = store.refusal() + (read ? " [read]" : "") + (written ? " [written]" : "") +
                 (store.unsaved() == store.refusal() ? "" : " [owes something else]");
    });
    return report;
}

TEST(PlistFileStoreRefuses, AFileOfAnotherUserOrOneThatCannotBeReadIsRefusedWithItsMend) {
    struct Case {
        const char* what;
        bool needsRoot;
        mode_t mode;
        int openError; // failed by the hook, in this process
    };
    const Case cases[] = {
        {"root's, readable", true, 0644, 0},
        {"the player's, mode 000", false, 0, 0},
        {"the player's, an I/O error", false, 0600, EIO},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        if (test.needsRoot && !asplayer::testsRunAsRoot()) {
            continue;
        }
        TempFolder folder;
        const std::string path = folder.file("store.plist");
        PlistFileStore(path).update([](ZQ::KeyValueStore& store) { store.setInteger("level", 7); });
        // Played by the player in a folder of theirs; the I/O error by this
        // process, in its own.
        if (test.openError == 0) {
            ASSERT_TRUE(asplayer::handToPlayer(folder.path()));
            ASSERT_TRUE(test.needsRoot || asplayer::handToPlayer(path));
        }
        ASSERT_EQ(::chmod(path.c_str(), test.mode), 0);
        const std::string bytes = TempFolder::read(path);
        struct stat before {};
        ::lstat(path.c_str(), &before);

        std::string expected = "the file " + path;
        std::string report;
        if (test.openError != 0) {
            expected +=
                " cannot be read (Input/output error); move it aside, and the game starts it anew: mv '" +
                path + "' '" + path + ".unreadable'";
            const FileCallHook failing(
                [&](const std::string& call, const std::string& entry, const std::string&, unsigned) {
                    return call == "openat" && entry == "store.plist" ? EIO : 0;
                });
            report = refusalOf(path);
        } else {
            const uid_t player = asplayer::testsRunAsRoot() ? asplayer::kPlayer : ::geteuid();
            expected += test.needsRoot ? " belongs to root (uid 0), and the game runs as " +
                                             ZQ::accountName(player) + "; give it to " + loginOf(player) +
                                             ": sudo chown " + loginOf(player) + ": '" + path + "'"
                                       : " cannot be read (Permission denied); let its owner read and write "
                                         "it: chmod u+rw '" +
                                             path + "'";
            report = asplayer::run([&] { return refusalOf(path); });
        }
        EXPECT_EQ(report, expected);
        struct stat after {};
        ::lstat(path.c_str(), &after);
        EXPECT_EQ(std::tie(after.st_ino, after.st_uid, after.st_mode),
                  std::tie(before.st_ino, before.st_uid, before.st_mode));
        ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
        EXPECT_EQ(TempFolder::read(path), bytes);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
    }
}

// A file taken from the player while the game runs: said once, owed by a
// store the game needs (the session's end fails the run) and by no optional
// one, looked at before each write, and written once it is given back.
TEST(PlistFileStoreRefuses, ARefusalDuringPlayIsSaidOnceOwedWhereNeededAndEndsWhenMended) {
    for (const Need need : {Need::required, Need::optional}) {
        TempFolder folder;
        const std::string path = folder.file("store.plist");
        ASSERT_TRUE(asplayer::handToPlayer(folder.path()));
        const std::string report = asplayer::run([&] {
            PlistFileStore store(path, {}, need);
            store.setInteger("level", 1);
            std::string facts = store.synchronize() ? "written" : "not written";
            ::chmod(path.c_str(), 0);
            std::string refusal;
            const std::string log = refusalsLog([&] {
                store.setInteger("level", 2);
                facts += store.synchronize() || store.synchronize() ? ", written while refused" : "";
                store.pullExternalChanges();
                refusal = store.refusal();
            });
            facts += refusal.find("chmod u+rw") != std::string::npos ? ", refused" : ", " + refusal;
            facts += ", said " + std::to_string(timesSaid(log, refusal));
            facts += store.unsaved() == refusal ? ", owed" : store.unsaved() ? ", " + *store.unsaved() : "";
            ::chmod(path.c_str(), 0600);
            refusalsLog([&] { facts += store.synchronize() ? ", written when mended" : ""; });
            facts += store.refusal().empty() && !store.unsaved() ? ", nothing owed" : ", still owed";
            return facts + ", level " + std::to_string(PlistFileStore(path).integerForKey("level"));
        });
        EXPECT_EQ(report, std::string("written, refused, said 1") + (need == Need::required ? ", owed" : "") +
                              ", written when mended, nothing owed, level 2");
    }
}

} // namespace
