#pragma once

#include "cords/BraidModel.h"
#include "engine/Composite.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/MathHelpers.h"
#include "engine/Preferences.h"
#include "engine/SocialGateway.h"
#include "engine/SoundGateway.h"
#include "engine/physics/FxParticleSystem.h"
#include "levels/LevelModel.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionModel.h"
#include "overlays/TileInstance.h"
#include "overlays/TileModel.h"
#include "overlays/TileSupport.h"
#include "support/HeadlessGL.h"
#include "support/RecordingSoundGateway.h"

#include <memory>
#include <vector>

// What the screens need, in the engine globals on the headless context at
// 750 x 1334: the game's caption box (its pictures and English texts), the
// caption, tile and braid models with the braid world, a level model, a
// recording sound gateway and a social gateway the test can open. The
// player's tutorial flag and game mode are restored afterwards.
class TileFixture : public HeadlessGLTest {
protected:
    // Sharing opens once a snapshot exists and one channel is available.
    class OpenSocial : public ZQ::ISocialGateway {
    public:
        bool isTwAvailable() override { return open; }
        bool isFbAvailable() override { return false; }
        bool isWeAvailable() override { return false; }
        bool canSendEmail() override { return false; }
        void takeSnapshot() override {}
        bool isSnapshotTaken() override { return open; }
        void clearSnapshot() override {}
        void publishOnProfile(int32_t, int32_t, const char*) override {}
        void sendEmail(int32_t, const char*) override {}
        bool open = false;
    };

    void SetUp() override {
        HeadlessGLTest::SetUp();
        ZQ::Globals& g = ZQ::gGlobals;
        g.language = "en";
        box = std::make_unique<ZQ::CaptionBox>();
        box->setUp();
        g.captionBox = box.get();
        g.captionModel = &captions;
        tiles.setUp();
        g.tileModel = &tiles;
        braidWorld = std::make_unique<ZQ::Fx::ParticleSystem>(ZQ::Fx::kBraidWorld);
        g.particleSystem3 = braidWorld.get();
        braidWorld->setUp();
        braids.setUp();
        g.braidModel = &braids;
        levels = std::make_unique<ZQ::LevelModel>();
        g.levelModel = levels.get();
        g.tutorialActive = false;
        g.gameCenterAuthenticated = false;
        previousSound = ZQ::SoundGateway::setInstance(&sound);
        previousSocial = ZQ::SocialGateway::setInstance(&social);
        ZQ::Preferences& preferences = ZQ::Preferences::shared();
        tutorialWas = preferences.isTutorialCompleted();
        modeWas = preferences.getGameMode();
        mutedWas = ZQ::isMusicMuted();
        setTutorialCompleted(true);
        ZQ::setMusicMuted(false);
    }

    void TearDown() override {
        ZQ::Preferences& preferences = ZQ::Preferences::shared();
        setTutorialCompleted(tutorialWas);
        preferences.userDefaults().setInteger(ZQ::Preferences::kGameModeKey, modeWas);
        ZQ::setMusicMuted(mutedWas);
        ZQ::SoundGateway::setInstance(previousSound);
        ZQ::SocialGateway::setInstance(previousSocial);
        braids.tearDown();
        braidWorld->tearDown();
        captions.tearDown();
        box->tearDown();
        HeadlessGLTest::TearDown();
    }

    static void setTutorialCompleted(bool completed) {
        ZQ::Preferences::shared().userDefaults().setBool(ZQ::Preferences::kTutorialCompletedKey, completed);
    }

    // The leaves of the tree on screen, in visiting order.
    std::vector<ZQ::TileInstance*> leaves() {
        std::vector<ZQ::TileInstance*> out;
        if (tiles.current != nullptr) {
            ZQ::TileSupport::visit(tiles.current, [&out](ZQ::TileInstance* leaf) { out.push_back(leaf); });
        }
        return out;
    }

    // Steps the tile and caption models until the tiles settle (at most
    // `limit` frames); the frames it took.
    int settle(int limit = 400) {
        for (int frame = 0; frame < limit; ++frame) {
            if (tiles.isReady()) {
                return frame;
            }
            step();
        }
        return limit;
    }

    void step() {
        tiles.doStep();
        captions.doStep();
    }

    // Where a leaf's centre is drawn, in pixels.
    static PVRTVec2 onScreen(const ZQ::TileInstance* tile) {
        return ZQ::TileSupport::toScreen(ZQ::TileSupport::overlayCamera(), tile->layout.position);
    }

    std::unique_ptr<ZQ::CaptionBox> box;
    ZQ::CaptionModel captions;
    ZQ::TileModel tiles;
    std::unique_ptr<ZQ::Fx::ParticleSystem> braidWorld;
    ZQ::BraidModel braids;
    std::unique_ptr<ZQ::LevelModel> levels;
    RecordingSoundGateway sound;
    OpenSocial social;

private:
    ZQ::ISoundGateway* previousSound = nullptr;
    ZQ::ISocialGateway* previousSocial = nullptr;
    bool tutorialWas = false;
    ZQ::GameMode modeWas = ZQ::ArcadeMode;
    bool mutedWas = false;
};
