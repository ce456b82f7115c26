#include "ViewPlayFixture.h"

#include "cords/CordModel.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/Random.h"
#include "overlays/TileInstance.h"
#include "overlays/TileModel.h"
#include "overlays/TileSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

std::vector<int32_t> tilesShown() {
    std::vector<int32_t> ids;
    if (ZQ::gGlobals.tileModel->current == nullptr) {
        return ids;
    }
    ZQ::TileSupport::visit(ZQ::gGlobals.tileModel->current,
                           [&ids](ZQ::TileInstance* leaf) { ids.push_back(leaf->id); });
    return ids;
}

PVRTVec2 tileCentre(int32_t id) {
    PVRTVec2 centre(-1.0f, -1.0f);
    if (ZQ::gGlobals.tileModel->current == nullptr) {
        ADD_FAILURE() << "no tiles on screen";
        return centre;
    }
    ZQ::TileSupport::visit(ZQ::gGlobals.tileModel->current, [&](ZQ::TileInstance* leaf) {
        if (leaf->id == id) {
            const PVRTMat4 clip =
                ZQ::TileSupport::overlayCamera() * ZQ::TileSupport::tileModelMatrix(leaf->layout);
            centre = ZQ::TileSupport::toScreen(clip, PVRTVec3(0.0f, 0.0f, 0.0f));
        }
    });
    EXPECT_GE(centre.x, 0.0f) << "tile " << id << " is not on screen";
    return centre;
}

void ViewPlayTest::SetUp() {
    HeadlessGLTest::SetUp();
    savedMode = ZQ::Preferences::shared().getGameMode();
    savedTutorial = ZQ::Preferences::shared().isTutorialCompleted();
    ZQ::seedRandom(20261207);
}

void ViewPlayTest::TearDown() {
    view.reset();
    ZQ::Preferences::shared().setGameMode(savedMode);
    ZQ::Preferences::shared().userDefaults().setBool(ZQ::Preferences::kTutorialCompletedKey, savedTutorial);
    HeadlessGLTest::TearDown();
}

void ViewPlayTest::makeView(ZQPassFactory passes, ZQMasterFactory master) {
    view =
        std::make_unique<ZQView>(*HeadlessGL::context(), PVRTVec2(375.0f, 667.0f), kScale,
                                 ZQ::DeviceProfile::get(), &makeEngineModels<ZQPlainMaker>, passes, master);
}

void ViewPlayTest::deliverInput() {
    if (script) {
        script->deliver(*view, drawn, 1.0 / 30.0, kRadius);
    }
}

void ViewPlayTest::input(const std::string& lines) {
    std::istringstream in(lines);
    std::string line;
    std::string shifted;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        int frameNumber = 0;
        words >> frameNumber;
        std::string rest;
        std::getline(words, rest);
        shifted += std::to_string(frameNumber + drawn) + rest + "\n";
    }
    script = std::make_unique<ZQInputScript>();
    std::string error;
    std::istringstream text(shifted);
    ASSERT_TRUE(script->parse(text, error)) << error;
}

std::string ViewPlayTest::touch(int frameNumber, const char* kind, PVRTVec2 at, int finger) {
    std::ostringstream line;
    line << frameNumber << ' ' << kind << ' ' << finger << ' ' << at.x << ' ' << at.y;
    if (std::string(kind) != "ended") {
        line << ' ' << kRadius;
    }
    return line.str() + "\n";
}

PVRTVec2 ViewPlayTest::pointOf(int p) {
    const PVRTVec2 pixel = ZQ::gGlobals.cordModel->screenPositions[p];
    return PVRTVec2(pixel.x / kScale, (ZQ::gGlobals.screenSize.y - pixel.y) / kScale);
}

std::string ViewPlayTest::dragLines(const ScriptedDrag& d) {
    const PVRTVec2 from = pointOf(d.particle);
    // Screen widths to points; y grows downward in points.
    const float length = d.distance * ZQ::gGlobals.screenSize.x / kScale;
    const PVRTVec2 step(std::cos(d.angle) * length / d.moveFrames,
                        -std::sin(d.angle) * length / d.moveFrames);
    std::string lines = touch(1, "began", from);
    PVRTVec2 at = from;
    for (int k = 1; k <= d.moveFrames; ++k) {
        at += step;
        lines += touch(1 + k, "moved", at);
    }
    return lines + touch(1 + d.moveFrames + d.holdFrames, "ended", at);
}
