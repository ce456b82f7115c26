#include "platform/LockTable.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ZQ::LockTable {

namespace {

// One lock held, of any kind: flock, POSIX (fcntl), open file (OFD), lease.
struct Entry {
    bool flock = false; // the kind games take
    // The process that took it as /proc numbers them: -1 for an open file's
    // lock, which belongs to no process, 0 for one outside /proc's pid
    // namespace. A flock outlives its taker in a child that shares the file.
    pid_t process = 0;
    unsigned major = 0;
    unsigned minor = 0;
    unsigned long long inode = 0;
};

// The white-space separated words of `line`.
std::vector<std::string_view> wordsOf(std::string_view line) {
    std::vector<std::string_view> words;
    for (std::size_t at = line.find_first_not_of(" \t"); at != std::string_view::npos;) {
        const std::size_t end = std::min(line.find_first_of(" \t", at), line.size());
        words.push_back(line.substr(at, end - at));
        at = line.find_first_not_of(" \t", end);
    }
    return words;
}

// Calls `each` with every line of `text`.
template <typename Each> void forEachLine(std::string_view text, Each each) {
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        each(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

// The whole of `number` in `base`, or false.
template <typename Number> bool readNumber(std::string_view number, Number& value, int base = 10) {
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value, base);
    return error == std::errc() && end == number.data() + number.size() && !number.empty();
}

// "major:minor" in `base`, followed by ":inode" when `inode` is given.
bool readDevice(std::string_view word, int base, unsigned& major, unsigned& minor,
                unsigned long long* inode = nullptr) {
    const std::size_t first = word.find(':');
    const std::size_t second = word.find(':', first + 1);
    if (first == std::string_view::npos || (inode != nullptr) != (second != std::string_view::npos)) {
        return false;
    }
    return readNumber(word.substr(0, first), major, base) &&
           readNumber(word.substr(first + 1, second - first - 1), minor, base) &&
           (inode == nullptr || readNumber(word.substr(second + 1), *inode));
}

// A file of /proc whole (they tell no size), or false with `why`.
bool readProcFile(const char* path, std::string& text, std::string& why) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    ssize_t n = -1;
    char buffer[4096];
    while (fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    if (n < 0) {
        why = std::string(path) + ": " + std::strerror(errno);
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return n == 0;
}

// The device ("major:minor", in decimal) of mount `mountId` in `mountInfo`.
bool mountDevice(std::string_view mountInfo, unsigned long long mountId, unsigned& major, unsigned& minor) {
    bool found = false;
    forEachLine(mountInfo, [&](std::string_view line) {
        const std::vector<std::string_view> words = wordsOf(line);
        unsigned long long id = 0;
        if (!found && words.size() > 2 && readNumber(words[0], id) && id == mountId) {
            found = readDevice(words[2], 10, major, minor);
        }
    });
    return found;
}

// /proc numbers processes as the pid namespace it was mounted for sees
// them; another's numbers would name the wrong process here, or none.
bool procNumbersAsThisGame() {
    char self[32] = {};
    const ssize_t n = ::readlink("/proc/self", self, sizeof self - 1);
    pid_t number = 0;
    return n > 0 && readNumber(std::string_view(self, static_cast<std::size_t>(n)), number) &&
           number == ::getpid();
}

// The mount and inode of what `path` names from `folder` (by `flags`).
bool identify(int folder, const char* path, int flags, struct statx& file, std::string& why) {
    if (::statx(folder, path, flags, STATX_INO | STATX_MNT_ID, &file) != 0) {
        why = std::strerror(errno);
        return false;
    }
    if ((file.stx_mask & STATX_MNT_ID) == 0) {
        why = "the kernel gives no file's mount"; // before Linux 5.8
        return false;
    }
    return true;
}

// The locks held in `table`, the text of /proc/locks, in its order; a line
// that does not read as a held lock on a file is left out.
std::vector<Entry> parse(std::string_view table) {
    std::vector<Entry> held;
    forEachLine(table, [&](std::string_view line) {
        const std::vector<std::string_view> words = wordsOf(line);
        if (words.size() < 3 || words[1] == "->") {
            return;
        }
        for (std::size_t i = 2; i < words.size(); ++i) {
            Entry lock;
            if (readDevice(words[i], 16, lock.major, lock.minor, &lock.inode)) {
                lock.flock = words[1] == "FLOCK";
                if (readNumber(words[i - 1], lock.process)) {
                    held.push_back(lock);
                }
                return;
            }
        }
    });
    return held;
}

// Those of `locks` on the file with inode `inode` on mount `mountId`, found
// by the device `mountInfo` (the text of /proc/self/mountinfo) gives it.
std::vector<Entry> locksOn(const std::vector<Entry>& locks, std::string_view mountInfo,
                           unsigned long long mountId, unsigned long long inode) {
    std::vector<Entry> on;
    unsigned major = 0;
    unsigned minor = 0;
    if (mountDevice(mountInfo, mountId, major, minor)) {
        std::copy_if(locks.begin(), locks.end(), std::back_inserter(on), [&](const Entry& lock) {
            return lock.major == major && lock.minor == minor && lock.inode == inode;
        });
    }
    return on;
}

Holder holderAt(int folder, const char* path, int flags, int heldHere) {
    Holder holder;
    if (heldHere < 0) {
        holder.unknown = "the folder itself could not be locked to check the table by";
        return holder;
    }
    struct statx file {};
    struct statx here {};
    if (!identify(folder, path, flags, file, holder.unknown) ||
        !identify(heldHere, "", AT_EMPTY_PATH, here, holder.unknown)) {
        return holder;
    }
    std::string mounts;
    std::string table;
    if (!readProcFile("/proc/self/mountinfo", mounts, holder.unknown) ||
        !readProcFile("/proc/locks", table, holder.unknown)) {
        return holder;
    }
    const std::vector<Entry> locks = parse(table);
    const std::vector<Entry> ownLocks = locksOn(locks, mounts, here.stx_mnt_id, here.stx_ino);
    if (std::none_of(ownLocks.begin(), ownLocks.end(), [](const Entry& lock) { return lock.flock; })) {
        holder.unknown = "it does not list this game's own lock on the folder";
        return holder;
    }
    const std::vector<Entry> onFile = locksOn(locks, mounts, file.stx_mnt_id, file.stx_ino);
    // A flock's taker first: games lock with flock.
    const auto named =
        std::find_if(onFile.begin(), onFile.end(), [](const Entry& lock) { return lock.flock; });
    holder.held = !onFile.empty();
    // A flock's taker may have ended while a child it shared the file with
    // holds on; its number may since be another process's.
    const pid_t taker = named != onFile.end() ? named->process : holder.held ? onFile[0].process : 0;
    if (taker > 0 && procNumbersAsThisGame() && (::kill(taker, 0) == 0 || errno == EPERM)) {
        holder.process = taker;
    }
    return holder;
}

} // namespace

Holder holderOf(const std::string& path, int heldHere) {
    return holderAt(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, heldHere);
}

Holder holderOf(int descriptor, int heldHere) {
    return holderAt(descriptor, "", AT_EMPTY_PATH, heldHere);
}

} // namespace ZQ::LockTable
