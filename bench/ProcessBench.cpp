#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The game's process, headless, its standard output on a pipe.
struct Game {
    pid_t pid = -1;
    int out = -1;

    bool start(std::vector<const char*> arguments, const char* executable = VELMORA_EXECUTABLE) {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0) {
            return false;
        }
        arguments.insert(arguments.begin(), executable);
        arguments.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const int spawned = posix_spawn(&pid, arguments[0], &actions, nullptr,
                                        const_cast<char* const*>(arguments.data()), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeEnds[1]);
        out = pipeEnds[0];
        return spawned == 0;
    }

    // Reads until `line` has been printed on a line of its own.
    bool waitForLine(const std::string& line) {
        std::string printed = "\n";
        const std::string wanted = "\n" + line + "\n";
        char buffer[256];
        ssize_t n = 0;
        while (printed.find(wanted) == std::string::npos && (n = ::read(out, buffer, sizeof buffer)) > 0) {
            printed.append(buffer, static_cast<std::size_t>(n));
        }
        return printed.find(wanted) != std::string::npos;
    }

    // Waits for the end; true on a normal exit with status 0.
    bool finish(rusage* usage = nullptr) {
        char buffer[256];
        while (::read(out, buffer, sizeof buffer) > 0) {
        }
        ::close(out);
        int status = 0;
        rusage ignored{};
        ::wait4(pid, &status, 0, usage != nullptr ? usage : &ignored);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
};

// A cold start: the game's process launched headless until its first frame
// is drawn (exec, libraries, EGL, the engine built and set up, the first
// frame). One run before the measure warms the disk cache for the bundle.
// The time to the process's end is given beside it.
void BM_ProcessStartToFirstFrame(benchmark::State& state) {
    const std::vector<const char*> arguments = {"--headless", "--frames", "1", "--print-frames"};
    Game warm;
    if (!warm.start(arguments) || !warm.finish()) {
        state.SkipWithError("the game did not start headless");
        return;
    }
    double toExit = 0.0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        Game game;
        if (!game.start(arguments) || !game.waitForLine("0")) {
            state.SkipWithError("the game drew no first frame");
            break;
        }
        state.PauseTiming();
        const bool ended = game.finish();
        toExit += std::chrono::duration<double>(Clock::now() - start).count();
        state.ResumeTiming();
        if (!ended) {
            state.SkipWithError("the game did not end well");
            break;
        }
    }
    state.counters["to_exit_ms"] = toExit * 1e3 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ProcessStartToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// This build's start against another build's, to see what a change to the
// start costs: $VELMORA_BASELINE_GAME names the other game (built from an
// earlier commit; give both the same bundle with $VELMORA_BUNDLE). Each
// iteration starts the two in turn, so that both meet the same load on the
// machine, each first every other time, and times each to its first frame;
// the time is this build's, the counters the other's and the ratio of the
// two.
void BM_ProcessStartAgainstBaseline(benchmark::State& state) {
    const char* baseline = std::getenv("VELMORA_BASELINE_GAME");
    if (baseline == nullptr || baseline[0] == '\0') {
        state.SkipWithError("set VELMORA_BASELINE_GAME to another build's game to compare with");
        return;
    }
    const std::vector<const char*> arguments = {"--headless", "--frames", "1", "--print-frames"};
    const auto firstFrame = [&arguments](const char* executable, double& seconds) {
        const Clock::time_point start = Clock::now();
        Game game;
        const bool drawn = game.start(arguments, executable) && game.waitForLine("0");
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
        return game.finish() && drawn;
    };
    double ignored = 0.0;
    if (!firstFrame(VELMORA_EXECUTABLE, ignored) || !firstFrame(baseline, ignored)) {
        state.SkipWithError("one of the games did not start headless");
        return;
    }
    double total = 0.0;
    double baselineTotal = 0.0;
    int64_t pairs = 0;
    for (auto _ : state) {
        double seconds = 0.0;
        double baselineSeconds = 0.0;
        // Each goes first every other time: the second start of a pair
        // finds the first one's pages warm.
        const bool baselineFirst = (++pairs & 1) == 0;
        const bool started =
            baselineFirst ? firstFrame(baseline, baselineSeconds) && firstFrame(VELMORA_EXECUTABLE, seconds)
                          : firstFrame(VELMORA_EXECUTABLE, seconds) && firstFrame(baseline, baselineSeconds);
        if (!started) {
            state.SkipWithError("a start did not draw its first frame and end well");
            break;
        }
        state.SetIterationTime(seconds);
        total += seconds;
        baselineTotal += baselineSeconds;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["baseline_ms"] = baselineTotal * 1e3 / runs;
    state.counters["ratio"] = baselineTotal > 0.0 ? total / baselineTotal : 0.0;
}
BENCHMARK(BM_ProcessStartAgainstBaseline)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(40);

// Peak resident memory of a headless run of 300 frames (ten seconds of
// play), the child's ru_maxrss, in MiB.
void BM_ProcessPeakResidentMemory(benchmark::State& state) {
    double peak = 0.0;
    for (auto _ : state) {
        Game game;
        rusage usage{};
        if (!game.start({"--headless", "--frames", "300"}) || !game.finish(&usage)) {
            state.SkipWithError("the game did not run headless");
            break;
        }
        peak = std::max(peak, static_cast<double>(usage.ru_maxrss) / 1024.0);
    }
    state.counters["peak_rss_MiB"] = peak;
}
BENCHMARK(BM_ProcessPeakResidentMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
