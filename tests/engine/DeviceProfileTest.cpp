#include <cstdint>
#include <cstdlib>

#include <gtest/gtest.h>

#include "engine/DeviceIdentification.h"
#include "engine/DeviceProfile.h"

namespace {

// Read by this file's static initialiser, before main: the value must already
// be there whichever file the linker initialises first.
const float gFieldOfViewAtStartUp = ZQ::gFieldOfView;

using ZQ::DeviceProfile;

const DeviceProfile& profileOf(const char* identifier) {
    return DeviceProfile::forPlatformType(ZQ::DeviceIdentification::platformTypeFor(identifier, 375.0f));
}

TEST(DeviceProfileTest, AnOldPhoneGetsTheLowQualityRow) {
    const DeviceProfile& p = profileOf("iPhone3,1");
    EXPECT_EQ(p.contentScale, 1.0f);
    EXPECT_EQ(p.meshThreads, 1);
    EXPECT_FALSE(p.sceneMultisample);
    EXPECT_EQ(p.targetSize, 256.0f);
    EXPECT_EQ(p.touchRadius, 24.0f);
    EXPECT_EQ(p.hudDepth, 1500.0f);
    EXPECT_EQ(p.biasMinMax, PVRTVec2(-0.0005f, 0.005f));
}

TEST(DeviceProfileTest, UnrecognisedDevicesGetTheDefaultRow) {
    const DeviceProfile& fallback = DeviceProfile::forPlatformType(0);
    EXPECT_EQ(fallback.meshThreads, 1);
    EXPECT_EQ(fallback.contentScale, 2.0f);
    EXPECT_TRUE(fallback.addTouchTolerance);
    EXPECT_TRUE(fallback.cordShadow);
    EXPECT_TRUE(fallback.roomShadow);
    EXPECT_EQ(fallback.targetSize, 2048.0f);
    EXPECT_EQ(fallback.fovDegrees, 65.0f);

    for (const char* id :
         {"", "Pixel7", "iPhone1,1", "iPhone2,1", "iPod3,1", "iPad1,1", "AppleTV2,1", "iFPGA"}) {
        EXPECT_EQ(&profileOf(id), &fallback) << id;
    }
    for (uint32_t type : {5u, 7u, 22u, 28u, 44u, 64u, 1000u, UINT32_MAX}) {
        EXPECT_EQ(&DeviceProfile::forPlatformType(type), &fallback) << type;
    }
}

TEST(DeviceProfileTest, RowsFollowTheirDevices) {
    const DeviceProfile& phone = profileOf("iPhone7,2");
    EXPECT_EQ(phone.meshThreads, 2);
    EXPECT_TRUE(phone.cordShadow);
    EXPECT_TRUE(phone.roomShadow);
    EXPECT_TRUE(phone.sceneMultisample);
    EXPECT_EQ(phone.targetSize, 2048.0f);
    EXPECT_EQ(phone.fovDegrees, 65.0f);
    EXPECT_EQ(&profileOf("iPhone11,2"), &phone) << "any later phone shares the row";

    const DeviceProfile& plus = profileOf("iPhone7,1");
    EXPECT_EQ(plus.contentScale, 3.0f);
    EXPECT_EQ(plus.captionScale, 3);
    EXPECT_EQ(plus.biasMinMax, PVRTVec2(0.0006f, 0.005f));

    EXPECT_EQ(&profileOf("iPhone6,1"), &profileOf("iPod7,1"));
    EXPECT_EQ(&profileOf("iPhone6,1"), &profileOf("iPod9,1")) << "any later iPod shares the iPhone6 row";
    EXPECT_EQ(profileOf("iPhone10,6").targetSize, 4096.0f);
    EXPECT_EQ(profileOf("iPod5,1").hudDepth, 2000.0f);

    const DeviceProfile& tablet = profileOf("iPad2,1");
    EXPECT_EQ(tablet.fovDegrees, 85.0f);
    EXPECT_EQ(tablet.tubeTextureScale, 1.0f);
    EXPECT_FALSE(tablet.addTouchTolerance);
    EXPECT_TRUE(profileOf("iPad3,1").addTouchTolerance);
    EXPECT_FALSE(profileOf("iPad4,1").cordShadow);
    EXPECT_TRUE(profileOf("iPad4,1").roomShadow);
    EXPECT_EQ(profileOf("iPad5,4").targetSize, 4096.0f);
    EXPECT_EQ(profileOf("iPad5,2").targetSize, 1024.0f);

    EXPECT_EQ(DeviceProfile::forPlatformType(2).targetSize, 2048.0f);
    EXPECT_EQ(DeviceProfile::forPlatformType(3).fovDegrees, 85.0f);
    EXPECT_FALSE(DeviceProfile::forPlatformType(3).addTouchTolerance);
}

TEST(DeviceProfileTest, EveryRowDrawsAtThirtyFramesWithoutTextureMultisampling) {
    for (uint32_t type = 0; type < 64; ++type) {
        const DeviceProfile& p = DeviceProfile::forPlatformType(type);
        EXPECT_EQ(p.frameInterval, 2) << type;
        EXPECT_FALSE(p.textureMultisample) << type;
        EXPECT_GT(p.touchRadius, 0.0f) << type;
    }
}

TEST(DeviceProfileTest, TheProcessRecordIsThisDevicesRowAndNeverChanges) {
    const DeviceProfile& p = DeviceProfile::get();
    EXPECT_EQ(&p, &DeviceProfile::get());
    // Start-up fixed the record; the row it came from is the identified one
    // as long as the identifier has not been changed since.
    EXPECT_EQ(&p, &DeviceProfile::forPlatformType(ZQ::DeviceIdentification::platformType()));
}

TEST(FieldOfViewTest, FieldOfViewIsTheProfilesAngleInRadians) {
    EXPECT_NEAR(ZQ::fieldOfViewRadians(65.0f), 1.134464f, 1e-6f);
    EXPECT_NEAR(ZQ::fieldOfViewRadians(85.0f), 1.483530f, 1e-6f);
    // Formed in double: exactly the rounded double product.
    EXPECT_EQ(ZQ::fieldOfViewRadians(65.0f), static_cast<float>(65.0 * 3.14159265358979323846 / 180.0));

    EXPECT_EQ(ZQ::gFieldOfView, ZQ::fieldOfViewRadians(ZQ::DeviceProfile::get().fovDegrees));
    EXPECT_EQ(gFieldOfViewAtStartUp, ZQ::gFieldOfView);
}

TEST(FieldOfViewTest, TheDefaultDeviceSeesSixtyFiveDegrees) {
    if (std::getenv("VELMORA_DEVICE") != nullptr) {
        GTEST_SKIP() << "VELMORA_DEVICE picks another device profile";
    }
    EXPECT_NEAR(ZQ::gFieldOfView, 1.134464f, 1e-6f);
}

} // namespace
