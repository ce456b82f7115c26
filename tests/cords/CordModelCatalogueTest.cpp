#include "CordModelFixture.h"
#include "levels/LevelModel.h"
#include "support/CatalogueSuite.h"

#include <cmath>

namespace {

// Every level of the catalogue, laid, settled, brought live and played for
// ten seconds without a touch: the physics and the measurements must stay
// finite and no capacity may overflow.
class CordModelCatalogueTest : public CatalogueSuite<CordModelFixture>,
                               public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        CatalogueSuite::SetUp();
        catalogue->level = GetParam();
    }
};

TEST_P(CordModelCatalogueTest, ThreeHundredFramesStayFinite) {
    ZQ::Cord* knot = catalogue->currentLevel().cord;
    ASSERT_NE(knot, nullptr);
    cord->loadCord(*knot, catalogue->currentLevel().cordSettings());
    ASSERT_GT(cord->count, 0);
    ASSERT_EQ(cord->stringCount(), knot->strings);
    cord->measureEnergies();

    for (int f = 0; f < 300; ++f) {
        frame();
        for (int i = 0; i < cord->count; ++i) {
            ASSERT_TRUE(finite(cord->positions[i])) << "frame " << f << " particle " << i;
            ASSERT_TRUE(std::isfinite(cord->screenPositions[i].x) &&
                        std::isfinite(cord->screenPositions[i].y));
        }
        for (float e : cord->energy) {
            ASSERT_TRUE(std::isfinite(e)) << "frame " << f;
            ASSERT_GE(e, 0.0f);
        }
        ASSERT_TRUE(finite(cord->centre)) << "frame " << f;
    }
    // The knot stays inside the room the bound constraints keep it in.
    const float s = ZQ::gGlobals.worldScale;
    EXPECT_GE(cord->boxMin().x * s, -1.5f * kW * s);
    EXPECT_LE(cord->boxMax().x * s, 1.5f * kW * s);
}

INSTANTIATE_TEST_SUITE_P(AllLevels, CordModelCatalogueTest, ::testing::Range(0, 76));

} // namespace
