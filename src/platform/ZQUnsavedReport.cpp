#include "platform/ZQUnsavedReport.h"

#include "platform/ZQDialogPresenter.h"
#include "platform/ZQStandardError.h"

#include <cstdio>

int ZQUnsavedReport::endSession(const std::vector<ZQ::KeyValueStore*>& stores, ZQDialogPresenter* box) {
    // The summary on standard output comes first, however the two streams
    // meet: the last try logs on standard error.
    std::fflush(stdout);
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
    if (unsaved.empty()) {
        return 0;
    }
    for (const ZQ::Refusal& store : unsaved) {
        ZQStandardError::say(store);
    }
    if (box != nullptr) {
        box->present({"Velmora could not save your progress",
                      ZQ::paragraphs(unsaved, ZQMessageBoxPresenter::kColumns)},
                     [] {});
    }
    return 1;
}
