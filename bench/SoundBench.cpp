#include "cords/CordModel.h"
#include "engine/Bundle.h"
#include "engine/Globals.h"
#include "platform/OpenALSoundGateway.h"
#include "stage/CameraModel.h"

#include <AL/alc.h>
#include <AL/alext.h>
#include <benchmark/benchmark.h>

namespace {

// The effects player's device for a benchmark: a loopback device, so no
// mixer thread competes for the cores and no sound card is needed.
bool attachLoopback(ZQSoundEffectsModel& fx) {
    auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    ALCdevice* device = open != nullptr ? open(nullptr) : nullptr;
    if (device == nullptr) {
        return false;
    }
    fx.useDevice(device, {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                          ALC_FREQUENCY, 44100, 0});
    fx.setUp();
    return fx.hasContext();
}

// Every effect loaded from its file (decoded by libsndfile, copied into an
// OpenAL buffer) with nothing cached, as after a purge: the cost of the first
// time each sound is needed.
void BM_LoadAllEffectsCold(benchmark::State& state) {
    ZQSoundEffectsModel fx;
    if (!attachLoopback(fx) || ZQ::pathForResource("button_46", "caf").empty()) {
        state.SkipWithError("no loopback device or no generated bundle");
        return;
    }
    for (auto _ : state) {
        for (const std::string& name : fx.soundList) {
            fx.stopSource(fx.play(name, false, 0.0f, 0, 0, 0, nullptr, false));
        }
        state.PauseTiming();
        fx.purge();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(fx.soundList.size()));
    fx.tearDown();
}
BENCHMARK(BM_LoadAllEffectsCold)->Unit(benchmark::kMillisecond);

// One frame's sound step with all sixteen sources playing, each following a
// point projected through the scene camera.
void BM_GatewayStepSixteenSources(benchmark::State& state) {
    const ZQ::Globals saved = ZQ::gGlobals;
    ZQ::gGlobals.setScreenSize(750.0f, 1334.0f);
    // The camera reads only the cords' centre, which an empty cord model has.
    ZQ::CordModel cords;
    ZQ::gGlobals.cordModel = &cords;
    ZQ::CameraModel camera;
    camera.setUp();
    ZQ::gGlobals.cameraModel = &camera;
    {
        ZQ::OpenALSoundGateway gateway;
        if (!attachLoopback(gateway.fx)) {
            state.SkipWithError("no loopback device");
            ZQ::gGlobals = saved;
            return;
        }
        PVRTVec3 points[16];
        for (int i = 0; i < 16; ++i) {
            points[i] = PVRTVec3(40.0f * i, 60.0f * i, 0.0f);
            gateway.fx.play("Rotate Room", true, 0.5f, 0, 0, 0, &points[i], i % 2 == 0);
        }
        for (auto _ : state) {
            gateway.doStep();
        }
        benchmark::DoNotOptimize(gateway.fx.playingSources().size());
        if (gateway.fx.playingSources().size() != 16) {
            state.SkipWithError("the sources stopped playing");
        }
    }
    camera.tearDown();
    ZQ::gGlobals = saved;
}
BENCHMARK(BM_GatewayStepSixteenSources)->Unit(benchmark::kMicrosecond);

} // namespace
