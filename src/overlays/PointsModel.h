#pragma once

#include "engine/Model.h"
#include "engine/PVRTVector.h"
#include "stage/GaugeModel.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace ZQ {

// The player's points and grade counts, and the end-of-level points show of
// the award screen: the level's points swing in as a flowing caption along
// the bottom of the screen, the gauge comes in and fills with the play's part
// and then the time's part while bursts of grains fly out of the ring and
// the hourglass, the number counts up, and the caption leaves again.
//
// The game controller writes the level's parts when a level is solved, the
// saved state copies the totals in and out, and the award controller starts
// the show and waits for `done`.
//
// Ownership: owns nothing; the gauge, the grain emitters and the flow belong
// to their models. Threads: main thread only.
class PointsModel : public Model, public GaugePoints {
public:
    static constexpr int32_t kGrades = 5;
    // A burst holds at most this many grains.
    static constexpr int32_t kMaxGrains = 128;

    // Clears the grade, the counts and the level's parts and sets done; the
    // base points, previous points and flow id stay.
    void setUp() override;
    void tearDown() override {}

    // Starts the points show of `value`. The caller sets flowId to -1 and
    // done to 0 first and waits for done. A points caption without letters
    // shows nothing and is done at once.
    void animPoints(int32_t value);

    int32_t gaugeBasePoints() const override { return basePoints; }
    int32_t gaugeScorePoints() const override { return scorePoints; }
    int32_t gaugeTimePoints() const override { return timePoints; }

    // A grain burst's material curve, one entry per band: (running total of
    // grains, material index n - 1 - k), from (band, share) pairs and a
    // minimum per band; the total is the last running total.
    static std::vector<PVRTVec2> burstCurve(const std::vector<std::pair<int32_t, float>>& shares,
                                            int32_t bandCount, int32_t minimum);
    // The score burst's (band, share) pairs: bands n - 1 down to fromBand,
    // each its full width above a, the part above a for the band holding it.
    static std::vector<std::pair<int32_t, float>>
    scoreShares(const std::vector<std::pair<float, float>>& table, int32_t fromBand, float a);
    // The time burst's: bands fromBand up to toBand, covering a to b.
    static std::vector<std::pair<int32_t, float>>
    timeShares(const std::vector<std::pair<float, float>>& table, int32_t fromBand, int32_t toBand, float a,
               float b);

    int32_t grade = 0;
    int32_t tangles[kGrades] = {};
    int32_t basePoints = 0;
    int32_t scorePoints = 0;
    int32_t timePoints = 0;
    int32_t levelPoints = 0;
    int32_t points = 0; // never below 0
    int32_t done = 1;   // 1 while no show runs
    int32_t previousPoints = 0;
    int32_t flowId = -1;

private:
    // Where this show's points fall in the current level's grade table:
    // a = score points, b = score and time points, both over the base points.
    struct Bands {
        std::vector<std::pair<float, float>> table;
        float a = 0.0f;
        float b = 0.0f;
        int32_t fromBand = 0;
        int32_t toBand = 0;
    };
    Bands gradeBands() const;
    void showGauge();
    void scoreBurst();
    void timeBurst();
    void finish();
};

// The bands of the grade table holding fractions a and b: band k covers
// (F[k - 1], F[k]] (from 0 for k = 0), a value on a boundary belonging to the
// lower band; a at or below 0 gives band 0, and a b beyond the last bound the
// top band.
void findGradeBands(const std::vector<std::pair<float, float>>& table, int32_t* fromBand, int32_t* toBand,
                    float a, float b);
// The same on the current level's grade table.
void findGradeBands(int32_t* fromBand, int32_t* toBand, float a, float b);

} // namespace ZQ
