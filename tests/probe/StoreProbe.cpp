// A process of its own for the store tests that need one.
//
//   velmora_store_probe save-loop DEFAULTS CLOUD
//       Loads the saved record (points p, 0 when there is none), prints p,
//       then saves records with points p + 1, p + 2... to both stores for
//       ever, printing each number once its save has returned; the test
//       kills it.
//   velmora_store_probe report-loop LEADERBOARDS
//       Prints the best of the leaderboard file's points board b (0 when
//       none), then reports points b + 1, b + 2..., all three
//       boards in one report, for ever, printing each number once its report
//       has returned; the test kills it.
//   velmora_store_probe shadows
//       Prints the player's shadow switch and the shader switches it gives,
//       flips the stored switch, and prints them again.

#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "engine/StoreLocations.h"
#include "game/SavedState.h"
#include "platform/ZQLeaderboardStore.h"
#include "render/ShaderProgram.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int32_t kLevels = 76;

int saveLoop(const char* defaultsPath, const char* cloudPath) {
    ZQ::PlistFileStore defaults(defaultsPath);
    ZQ::PlistFileStore cloud(cloudPath);
    ZQ::SavedState state(kLevels);
    state.load(defaults);
    std::printf("%d\n", state.points);
    std::fflush(stdout);
    for (int32_t points = state.points + 1;; ++points) {
        // Every value moves, so a record torn between two saves could not
        // pass its code.
        state.points = points;
        state.level = points % kLevels;
        state.max_level = kLevels - 1;
        state.tangles[points % ZQ::SavedState::kGradeCount] += 1;
        state.tangleForlevel[points % ZQ::SavedState::kLevelSlots] = points % ZQ::SavedState::kGradeCount;
        state.timerForlevel[points % ZQ::SavedState::kLevelSlots] = points;
        state.auth_code = ZQ::SavedState::authCode(state);
        state.save(defaults, cloud);
        std::printf("%d\n", points);
        std::fflush(stdout);
    }
}

int reportLoop(const char* path) {
    ZQLeaderboardStore store(path);
    const ZQLeaderboardStore::Board points = store.board("velmora.points");
    const int64_t start = points.best ? points.best->value : 0;
    std::printf("%lld\n", static_cast<long long>(start));
    std::fflush(stdout);
    for (int64_t n = start + 1;; ++n) {
        // The boards move together, so a report torn between them shows.
        const ZQ::LeaderboardScore scores[] = {
            {"velmora.points", n}, {"velmora.levels", n % 76}, {"velmora.tangles.golden", n / 3}};
        if (!store.report(scores, ZQLeaderboardStore::utcDate(0))) {
            return 1;
        }
        std::printf("%lld\n", static_cast<long long>(n));
        std::fflush(stdout);
    }
}

void printShadows() {
    const ZQ::ShadowSwitches switches = ZQ::ShaderProgram::processShadowSwitches();
    std::printf("disabled=%d cord=%d room=%d\n", ZQ::Preferences::isShadowDisabled() ? 1 : 0,
                switches.cord ? 1 : 0, switches.room ? 1 : 0);
}

int shadows() {
    printShadows();
    ZQ::KeyValueStore& defaults = ZQ::userDefaults();
    defaults.setBool(ZQ::Preferences::kDisableShadowKey,
                     !defaults.boolForKey(ZQ::Preferences::kDisableShadowKey));
    if (!defaults.synchronize()) {
        return 1;
    }
    printShadows();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "save-loop") == 0) {
        return saveLoop(argv[2], argv[3]);
    }
    if (argc == 3 && std::strcmp(argv[1], "report-loop") == 0) {
        return reportLoop(argv[2]);
    }
    if (argc == 2 && std::strcmp(argv[1], "shadows") == 0) {
        return shadows();
    }
    std::fprintf(
        stderr, "usage: velmora_store_probe save-loop DEFAULTS CLOUD | report-loop LEADERBOARDS | shadows\n");
    return 2;
}
