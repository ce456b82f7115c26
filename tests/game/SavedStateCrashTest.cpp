#include "engine/PlistFileStore.h"
#include "game/SavedState.h"
#include "support/KillProbe.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>

namespace {

constexpr int32_t kCrashLevels = 76;
// Some five kills at each stop of a save, held there and let go from it.
constexpr int kKills = 120;

TEST(SavedStateCrash, AProcessKilledWhileSavingLeavesTheOldRecordOrTheNew) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string defaultsPath = folder.file("defaults.plist");
    const std::string cloudPath = folder.file("cloud/cloud.plist");
    StopKills kills(4242);
    int64_t known = 0;                       // points of the last record known to be complete
    std::map<std::string, int64_t> lastSeen; // points each store held after the previous run
    for (int run = 0; run < kKills; ++run) {
        const auto [at, killed] = kills.next({VELMORA_STORE_PROBE, "save-loop", defaultsPath, cloudPath});
        ASSERT_NE(killed.last, -2) << "could not run " << VELMORA_STORE_PROBE;
        // A probe that failed, or stopped saving, never reaches the stop.
        ASSERT_TRUE(killed.killedAtStop) << "run " << run << ": its saves ended before the kill\n"
                                         << killed.errors;
        // It loaded what the last run left, and saved the saves asked for.
        ASSERT_GE(killed.last, known + at.writes) << "run " << run;
        known = killed.last;
        for (const std::string& path : {defaultsPath, cloudPath}) {
            ZQ::PlistFileStore store(path);
            ZQ::SavedState state(kCrashLevels);
            if (store.contents().empty() && lastSeen[path] == 0) {
                continue; // killed before its first save of all
            }
            testing::internal::CaptureStderr();
            const bool loaded = state.load(store);
            const std::string log = testing::internal::GetCapturedStderr();
            ASSERT_TRUE(loaded) << path << " after run " << run << ": " << log;
            // Whole records only, never one older than before. The save
            // under way at the kill may have landed or not; the cloud copy,
            // written second, may also lag behind by the runs whose kill fell
            // between its two writes.
            ASSERT_GE(state.points, lastSeen[path]) << path << " after run " << run;
            ASSERT_LE(state.points, known + 1) << path << " after run " << run;
            if (path == defaultsPath) {
                ASSERT_GE(state.points, known) << path << " after run " << run;
            }
            lastSeen[path] = state.points;
        }
        for (const std::string& name : folder.entries()) {
            ASSERT_EQ(name.find(".corrupt-"), std::string::npos) << name;
        }
    }
}

} // namespace
