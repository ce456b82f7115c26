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
//
// The loops stop before and after each call of a write that changes a
// store's folder (a file made, renamed, removed...): they print
// "step before|after CALL ENTRY" and go on when a byte comes on standard
// input, and end when it ends. So the test kills them at a step of a write,
// never after some time, which a slow disk or a busy machine would stretch
// past the write (support/KillProbe.h).

#include "engine/FileCalls.h"
#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "engine/StoreLocations.h"
#include "game/SavedState.h"
#include "platform/ZQLeaderboardStore.h"
#include "render/ShaderProgram.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int32_t kLevels = 76;

// Prints the step and waits for the test's byte; errno is the call's again
// after it. `to` is a rename's or a link's new name.
void stop(const char* when, const char* call, const char* entry, const char* to) {
    const int callError = errno;
    std::printf("step %s %s", when, call);
    for (const char* name : {entry, to}) {
        std::printf(*name != '\0' ? " %s" : "%s", name);
    }
    std::printf("\n");
    std::fflush(stdout);
    char go = 0;
    if (::read(STDIN_FILENO, &go, 1) != 1) {
        std::_Exit(0); // the test has gone
    }
    errno = callError;
}

template <typename Call>
auto stopAround(const char* call, const char* entry, const char* to, const Call& made) {
    stop("before", call, entry, to);
    const auto result = made();
    stop("after", call, entry, to);
    return result;
}

// The calls that change a folder stop around themselves; those that only
// look go on, as a kill between them changes nothing on the disk.
void stopAtEachChange() {
    ZQ::gFileCalls.openat = [](int folder, const char* name, int flags, mode_t mode) {
        if ((flags & (O_CREAT | O_TRUNC | O_WRONLY | O_RDWR)) == 0) {
            return ZQ::kSystemFileCalls.openat(folder, name, flags, mode);
        }
        return stopAround("openat", name, "",
                          [&] { return ZQ::kSystemFileCalls.openat(folder, name, flags, mode); });
    };
    ZQ::gFileCalls.mkdirat = [](int folder, const char* name, mode_t mode) {
        return stopAround("mkdirat", name, "",
                          [&] { return ZQ::kSystemFileCalls.mkdirat(folder, name, mode); });
    };
    ZQ::gFileCalls.renameat2 = [](int fromFolder, const char* from, int toFolder, const char* to,
                                  unsigned flags) {
        return stopAround("renameat2", from, to, [&] {
            return ZQ::kSystemFileCalls.renameat2(fromFolder, from, toFolder, to, flags);
        });
    };
    ZQ::gFileCalls.unlinkat = [](int folder, const char* name, int flags) {
        return stopAround("unlinkat", name, "",
                          [&] { return ZQ::kSystemFileCalls.unlinkat(folder, name, flags); });
    };
    ZQ::gFileCalls.fchmod = [](int file, mode_t mode) {
        return stopAround("fchmod", "", "", [&] { return ZQ::kSystemFileCalls.fchmod(file, mode); });
    };
    ZQ::gFileCalls.linkat = [](int fromFolder, const char* from, int toFolder, const char* to, int flags) {
        return stopAround("linkat", from, to,
                          [&] { return ZQ::kSystemFileCalls.linkat(fromFolder, from, toFolder, to, flags); });
    };
}

int saveLoop(const char* defaultsPath, const char* cloudPath) {
    ZQ::PlistFileStore defaults(defaultsPath);
    ZQ::PlistFileStore cloud(cloudPath);
    ZQ::SavedState state(kLevels);
    state.load(defaults);
    std::printf("%d\n", state.points);
    std::fflush(stdout);
    stopAtEachChange();
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
    stopAtEachChange();
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
