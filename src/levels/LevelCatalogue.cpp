#include "constants/VectorConstants.h"
#include "cords/Cord.h"
#include "cords/KnotGenerator.h"
#include "levels/LevelCatalogueTables.h"
#include "levels/LevelModel.h"
#include "levels/PatternFunctions.h"

#include <cstddef>

namespace ZQ {

namespace {

using namespace LevelCatalogue;

KnotGenerator* makeKnotGenerator(const KnotRow& row) {
    const float* p = row.parameters.items;
    const std::size_t n = row.parameters.count;
    switch (row.kind) {
    case KnotKind::TorusKnot:
        ZQ_ASSERT(n == 5);
        return new TorusKnot(p[0], p[1], p[2], p[3], p[4]);
    case KnotKind::ToriKnot:
        ZQ_ASSERT(n == 7);
        return new ToriKnot(p[0], p[1], p[2], p[3], p[4], p[5], p[6]);
    case KnotKind::TorusInterlacedKnot:
        ZQ_ASSERT(n == 8);
        return new TorusInterlacedKnot(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
    case KnotKind::BurkeTorusKnot:
        ZQ_ASSERT(n == 2);
        return new BurkeTorusKnot(static_cast<int32_t>(p[0]), static_cast<int32_t>(p[1]));
    case KnotKind::TorusEightKnot:
        ZQ_ASSERT(n == 12);
        return new TorusEightKnot(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[10], p[11]);
    case KnotKind::CompoundKnot:
        ZQ_ASSERT(n == 17);
        return new CompoundKnot(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[10], p[11],
                                p[12], p[13], p[14], p[15], p[16]);
    case KnotKind::DecorativeKnot:
        ZQ_ASSERT(n == 7);
        return new DecorativeKnot(p[0], p[1], p[2], p[3], p[4], p[5], p[6]);
    }
    ZQ_ASSERT(!"a knot row names a kind of knot this switch knows");
    return nullptr;
}

std::vector<PatternFunction> checkedPatterns(std::vector<PatternFunction> patterns, const RoomRow& room) {
    ZQ_ASSERT(patterns.size() == static_cast<std::size_t>(room.functions));
    return patterns;
}

LevelModel::Level makeGround() {
    const RoomRow& room = groundRoomRow();
    const Coefficients c = coefficients(-1);
    return LevelModel::Level("Ground", room.generator, checkedPatterns(groundPatternFunctions(), room),
                             room.materials.toVector(), nullptr, {}, {}, nullptr,
                             static_cast<float>(room.width), static_cast<float>(room.height), c.friction,
                             c.slide, c.drag, c.rotate);
}

// Creates the level's knot generator, cord and tip; the record's constructor
// builds the cord's curve.
LevelModel::Level makeLevel(int32_t level) {
    const KnotRow& knot = knotRow(level);
    const RoomRow& room = roomRow(level);
    const StringRow& strings = stringRow(level);
    const Coefficients c = coefficients(level);
    auto* cord = new Cord(knot.size, kVec3Zero, knot.strings, settles(level), makeKnotGenerator(knot));
    return LevelModel::Level(knot.name, room.generator, checkedPatterns(levelPatternFunctions(level), room),
                             room.materials.toVector(), cord, strings.materials.toVector(),
                             strings.normalMaps.toVector(), makeTip(level), static_cast<float>(room.width),
                             static_cast<float>(room.height), c.friction, c.slide, c.drag, c.rotate);
}

std::vector<LevelModel::Level> makeLevels() {
    std::vector<LevelModel::Level> levels;
    levels.reserve(kLevelCount);
    for (int32_t level = 0; level < kLevelCount; ++level) {
        levels.push_back(makeLevel(level));
    }
    return levels;
}

} // namespace

LevelModel::LevelModel() : LevelModel(makeLevels(), makeGround()) {}

} // namespace ZQ
