#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// The caption tests' own files, death tests' included, lie in the test
// process's folders and go with them. This program runs them again in a
// process of their own, on a temporary folder of their own (a private /tmp
// mounted for them, which also catches a file written to /tmp by name):
// once it has ended, nothing of theirs is left there.
TEST(CaptionFilesTest, TheCaptionTestsLeaveNothingInTheTemporaryFolder) {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root: a private /tmp is mounted for the caption tests (unshare --mount)";
    }
    if (std::system("unshare --mount --propagation private true 2>/dev/null") != 0) {
        GTEST_SKIP() << "unshare --mount fails here: no private /tmp can be mounted";
    }
    if (self.rfind("/tmp/", 0) == 0) {
        GTEST_SKIP() << "this program lies in /tmp, which the private one would hide";
    }
    const std::string command =
        "unshare --mount --propagation private sh -c 'mount -t tmpfs velmora-tmp /tmp || exit 99; "
        "env -u VELMORA_OWN_FOLDERS -u TEST_TMPDIR TMPDIR=/tmp \"$0\" --gtest_filter=\"CaptionGLTest.*\" "
        ">/dev/null 2>&1; echo \"status $?\"; ls -A /tmp' '" +
        self + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, got);
    }
    ASSERT_EQ(pclose(pipe), 0) << output;
    EXPECT_EQ(output, "status 0\n") << "the caption tests failed, or left what follows their status in /tmp";
}

} // namespace
