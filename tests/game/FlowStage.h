#pragma once

#include "engine/Controller.h"
#include "engine/physics/FxParticleSystem.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionGenerator.h"
#include "overlays/CaptionModel.h"
#include "overlays/CursorModel.h"
#include "overlays/FlowInstance.h"
#include "overlays/FlowModel.h"
#include "stage/BalloonModel.h"
#include "support/CatalogueSuite.h"
#include "support/HeadlessGL.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// Renders every caption as a row of 30-pixel letters, one per character of
// its text: by default "text of NAME" padded to 24 letters, or what the test
// put in `texts` (an empty text has no letters).
class LetterGenerator : public ZQ::CaptionGenerator {
public:
    static constexpr int kLetterWidth = 30;

    void setUp() override {}
    ZQ::CaptionBitmap make(const std::string& key, const std::string& label) override;

    std::string textOf(const std::string& name) const;

    std::map<std::string, std::string> texts; // by bare name
};

// The overlay models the story, the outro and the tutorial's messages put
// their screens into, on the headless context at 750 x 1334 with the level
// catalogue: a caption box rendering with LetterGenerator, the caption
// model, the flow world and flow model, the cursor and the balloon model,
// stepped in model-list order by frame().
class FlowStage : public CatalogueSuite<HeadlessGLTest> {
protected:
    void SetUp() override;
    void TearDown() override;

    // One frame: the controller's step (when one is given), then the models.
    void frame(ZQ::Controller* controller = nullptr);
    // Frames until `done` holds (checked before each frame) or `limit`
    // frames have run; the number of frames run.
    template <class Condition> int framesUntil(Condition done, int limit, ZQ::Controller* controller) {
        int n = 0;
        while (!done() && n < limit) {
            frame(controller);
            ++n;
        }
        return n;
    }

    // The letters of one flow, in letter order.
    std::vector<ZQ::FlowInstance*> lettersOf(int flow) const;
    // The flow ids with letters on screen, rising.
    std::vector<int> flowIds() const;
    // Flows whose caption is `name`: the id, or -1.
    int flowOf(const std::string& name) const;

    float w = 0.0f;
    float h = 0.0f;
    LetterGenerator* generator = nullptr; // owned by the box
    std::unique_ptr<ZQ::CaptionBox> box;
    ZQ::CaptionModel captions;
    std::unique_ptr<ZQ::Fx::ParticleSystem> flowWorld;
    ZQ::FlowModel flows;
    ZQ::CursorModel cursors;
    ZQ::BalloonModel balloons;
};
