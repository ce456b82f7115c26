#include "engine/DeviceProfile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Runs the probe as a new process with its user defaults in `dataHome`:
// its two lines are the shadow switches before and after it flipped the
// stored preference.
std::string runProbe(const std::string& dataHome) {
    const std::string command =
        "XDG_DATA_HOME='" + dataHome + "' '" VELMORA_STORE_PROBE "' shadows 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return "popen failed";
    }
    std::string text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        text += buffer;
    }
    ::pclose(pipe);
    return text;
}

std::string line(bool disabled, bool cord, bool room) {
    return "disabled=" + std::to_string(disabled) + " cord=" + std::to_string(cord) +
           " room=" + std::to_string(room) + "\n";
}

TEST(ShadowPreference, TakesEffectAtTheNextStartAndThenOverridesTheDeviceProfile) {
    const ZQ::DeviceProfile& profile = ZQ::DeviceProfile::get();
    // The probe runs on this machine, so it has the same profile; a profile
    // without shadows would leave nothing to switch off.
    ASSERT_TRUE(profile.cordShadow || profile.roomShadow);
    const std::string withShadows = line(false, profile.cordShadow, profile.roomShadow);
    const std::string withoutShadows = line(true, false, false);
    TempFolder home;
    ASSERT_TRUE(home.ok());

    // Nothing stored: shadows on. The probe then stores "disabled", which
    // its own shaders no longer see.
    EXPECT_EQ(runProbe(home.path()), withShadows + withShadows);
    // The next start sees it: neither define, whatever the profile says.
    EXPECT_EQ(runProbe(home.path()), withoutShadows + withoutShadows);
    // Switched back on by that run: on again at the start after.
    EXPECT_EQ(runProbe(home.path()), withShadows + withShadows);
}

} // namespace
