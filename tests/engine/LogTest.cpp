#include <string>

#include <gtest/gtest.h>

#include "engine/Log.h"

namespace {

// Restores the level a test changes.
class LogTest : public ::testing::Test {
protected:
    void TearDown() override { ZQ::setLogLevel(saved); }
    ZQ::LogLevel saved = ZQ::logLevel();
};

TEST_F(LogTest, EveryMessageIsOneLineWhetherOrNotItBringsItsNewline) {
    testing::internal::CaptureStderr();
    ZQ::logToStderr("Error: %s at node %d", "bad key", 7);
    ZQ::logToStderr("%.2f\n", 1.5);
    ZQ::platformLog("evtLst==NULL");
    ZQ::logMessage(ZQ::LogLevel::Info, "%s", "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: bad key at node 7\n1.50\nevtLst==NULL\n\n");
}

TEST_F(LogTest, LongMessagesAreCutTo1023CharactersBeforeTheirNewline) {
    const std::string longText(1100, 'x');
    testing::internal::CaptureStderr();
    ZQ::logToStderr("%s", longText.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), longText.substr(0, 1023) + "\n");

    const std::string fits(1022, 'y');
    testing::internal::CaptureStderr();
    ZQ::platformLog("%s\n", fits.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), fits + "\n");
}

TEST_F(LogTest, MessagesBelowTheLevelAreDropped) {
    ZQ::setLogLevel(ZQ::LogLevel::Error);
    testing::internal::CaptureStderr();
    ZQ::logMessage(ZQ::LogLevel::Info, "info");
    ZQ::platformLog("warning");
    ZQ::logToStderr("error");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "error\n");

    ZQ::setLogLevel(ZQ::LogLevel::Info);
    testing::internal::CaptureStderr();
    ZQ::logMessage(ZQ::LogLevel::Info, "info");
    ZQ::platformLog("warning");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "info\nwarning\n");
}

} // namespace
