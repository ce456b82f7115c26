#include <dlfcn.h>
#include <time.h>

// Preloaded (LD_PRELOAD) into the crash tests by a run of their own, a slow
// disk: every fsync and fdatasync waits 30 ms first, longer than a whole save
// takes on a quick disk. A test that killed the store probe some time into
// its saves, instead of at a step it printed, saw no save complete on such a
// disk.

namespace {

constexpr long kSyncNanoseconds = 30'000'000;

void waitAsASlowDisk() {
    timespec left{0, kSyncNanoseconds};
    while (::nanosleep(&left, &left) != 0) {
    }
}

} // namespace

extern "C" int fsync(int file) {
    waitAsASlowDisk();
    return reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"))(file);
}

extern "C" int fdatasync(int file) {
    waitAsASlowDisk();
    return reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fdatasync"))(file);
}
