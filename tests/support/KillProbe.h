#pragma once

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace killprobe {

// The last whole line of `printed` that is a whole number, or -1. A line
// cut by the kill is not whole, and other lines are not counts.
inline int64_t lastNumber(const std::string& printed) {
    std::size_t end = printed.rfind('\n');
    while (end != std::string::npos) {
        const std::size_t begin = end == 0 ? std::string::npos : printed.rfind('\n', end - 1);
        const std::string line = printed.substr(begin == std::string::npos ? 0 : begin + 1,
                                                end - (begin == std::string::npos ? 0 : begin + 1));
        char* stop = nullptr;
        const long long value = line.empty() ? 0 : std::strtoll(line.c_str(), &stop, 10);
        if (!line.empty() && *stop == '\0') {
            return value;
        }
        end = begin;
    }
    return -1;
}

// Starts `command` (the program first) with its standard output on
// `output`, its standard input on `input` unless it is -1 (then the test's
// own) and its errors on `errors` unless it is -1 (then dropped): its
// process id, or -1 when it could not run.
inline pid_t spawnOn(const std::vector<std::string>& command, int output, int input, int errors) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    if (input >= 0) {
        posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    }
    if (errors >= 0) {
        posix_spawn_file_actions_adddup2(&actions, errors, STDERR_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    std::vector<char*> argv;
    for (const std::string& word : command) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? child : -1;
}

// Kills `child` with SIGKILL and reads the rest of what it printed on
// `output` into `printed`.
inline void killAndDrain(pid_t child, int output, std::string& printed) {
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(output, buffer, sizeof buffer)) > 0) {
        printed.append(buffer, static_cast<std::size_t>(n));
    }
}

// Runs `command` (the program first) with its standard output on a pipe
// (its errors dropped), reads what it prints until `enough` says so or the
// output ends, then kills it with SIGKILL and returns lastNumber of all it
// printed; -2 when it could not run.
inline int64_t runKilledWhen(const std::vector<std::string>& command,
                             const std::function<bool(const std::string& printed)>& enough) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        return -2;
    }
    const pid_t child = spawnOn(command, out[1], -1, -1);
    ::close(out[1]);
    if (child < 0) {
        ::close(out[0]);
        return -2;
    }
    std::string printed;
    char buffer[4096];
    ssize_t n = 0;
    while (!enough(printed) && (n = ::read(out[0], buffer, sizeof buffer)) > 0) {
        printed.append(buffer, static_cast<std::size_t>(n));
    }
    killAndDrain(child, out[0], printed);
    ::close(out[0]);
    return lastNumber(printed);
}

} // namespace killprobe

// Where a run of a writer that stops at each step of its writes (the store
// probe's loops) is killed: once it has completed `writes` writes, at the
// `stop`-th stop after them (0 the first; counted on into the next write
// should this one have fewer), either held there or just let go on from
// it, when the kill falls somewhere in the step to the next stop.
struct StopKill {
    int writes = 0;
    int stop = 0;
    bool letGo = false;
};

// How a stepped run ended.
struct SteppedRun {
    // lastNumber of its output: for the store probe's loops, the last write
    // known to be complete. -2 when it could not run.
    int64_t last = -2;
    // False when its output ended before the stop: it failed, or stopped
    // writing.
    bool killedAtStop = false;
    // The stops of its last complete write, 0 when it completed none.
    int stopsInLastWrite = 0;
    // What it printed on its standard error.
    std::string errors;
};

// Runs `command` (the program first), which prints a number when it starts
// and one after each write, and before and after each step of a write a
// line "step ..." after which it waits for a byte on its standard input;
// answers each stop until the one `at` names, and kills it there with
// SIGKILL. Only the program's progress decides where the kill falls, so it
// falls inside a write however slow the disk or busy the machine.
inline SteppedRun runSteppedThenKill(const std::vector<std::string>& command, StopKill at) {
    SteppedRun run;
    int ends[2];
    FILE* errors = std::tmpfile();
    if (errors == nullptr || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        if (errors != nullptr) {
            std::fclose(errors);
        }
        return run;
    }
    const pid_t child = killprobe::spawnOn(command, ends[1], ends[1], fileno(errors));
    ::close(ends[1]);
    if (child < 0) {
        ::close(ends[0]);
        std::fclose(errors);
        return run;
    }
    // A byte to a probe that has died fails here, without SIGPIPE.
    const auto goOn = [&] { ::send(ends[0], "\n", 1, MSG_NOSIGNAL); };
    std::string printed;
    std::size_t lineStart = 0;
    int numbers = 0; // the start's and one a write
    int stopsThisWrite = 0;
    int stopsCounted = 0; // since the writes asked for
    char buffer[4096];
    ssize_t n = 0;
    while (!run.killedAtStop && (n = ::read(ends[0], buffer, sizeof buffer)) > 0) {
        printed.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end = 0; (end = printed.find('\n', lineStart)) != std::string::npos;
             lineStart = end + 1) {
            const std::string line = printed.substr(lineStart, end - lineStart);
            if (line.rfind("step ", 0) != 0) {
                if (killprobe::lastNumber(line + "\n") >= 0) {
                    run.stopsInLastWrite = ++numbers > 1 ? stopsThisWrite : 0;
                    stopsThisWrite = 0;
                }
                continue;
            }
            ++stopsThisWrite;
            if (numbers > at.writes && stopsCounted++ == at.stop) {
                run.killedAtStop = true;
                if (at.letGo) {
                    goOn();
                }
                break;
            }
            goOn();
        }
    }
    killprobe::killAndDrain(child, ends[0], printed);
    ::close(ends[0]);
    run.last = killprobe::lastNumber(printed);
    std::rewind(errors);
    for (int c = 0; (c = std::fgetc(errors)) != EOF;) {
        run.errors += static_cast<char>(c);
    }
    std::fclose(errors);
    return run;
}

// The kills of a crash test, each drawn from a seeded source: after up to
// two whole writes, at any stop of the next as the last whole write had
// them, held there or let go on from it.
class StopKills {
public:
    explicit StopKills(std::uint32_t seed) : random(seed) {}

    struct Kill {
        StopKill at;
        SteppedRun run;
    };
    // Runs `command` (see runSteppedThenKill) and kills it where the next
    // draw says.
    Kill next(const std::vector<std::string>& command) {
        const StopKill at{std::uniform_int_distribution<int>(0, 2)(random),
                          std::uniform_int_distribution<int>(0, stops - 1)(random),
                          std::bernoulli_distribution(0.5)(random)};
        Kill kill{at, runSteppedThenKill(command, at)};
        stops = kill.run.stopsInLastWrite > 0 ? kill.run.stopsInLastWrite : stops;
        return kill;
    }

private:
    std::mt19937 random;
    int stops = 1; // until a whole write is seen
};
