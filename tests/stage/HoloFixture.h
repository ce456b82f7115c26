#pragma once

#include "engine/Random.h"
#include "stage/HoloInstance.h"
#include "stage/HoloModel.h"
#include "stage/HoloOverlays.h"
#include "support/CatalogueSuite.h"
#include "support/CordStage.h"
#include "support/HeadlessGL.h"
#include "support/RecordingSoundGateway.h"
#include "support/SeededRandom.h"

#include <memory>
#include <string>
#include <vector>

// The overlays side of the holograms, recording what it is asked.
class RecordingHoloOverlays : public ZQ::HoloOverlays {
public:
    void addFollowCursor(ZQ::HoloInstance& hologram) override { followed.push_back(&hologram); }
    void updateHoloName(int32_t level) override { names.push_back(level); }
    void moveHoloLines() override { calls.push_back("moveHoloLines"); }
    void hideCursor() override { calls.push_back("hideCursor"); }

    std::vector<ZQ::HoloInstance*> followed;
    std::vector<int32_t> names;
    std::vector<std::string> calls;
};

// A hologram model set up on the headless context (meshes are uploaded) with
// the level catalogue, the cord stage (a playing cord may lie in the main
// world), a recording sound gateway, recording overlays and the seeded
// random source.
class HoloFixture : public CatalogueSuite<HeadlessGLTest>, protected CordStage {
protected:
    void SetUp() override {
        CatalogueSuite::SetUp();
        setUpStage();
        ZQ::seedRandom(kTestSeed);
        holo = std::make_unique<ZQ::HoloModel>();
        ZQ::gGlobals.holoModel = holo.get();
        holo->overlays = &overlays;
        holo->setUp();
    }

    void TearDown() override {
        holo.reset();
        tearDownStage();
        CatalogueSuite::TearDown();
    }

    // What the level map does on entering: current and count, the existing
    // holograms parked, the window built and placed, the fade-ins started
    // (the front one idles at once).
    void enterMap(int32_t current, int32_t count) {
        holo->current = current;
        holo->count = count;
        holo->createInstance(true);
        for (int32_t j = -2; j <= 2; ++j) {
            ZQ::HoloInstance* h = at(current + j);
            if (h == nullptr) {
                continue;
            }
            h->setAction(j == 0                ? ZQ::HoloModel::idleAction()
                         : (j == -1 || j == 1) ? ZQ::HoloModel::fadeInAction(j + 2)
                                               : ZQ::HoloModel::scannerAction());
        }
    }

    // The hologram of level i, null outside the vector or where none exists.
    ZQ::HoloInstance* at(int32_t i) const {
        if (i < 0 || static_cast<std::size_t>(i) >= holo->instances.size()) {
            return nullptr;
        }
        return holo->instances[static_cast<std::size_t>(i)];
    }

    std::size_t listed() const {
        std::vector<ZQ::Cloudlet*> out;
        holo->getCloudlets(out);
        return out.size();
    }

    std::unique_ptr<ZQ::HoloModel> holo;
    RecordingHoloOverlays overlays;
    RecordingSoundGateway sound;
    ScopedSoundGateway scopedSound{&sound};
};
