#include "engine/Globals.h"
#include "game/SavedState.h"
#include "platform/ZQGameCenterGateway.h"
#include "support/FileCallHook.h"
#include "support/GlobalsTest.h"
#include "support/StoreRoom.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using ZQ::gGlobals;

int refuseNewFiles(const std::string& call, const std::string&, const std::string&, unsigned flags) {
    return call == "openat" && (flags & O_CREAT) != 0 ? ENOSPC : 0;
}

constexpr int32_t kLevels = 76;
const char* const kBoards[] = {"velmora.points", "velmora.levels", "velmora.tangles.golden"};

class GameCenterGatewayTest : public GlobalsTest {
protected:
    void SetUp() override {
        GlobalsTest::SetUp();
        ASSERT_TRUE(folder.ok());
    }

    TempFolder folder;
};

// A first write that failed for a moment (no room at start) kept the player
// signed out for the session, and no score was kept. The player is signed
// in while the file does not refuse; a write that failed is made with the
// next that can be.
TEST_F(GameCenterGatewayTest, ALoginHingesOnTheFileNotRefusingAndAFailedWriteWaitsForTheNext) {
    ZQGameCenterGateway gateway(ZQ::OwnedFolder::open(folder.file("velmora"), ZQ::OwnedFolder::Make::yes),
                                "ada");
    const ZQ::LeaderboardScore first{"velmora.points", 40};
    const ZQ::LeaderboardScore second{"velmora.points", 70};
    gGlobals.gameCenterAuthenticated = false;
    testing::internal::CaptureStderr();
    {
        const FileCallHook full(refuseNewFiles);
        gateway.authenticateLocalPlayer();
        gateway.reportScores({&first, 1});
    }
    EXPECT_TRUE(gGlobals.gameCenterAuthenticated);
    EXPECT_EQ(gateway.localPlayerId(), "ada");
    EXPECT_FALSE(gateway.lastError().has_value());
    EXPECT_TRUE(gateway.leaderboards().file().unsaved().has_value()) << "owed, for the session's end to name";
    gateway.reportScores({&second, 1});
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("ZQZorezGateway"), std::string::npos);
    std::vector<int64_t> kept;
    for (const ZQLeaderboardStore::Entry& report :
         ZQLeaderboardStore(gateway.leaderboards().path()).board("velmora.points").recent) {
        kept.push_back(report.value);
    }
    EXPECT_EQ(kept, (std::vector<int64_t>{40, 70}));
    EXPECT_EQ(ZQ::PlistFileStore(gateway.leaderboards().path()).stringForKey("player"), "ada");
    EXPECT_FALSE(gateway.leaderboards().file().unsaved().has_value());

    // Another writer's change the game cannot read (an I/O error): the file
    // refuses, and the player is signed out, the tile with it, and told why.
    ZQ::PlistFileStore(gateway.leaderboards().path()).update([](ZQ::KeyValueStore& other) {
        other.setInteger("other", 1);
    });
    testing::internal::CaptureStderr();
    {
        const FileCallHook unreadable(
            [](const std::string& call, const std::string& entry, const std::string&, unsigned) {
                return call == "openat" && entry == "leaderboards.plist" ? EIO : 0;
            });
        gateway.authenticateLocalPlayer();
    }
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(gGlobals.gameCenterAuthenticated);
    ASSERT_TRUE(gateway.lastError().has_value());
    const std::string expected = "ZQZorezGateway ERROR - domain: " + gateway.lastError()->domain +
                                 ", desc: " + gateway.lastError()->description +
                                 ", debugDesc: " + gateway.lastError()->debugDescription + "\n";
    EXPECT_NE(log.find(expected), std::string::npos) << log;
    EXPECT_NE(gateway.lastError()->debugDescription.find(gateway.leaderboards().path()), std::string::npos);

    // And back: the error is cleared by a call that carries none.
    testing::internal::CaptureStderr();
    gateway.authenticateLocalPlayer();
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(gGlobals.gameCenterAuthenticated);
    EXPECT_FALSE(gateway.lastError().has_value());
}

