#include "platform/ZQUnsavedReport.h"

#include "platform/ZQDialogPresenter.h"

#include <cstdio>

namespace ZQUnsavedReport {

namespace {

constexpr const char* kTitle = "Velmora could not save your progress";

// Synchronizes once more each of `stores` that owes changes; what the ones
// that still owe some say of it, in the order given.
std::vector<ZQ::Refusal> lastTry(const std::vector<ZQ::KeyValueStore*>& stores) {
    std::vector<ZQ::Refusal> unsaved;
    for (ZQ::KeyValueStore* store : stores) {
        if (!store->unsaved()) {
            continue;
        }
        // Its own answer counts, not synchronize's: a write that gave way to
        // another writer's value has nothing left to save.
        store->synchronize();
        if (std::optional<ZQ::Refusal> owed = store->unsaved()) {
            unsaved.push_back(std::move(*owed));
        }
    }
    return unsaved;
}

} // namespace

int endSession(const std::vector<ZQ::KeyValueStore*>& stores, ZQDialogPresenter* box) {
    // The summary on standard output comes first, however the two streams
    // meet: the last try logs on standard error.
    std::fflush(stdout);
    const std::vector<ZQ::Refusal> unsaved = lastTry(stores);
    if (unsaved.empty()) {
        return 0;
    }
    for (const ZQ::Refusal& store : unsaved) {
        std::fprintf(stderr, "velmora: %s\n", ZQ::line(store).c_str());
    }
    if (box != nullptr) {
        box->present({kTitle, ZQ::paragraphs(unsaved, ZQMessageBoxPresenter::kColumns)}, [] {});
    }
    return 1;
}

} // namespace ZQUnsavedReport
