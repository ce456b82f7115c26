#include "levels/LevelModel.h"

#include "cords/Cord.h"
#include "cords/CordModel.h"
#include "engine/Assert.h"
#include "levels/TipFactory.h"

#include <unordered_set>

namespace ZQ {

namespace {
constexpr std::size_t kMaxRoomMaterials = 4; // slots of the wallpaper shader's material array
constexpr int32_t kNormalMapCount = 8;
} // namespace

LevelModel::Level::Level(const std::string& name, PatternGenerator generator,
                         const std::vector<PatternFunction>& patterns,
                         const std::vector<Material>& roomMaterials, Cord* cord,
                         const std::vector<Material>& cordMaterials, const std::vector<int32_t>& normalMaps,
                         TipNode* tip, float width, float height, float friction, float slide, float drag,
                         float rotate)
    : name(name), roomMaterials(roomMaterials), generator(generator), cordMaterials(cordMaterials),
      patterns(patterns), width(width), height(height), cord(cord), normalMaps(normalMaps), tip(tip),
      friction(friction), slide(slide), drag(drag), rotate(rotate) {
    // The renderers index these per string and per pattern value without
    // checking, so a short table in the catalogue must stop here, not there.
    ZQ_ASSERT(roomMaterials.size() <= kMaxRoomMaterials);
    if (cord == nullptr) {
        return;
    }
    ZQ_ASSERT(cordMaterials.size() >= static_cast<std::size_t>(cord->strings));
    ZQ_ASSERT(normalMaps.size() >= static_cast<std::size_t>(cord->strings));
    for (int32_t k = 0; k < cord->strings; ++k) {
        ZQ_ASSERT(normalMaps[k] >= 0 && normalMaps[k] < kNormalMapCount);
    }
    cord->build();
}

CordSettings LevelModel::Level::cordSettings() const {
    return CordSettings{cordMaterials, friction, slide, drag, rotate};
}

LevelModel::LevelModel(std::vector<Level> levels, Level ground)
    : levels(std::move(levels)), ground(std::move(ground)), tipFactory(registeredTipFactory()) {}

LevelModel::~LevelModel() {
    // Records share their cord and tip with every copy, so each pointer is
    // deleted once however many records hold it.
    std::unordered_set<TipNode*> tips;
    std::unordered_set<Cord*> cords;
    auto release = [&](const Level& record) {
        if (record.tip != nullptr && tips.insert(record.tip).second) {
            ZQ_ASSERT(tipFactory != nullptr);
            tipFactory->deleteTip(record.tip);
        }
        if (record.cord != nullptr && cords.insert(record.cord).second) {
            delete record.cord;
        }
    };
    for (const Level& record : levels) {
        release(record);
    }
    release(ground);
}

void LevelModel::setUp() {
    difficulty = 0;
    level = 0;
    max_level = 0;
}

} // namespace ZQ
