#pragma once

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
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

// Runs `command` (the program first) with its standard output on a pipe
// (its errors dropped), reads what it prints until `enough` says so or the
// output ends, then kills it with SIGKILL and returns lastNumber of all it
// printed; -2 when it could not run.
inline int64_t runKilledWhen(const std::vector<std::string>& command,
                             const std::function<bool(const std::string& printed)>& enough) {
    int out[2];
    if (::pipe(out) != 0) {
        return -2;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& word : command) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return -2;
    }
    std::string printed;
    char buffer[4096];
    ssize_t n = 0;
    while (!enough(printed) && (n = ::read(out[0], buffer, sizeof buffer)) > 0) {
        printed.append(buffer, static_cast<std::size_t>(n));
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    while ((n = ::read(out[0], buffer, sizeof buffer)) > 0) {
        printed.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    return lastNumber(printed);
}

} // namespace killprobe

// Runs `command` (the program first), waits for its first line of output,
// lets it run `delay` more, kills it with SIGKILL and returns the last whole
// number it printed: for the store probe's loops, the last write known to be
// complete. -1 when it printed no whole number, -2 when it could not run.
// The delay counts from the first line, so a slow start (a sanitizer build)
// moves nothing.
inline int64_t runThenKill(const std::vector<std::string>& command, std::chrono::microseconds delay) {
    return killprobe::runKilledWhen(command, [delay](const std::string& printed) {
        if (printed.find('\n') == std::string::npos) {
            return false;
        }
        std::this_thread::sleep_for(delay);
        return true;
    });
}

// Runs `command`, which prints a count on a line of its own at each step
// (the game with --print-frames: each frame drawn), and kills it with
// SIGKILL as soon as it has printed `count` or more. Returns the last count
// it printed, which the kill may have let run a step or two past `count`;
// -1 when it printed none, -2 when it could not run.
inline int64_t runUntilThenKill(const std::vector<std::string>& command, int64_t count) {
    return killprobe::runKilledWhen(
        command, [count](const std::string& printed) { return killprobe::lastNumber(printed) >= count; });
}
