#pragma once

#include "engine/Model.h"

#include <cstdint>

namespace ZQ {

class CaptionInstance;

// The move count of the level played, a number under the ring picture in
// the top-left corner. The number pops (shrinks and fades) whenever it
// changes while the new one shows at once. Changes only when a controller
// calls it; its step does nothing.
//
// Ownership: the captions belong to the caption model; the model only points
// at its number. Threads: main thread only.
class ScoreModel : public Model {
public:
    static constexpr int32_t kMaxCount = 150;

    // Forgets the number caption and keeps the count of the last level.
    void setUp() override { caption = nullptr; }
    void tearDown() override {}

    // The ring and the current count.
    void show();
    // Fades the ring and pops the number.
    void hide();
    // One more move, saturating at kMaxCount.
    void advance();

    int32_t count = 0;                  // 0 .. kMaxCount
    CaptionInstance* caption = nullptr; // the number on screen, or null

private:
    void popNumber();
};

} // namespace ZQ
