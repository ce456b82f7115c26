#include "constants/ResourceNames.h"
#include "levels/LevelCatalogueTables.h"

#include <iterator>

// The levels' in-level tips and their physics and grasp coefficients.

namespace ZQ::LevelCatalogue {

namespace {

using namespace ResourceNames;

// The levels that carry an in-level tip; the name selects its caption texts.
// clang-format off
constexpr TipRow kTipRows[] = {
    {2,  TipClass::Tooltip, &tips_TPCone_},
    {3,  TipClass::Tooltip, &tips_TPStretch_},
    {4,  TipClass::Tooltip, &tips_TPHold_},
    {5,  TipClass::Rotate,  &tips_TPRotate_},
    {6,  TipClass::Tooltip, &tips_TPStretch_},
    {7,  TipClass::Tooltip, &tips_TPRaged_},
    {9,  TipClass::Tooltip, &tips_TPRaged_},
    {10, TipClass::Idle,    &tips_TPIdle_},
    {11, TipClass::Tooltip, &tips_TPStretch_},
    {12, TipClass::Idle,    &tips_TPIdle_},
    {14, TipClass::Tooltip, &tips_TPRaged_},
    {15, TipClass::Idle,    &tips_TPIdle_},
    {16, TipClass::Tooltip, &tips_TPCone_},
    {26, TipClass::Tooltip, &tips_TPHands_},
    {39, TipClass::Tooltip, &tips_TPHands_},
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
    TipFactory* factory = registeredTipFactory();
    if (factory == nullptr) {
        return nullptr;
    }
    for (const TipRow& row : kTipRows) {
        if (row.level == level) {
            return factory->makeTip(row.tipClass, *row.name);
        }
    }
    return nullptr;
}

} // namespace ZQ::LevelCatalogue
