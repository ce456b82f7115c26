#include "platform/ZQLeaderboardStore.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kKills = 120;

// Runs the probe's report loop for `delay` after its first line, kills it
// and returns the last whole number it printed: the last report known to
// be complete. -1 when it printed nothing, -2 when it could not run.
int64_t reportThenKill(const std::string& path, std::chrono::microseconds delay) {
    int out[2];
    if (::pipe(out) != 0) {
        return -2;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {VELMORA_STORE_PROBE, "report-loop", path.c_str(), nullptr};
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, VELMORA_STORE_PROBE, &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return -2;
    }
    std::string printed;
    char buffer[4096];
    ssize_t n = 0;
    while (printed.find('\n') == std::string::npos && (n = ::read(out[0], buffer, sizeof buffer)) > 0) {
        printed.append(buffer, static_cast<std::size_t>(n));
    }
    std::this_thread::sleep_for(delay);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    while ((n = ::read(out[0], buffer, sizeof buffer)) > 0) {
        printed.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    const std::size_t end = printed.rfind('\n');
    if (end == std::string::npos) {
        return -1;
    }
    const std::size_t begin = printed.rfind('\n', end - 1);
    return std::stoll(printed.substr(begin == std::string::npos ? 0 : begin + 1, end));
}

TEST(LeaderboardCrash, AProcessKilledWhileReportingLeavesWholeReportsOnEveryBoard) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string path = folder.file("leaderboards.plist");
    std::mt19937 random(3434);
    std::uniform_int_distribution<int> delay(0, 15000);
    int64_t known = 0; // the last report known to be complete
    for (int run = 0; run < kKills; ++run) {
        const int64_t printed = reportThenKill(path, std::chrono::microseconds(delay(random)));
        ASSERT_NE(printed, -2) << "could not run " << VELMORA_STORE_PROBE;
        if (printed >= 0) {
            ASSERT_GE(printed, known) << "run " << run;
            known = printed;
        }
        if (known == 0) {
            continue;
        }
        ZQLeaderboardStore store(path);
        const ZQLeaderboardStore::Board points = store.board("velmora.points");
        ASSERT_TRUE(points.best.has_value()) << "run " << run;
        // The report under way at the kill may have landed or not.
        const int64_t n = points.best->value;
        ASSERT_TRUE(n == known || n == known + 1) << "run " << run << ": " << n << " after " << known;
        // Every board holds the same report: none is torn from the others.
        ASSERT_EQ(store.board("velmora.levels").recent.back().value, n % 76) << "run " << run;
        ASSERT_EQ(store.board("velmora.tangles.golden").best->value, n / 3) << "run " << run;
        ASSERT_EQ(points.recent.size(), static_cast<std::size_t>(std::min<int64_t>(n, 100)));
        ASSERT_EQ(points.recent.back().value, n);
        for (const std::string& name : folder.entries()) {
            ASSERT_EQ(name.find(".corrupt-"), std::string::npos) << name;
        }
        known = n;
    }
    EXPECT_GT(known, kKills / 10);
}

} // namespace
