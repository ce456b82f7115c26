#include "game/MenuController.h"

#include "engine/Assert.h"
#include "engine/CloudletContainer.h"
#include "overlays/TileModel.h"

namespace ZQ {

MenuController::MenuController(CloudletContainer* flows, TileModel* tiles) : flows(flows), tiles(tiles) {
    ZQ_ASSERT(tiles != nullptr);
}

bool MenuController::isDone() {
    return (flows == nullptr || flows->isEmpty()) && tiles->isReady();
}

void MenuController::tap(PVRTVec2 point, float radius) {
    tiles->tap(point, radius);
}

} // namespace ZQ
