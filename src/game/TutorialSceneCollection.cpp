#include "game/TutorialSceneCollection.h"

#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/Log.h"
#include "engine/Random.h"
#include "engine/SoundAction.h"
#include "game/TutorialNode.h"
#include "overlays/CaptionBox.h"
#include "overlays/FlowInstance.h"
#include "overlays/FlowModel.h"
#include "overlays/FlowSteps.h"

#include <algorithm>
#include <string>

namespace ZQ {

void randomSideEntry(int* pivot, PVRTVec3* start, int count, float /*x*/, float y, float z) {
    const float w = gGlobals.screenSize.x;
    if (arc4random() % 2 == 1) {
        *pivot = count - 1;
        *start = PVRTVec3(2.0f * w, y, z);
    } else {
        *pivot = 0;
        *start = PVRTVec3(-w, y, z);
    }
}

void TutorialSceneCollection::showGroup(TutorialNode& node) {
    if (node.silent) {
        return;
    }
    node.groups.clear();
    ZQ_ASSERT(!node.rows.empty() && "msg_count");
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const float s = gGlobals.worldScale;
    const int32_t hold = node.keep ? kKeepFrames : kHoldFrames;
    auto* batch = new std::vector<FlowStep*>();
    for (std::size_t i = 1; i <= node.rows.size(); ++i) {
        CaptionEntry* entry = gGlobals.captionBox->getCaption(node.captionKey() + "_" + std::to_string(i));
        const float y = node.rows[i - 1] * h;
        int pivot = 0;
        PVRTVec3 start;
        randomSideEntry(&pivot, &start, 0, 0.5f * w, y, 0.0f);
        int32_t flow = 0;
        int32_t letters = 0;
        gGlobals.flowModel->addFlow(entry, &flow, &letters, start.x, start.y, start.z);
        if (letters < 1) {
            // An empty text: no line to wait for, and none to fling off later.
            platformLog("tutorial line %s has no letters", entry->name.c_str());
            continue;
        }
        node.groups.push_back(flow);
        // A long line hangs between the pins rather than reach past the edges.
        const float half = std::min(static_cast<float>(letters) * kHalfLetter / s, kMaxHalf * w);
        const float ends[2] = {0.5f * w - half, 0.5f * w + half};
        const int32_t letterOf[2] = {0, letters - 1};
        for (int end = 0; end < 2; ++end) {
            batch->push_back(new FlowAnim(
                flow, letterOf[end],
                new Sequence({new SoundAction(&ISoundGateway::playRandomSwish17),
                              new FlowMoveAction(kEntryFrames, PVRTVec3(ends[end], y, 0.0f), easeSmooth()),
                              new FlowStopAction(hold)})));
        }
    }
    gGlobals.flowModel->addSteps({batch});
}

void TutorialSceneCollection::hideGroup(const std::vector<int>& groups) {
    ZQ_ASSERT(!groups.empty() && "groups.size()");
    FlowModel& flows = *gGlobals.flowModel;
    auto* fling = new std::vector<FlowStep*>();
    std::list<std::vector<FlowStep*>*> batches{fling};
    for (int flow : groups) {
        const FlowInstance* first = flows.findLetter(flow, 0);
        const int count = flows.letterCount(flow);
        if (first == nullptr) {
            // Sent away already (a quit clears every flow).
            continue;
        }
        const PVRTVec3 at = first->layout.position;
        int pivot = 0;
        PVRTVec3 exit;
        randomSideEntry(&pivot, &exit, count, at.x, at.y, at.z);
        // Both ends let go of their pins; sometimes the trailing end holds on
        // for half a second, so the line whips round as it leaves.
        fling->push_back(new FlowAnim(flow, 0, new Sequence({new WaitAction(0)})));
        fling->push_back(new FlowAnim(flow, count - 1, new Sequence({new WaitAction(0)})));
        if (static_cast<float>(arc4random()) * 0x1p-32f < 0.5f) {
            fling->push_back(new FlowAnim(flow, pivot == count - 1 ? 0 : count - 1,
                                          new Sequence({new FlowStopAction(kTrailFrames)})));
        }
        fling->push_back(new FlowAnim(flow, pivot,
                                      new Sequence({new SoundAction(&ISoundGateway::playRandomSwish16),
                                                    new FlowMoveAction(kExitFrames, exit, easeSmooth())})));
        batches.push_back(new std::vector<FlowStep*>{new FlowRemove(flow)});
    }
    flows.addSteps(batches);
}

} // namespace ZQ
