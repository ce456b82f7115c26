#pragma once

#include "engine/Assert.h"
#include "levels/LevelModel.h"
#include "levels/TipFactory.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// The rows of the level catalogue, one table per concern and one row per
// level in play order, so each row can be held against the design tables.
// LevelModel's default constructor (LevelCatalogue.cpp) assembles them.

namespace ZQ {

class KnotGenerator;
class TipNode;

namespace LevelCatalogue {

constexpr int32_t kLevelCount = 76;

// A short list stored inline, so rows of different lengths still make a
// constexpr table. Too many entries stop the build.
template <class T, std::size_t N> struct FixedList {
    T items[N] = {};
    std::size_t count = 0;

    constexpr FixedList() = default;
    constexpr FixedList(std::initializer_list<T> list) {
        ZQ_ASSERT(list.size() <= N);
        for (const T& item : list) {
            items[count++] = item;
        }
    }
    std::vector<T> toVector() const { return std::vector<T>(items, items + count); }
};

enum class KnotKind {
    TorusKnot,
    ToriKnot,
    TorusInterlacedKnot,
    BurkeTorusKnot,
    TorusEightKnot,
    CompoundKnot,
    DecorativeKnot,
};

// The knot of a level: its parameters in the field order of its generator
// kind (the two of BurkeTorusKnot are whole numbers).
struct KnotRow {
    const char* name;
    int32_t strings;
    float size;
    KnotKind kind;
    FixedList<float, 17> parameters;
};

struct RoomRow {
    PatternGenerator generator;
    int32_t functions; // pattern functions the record stores
    int32_t width;     // wallpaper grid in cells
    int32_t height;
    FixedList<LevelModel::Material, 4> materials;
};

struct StringRow {
    FixedList<LevelModel::Material, 4> materials; // cord material k for string k
    FixedList<int32_t, 4> normalMaps;
};

struct TipRow {
    int32_t level;
    TipClass tipClass;
    const std::string* name;
};

struct Coefficients {
    float friction;
    float slide;
    float drag;
    float rotate;
};

const KnotRow& knotRow(int32_t level);
bool settles(int32_t level);
const RoomRow& groundRoomRow();
const RoomRow& roomRow(int32_t level);
const StringRow& stringRow(int32_t level);
Coefficients coefficients(int32_t level); // pass -1 for the base record
// The level's tip, newly created, or null for none.
TipNode* makeTip(int32_t level);

} // namespace LevelCatalogue
} // namespace ZQ
