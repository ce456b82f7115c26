#pragma once

#include "levels/LevelModel.h"

#include <string>
#include <vector>

// Light records for catalogue tests: no cord unless one is given, so a full
// catalogue of them is cheap to build.
namespace LevelTestRecords {

using Level = ZQ::LevelModel::Level;
using Material = ZQ::LevelModel::Material;

inline Level record(const std::string& name, ZQ::Cord* cord = nullptr, ZQ::TipNode* tip = nullptr) {
    const std::vector<Material> room = {Material::room(ZQ::Palette::gold, 36.42f),
                                        Material::room(ZQ::Palette::navy, 12.42f, ZQ::Palette::lampBlack)};
    const std::vector<Material> strings(4, Material::cord(ZQ::Palette::steelBlue, ZQ::Palette::gold));
    const std::vector<ZQ::PatternFunction> patterns = {[](int i, int j) { return (i + j) % 2; }};
    return Level(name, nullptr, patterns, room, cord, strings, {0, 1, 2, 3}, tip, 20.0f, 20.0f, 158.0f, 42.0f,
                 42.0f, 100.0f);
}

// count records named "L0", "L1", ...
inline std::vector<Level> records(int count) {
    std::vector<Level> levels;
    for (int i = 0; i < count; ++i) {
        levels.push_back(record("L" + std::to_string(i)));
    }
    return levels;
}

} // namespace LevelTestRecords
