// libFuzzer target: arbitrary bytes as the user-defaults file, read through
// the store and the saved-state load, then through the cloud merge as the
// other machine's file. Built only with -DVELMORA_FUZZ=ON (scripts/fuzz state).
//
// Besides "no crash, no sanitizer report" it checks three properties:
// whatever the store read is written back and read again unchanged; a
// record the load took saves and loads back identically; the merge never
// lowers a valid local record.

#include "engine/PlistCodec.h"
#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "game/CloudMerge.h"
#include "game/SavedState.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int32_t kLevels = 76;

std::string gFolder;

void check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "property failed: %s\n", what);
        std::abort();
    }
}

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Compared as written: NaN reals are unequal to themselves as values.
bool sameContents(const ZQ::KeyValueStore& a, const ZQ::KeyValueStore& b) {
    return ZQ::writePlistDictionary(a.contents()) == ZQ::writePlistDictionary(b.contents());
}

ZQ::StoreValue validRecord(int32_t maxLevel) {
    ZQ::SavedState r(kLevels);
    r.level = maxLevel;
    r.max_level = maxLevel;
    r.auth_code = ZQ::SavedState::authCode(r);
    return r.toStored();
}

void removeEverything() {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(gFolder, error)) {
        fs::remove_all(entry.path(), error);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/velmora-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    gFolder = pattern;
    std::atexit([] { fs::remove_all(gFolder); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = gFolder + "/defaults.plist";
    writeFile(path, data, size);
    {
        ZQ::PlistFileStore store(path);
        ZQ::SavedState state(kLevels);
        if (state.load(store)) {
            ZQ::PlistFileStore copy(gFolder + "/copy.plist");
            ZQ::PlistFileStore cloud(gFolder + "/cloud.plist");
            state.save(copy, cloud);
            ZQ::PlistFileStore reopened(gFolder + "/copy.plist");
            ZQ::SavedState again(kLevels);
            check(again.load(reopened), "a taken record loads back");
            check(again == state, "a taken record loads back identically");
        }
        if (!store.contents().empty()) {
            store.setInteger("fuzz_marker", 1);
            if (store.synchronize()) {
                ZQ::PlistFileStore reopened(path);
                check(sameContents(reopened, store), "what the store read is written back unchanged");
            }
        }
    }
    {
        // The same bytes as the cloud file of another machine.
        writeFile(gFolder + "/remote.plist", data, size);
        ZQ::PlistFileStore cloud(gFolder + "/remote.plist");
        ZQ::PlistFileStore defaults(gFolder + "/local.plist");
        defaults.setObject(ZQ::Preferences::kStateKey, validRecord(40));
        defaults.setBool(ZQ::Preferences::kTutorialCompletedKey, true);
        ZQ::CloudMerge merge(defaults, cloud, kLevels);
        merge.start();
        std::string why;
        const ZQ::StoreValue* local = defaults.object(ZQ::Preferences::kStateKey);
        check(local != nullptr, "the merge keeps a local record");
        const auto kept = ZQ::SavedState::fromStored(*local, kLevels, why);
        check(kept.has_value(), "the merge leaves a record that passes its check");
        check(kept->max_level >= 40, "the merge never lowers progress");
        check(defaults.boolForKey(ZQ::Preferences::kTutorialCompletedKey), "the tutorial flag stays set");
    }
    removeEverything();
    return 0;
}