TEST_F(GameCenterGatewayTest, ScoresReachTheBoardsTogetherAndOnlyForALoggedInPlayer) {
    ZQGameCenterGateway gateway(ZQ::OwnedFolder::open(folder.path(), ZQ::OwnedFolder::Make::yes), "ada");
    ZQ::SavedState state(kLevels);
    state.points = 900;
    state.level = 7;
    state.tangles = {3, 1, 0, 0, 2};

    // The saved state asks only while the flag says a player is logged in,
    // and the gateway itself refuses reports before any login.
    gGlobals.gameCenterAuthenticated = false;
    state.reportScore(gateway);
    gGlobals.gameCenterAuthenticated = true;
    state.reportScore(gateway);
    for (const char* board : kBoards) {
        EXPECT_FALSE(gateway.leaderboards().board(board).best.has_value()) << board;
    }

    gateway.authenticateLocalPlayer();
    ASSERT_TRUE(gGlobals.gameCenterAuthenticated);
    state.reportScore(gateway);
    // Read back from the file by a store of its own.
    ZQLeaderboardStore reread(gateway.leaderboards().path());
    const int64_t expected[] = {900, 7, 3};
    for (std::size_t i = 0; i < std::size(kBoards); ++i) {
        const ZQLeaderboardStore::Board board = reread.board(kBoards[i]);
        ASSERT_TRUE(board.best.has_value()) << kBoards[i];
        EXPECT_EQ(board.best->value, expected[i]);
        ASSERT_EQ(board.recent.size(), 1u);
        EXPECT_EQ(board.recent[0].value, expected[i]);
        // One report: the same moment on every board.
        EXPECT_EQ(board.recent[0].date, reread.board(kBoards[0]).recent[0].date);
    }
}

TEST_F(GameCenterGatewayTest, ABestIsNeverLoweredAndTheLastHundredReportsAreKeptInOrder) {
    const std::string path = folder.file("leaderboards.plist");
    std::mt19937 random(34);
    std::uniform_int_distribution<int64_t> value(-50, 400);
    std::vector<ZQLeaderboardStore::Entry> sent;
    {
        ZQLeaderboardStore store(path);
        for (int i = 0; i < 260; ++i) {
            const ZQ::LeaderboardScore score{"velmora.points", value(random)};
            const std::string date = "report " + std::to_string(i);
            ASSERT_TRUE(store.report({&score, 1}, date));
            sent.push_back({score.value, date});
        }
    }
    // The reference: the first report of the highest value, and the tail.
    const auto best = std::max_element(sent.begin(), sent.end(),
                                       [](const auto& a, const auto& b) { return a.value < b.value; });
    const std::vector<ZQLeaderboardStore::Entry> tail(sent.end() - 100, sent.end());

    const ZQLeaderboardStore::Board board = ZQLeaderboardStore(path).board("velmora.points");
    ASSERT_TRUE(board.best.has_value());
    EXPECT_EQ(*board.best, *best);
    EXPECT_EQ(board.recent, tail);
}

TEST_F(GameCenterGatewayTest, ABoardThisGameDidNotWriteStartsAfreshAndTheOthersKeepTheirs) {
    const std::string path = folder.file("leaderboards.plist");
    {
        ZQLeaderboardStore store(path);
        const ZQ::LeaderboardScore first[] = {{"velmora.points", 50}, {"velmora.levels", 4}};
        ASSERT_TRUE(store.report(first, "then"));
    }
    {
        ZQ::PlistFileStore raw(path);
        raw.setString("velmora.points", "a hundred");
        ASSERT_TRUE(raw.synchronize());
    }
    ZQLeaderboardStore store(path);
    EXPECT_FALSE(store.board("velmora.points").best.has_value());
    const ZQ::LeaderboardScore next[] = {{"velmora.points", 20}, {"velmora.levels", 2}};
    testing::internal::CaptureStderr();
    ASSERT_TRUE(store.report(next, "now"));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("velmora.points"), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;

    const ZQLeaderboardStore::Board points = ZQLeaderboardStore(path).board("velmora.points");
    EXPECT_EQ(points.best, (ZQLeaderboardStore::Entry{20, "now"}));
    EXPECT_EQ(points.recent.size(), 1u);
    const ZQLeaderboardStore::Board levels = ZQLeaderboardStore(path).board("velmora.levels");
    EXPECT_EQ(levels.best, (ZQLeaderboardStore::Entry{4, "then"}));
    EXPECT_EQ(levels.recent.size(), 2u);
}

