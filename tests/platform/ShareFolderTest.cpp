#include "platform/ZQShareFolder.h"
#include "support/AsPlayer.h"
#include "support/FileCallHook.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Where a share of `text` is saved in `in`, or "" with why in `refused`.
std::string saveText(const std::string& in, const std::string& text, ZQ::Refusal* refused = nullptr) {
    ZQ::Refusal unread;
    return ZQShareFolder::saveNew(
        {in, "Velmora"}, [](int attempt) { return "knot-" + std::to_string(attempt) + ".txt"; },
        [&](std::FILE* file, std::string&) { return std::fputs(text.c_str(), file) >= 0; },
        refused != nullptr ? *refused : unread);
}

// Where rename takes no flags (NFS) nor links (FUSE), every share failed.
TEST(ShareFolderTest, SharesAreNamedWithoutReplacingWhereRenameTakesNoFlags) {
    for (const auto& [flagError, linkError] : {std::pair(EINVAL, 0), {ENOSYS, EPERM}, {EOPNOTSUPP, EPERM}}) {
        TempFolder folder;
        const FileCallHook hook([&, flagError = flagError, linkError = linkError](
                                    const auto& call, const auto&, const auto&, unsigned flags) {
            return call == "linkat" ? linkError : call == "renameat2" && flags != 0 ? flagError : 0;
        });
        EXPECT_EQ(saveText(folder.path(), "first"), folder.file("Velmora/knot-0.txt"));
        EXPECT_EQ(saveText(folder.path(), "second"), folder.file("Velmora/knot-1.txt"));
        EXPECT_EQ(TempFolder::read(folder.file("Velmora/knot-0.txt")), "first");
        EXPECT_EQ(folder.entries("Velmora"), (std::vector<std::string>{"knot-0.txt", "knot-1.txt"}));
    }
}

// Why shares are off is a refusal with its mend: chmod for the player's folder, free space.
TEST(ShareFolderTest, ASharesFolderTheGameMayNotWriteIsRefusedWithItsMend) {
    TempFolder folder;
    const std::string pictures = folder.file("Pictures");
    fs::create_directory(pictures);
    ASSERT_TRUE(asplayer::handToPlayer(folder.path()) && asplayer::handToPlayer(pictures));
    const auto refusedAsPlayer = [&] {
        return asplayer::run([&] {
            const std::optional<ZQ::Refusal> refusal = ZQShareFolder::unwritable({pictures, "Velmora"});
            return refusal ? ZQ::line(*refusal) : "none";
        });
    };
    ::chmod(pictures.c_str(), 0555);
    const std::string refused = refusedAsPlayer();
    ::chmod(pictures.c_str(), 0755);
    EXPECT_EQ(refused, "cannot save shares in " + pictures + "/Velmora: the folder " + pictures +
                           " cannot be written (Permission denied); let its owner use it: chmod u+rwx '" +
                           pictures + "'");
    EXPECT_EQ(refusedAsPlayer(), "none");
    TempFolder own;
    const FileCallHook full([](const auto& call, const auto& entry, const auto&, unsigned) {
        return call == "openat" && entry.starts_with(".share.tmp-") ? ENOSPC : 0;
    });
    ZQ::Refusal why;
    EXPECT_EQ(saveText(own.path(), "", &why), "");
    EXPECT_NE(why.why.find("No space left on device"), std::string::npos) << why.why;
    EXPECT_EQ(why.mends, std::vector<ZQ::Mend>{ZQ::freeSpace()});
}

// Another user's picture viewer must get in; a young temporary may be another game's share.
TEST(ShareFolderTest, TheFoldersAreMadeWithTheUmaskAndStaleTemporariesGo) {
    TempFolder folder;
    const mode_t mask = ::umask(022);
    const std::string saved = saveText(folder.file("Pictures"), "text");
    ::umask(mask);
    for (const std::string& made : {folder.file("Pictures"), folder.file("Pictures/Velmora"), saved}) {
        EXPECT_EQ(fs::status(made).permissions(), fs::perms(saved == made ? 0644 : 0755)) << made;
    }
    const std::string shares = folder.file("Pictures/Velmora/");
    TempFolder::write(shares + ".share.tmp-1-0", "crashed");
    TempFolder::write(shares + ".share.tmp-2-0", "running");
    fs::last_write_time(shares + ".share.tmp-1-0",
                        fs::file_time_type::clock::now() - std::chrono::minutes(2));
    ASSERT_NE(saveText(folder.file("Pictures"), "text"), "");
    EXPECT_EQ(folder.entries("Pictures/Velmora"),
              (std::vector<std::string>{".share.tmp-2-0", "knot-0.txt", "knot-1.txt"}));
}

// A FIFO held the start for ever, a link to a device had it opened, and
// root's game with a player's HOME (sudo -E) read what their folders named.
TEST(ShareFolderTest, TheDesktopsFoldersFileIsOpenedOnlyWhenItIsTheGameUsersOwnFile) {
    TempFolder folder;
    const std::string line = "XDG_PICTURES_DIR=\"/srv/pictures\"\n";
    const std::string dirs = folder.file("user-dirs.dirs");
    TempFolder::write(folder.file("file"), line);
    fs::create_symlink("file", dirs);
    EXPECT_EQ(ZQShareFolder::picturesFolder(nullptr, dirs, "/home/ada"), "/srv/pictures")
        << "the user's link is followed";
    const std::string fifo = folder.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int opens = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(opens, fifo.c_str(), IN_OPEN), 0);
    fs::remove(dirs);
    fs::create_symlink("fifo", dirs);
    EXPECT_EQ(ZQShareFolder::picturesFolder(nullptr, dirs, "/home/ada"), "");
    char event[sizeof(inotify_event) + NAME_MAX + 1];
    EXPECT_LT(::read(opens, event, sizeof event), 0) << "the FIFO was opened";
    ::close(opens);
    // What stands there at the open is not what was looked at.
    fs::remove(dirs);
    TempFolder::write(dirs, line);
    {
        const FileCallHook replaced([&](const auto& call, const auto& entry, const auto&, unsigned) {
            std::error_code once;
            if (call == "openat" && entry == "user-dirs.dirs") {
                fs::rename(folder.file("file"), dirs, once);
            }
            return 0;
        });
        EXPECT_EQ(ZQShareFolder::picturesFolder(nullptr, dirs, "/home/ada"), "");
    }
    if (!asplayer::testsRunAsRoot()) {
        std::printf("skipped: a folder of another user, whose file is not read, needs root to make\n");
    } else {
        const std::string theirs = folder.file("theirs");
        fs::create_directory(theirs);
        TempFolder::write(theirs + "/user-dirs.dirs", line);
        ASSERT_TRUE(asplayer::handToPlayer(theirs) && asplayer::handToPlayer(theirs + "/user-dirs.dirs"));
        EXPECT_EQ(ZQShareFolder::picturesFolder(nullptr, theirs + "/user-dirs.dirs", "/home/ada"), "")
            << "a folder of another user's is not read";
    }
}

} // namespace
