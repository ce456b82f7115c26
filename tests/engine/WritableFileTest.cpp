#include "engine/WritableFile.h"
#include "support/AsPlayer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

// A player may write a file in a folder that takes no new one (/dev/null in
// /dev, a picture kept in a folder shut since): the file is judged, not its
// folder, and trying it leaves the file and the folder as they were. A
// folder the player may not search is there, and said to be shut, not gone.
TEST(WritableFileTest, TheFileIsJudgedNotItsFolderAndTryingItLeavesNoTrace) {
    TempFolder folder;
    const std::string shut = folder.file("shut");
    ASSERT_EQ(::mkdir(shut.c_str(), 0700), 0);
    TempFolder::write(shut + "/kept.png", "kept");
    ASSERT_TRUE(asplayer::handToPlayer(folder.path()) && asplayer::handToPlayer(shut) &&
                asplayer::handToPlayer(shut + "/kept.png"));
    ASSERT_EQ(::mkdir((shut + "/inner").c_str(), 0700), 0);
    ASSERT_EQ(::chmod(shut.c_str(), 0500), 0);
    const std::string judged = asplayer::run([&] {
        const std::string kept = "kept: " + ZQ::whyUnwritable(shut + "/kept.png");
        const std::string fresh = "; new: " + ZQ::whyUnwritable(shut + "/new.png");
        ::chmod(shut.c_str(), 0);
        const std::string below = "; below: " + ZQ::whyUnwritable(shut + "/inner/new.png");
        ::chmod(shut.c_str(), 0500);
        return kept + fresh + below + "; in the folder: " + ZQ::whyNoNewFileIn(shut) +
               "; device: " + ZQ::whyUnwritable("/dev/null");
    });
    ::chmod(shut.c_str(), 0700);
    EXPECT_EQ(judged, "kept: ; new: Permission denied; below: the folder '" + shut +
                          "/inner' cannot be reached: Permission denied; in the folder: Permission denied; "
                          "device: ");
    EXPECT_EQ(TempFolder::read(shut + "/kept.png"), "kept");

    EXPECT_EQ(ZQ::whyUnwritable(folder.file("new.png")), "");
    EXPECT_EQ(ZQ::whyNoNewFileIn(folder.path()), "");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"shut"});
    EXPECT_EQ(folder.entries("shut"), (std::vector<std::string>{"inner", "kept.png"}));
}

// Opening a FIFO to try it hung up on its reader, which then ended; the
// picture's own write, once every frame had run, waited for a reader that
// had gone.
TEST(WritableFileTest, AFifoIsTakenWithoutHangingUpOnItsReader) {
    TempFolder folder;
    const std::string fifo = folder.file("pipe.png");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(ZQ::whyUnwritable(fifo), "");
    pollfd hangUp{reader, POLLIN, 0};
    EXPECT_EQ(::poll(&hangUp, 1, 0), 0) << "the reader saw a writer come and go: " << hangUp.revents;
    ::close(reader);
}

} // namespace