// A report that another writer's change to one board overtakes goes into
// that board as the file holds it, and into each of the others once.
TEST_F(GameCenterGatewayTest, AReportOvertakenOnOneBoardGoesOnceIntoEach) {
    const std::string path = folder.file("boards/leaderboards.plist");
    const auto report = [](ZQLeaderboardStore& store, int64_t value, const char* date) {
        const ZQ::LeaderboardScore scores[] = {{"velmora.points", value}, {"velmora.levels", value}};
        return store.report(scores, date);
    };
    ZQLeaderboardStore store(path);
    ASSERT_TRUE(report(store, 1, "first"));
    // The disk is full for a moment: the second report waits to be
    // written, and another writer reports to one board meanwhile.
    testing::internal::CaptureStderr();
    {
        const FileCallHook full(refuseNewFiles);
        EXPECT_FALSE(report(store, 2, "second"));
    }
    {
        ZQLeaderboardStore other(path);
        const ZQ::LeaderboardScore theirs{"velmora.points", 9};
        ASSERT_TRUE(other.report({&theirs, 1}, "theirs"));
    }
    EXPECT_TRUE(report(store, 3, "third"));
    testing::internal::GetCapturedStderr();

    const auto datesOf = [&](const char* identifier) {
        std::vector<std::string> dates;
        for (const ZQLeaderboardStore::Entry& entry : ZQLeaderboardStore(path).board(identifier).recent) {
            dates.push_back(entry.date);
        }
        return dates;
    };
    EXPECT_EQ(datesOf("velmora.points"), (std::vector<std::string>{"first", "theirs", "third"}));
    EXPECT_EQ(datesOf("velmora.levels"), (std::vector<std::string>{"first", "second", "third"}));
}

// Whatever else the file holds, up to the bound of what a store reads in,
// leaves room for three full boards of the widest values and the player:
// every report is written, and the file is read in again whole.
TEST_F(GameCenterGatewayTest, AFileAtTheBoundTakesThreeFullBoardsAndThePlayer) {
    const std::string path = folder.file("leaderboards.plist");
    TempFolder::write(path, ZQ::writePlistDictionary(filledToTheRoom({}, ZQLeaderboardStore::writtenRoom())));
    {
        ZQLeaderboardStore store(path);
        ASSERT_TRUE(store.signIn(std::string(32, 'p')));
        for (std::size_t i = 0; i <= ZQLeaderboardStore::kRecentKept; ++i) {
            const int64_t widest = std::numeric_limits<int64_t>::min() + static_cast<int64_t>(i);
            const ZQ::LeaderboardScore scores[] = {
                {kBoards[0], widest}, {kBoards[1], widest}, {kBoards[2], widest}};
            ASSERT_TRUE(store.report(scores, ZQLeaderboardStore::utcDate(253402300799))) << "report " << i;
        }
    }
    const ZQLeaderboardStore reread(path);
    for (const char* board : kBoards) {
        EXPECT_EQ(reread.board(board).recent.size(), ZQLeaderboardStore::kRecentKept) << board;
    }
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"leaderboards.plist"}) << "nothing set aside";
}

TEST_F(GameCenterGatewayTest, TheLeaderboardTextListsEveryBoardWithItsBestAndNewestReports) {
    ZQLeaderboardStore store(folder.file("leaderboards.plist"));
    const std::string empty = store.summary();
    EXPECT_EQ(std::count(empty.begin(), empty.end(), '\n'), 3 * 2 + 2) << empty;
    for (int64_t points : {30, 1200, 75}) {
        const ZQ::LeaderboardScore score{"velmora.points", points};
        ASSERT_TRUE(store.report({&score, 1}, ZQLeaderboardStore::utcDate(1796651760 + points)));
    }
    const std::string text = store.summary();
    // The best with its date, then the reports newest first.
    const std::size_t best = text.find("Best: 1200 (2026-12-07 ");
    const std::size_t newest = text.find("75 (");
    const std::size_t oldest = text.find("30 (");
    EXPECT_NE(best, std::string::npos) << text;
    EXPECT_LT(best, newest) << text;
    EXPECT_LT(newest, oldest) << text;
    EXPECT_EQ(ZQLeaderboardStore::utcDate(1796651760), "2026-12-07T13:56:00Z");

    // A date of another form (a file another program wrote) is listed as it is.
    ZQLeaderboardStore other(folder.file("other.plist"));
    const ZQ::LeaderboardScore levels{"velmora.levels", 9};
    ASSERT_TRUE(other.report({&levels, 1}, "yesterday"));
    const std::string listed = other.summary();
    EXPECT_NE(listed.find("Best: 9 (yesterday)\n  Latest:\n    9 (yesterday)\n"), std::string::npos)
        << listed;
}

} // namespace
