#pragma once

#include "engine/Controller.h"

#include <cstdint>
#include <memory>
#include <string>

class ZQInputScript;
class ZQView;

namespace ZQ {
class TutorialController;
class TutorialNode;
} // namespace ZQ

// Which screen a run plays.
enum class Screen { story, storyFromMenu, outro, tutorial };

// One headless play of a screen of the game flow, standing in for the master
// controller: it opens the story (at the first start, or from the menu with
// its skip allowed), the outro, or the tutorial (the tutorial flag set, room
// 0 then room 1 on the tutorial controller; of the points and award screens
// between them only their taking the displays away), replays the input file
// through the view, reports what happens and writes the pictures.
//
// Ownership: owns the controller it plays; the view and the input are the
// caller's. Threads: main thread only.
class ScreenRun : public ZQ::RelayController {
public:
    struct Options {
        Screen screen = Screen::tutorial;
        std::string shots;          // folder for the pictures; none when empty
        long shotEvery = 0;         // story and outro: a picture every this many frames
        long every = 0;             // tutorial: the cord's energies every this many frames
        bool positions = false;     // and where its particles are on the screen
        int32_t room = 0;           // the tutorial's first room
        bool drawShotsOnly = false; // draw only the frames pictured; step the others
    };

    // Takes the master controller's place in the engine globals.
    ScreenRun(ZQView& view, ZQInputScript& input, Options options);
    ~ScreenRun() override;

    // Frames until the screen is over or `frames` have been drawn; true when
    // it ended (the tutorial: and was marked completed, its flag cleared).
    bool play(long frames);

    // The stores of this process in a new temporary folder; its path.
    static std::string useTemporaryStores();
    static void removeTemporaryStores(const std::string& folder);

    void doStep() override;

protected:
    ZQ::Controller* relayTarget() const override { return controller.get(); }

private:
    void open();
    // The tutorial: the current level's room, made ready to be seen.
    void prepareRoom();
    // The tutorial: reports the running step's changes; true when its
    // picture is due.
    bool watchStep();
    bool pictureDue(long drawn);
    void writeShot();
    void printPositions() const;
    bool report() const;

    ZQView& view;
    ZQInputScript& input;
    Options options;
    std::unique_ptr<ZQ::Controller> controller;
    ZQ::TutorialController* tutorial = nullptr; // the controller, when it is the tutorial
    int32_t room = 0;
    bool started = false;
    bool finished = false;
    const ZQ::TutorialNode* watched = nullptr;
    int32_t watchedStatus = -1;
    int32_t runningSince = 0;
    bool shotTaken = false;
    int32_t pictureNumber = 0;
    std::string shotName;
};
