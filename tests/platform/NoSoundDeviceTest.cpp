#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

// A machine with no sound device (OpenAL finds no output it can open): the
// game says so once and runs its frames silently to the end.
TEST(NoSoundDevice, TheGameRunsSilentlyWithOneLogLine) {
    ScopedEnvironment environment;
    environment.set("ALSOFT_DRIVERS", "no-such-driver");
    const std::string command = std::string("'") + VELMORA_EXECUTABLE + "' --headless --frames 5 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    const int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    const std::string line = "Error, could not get audio device.";
    const size_t first = output.find(line);
    EXPECT_NE(first, std::string::npos) << output;
    EXPECT_EQ(output.find(line, first + 1), std::string::npos) << output;
    EXPECT_NE(output.find("5 frames drawn headless"), std::string::npos) << output;
}

} // namespace
