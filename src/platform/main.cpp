#include "engine/Controller.h"
#include "engine/Globals.h"

#include <cstdio>

// Until the application shell exists this entry point drives the engine core
// headless for a moment and says what is missing.
int main() {
    ZQ::NopController nop;
    ZQ::gGlobals.setScreenSize(750.0f, 1334.0f);
    ZQ::gGlobals.masterController = &nop;
    for (int i = 0; i < 30; ++i) {
        ZQ::gGlobals.stepFrame();
    }
    ZQ::gGlobals.masterController = nullptr;
    std::printf("Velmora: the engine core stepped %d frames headless.\n"
                "The window, rendering, levels and game flow are not built yet, so there is nothing to play.\n",
                ZQ::gGlobals.frameCount);
    return 0;
}
