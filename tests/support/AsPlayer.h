#pragma once

#include <functional>
#include <grp.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// A part of a test played by a player who is not root. Mode bits stop no
// root, and CI runs the tests as root: there the part runs in a child
// process as an unprivileged user, beside files root keeps. Without root it
// runs in a child as this user, and a file of the tests' own without the
// bits stands for another user's. Threads: the test's thread.
namespace asplayer {

constexpr uid_t kPlayer = 65534;

inline bool testsRunAsRoot() {
    return ::geteuid() == 0;
}

inline bool handToPlayer(const std::string& path) {
    return !testsRunAsRoot() || ::chown(path.c_str(), kPlayer, kPlayer) == 0;
}

// What `part` returns, run in a child process, as the player when `asPlayer`
// (a chroot or a namespace the part enters stays there); "failed" when it
// could not run.
inline std::string apart(const std::function<std::string()>& part, bool asPlayer) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return "failed";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const bool player =
            !asPlayer || !testsRunAsRoot() ||
            (::setgroups(0, nullptr) == 0 && ::setgid(kPlayer) == 0 && ::setuid(kPlayer) == 0);
        const std::string report = player ? part() : "failed";
        const bool sent =
            ::write(channel[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n = 0; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    const bool ended =
        child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return ended ? report : "failed";
}

// What `part` returns, run as the player; "failed" when it could not run.
inline std::string run(const std::function<std::string()>& part) {
    return apart(part, true);
}

} // namespace asplayer
