#include <cstdlib>

#include <gtest/gtest.h>

#include "constants/VectorConstants.h"
#include "engine/DeviceProfile.h"

namespace {

// Read by this file's static initialiser, before main: the value must already
// be there whichever file the linker initialises first.
const float gFieldOfViewAtStartUp = ZQ::gFieldOfView;
const PVRTVec3 gZeroAtStartUp = ZQ::kVec3Zero;

TEST(VectorConstantsTest, UnitAndZeroVectors) {
    EXPECT_EQ(ZQ::kVec2One, PVRTVec2(1.0f, 1.0f));
    EXPECT_EQ(ZQ::kVec3One, PVRTVec3(1.0f, 1.0f, 1.0f));
    EXPECT_EQ(ZQ::kVec4One, PVRTVec4(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(ZQ::kVec2Zero, PVRTVec2(0.0f, 0.0f));
    EXPECT_EQ(ZQ::kVec3Zero, PVRTVec3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(ZQ::kVec4Zero, PVRTVec4(0.0f, 0.0f, 0.0f, 0.0f));
}

TEST(VectorConstantsTest, FieldOfViewIsTheProfilesAngleInRadians) {
    EXPECT_NEAR(ZQ::fieldOfViewRadians(65.0f), 1.134464f, 1e-6f);
    EXPECT_NEAR(ZQ::fieldOfViewRadians(85.0f), 1.483530f, 1e-6f);
    // Formed in double: exactly the rounded double product.
    EXPECT_EQ(ZQ::fieldOfViewRadians(65.0f), static_cast<float>(65.0 * 3.14159265358979323846 / 180.0));

    EXPECT_EQ(ZQ::gFieldOfView, ZQ::fieldOfViewRadians(ZQ::DeviceProfile::get().fovDegrees));
    EXPECT_EQ(gFieldOfViewAtStartUp, ZQ::gFieldOfView);
    EXPECT_EQ(gZeroAtStartUp, ZQ::kVec3Zero);
}

TEST(VectorConstantsTest, TheDefaultDeviceSeesSixtyFiveDegrees) {
    if (std::getenv("VELMORA_DEVICE") != nullptr) {
        GTEST_SKIP() << "VELMORA_DEVICE picks another device profile";
    }
    EXPECT_NEAR(ZQ::gFieldOfView, 1.134464f, 1e-6f);
}

} // namespace
