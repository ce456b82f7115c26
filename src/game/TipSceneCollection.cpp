#include "game/TipSceneCollection.h"

#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/Random.h"
#include "engine/SoundAction.h"
#include "engine/SoundGateway.h"
#include "game/TipNode.h"
#include "overlays/CaptionBox.h"
#include "overlays/FlowInstance.h"
#include "overlays/FlowModel.h"
#include "overlays/FlowSteps.h"

#include <algorithm>
#include <list>
#include <string>

namespace ZQ {

namespace {

constexpr int32_t kLineDelay = 45;   // between two lines swinging in
constexpr int32_t kEntryFrames = 60; // a line's swing to its place
constexpr int32_t kHoldFrames = 120; // a line's hold once in place
constexpr int32_t kHoldEnds = 15;    // the ends that do not pull wait this long
constexpr int32_t kExitFrames = 15;  // a line leaving by itself
constexpr int32_t kFlingFrames = 30; // a line flung off by a close

FlowModel& flows() {
    ZQ_ASSERT(gGlobals.flowModel != nullptr);
    return *gGlobals.flowModel;
}

CaptionBox& captions() {
    ZQ_ASSERT(gGlobals.captionBox != nullptr);
    return *gGlobals.captionBox;
}

// The exit's last step: the tip forgets its lines once they have started to
// leave, so a later close does not reach for flows already on their way out.
Action* forgetLines(TipNode& tip) {
    TipNode* owner = &tip;
    return new LambdaAction([owner](Cloudlet*) { owner->clear(); });
}

// The steps that take one line off: the ends that do not pull wait, the
// pivot letter is dragged to the exit point and the tip forgets its lines.
void addExitSteps(FlowModel::Batch& batch, TipNode& tip, int32_t flow, int32_t letters, float y,
                  int32_t frames) {
    int32_t pivot = 0;
    PVRTVec2 exit;
    FlowSupport::randomTipExit(&pivot, &exit, letters, y);
    ZQ_ASSERT(pivot >= 0);
    const int32_t last = letters - 1;
    if (pivot != 0) {
        batch.push_back(new FlowAnim(flow, 0, new Sequence({new FlowStopAction(kHoldEnds)})));
    }
    if (last != 0 && last != pivot) {
        batch.push_back(new FlowAnim(flow, last, new Sequence({new FlowStopAction(kHoldEnds)})));
    }
    batch.push_back(
        new FlowAnim(flow, pivot,
                     new Sequence({new SoundAction(&ISoundGateway::playRandomSwish16),
                                   new FlowMoveAction(frames, PVRTVec3(exit.x, exit.y, 0.0f), easeSmooth()),
                                   forgetLines(tip)})));
}

// The flow a step addresses.
int32_t flowOf(const FlowStep* step) {
    if (const auto* anim = dynamic_cast<const FlowAnim*>(step)) {
        return anim->flow;
    }
    if (const auto* remove = dynamic_cast<const FlowRemove*>(step)) {
        return remove->flow;
    }
    return -1;
}

// Takes off the queue every batch that concerns only these flows: the
// exits a shown tip queued and has not yet run.
void dropQueuedExits(FlowModel& model, const std::vector<int>& groups) {
    const auto ours = [&groups](const FlowStep* step) {
        return std::find(groups.begin(), groups.end(), flowOf(step)) != groups.end();
    };
    for (auto it = model.queue.begin(); it != model.queue.end();) {
        FlowModel::Batch* batch = *it;
        if (!batch->empty() && std::all_of(batch->begin(), batch->end(), ours)) {
            deleteBatch(batch);
            it = model.queue.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace

PVRTVec2 randomTipEntry(float y) {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    switch (arc4random() % 3) {
    case 0:
        return PVRTVec2(-w, y);
    case 1:
        return PVRTVec2(2.0f * w, y);
    default:
        return PVRTVec2(static_cast<float>(arc4random()) * 0x1p-32f * w, -0.2f * h);
    }
}

namespace TipSceneCollection {

void showGroup(TipNode& tip, std::vector<int>& groups, const std::vector<float>& rows,
               const std::string& name) {
    groups.clear();
    ZQ_ASSERT(!rows.empty());
    FlowModel& model = flows();
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const float s = gGlobals.worldScale;

    struct Line {
        int32_t flow;
        int32_t letters;
    };
    std::vector<Line> lines;
    auto* entry = new FlowModel::Batch();
    for (size_t i = 0; i < rows.size(); ++i) {
        CaptionEntry* caption = captions().getCaption(name + std::to_string(i + 1));
        const float y = rows[i] * h;
        const float x = 0.5f * w;
        const PVRTVec2 from = randomTipEntry(y);
        int32_t flow = -1;
        int32_t letters = 0;
        model.addFlow(caption, &flow, &letters, from.x, from.y, 0.0f);
        groups.push_back(flow);
        if (letters == 0) {
            continue; // a caption without letters shows nothing
        }
        lines.push_back({flow, letters});
        const float half = static_cast<float>(letters) * TipSceneCollection::kHalfLetter / s;
        const int32_t wait = kLineDelay * static_cast<int32_t>(i);
        for (const auto& [letter, to] : {std::pair{0, x - half}, std::pair{letters - 1, x + half}}) {
            entry->push_back(new FlowAnim(
                flow, letter,
                new Sequence({new FlowStopAction(wait), new SoundAction(&ISoundGateway::playRandomSwish17),
                              new FlowMoveAction(kEntryFrames, PVRTVec3(to, y, 0.0f), easeSmooth()),
                              new FlowStopAction(kHoldFrames)})));
            if (letters == 1) {
                break;
            }
        }
    }

    std::list<FlowModel::Batch*> batches = {entry};
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        auto* exit = new FlowModel::Batch();
        addExitSteps(*exit, tip, line->flow, line->letters, 0.0f, kExitFrames);
        batches.push_back(exit);
        batches.push_back(new FlowModel::Batch({new FlowRemove(line->flow)}));
    }
    model.addSteps(batches);
}

void hideGroup(TipNode& tip, const std::vector<int>& groups) {
    ZQ_ASSERT(!groups.empty());
    FlowModel& model = flows();
    dropQueuedExits(model, groups);

    // Only the lines still on screen and not yet on their way out: a flow
    // is released once.
    std::vector<int> live;
    for (const int flow : groups) {
        if (model.letterCount(flow) > 0 && model.flowsToRemove.count(flow) == 0) {
            live.push_back(flow);
        }
    }
    if (live.empty()) {
        return;
    }
    std::list<FlowModel::Batch*> batches;
    auto* fling = new FlowModel::Batch();
    for (const int flow : live) {
        const float y = model.findLetter(flow, 0)->getPosition().y;
        addExitSteps(*fling, tip, flow, model.letterCount(flow), y, kFlingFrames);
    }
    batches.push_back(fling);
    for (const int flow : live) {
        batches.push_back(new FlowModel::Batch({new FlowRemove(flow)}));
    }
    model.addSteps(batches);
}

} // namespace TipSceneCollection

} // namespace ZQ
