#include "platform/ZQStopSignals.h"

#include "engine/Assert.h"
#include "platform/ZQStandardError.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

namespace {

std::atomic<int> gReceived{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only touch a lock-free atomic");

bool gInstalled = false;

void noteStop(int signal) {
    gReceived.store(signal, std::memory_order_relaxed);
}

// While a box is up. A pid could name another process once the box's is
// reaped (SDL reaps it); a pidfd, taken before SDL can wait for it, names
// that one process or none.
int gBoxDepth = 0;
std::atomic<int> gBoxReceived{0};
std::atomic<int> gBoxProcess{-1}; // pidfd of the box's process, -1 while none runs

// glibc 2.36 declares its pidfd wrappers without C linkage: the system
// calls themselves, which a handler may make.
int openPidfd(pid_t pid) {
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

void killBoxProcess(int process) {
    if (process >= 0) {
        syscall(SYS_pidfd_send_signal, process, SIGKILL, nullptr, 0);
    }
}

void closeBox(int signal) {
    const int saved = errno;
    gBoxReceived.store(signal);
    killBoxProcess(gBoxProcess.load());
    errno = saved;
}

// The fork a box is shown by, known in the parent by the child's pid, which
// the child sends through a pipe before fork returns in the parent: only
// then is the child surely not yet reaped. Forks on other threads are left
// alone.
std::atomic<bool> gWatching{false};
pthread_t gWatchingThread;
int gPidPipe[2] = {-1, -1};

bool watched() {
    return gWatching.load() && pthread_equal(pthread_self(), gWatchingThread) != 0;
}

void beforeFork() {
    if (watched() && pipe2(gPidPipe, O_CLOEXEC) != 0) {
        gPidPipe[0] = gPidPipe[1] = -1;
    }
}

void inForkedChild() {
    if (!watched() || gPidPipe[1] < 0) {
        return;
    }
    const pid_t self = getpid();
    [[maybe_unused]] const ssize_t sent = write(gPidPipe[1], &self, sizeof self);
    close(gPidPipe[0]);
    close(gPidPipe[1]);
}

void inForkingParent() {
    if (!watched() || gPidPipe[0] < 0) {
        return;
    }
    const int saved = errno;
    // Closed first: a fork that failed leaves no writer, and the read ends.
    close(gPidPipe[1]);
    pid_t child = -1;
    ssize_t read = -1;
    do {
        read = ::read(gPidPipe[0], &child, sizeof child);
    } while (read < 0 && errno == EINTR);
    close(gPidPipe[0]);
    gPidPipe[0] = gPidPipe[1] = -1;
    if (read == sizeof child) {
        const int process = openPidfd(child);
        if (process < 0) {
            ZQStandardError::say("a signal cannot close the box shown now (pidfd_open: %s)",
                                 std::strerror(errno));
        }
        const int before = gBoxProcess.exchange(process);
        if (before >= 0) {
            close(before);
        }
        // A signal before the store found no process to kill.
        if (gBoxReceived.load() != 0) {
            killBoxProcess(process);
        }
    }
    errno = saved;
}

const char* signalName(int signal) {
    return signal == SIGINT ? "SIGINT" : "SIGTERM";
}

} // namespace

ZQStopSignals::ZQStopSignals() {
    ZQ_ASSERT(!gInstalled);
    gInstalled = true;
    gReceived.store(0, std::memory_order_relaxed);
    struct sigaction action = {};
    action.sa_handler = noteStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, &previousInterrupt);
    sigaction(SIGTERM, &action, &previousTerminate);
}

ZQStopSignals::~ZQStopSignals() {
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
    gInstalled = false;
}

int ZQStopSignals::received() {
    return gReceived.load(std::memory_order_relaxed);
}

ZQBoxSignals::ZQBoxSignals(std::string title) : title(std::move(title)), outermost(gBoxDepth++ == 0) {
    if (!outermost) {
        return;
    }
    static const int registered = pthread_atfork(beforeFork, inForkingParent, inForkedChild);
    ZQ_ASSERT(registered == 0);
    gBoxReceived.store(0);
    struct sigaction action = {};
    action.sa_handler = closeBox;
    sigemptyset(&action.sa_mask);
    // A second signal (timeout sends its own to the game and to its group)
    // is one more request to close the box, never the default action.
    action.sa_flags = SA_RESTART;
    const auto take = [&](int signal, struct sigaction& previous) {
        sigaction(signal, nullptr, &previous);
        return previous.sa_handler != SIG_IGN && sigaction(signal, &action, nullptr) == 0;
    };
    tookInterrupt = take(SIGINT, previousInterrupt);
    tookTerminate = take(SIGTERM, previousTerminate);
}

ZQBoxSignals::~ZQBoxSignals() {
    --gBoxDepth;
    if (!outermost) {
        return;
    }
    if (tookInterrupt) {
        sigaction(SIGINT, &previousInterrupt, nullptr);
    }
    if (tookTerminate) {
        sigaction(SIGTERM, &previousTerminate, nullptr);
    }
    if (const int signal = gBoxReceived.load()) {
        ZQStandardError::say("%s closed the box \"%s\"", signalName(signal), title.c_str());
        raise(signal);
    }
}

int ZQBoxSignals::closable(const std::function<int()>& show) const {
    if (gBoxReceived.load() != 0) {
        return -1;
    }
    gWatchingThread = pthread_self();
    gWatching.store(true);
    const int shown = show();
    gWatching.store(false);
    const int process = gBoxProcess.exchange(-1);
    if (process >= 0) {
        close(process);
    }
    return shown;
}

int ZQBoxSignals::received() {
    return gBoxReceived.load();
}
