#include "engine/Globals.h"
#include "engine/physics/FxFriction.h"
#include "levels/LevelModel.h"

#include <gtest/gtest.h>

namespace {

// The friction force rubs with the coefficient of the level being played.
TEST(FrictionCoefficientTest, FollowsTheCurrentLevelAndFallsBackToTheBaseRecord) {
    const ZQ::Globals saved = ZQ::gGlobals;
    ZQ::gGlobals.levelModel = nullptr;
    EXPECT_EQ(ZQ::Fx::currentFrictionCoefficient(), 158.0f);

    ZQ::LevelModel catalogue;
    catalogue.setUp();
    ZQ::gGlobals.levelModel = &catalogue;
    EXPECT_EQ(ZQ::Fx::currentFrictionCoefficient(), 158.0f);
    catalogue.level = 63;
    EXPECT_EQ(ZQ::Fx::currentFrictionCoefficient(), 140.0f);
    catalogue.level = 39;
    EXPECT_EQ(ZQ::Fx::currentFrictionCoefficient(), 152.0f);
    ZQ::gGlobals = saved;
}

} // namespace
