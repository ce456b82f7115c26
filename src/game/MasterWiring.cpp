#include "game/MasterWiring.h"

#include "engine/Globals.h"
#include "game/AwardController.h"
#include "game/GameController.h"
#include "game/MapController.h"
#include "game/MenuController.h"
#include "game/OutroController.h"
#include "game/StoryController.h"
#include "game/TutorialController.h"
#include "overlays/FlowModel.h"
#include "overlays/PointsModel.h"
#include "overlays/TileCollection.h"
#include "overlays/TileModel.h"
#include "overlays/TimerModel.h"

#include <algorithm>

namespace ZQ {

namespace {

// The scores as the points model holds them; zero without one.
SavedState::Scores pointsScores() {
    SavedState::Scores scores;
    const PointsModel* points = gGlobals.pointsModel;
    if (points == nullptr) {
        return scores;
    }
    scores.points = points->points;
    std::copy(std::begin(points->tangles), std::end(points->tangles), scores.tangles.begin());
    scores.grade = points->grade;
    return scores;
}

void setPointsScores(const SavedState::Scores& scores) {
    PointsModel* points = gGlobals.pointsModel;
    if (points == nullptr) {
        return;
    }
    points->points = scores.points;
    std::copy(scores.tangles.begin(), scores.tangles.end(), std::begin(points->tangles));
    points->grade = scores.grade;
}

int32_t timerElapsed() {
    return gGlobals.timerModel != nullptr ? gGlobals.timerModel->elapsed : 0;
}

void setTimer(const SavedState::Timer& timer) {
    if (TimerModel* model = gGlobals.timerModel) {
        model->remaining = timer.remainingFrames;
        model->elapsed = timer.elapsedFrames;
    }
}

void hideTiles() {
    if (TileModel* tiles = gGlobals.tileModel) {
        tiles->hideTile();
    }
}

} // namespace

MasterWiring gameWiring(Preferences& preferences) {
    MasterWiring wiring;
    auto maker = [&wiring](ControllerRole role) -> MasterWiring::Maker& {
        return wiring.makers[static_cast<std::size_t>(role)];
    };
    maker(ControllerRole::Menu) = [] { return new MenuController(gGlobals.flowModel, gGlobals.tileModel); };
    maker(ControllerRole::Game) = [] { return new GameController(); };
    maker(ControllerRole::Map) = [] { return new MapController(); };
    maker(ControllerRole::Tutorial) = [] { return new TutorialController(); };
    maker(ControllerRole::Story) = [] { return new StoryController(); };
    maker(ControllerRole::Outro) = [] { return new OutroController(); };
    wiring.allowStorySkip = [](Controller& story) {
        static_cast<StoryController&>(story).skipAllowed = true;
    };
    maker(ControllerRole::Award) = [stores = &preferences] { return new AwardController(*stores); };
    wiring.setAwardState = [](Controller& award, AwardController::State state) {
        static_cast<AwardController&>(award).state = state;
    };

    wiring.tiles = []() -> EventSource* { return gGlobals.tileModel; };
    wiring.showMainUi = &TileCollection::showMainUi;
    wiring.hideMainMenu = &TileCollection::hideMainMenu;
    wiring.hideTiles = &hideTiles;
    wiring.showPauseUi = &TileCollection::showPauseUi;
    wiring.showGameUi = &TileCollection::showGameUi;

    wiring.readScores = &pointsScores;
    wiring.writeScores = &setPointsScores;
    wiring.elapsedFrames = &timerElapsed;
    wiring.writeTimer = &setTimer;
    return wiring;
}

} // namespace ZQ
