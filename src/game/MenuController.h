#pragma once

#include "engine/Controller.h"

namespace ZQ {

class CloudletContainer;
class TileModel;

// The controller that is current while a menu of tiles is on screen (the
// main menu, the pause menu). The screens themselves are shown and hidden by
// the master controller; a pressed tile reaches it through the tile model's
// onTile. This controller only hands taps to the tiles and says when the
// screen has settled.
//
// Ownership: owns nothing; the flow container and the tile model belong to
// the engine. Threads: main thread only.
class MenuController : public Controller {
public:
    // `flows` is the flow model's container (no letters means settled);
    // null stands for a flow model that never holds any.
    MenuController(CloudletContainer* flows, TileModel* tiles);

    // Done when no flowing letter is left and no tile is moving.
    bool isDone() override;
    void tap(PVRTVec2 point, float radius) override;

private:
    CloudletContainer* flows;
    TileModel* tiles;
};

} // namespace ZQ
