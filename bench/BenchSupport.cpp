#include "BenchSupport.h"

#include "engine/DeviceProfile.h"
#include "platform/ZQApplication.h"
#include "platform/ZQView.h"

ZQEGLContext* headlessBenchContext() {
    return ZQEGLContext::sharedHeadless(kBenchWidth, kBenchHeight);
}

ZQEGLContext* headlessBenchContext(benchmark::State& state) {
    ZQEGLContext* context = headlessBenchContext();
    if (context == nullptr) {
        state.SkipWithError("no headless OpenGL ES 2.0 context");
    }
    return context;
}

BenchEngine::BenchEngine(benchmark::State& state, ZQMasterFactory makeMaster) : saved(ZQ::gGlobals) {
    if (ZQEGLContext* context = headlessBenchContext(state)) {
        view_ = std::make_unique<ZQView>(*context, ZQApplication::kFramePoints, 2.0f,
                                         ZQ::DeviceProfile::get(), &makeEngineModels<ZQPlainMaker>,
                                         &makeRenderPasses<ZQPlainMaker>, makeMaster);
    }
}

BenchEngine::~BenchEngine() {
    // The engine goes first: its tear-down reads the globals it set.
    view_.reset();
    ZQ::gGlobals = saved;
}
