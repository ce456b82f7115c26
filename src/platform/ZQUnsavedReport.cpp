#include "platform/ZQUnsavedReport.h"

#include "engine/Assert.h"
#include "engine/PlistFileStore.h"
#include "engine/StoreLocations.h"
#include "platform/ZQDialogPresenter.h"
#include "platform/ZQGameCenterGateway.h"

#include <cctype>
#include <cstdio>

namespace ZQUnsavedReport {

namespace {

// A store still not saved after the last try, and why the try failed.
struct Unsaved {
    std::string path;
    std::string why;
};

constexpr const char* kTitle = "Velmora could not save your progress";

// Whatever the cause, the progress of this session is gone once the process
// ends; the next session saves at its first change.
constexpr const char* kWhatToDo = "free some space on the disk or make the folder writable, then play again: "
                                  "the game saves at its next change";

StoreFile fileOf(ZQ::KeyValueStore& store) {
    const auto* file = dynamic_cast<const ZQ::PlistFileStore*>(&store);
    ZQ_ASSERT(file != nullptr);
    return {&store, file->path()};
}

// The box's text, the lines' sentences; its presenter wraps them.
std::string boxText(const std::vector<Unsaved>& unsaved) {
    std::string text;
    for (const Unsaved& store : unsaved) {
        text += "This session's progress is not saved in " + store.path + " (" + store.why + ").\n";
    }
    std::string advice = kWhatToDo;
    advice[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(advice[0])));
    return text + "\n" + advice + ".";
}

// The lines the run ends with: one per store, then what to do.
std::string lines(const std::vector<Unsaved>& unsaved) {
    std::string text;
    for (const Unsaved& store : unsaved) {
        text += "velmora: this session's progress is not saved in " + store.path + ": " + store.why + "\n";
    }
    return text + "velmora: " + kWhatToDo + "\n";
}

// Synchronizes once more each of `stores` that holds unsaved changes; the
// ones that still hold some, in the order given.
std::vector<Unsaved> lastTry(const std::vector<StoreFile>& stores) {
    std::vector<Unsaved> unsaved;
    for (const StoreFile& file : stores) {
        if (!file.store->unsaved()) {
            continue;
        }
        // Its own answer counts, not synchronize's: a write that gave way to
        // another writer's value has nothing left to save.
        file.store->synchronize();
        if (const std::optional<std::string> why = file.store->unsaved()) {
            unsaved.push_back({file.path, *why});
        }
    }
    return unsaved;
}

} // namespace

std::vector<StoreFile> gameStores() {
    return {fileOf(ZQ::userDefaults()), fileOf(ZQ::cloudStore()),
            fileOf(ZQGameCenterGateway::sharedInstance()->leaderboards().file())};
}

int endSession(const std::vector<StoreFile>& stores, ZQDialogPresenter* box) {
    // The summary on standard output comes first, however the two streams
    // meet: the last try logs on standard error.
    std::fflush(stdout);
    const std::vector<Unsaved> unsaved = lastTry(stores);
    if (unsaved.empty()) {
        return 0;
    }
    std::fputs(lines(unsaved).c_str(), stderr);
    if (box != nullptr) {
        box->present({kTitle, boxText(unsaved)}, [] {});
    }
    return 1;
}

} // namespace ZQUnsavedReport
