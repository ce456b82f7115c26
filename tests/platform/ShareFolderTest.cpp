#include "platform/ZQShareFolder.h"
#include "support/AsPlayer.h"
#include "support/FileCallHook.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

// Shares are the player's pictures: they land in a folder made as the
// desktop makes its own, under names that never replace a file, on any file
// system, and leave nothing half written behind for long.

namespace {

namespace fs = std::filesystem;

std::string saveText(const ZQShareFolder::Place& place, const std::string& text, std::string& error) {
    return ZQShareFolder::saveNew(
        place, [](int attempt) { return "knot-" + std::to_string(attempt) + ".txt"; },
        [&](std::FILE* file, std::string&) { return std::fputs(text.c_str(), file) >= 0; }, error);
}

mode_t modeOf(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// NFS and some FUSE file systems take no flags on rename: every share
// failed there with "Invalid argument".
TEST(ShareFolderTest, SharesAreNamedWithoutReplacingWhereRenameTakesNoFlags) {
    TempFolder folder;
    const ZQShareFolder::Place place{folder.path(), "shares"};
    int refused = 0;
    const FileCallHook hook(
        [&](const std::string& call, const std::string&, const std::string&, unsigned flags) {
            refused += call == "renameat2" && flags != 0 ? 1 : 0;
            return call == "renameat2" && flags != 0 ? EINVAL : 0;
        });
    std::string error;
    EXPECT_EQ(saveText(place, "first", error), folder.file("shares/knot-0.txt")) << error;
    EXPECT_EQ(saveText(place, "second", error), folder.file("shares/knot-1.txt")) << error;
    EXPECT_GT(refused, 0);
    EXPECT_EQ(TempFolder::read(folder.file("shares/knot-0.txt")), "first");
    EXPECT_EQ(TempFolder::read(folder.file("shares/knot-1.txt")), "second");
    EXPECT_EQ(folder.entries("shares"), (std::vector<std::string>{"knot-0.txt", "knot-1.txt"}));
}

TEST(ShareFolderTest, TheFoldersAreMadeWithTheUmaskAndStaleTemporariesOfOursGo) {
    TempFolder folder;
    // A picture viewer of another user reads the pictures: the folders
    // that hold them must let it in, as the files do.
    const mode_t mask = ::umask(022);
    std::string error;
    const std::string saved = saveText({folder.file("Pictures"), "Velmora"}, "text", error);
    ::umask(mask);
    ASSERT_EQ(saved, folder.file("Pictures/Velmora/knot-0.txt")) << error;
    EXPECT_EQ(modeOf(folder.file("Pictures")), 0755u);
    EXPECT_EQ(modeOf(folder.file("Pictures/Velmora")), 0755u);
    EXPECT_EQ(modeOf(saved), 0644u);

    // A crash left a temporary five minutes ago: it goes at the next share.
    // One just written may be another game's share still running, and one
    // of another user's is not ours to remove.
    const std::string shares = folder.file("Pictures/Velmora/");
    for (const char* name : {".share.tmp-1-0", ".share.tmp-2-0", ".share.tmp-3-0"}) {
        TempFolder::write(shares + name, "half a picture");
    }
    for (const char* name : {".share.tmp-1-0", ".share.tmp-3-0"}) {
        fs::last_write_time(shares + name, fs::file_time_type::clock::now() - std::chrono::minutes(5));
    }
    const bool othersToo = asplayer::testsRunAsRoot();
    if (othersToo) {
        ASSERT_EQ(::chown((shares + ".share.tmp-3-0").c_str(), asplayer::kPlayer, asplayer::kPlayer), 0);
    } else {
        fs::remove(shares + ".share.tmp-3-0");
    }
    ASSERT_NE(saveText({folder.file("Pictures"), "Velmora"}, "text", error), "") << error;
    std::vector<std::string> left = {".share.tmp-2-0", "knot-0.txt", "knot-1.txt"};
    if (othersToo) {
        left.insert(left.begin() + 1, ".share.tmp-3-0");
    }
    EXPECT_EQ(folder.entries("Pictures/Velmora"), left);
}

// A FIFO in the desktop's settings once held the game's start while it held
// the data folder's lock.
TEST(ShareFolderTest, TheDesktopsFoldersFileIsReadOnlyWhenItIsAFile) {
    TempFolder folder;
    const std::string dirs = folder.file("user-dirs.dirs");
    ASSERT_EQ(::mkfifo(dirs.c_str(), 0600), 0);
    // Something writes into the FIFO and stays: a reader would take the
    // line, and wait on the next one.
    const int writer = ::open(dirs.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const std::string line = "XDG_PICTURES_DIR=\"/srv/pictures\"\n";
    ASSERT_EQ(::write(writer, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    EXPECT_EQ(ZQShareFolder::picturesFolder(nullptr, dirs, "/home/ada"), "");
    ::close(writer);
}

} // namespace
