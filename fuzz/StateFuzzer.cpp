// libFuzzer target: arbitrary bytes as the user-defaults file, read through
// the store and the saved-state load, then through the cloud merge as the
// other machine's file. Built only with -DVELMORA_FUZZ=ON (scripts/fuzz state).
//
// Besides "no crash, no sanitizer report" it checks these properties: from
// XML the markup scan takes, libplist builds no more values and no deeper a
// tree than the scan counted; a store writes back whatever it took in, in no
// fewer bytes than the least its size bound counts, and reads it again
// unchanged; a record the load took saves and loads back identically;
// whatever the defaults took in, a load keeping a rejected record aside
// included, they take the game's own keys at their largest beside it and
// read it all in again, and any subset of those keys written at their
// widest fits under the caps; the merge never lowers a valid local record.
// The stores' caps are scaled down (VELMORA_SMALL_STORE_CAPS) so that the
// inputs of a few kilobytes reach each of them.

#include "engine/BinaryPlistReader.h"
#include "engine/PlistCodec.h"
#include "engine/PlistFileStore.h"
#include "engine/PlistXmlScan.h"
#include "engine/Preferences.h"
#include "game/CloudMerge.h"
#include "game/SavedState.h"

#include "support/LibplistTree.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

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

ZQ::StoreValue validRecord(int32_t maxLevel) {
    ZQ::SavedState r(kLevels);
    r.level = maxLevel;
    r.max_level = maxLevel;
    r.auth_code = ZQ::SavedState::authCode(r);
    return r.toStored();
}

// A saved record as large as any the game writes: every number takes the
// most digits it can.
ZQ::StoreValue widestRecord() {
    constexpr int32_t kWidest = std::numeric_limits<int32_t>::min();
    ZQ::SavedState r(kLevels);
    r.version = r.level = r.points = r.max_level = r.difficulty = kWidest;
    r.tangles.fill(kWidest);
    r.tangleForlevel.fill(kWidest);
    r.timerForlevel.fill(kWidest);
    r.auth_code = ZQ::SavedState::authCode(r);
    return r.toStored();
}

// The widest value the game writes under each of its keys in the user
// defaults and the cloud store.
const ZQ::StoreValue::Dictionary& widestWrites() {
    static const ZQ::StoreValue::Dictionary widest = {
        {ZQ::Preferences::kStateKey, widestRecord()},
        {ZQ::Preferences::kGameModeKey, ZQ::StoreValue::integer(std::numeric_limits<int64_t>::min())},
        {ZQ::Preferences::kTutorialCompletedKey, ZQ::StoreValue::boolean(false)},
        {ZQ::Preferences::kAppRatedKey, ZQ::StoreValue::boolean(false)},
    };
    return widest;
}

// Whatever a store took in, every write the game can make to it fits: any
// of its keys, each at its widest, beside what the file holds.
void checkEveryWriteFits(const ZQ::KeyValueStore& store, const char* what) {
    const ZQ::StoreValue::Dictionary& widest = widestWrites();
    for (unsigned subset = 1; subset < 1u << widest.size(); ++subset) {
        ZQ::StoreValue::Dictionary written = store.contents();
        unsigned bit = 1;
        for (const auto& [key, value] : widest) {
            if ((subset & bit) != 0) {
                written.insert_or_assign(key, value);
            }
            bit <<= 1;
        }
        check(ZQ::plistSizeFault(ZQ::writePlistDictionary(written)).empty(), what);
    }
}

void removeEverything() {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(gFolder, error)) {
        fs::remove_all(entry.path(), error);
    }
}

void checkScanAgainstLibplist(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    if (ZQ::isBinaryPlist(text, size)) {
        return;
    }
    const ZQ::PlistXmlShape shape = ZQ::scanPlistXml(std::string_view(text, size));
    if (!shape.fault.empty()) {
        return;
    }
    const std::optional<LibplistTree> tree = libplistTree(text, size);
    if (!tree) {
        return;
    }
    check(tree->values <= shape.values, "libplist builds no more values than the scan counted");
    check(tree->depth <= shape.depth, "libplist builds no deeper a tree than the scan counted");
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
    static const ZQ::StoreValue saved = validRecord(40);
    static const ZQ::PlistRoom& room = ZQ::Preferences::writtenRoom();
    checkScanAgainstLibplist(data, size);
    const std::string path = gFolder + "/defaults.plist";
    writeFile(path, data, size);
    {
        ZQ::PlistFileStore taken(path, room);
        if (!taken.contents().empty()) {
            // A store writes only what changes: a fresh one is given all of
            // it, and its file takes the input's place.
            const std::string copyPath = gFolder + "/written.plist";
            ZQ::PlistFileStore written(copyPath, room);
            for (const auto& [key, value] : taken.contents()) {
                written.setObject(key, value);
            }
            check(written.synchronize(), "a store writes back whatever it took in");
            check(ZQ::plistLeastWrittenBytes(taken.contents()) <= fs::file_size(copyPath),
                  "a list is written in no fewer bytes than the least its bound counts");
            fs::rename(copyPath, path);
        }
        // The load goes on from the file written back.
        ZQ::PlistFileStore store(path, room);
        check(store.contents() == taken.contents(), "what the store wrote reads back unchanged");
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
        checkEveryWriteFits(store, "every write the game can make to the defaults it took in fits");
        for (const auto& [key, value] : widestWrites()) {
            store.setObject(key, value);
        }
        check(store.synchronize(), "the defaults take the game's own keys beside whatever they took in");
        check(ZQ::PlistFileStore(path, room).contents() == store.contents(), "and read it all in again");
    }
    {
        // The same bytes as the cloud file of another machine.
        writeFile(gFolder + "/remote.plist", data, size);
        ZQ::PlistFileStore cloud(gFolder + "/remote.plist", room);
        checkEveryWriteFits(cloud, "every write the game can make to the cloud file it took in fits");
        ZQ::PlistFileStore defaults(gFolder + "/local.plist", room);
        defaults.setObject(ZQ::Preferences::kStateKey, saved);
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
        for (const auto& [key, value] : widestWrites()) {
            cloud.setObject(key, value);
        }
        check(cloud.synchronize(), "the cloud file takes the game's own keys beside whatever it took in");
    }
    removeEverything();
    return 0;
}
