#include "LoopbackAudio.h"

#include "cords/CordModel.h"
#include "engine/MathHelpers.h"
#include "engine/SoundGateway.h"
#include "platform/OpenALSoundGateway.h"
#include "stage/CameraModel.h"
#include "support/BareCordTest.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Effects on a stereo loopback device under the scene camera: a sound pans
// with where its point shows on the screen, never louder or softer.
class SoundPlacement : public BareCordTest {
protected:
    void SetUp() override {
        BareCordTest::SetUp();
        camera.setUp();
        ZQ::gGlobals.cameraModel = &camera;
        audio.attach(fx);
        fx.setUp();
        ASSERT_TRUE(fx.hasContext());
    }
    void TearDown() override {
        fx.tearDown();
        camera.tearDown();
        BareCordTest::TearDown();
    }

    // The world point on the cords' plane (z = 0) that shows at pixel (x, y).
    PVRTVec3 pointAt(float x, float y) const {
        const PVRTMat4 view = camera.viewMatrix();
        const PVRTVec3 p0 = ZQ::unprojectPoint(view, x, y, 0.0f);
        const PVRTVec3 p1 = ZQ::unprojectPoint(view, x, y, 1.0f);
        const float k = p0.z / (p0.z - p1.z);
        return p0 + (p1 - p0) * k;
    }

    // Left and right RMS of a looping sound at `point`, after one step.
    std::pair<double, double> heardAt(const PVRTVec3& point) {
        ZQSoundSource* source = fx.play("Rotate Room", true, 1.0f, point.x, point.y, point.z, nullptr, false);
        fx.doStep();
        audio.render(2048); // let the panning settle
        const std::vector<float> mix = audio.render(LoopbackAudio::kRate / 2);
        fx.stopSource(source);
        std::vector<float> left, right;
        for (size_t i = 0; i + 1 < mix.size(); i += 2) {
            left.push_back(mix[i]);
            right.push_back(mix[i + 1]);
        }
        return {rmsOf(left), rmsOf(right)};
    }

    ZQ::CameraModel camera;
    LoopbackAudio audio{2};
    ZQSoundEffectsModel fx;
};

TEST_F(SoundPlacement, TheMiddleIsCentredAndTheRightEdgeIsRightAtTheSameLoudness) {
    const float w = ZQ::gGlobals.screenSize.x, h = ZQ::gGlobals.screenSize.y;
    const PVRTVec3 middle = pointAt(0.5f * w, 0.5f * h);
    const PVRTVec2 place = ZQSoundSource::screenPlace(middle, false);
    EXPECT_NEAR(place.x, 0.0f, 1e-3f);
    EXPECT_NEAR(ZQSoundSource::screenPlace(pointAt(w, 0.5f * h), false).x, 1.0f, 1e-3f);

    const auto [midLeft, midRight] = heardAt(middle);
    EXPECT_GT(midLeft, 0.01);
    EXPECT_NEAR(midLeft / midRight, 1.0, 0.02);
    const auto [edgeLeft, edgeRight] = heardAt(pointAt(w, 0.5f * h));
    EXPECT_GT(edgeRight, 2.0 * edgeLeft);
    const auto [farLeft, farRight] = heardAt(pointAt(0.0f, 0.5f * h));
    EXPECT_GT(farLeft, 2.0 * farRight);
    // Panning moves the sound, it does not fade it: the distance model is off,
    // and the mixer's stereo panning law keeps the power within 2 dB.
    const double db = 20.0 * std::log10(std::hypot(edgeLeft, edgeRight) / std::hypot(midLeft, midRight));
    EXPECT_LT(std::fabs(db), 2.0);
}

TEST_F(SoundPlacement, AnInterruptionSuspendsTheEffectsUntilItEnds) {
    ZQMusicPlayerModel music;
    ZQAudioSession session(&music, &fx);
    session.handleInterruption(ZQAudioSession::InterruptionBegan);
    EXPECT_EQ(alcGetCurrentContext(), nullptr);
    session.handleInterruption(ZQAudioSession::InterruptionEnded);
    EXPECT_EQ(alcGetCurrentContext(), fx.openALContext);
    session.handleInterruption(7); // not an interruption type: nothing
    EXPECT_EQ(alcGetCurrentContext(), fx.openALContext);
    music.tearDown();
}

TEST_F(SoundPlacement, StartingWhileMutedPreparesMusicSilently) {
    const bool wasMuted = ZQ::isMusicMuted();
    ZQ::setMusicMuted(true);
    ZQMusicPlayerModel music;
    ZQAudioSession session(&music, &fx);
    session.setUp();
    EXPECT_TRUE(ZQ::isMusicMuted()); // the session keeps the player's choice
    music.play("menu", true, 0.6f);
    EXPECT_FALSE(music.isPlaying());
    music.turnOn();
    EXPECT_TRUE(music.isPlaying());
    session.tearDown();
    music.tearDown();
    ZQ::setMusicMuted(wasMuted);
}

} // namespace
