#include "platform/DeviceHardware.h"

#include <gtest/gtest.h>

#include <sys/utsname.h>
#include <unistd.h>

#include <cctype>

namespace {

using namespace ZQ::DeviceHardware;

TEST(DeviceHardwareTest, FamiliesByPrefix) {
    EXPECT_EQ(deviceFamily("iPhone7,2"), 0u);
    EXPECT_EQ(deviceFamily("iPod7,1"), 1u);
    EXPECT_EQ(deviceFamily("iPad5,4"), 2u);
    EXPECT_EQ(deviceFamily("AppleTV3,1"), 3u);
    EXPECT_EQ(deviceFamily("x86_64"), 4u);
    EXPECT_EQ(deviceFamily(""), 4u);
    EXPECT_EQ(deviceFamily("iphone7,2"), 4u) << "prefixes match case and all";
}

TEST(DeviceHardwareTest, KernelVariablesByDottedNameAndNothingOutsideThem) {
    utsname host{};
    ASSERT_EQ(uname(&host), 0);
    EXPECT_EQ(getSysInfoByName("kernel.ostype"), host.sysname);
    EXPECT_EQ(getSysInfoByName("kernel.osrelease"), host.release);
    EXPECT_EQ(getSysInfoByName("kernel.no_such_variable"), "");
    for (const char* unsafe : {"", ".", "kernel..ostype", "kernel.", ".kernel", "../../etc/passwd",
                               "kernel/ostype", "kernel.ostype\n", "..", "kernel. ostype"}) {
        EXPECT_EQ(getSysInfoByName(unsafe), "") << '"' << unsafe << '"';
    }
}

TEST(DeviceHardwareTest, MachineQueriesAnswerWhatTheMachineHas) {
    EXPECT_EQ(cpuCount(), static_cast<uint32_t>(sysconf(_SC_NPROCESSORS_ONLN)));
    EXPECT_GT(totalMemory(), 0u);
    EXPECT_LE(userMemory(), totalMemory());
    EXPECT_EQ(busFrequency(), 0u) << "Linux does not tell it";
    EXPECT_EQ(getSysInfo(99), 0u);
    const auto total = totalDiskSpace();
    const auto free = freeDiskSpace();
    ASSERT_TRUE(total.has_value());
    ASSERT_TRUE(free.has_value());
    EXPECT_GT(*total, 0u);
    EXPECT_LE(*free, *total);
    const std::string model = hwmodel();
    EXPECT_TRUE(model.empty() || (model.back() != '\n' && model.back() != '\0'));
}

TEST(DeviceHardwareTest, RetinaMeansTwoPixelsAPoint) {
    EXPECT_TRUE(hasRetinaDisplay(2.0f));
    EXPECT_FALSE(hasRetinaDisplay(1.0f));
    EXPECT_FALSE(hasRetinaDisplay(3.0f));
}

TEST(DeviceHardwareTest, AHardwareAddressIsSixHexPairsWhenThereIsOne) {
    const auto address = macaddress();
    if (!address) {
        GTEST_SKIP() << "no network interface with a link-level address here";
    }
    // Six pairs of upper-case hexadecimal digits between colons.
    ASSERT_EQ(address->size(), 17u) << *address;
    for (std::size_t i = 0; i < address->size(); ++i) {
        const char c = (*address)[i];
        if (i % 3 == 2) {
            EXPECT_EQ(c, ':') << *address;
        } else {
            EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F')) << *address;
        }
    }
}

} // namespace
