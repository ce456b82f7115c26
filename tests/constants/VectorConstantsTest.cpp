#include <gtest/gtest.h>

#include "constants/VectorConstants.h"

namespace {

// Read by this file's static initialiser, before main: the value must already
// be there whichever file the linker initialises first.
const PVRTVec3 gZeroAtStartUp = ZQ::kVec3Zero;

TEST(VectorConstantsTest, UnitAndZeroVectors) {
    EXPECT_EQ(ZQ::kVec2One, PVRTVec2(1.0f, 1.0f));
    EXPECT_EQ(ZQ::kVec3One, PVRTVec3(1.0f, 1.0f, 1.0f));
    EXPECT_EQ(ZQ::kVec4One, PVRTVec4(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(ZQ::kVec2Zero, PVRTVec2(0.0f, 0.0f));
    EXPECT_EQ(ZQ::kVec3Zero, PVRTVec3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(ZQ::kVec4Zero, PVRTVec4(0.0f, 0.0f, 0.0f, 0.0f));
}

TEST(VectorConstantsTest, AreSetBeforeAnyStaticInitialiserReadsThem) {
    EXPECT_EQ(gZeroAtStartUp, ZQ::kVec3Zero);
}

} // namespace
