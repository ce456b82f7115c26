#include "platform/ZQUnsavedReport.h"

#include "platform/ZQDialogPresenter.h"
#include "platform/ZQStandardError.h"
#include "platform/ZQStopSignals.h"

#include <cstdio>
#include <optional>

namespace {

// Each store in `stores` tried once more: what is still not saved.
std::vector<ZQ::Refusal> tryOnceMore(const std::vector<ZQ::KeyValueStore*>& stores) {
    std::vector<ZQ::Refusal> unsaved;
    for (ZQ::KeyValueStore* store : stores) {
        // Every store: one whose folder was replaced since its last write
        // owes all it holds to the folder there now. Its own answer counts,
        // not synchronize's: a write that gave way to another writer's value
        // has nothing left to save.
        store->synchronize();
        if (std::optional<ZQ::Refusal> owed = store->unsaved()) {
            unsaved.push_back(std::move(*owed));
        }
    }
    return unsaved;
}

} // namespace

int ZQUnsavedReport::endSession(const std::vector<ZQ::KeyValueStore*>& stores, ZQDialogPresenter* box) {
    // The summary on standard output comes first, however the two streams
    // meet: the last try logs on standard error.
    std::fflush(stdout);
    // A signal while the box is up closes it, and the run ends unsaved.
    std::optional<ZQBoxSignals> signals;
    if (box != nullptr) {
        signals.emplace(kTitle);
    }
    for (bool named = false;; named = true) {
        const std::vector<ZQ::Refusal> unsaved = tryOnceMore(stores);
        if (unsaved.empty()) {
            if (named) {
                ZQStandardError::say("the progress named above is saved now");
            }
            return 0;
        }
        // Said before the box as well: a player at a terminal can copy a
        // mend's command from there while the box waits.
        for (const ZQ::Refusal& store : unsaved) {
            ZQStandardError::say(store);
        }
        if (box == nullptr ||
            box->ask({kTitle, ZQ::paragraphs(unsaved, ZQMessageBoxPresenter::kColumns)},
                     {kTryAgain, kQuit}) != 0 ||
            ZQBoxSignals::received() != 0) {
            return 1;
        }
    }
}
