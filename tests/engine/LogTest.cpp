#include <string>

#include <gtest/gtest.h>

#include "engine/Log.h"

namespace {

TEST(LogTest, FormatsLikePrintfWithoutAddingANewline) {
    testing::internal::CaptureStderr();
    ZQ::logToStderr("Error: %s at node %d", "bad key", 7);
    ZQ::logToStderr("%.2f\n", 1.5);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: bad key at node 71.50\n");
}

TEST(LogTest, LongMessagesAreCutTo1023Characters) {
    const std::string longText(1100, 'x');
    testing::internal::CaptureStderr();
    ZQ::logToStderr("%s", longText.c_str());
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, longText.substr(0, 1023));

    const std::string fits(1023, 'y');
    testing::internal::CaptureStderr();
    ZQ::logToStderr("%s", fits.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), fits);
}

} // namespace
