#include "constants/ResourceNames.h"
#include "game/TipNode.h"
#include "levels/LevelCatalogueTables.h"

#include <iterator>

// The levels' in-level tips and their physics and grasp coefficients.

namespace ZQ::LevelCatalogue {

namespace {

using namespace ResourceNames;

template <class Tip> TipNode* tip(const std::string& name) {
    return new Tip(name);
}

// The levels that carry an in-level tip; the name selects its caption texts.
// clang-format off
constexpr TipRow kTipRows[] = {
    {2,  tip<TPTooltip>, &tips_TPCone_},
    {3,  tip<TPTooltip>, &tips_TPStretch_},
    {4,  tip<TPTooltip>, &tips_TPHold_},
    {5,  tip<TPRotate>,  &tips_TPRotate_},
    {6,  tip<TPTooltip>, &tips_TPStretch_},
    {7,  tip<TPTooltip>, &tips_TPRaged_},
    {9,  tip<TPTooltip>, &tips_TPRaged_},
    {10, tip<TPIdle>,    &tips_TPIdle_},
    {11, tip<TPTooltip>, &tips_TPStretch_},
    {12, tip<TPIdle>,    &tips_TPIdle_},
    {14, tip<TPTooltip>, &tips_TPRaged_},
    {15, tip<TPIdle>,    &tips_TPIdle_},
    {16, tip<TPTooltip>, &tips_TPCone_},
    {26, tip<TPTooltip>, &tips_TPHands_},
    {39, tip<TPTooltip>, &tips_TPHands_},
};
// clang-format on
static_assert(std::size(kTipRows) == 15);

// friction, slide, drag, rotate
constexpr Coefficients kBaseCoefficients = {158, 42, 42, 100};

struct CoefficientException {
    FixedList<int32_t, 8> levels;
    Coefficients values;
};

// clang-format off
constexpr CoefficientException kCoefficientExceptions[] = {
    {{39, 64, 65, 66, 67, 73, 74}, {152, 42,  50, 110}},
    {{63, 70},                     {140, 42,  70, 120}},
    {{75},                         {140, 42, 100, 120}},
};
// clang-format on

} // namespace

Coefficients coefficients(int32_t level) {
    for (const CoefficientException& exception : kCoefficientExceptions) {
        for (std::size_t k = 0; k < exception.levels.count; ++k) {
            if (exception.levels.items[k] == level) {
                return exception.values;
            }
        }
    }
    return kBaseCoefficients;
}

TipNode* makeTip(int32_t level) {
    for (const TipRow& row : kTipRows) {
        if (row.level == level) {
            return row.make(*row.name);
        }
    }
    return nullptr;
}

} // namespace ZQ::LevelCatalogue
