#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "engine/DeviceIdentification.h"

namespace {

using ZQ::DeviceIdentification::platformTypeFor;

uint32_t typeOf(const char* identifier) {
    return platformTypeFor(identifier, 375.0f);
}

TEST(DeviceIdentificationTest, PhonesByModel) {
    EXPECT_EQ(typeOf("iPhone1,1"), 5u);
    EXPECT_EQ(typeOf("iPhone1,2"), 6u);
    EXPECT_EQ(typeOf("iPhone1,3"), 40u) << "the first two phones match exactly";
    EXPECT_EQ(typeOf("iPhone3,1"), 8u);
    EXPECT_EQ(typeOf("iPhone7,2"), 12u);
    EXPECT_EQ(typeOf("iPhone7,1"), 13u);
    EXPECT_EQ(typeOf("iPhone8,4"), 16u);
    EXPECT_EQ(typeOf("iPhone9,3"), 17u);
    EXPECT_EQ(typeOf("iPhone9,4"), 18u);
    EXPECT_EQ(typeOf("iPhone10,1"), 19u);
    EXPECT_EQ(typeOf("iPhone10,5"), 20u);
    EXPECT_EQ(typeOf("iPhone10,6"), 21u);
    EXPECT_EQ(typeOf("iPhone11,2"), 40u);
}

TEST(DeviceIdentificationTest, MediaPlayersTabletsAndBoxes) {
    EXPECT_EQ(typeOf("iPod1,1"), 22u);
    EXPECT_EQ(typeOf("iPod5,1"), 26u);
    EXPECT_EQ(typeOf("iPod7,1"), 27u);
    EXPECT_EQ(typeOf("iPod6,1"), 41u);
    EXPECT_EQ(typeOf("iPad1,1"), 28u);
    EXPECT_EQ(typeOf("iPad3,2"), 30u);
    EXPECT_EQ(typeOf("iPad3,6"), 31u);
    EXPECT_EQ(typeOf("iPad3,3"), 42u) << "matches no model and falls to the family";
    EXPECT_EQ(typeOf("iPad5,4"), 34u);
    EXPECT_EQ(typeOf("iPad5,2"), 33u);
    EXPECT_EQ(typeOf("iPad7,3"), 36u);
    EXPECT_EQ(typeOf("AppleTV3,2"), 38u);
    EXPECT_EQ(typeOf("AppleTV5,3"), 43u);
    EXPECT_EQ(typeOf("iFPGA"), 44u);
    EXPECT_EQ(typeOf("iFPGA2"), 0u);
}

TEST(DeviceIdentificationTest, SimulatorsAreToldApartByScreenWidth) {
    EXPECT_EQ(platformTypeFor("x86_64", 375.0f), 2u);
    EXPECT_EQ(platformTypeFor("x86_64", 767.9f), 2u);
    EXPECT_EQ(platformTypeFor("x86_64", 768.0f), 3u);
    EXPECT_EQ(platformTypeFor("i386", 1024.0f), 3u);
    EXPECT_EQ(platformTypeFor("", 375.0f), 0u);
    EXPECT_EQ(platformTypeFor("arm64", 375.0f), 0u);
}

class DeviceVariableTest : public ::testing::Test {
protected:
    std::optional<std::string> saved;
    void SetUp() override {
        if (const char* v = std::getenv(ZQ::DeviceIdentification::kDeviceVariable)) {
            saved = v;
        }
    }
    void TearDown() override {
        if (saved) {
            setenv(ZQ::DeviceIdentification::kDeviceVariable, saved->c_str(), 1);
        } else {
            unsetenv(ZQ::DeviceIdentification::kDeviceVariable);
        }
    }
};

TEST_F(DeviceVariableTest, TheDesktopIsTheFullQualityPhoneUnlessTold) {
    unsetenv(ZQ::DeviceIdentification::kDeviceVariable);
    EXPECT_EQ(ZQ::DeviceIdentification::platform(), "iPhone7,2");
    EXPECT_EQ(ZQ::DeviceIdentification::platformType(), 12u);

    setenv(ZQ::DeviceIdentification::kDeviceVariable, "iPad5,4", 1);
    EXPECT_EQ(ZQ::DeviceIdentification::platform(), "iPad5,4");
    EXPECT_EQ(ZQ::DeviceIdentification::platformType(), 34u);
}

} // namespace
