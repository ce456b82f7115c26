#pragma once

#include "engine/Model.h"

#include <cstdint>

namespace ZQ {

class CaptionInstance;

// The calm mode's display: the "zen" picture and the number of calm strings,
// those whose two heads have both calmed down. The number is replaced at once
// when it changes. Changes only when a controller calls it; its step does
// nothing.
//
// Ownership: the captions belong to the caption model; the model only points
// at its number. Threads: main thread only.
class StringScoreModel : public Model {
public:
    void setUp() override;
    void tearDown() override {}

    // The picture and a count of 0.
    void show();
    // Fades the picture; the number goes at the caption model's next step.
    void hide();
    // Counts the calm strings from the head model's calm heads, two a string.
    void update();

    int32_t count = 0;                  // 0 .. MAX_CORD_STRINGS
    CaptionInstance* caption = nullptr; // the number on screen, or null

private:
    void replaceNumber();
};

} // namespace ZQ
