#include "platform/ZQLockTable.h"

#include "engine/Refusal.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace ZQLockTable {

std::vector<Held> heldOn(dev_t device, ino_t inode, const char* table) {
    std::ifstream in(table);
    // "1: FLOCK  ADVISORY  WRITE 4125 fe:00:10952943 0 EOF"; a waiter's
    // line has "->" after the number. The device is major:minor in hex.
    std::vector<Held> held;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string number, kind, mode, access, file, start, end;
        Held lock;
        if (!(words >> number >> kind) || kind == "->" ||
            !(words >> mode >> access >> lock.pid >> file >> start >> end)) {
            continue;
        }
        unsigned major = 0, minor = 0;
        unsigned long long node = 0;
        if (std::sscanf(file.c_str(), "%x:%x:%llu", &major, &minor, &node) != 3 ||
            makedev(major, minor) != device || node != inode) {
            continue;
        }
        lock.kind = kind;
        lock.shared = access == "READ";
        lock.start = std::stoll(start);
        lock.end = end == "EOF" ? -1 : std::stoll(end);
        held.push_back(lock);
    }
    return held;
}

std::string holder(const Held& lock) {
    if (lock.pid < 0) {
        return "a program holding it through an open file, which names no process";
    }
    if (lock.pid == 0) {
        return "a process this one cannot see (in another namespace, say)";
    }
    const std::string process = "process " + std::to_string(lock.pid);
    struct stat info {};
    if (::stat(("/proc/" + std::to_string(lock.pid)).c_str(), &info) != 0) {
        return process + ", which has ended (a process it started may hold the lock still)";
    }
    return process + " of " +
           (ZQ::unmapped(info.st_uid) ? "an account outside this sandbox" : ZQ::accountName(info.st_uid));
}

std::string described(const Held& lock) {
    std::string text = lock.shared ? "a shared " : "an exclusive ";
    text += lock.kind == "FLOCK" ? "flock" : lock.kind == "OFDLCK" ? "open-file lock" : lock.kind + " lock";
    if (lock.kind != "FLOCK" && (lock.start != 0 || lock.end != -1)) {
        text += " on bytes " + std::to_string(lock.start) + " to " +
                (lock.end < 0 ? std::string("the end") : std::to_string(lock.end));
    }
    return text;
}

} // namespace ZQLockTable
