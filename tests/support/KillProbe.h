#pragma once

#include <chrono>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

// Runs `command` (the program first), waits for its first line of output,
// lets it run `delay` more, kills it with SIGKILL and returns the last whole
// number it printed: for the store probe's loops, the last write known to be
// complete. -1 when it printed no whole line, -2 when it could not run. The
// delay counts from the first line, so a slow start (a sanitizer build)
// moves nothing.
inline int64_t runThenKill(const std::vector<std::string>& command, std::chrono::microseconds delay) {
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
    // Only whole lines count: the last one may have been cut by the kill.
    const std::size_t end = printed.rfind('\n');
    if (end == std::string::npos) {
        return -1;
    }
    const std::size_t begin = printed.rfind('\n', end - 1);
    return std::stoll(printed.substr(begin == std::string::npos ? 0 : begin + 1, end));
}
