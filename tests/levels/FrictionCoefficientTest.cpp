#include "cords/CordModel.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "levels/LevelModel.h"
#include "support/GlobalsTest.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// The particle worlds rub with the friction of the level being played: the
// cord model hands the level's coefficient to every world when it lays the
// level's cord, and it stays until the next cord is laid.
class FrictionCoefficientTest : public GlobalsTest {};

TEST_F(FrictionCoefficientTest, LayingALevelsCordHandsItsFrictionToEveryWorld) {
    std::unique_ptr<ZQ::Fx::ParticleSystem> worlds[] = {
        std::make_unique<ZQ::Fx::ParticleSystem>(ZQ::Fx::kMainWorld),
        std::make_unique<ZQ::Fx::ParticleSystem>(ZQ::Fx::kFlowWorld),
        std::make_unique<ZQ::Fx::ParticleSystem>(ZQ::Fx::kBraidWorld)};
    for (auto& world : worlds) {
        world->setUp();
        EXPECT_EQ(world->getFrictionCoefficient(), 158.0f) << "before any level, the base record's";
    }
    ZQ::gGlobals.particleSystem1 = worlds[0].get();
    ZQ::gGlobals.particleSystem2 = worlds[1].get();
    ZQ::gGlobals.particleSystem3 = worlds[2].get();

    ZQ::LevelModel catalogue;
    ZQ::CordModel cord;
    ZQ::gGlobals.cordModel = &cord;
    // Level 63 rubs at 140, level 39 at 152, level 0 like the base record.
    for (const auto& [level, expected] : {std::pair{63, 140.0f}, {39, 152.0f}, {0, 158.0f}}) {
        const ZQ::LevelModel::Level& record = catalogue.levels[static_cast<size_t>(level)];
        ASSERT_EQ(record.friction, expected);
        cord.loadCord(*record.cord, record.cordSettings());
        for (auto& world : worlds) {
            EXPECT_EQ(world->getFrictionCoefficient(), expected) << "level " << level;
        }
        EXPECT_EQ(cord.settings.drag, record.drag);
        EXPECT_EQ(cord.settings.materials.size(), record.cordMaterials.size());
        cord.unload();
    }
    for (auto& world : worlds) {
        world->tearDown();
    }
}

} // namespace
