#include "platform/ZQShareFolder.h"
#include "support/FileCallHook.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string saveText(const std::string& in, const std::string& text) {
    std::string error;
    return ZQShareFolder::saveNew(
        {in, "Velmora"}, [](int attempt) { return "knot-" + std::to_string(attempt) + ".txt"; },
        [&](std::FILE* file, std::string&) { return std::fputs(text.c_str(), file) >= 0; }, error);
}

// NFS takes no flags on rename; FUSE mounts take neither flags (ENOSYS,
// EOPNOTSUPP) nor links (EPERM), where every share failed.
TEST(ShareFolderTest, SharesAreNamedWithoutReplacingWhereRenameTakesNoFlags) {
    for (const auto& [flagError, linkError] : {std::pair(EINVAL, 0), {ENOSYS, EPERM}, {EOPNOTSUPP, EPERM}}) {
        TempFolder folder;
        const FileCallHook hook(
            [&, flagError = flagError, linkError = linkError](const std::string& call, const std::string&,
                                                              const std::string&, unsigned flags) {
                return call == "linkat" ? linkError : call == "renameat2" && flags != 0 ? flagError : 0;
            });
        EXPECT_EQ(saveText(folder.path(), "first"), folder.file("Velmora/knot-0.txt"));
        EXPECT_EQ(saveText(folder.path(), "second"), folder.file("Velmora/knot-1.txt"));
        EXPECT_EQ(TempFolder::read(folder.file("Velmora/knot-0.txt")), "first");
        EXPECT_EQ(folder.entries("Velmora"), (std::vector<std::string>{"knot-0.txt", "knot-1.txt"}));
    }
}

// Another user's picture viewer must get in. A temporary just written may
// be another game's share.
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

// A FIFO with a writer that stays held the game's start for ever.
TEST(ShareFolderTest, TheDesktopsFoldersFileIsReadOnlyWhenItIsAFile) {
    TempFolder folder;
    const std::string dirs = folder.file("user-dirs.dirs");
    ASSERT_EQ(::mkfifo(dirs.c_str(), 0600), 0);
    const int writer = ::open(dirs.c_str(), O_RDWR | O_NONBLOCK);
    const std::string line = "XDG_PICTURES_DIR=\"/srv/pictures\"\n";
    ASSERT_EQ(::write(writer, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    EXPECT_EQ(ZQShareFolder::picturesFolder(nullptr, dirs, "/home/ada"), "");
    ::close(writer);
}

} // namespace
