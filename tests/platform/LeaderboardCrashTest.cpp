#include "platform/ZQLeaderboardStore.h"
#include "support/KillProbe.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

namespace {

constexpr int kKills = 120;

// Runs the probe's report loop and kills it (see runThenKill): the last
// report known to be complete.
int64_t reportThenKill(const std::string& path, std::chrono::microseconds delay) {
    return runThenKill({VELMORA_STORE_PROBE, "report-loop", path}, delay);
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
