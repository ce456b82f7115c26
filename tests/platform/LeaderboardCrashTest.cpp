#include "platform/ZQLeaderboardStore.h"
#include "support/KillProbe.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Some five kills at each stop of a report, held there and let go from it.
constexpr int kKills = 60;

TEST(LeaderboardCrash, AProcessKilledWhileReportingLeavesWholeReportsOnEveryBoard) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string path = folder.file("leaderboards.plist");
    StopKills kills(3434);
    int64_t known = 0; // the last report known to be complete
    for (int run = 0; run < kKills; ++run) {
        const auto [at, killed] = kills.next({VELMORA_STORE_PROBE, "report-loop", path});
        ASSERT_NE(killed.last, -2) << "could not run " << VELMORA_STORE_PROBE;
        // A probe that failed, or stopped reporting, never reaches the stop.
        ASSERT_TRUE(killed.killedAtStop) << "run " << run << ": its reports ended before the kill\n"
                                         << killed.errors;
        ASSERT_GE(killed.last, known + at.writes) << "run " << run;
        known = killed.last;
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
}

} // namespace
