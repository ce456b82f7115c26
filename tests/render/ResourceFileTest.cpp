#include "render/PVRTResourceFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ResourceFileTest : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("velmora-resource-" + std::to_string(getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const fs::path path = folder / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    fs::path folder;
};

TEST_F(ResourceFileTest, AFileIsReadWholeAndExactly) {
    std::vector<uint8_t> bytes(70000);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 31 + 7);
    }
    const CPVRTResourceFile file(write("whole.bin", bytes).c_str());
    ASSERT_TRUE(file.isOpen());
    ASSERT_EQ(file.getSize(), bytes.size());
    const auto* data = static_cast<const uint8_t*>(file.getData());
    EXPECT_EQ(std::vector<uint8_t>(data, data + file.getSize()), bytes);
}

TEST_F(ResourceFileTest, WhatCannotBeReadWholeGivesAClosedFile) {
    const std::string empty = write("empty.bin", {});
    // A directory opens for reading on Linux and reports a size of LONG_MAX:
    // it must not become an allocation of that size.
    const std::string directory = folder.string();
    for (const char* path :
         {empty.c_str(), directory.c_str(), "/no/such/velmora/file", static_cast<const char*>(nullptr)}) {
        const CPVRTResourceFile file(path);
        EXPECT_FALSE(file.isOpen()) << (path ? path : "null");
        EXPECT_EQ(file.getSize(), 0u);
        EXPECT_EQ(file.getData(), nullptr);
    }
}

TEST_F(ResourceFileTest, StreamReadsAndSkipsForwardOnlyWithinTheFile) {
    CSourceStream stream(write("stream.bin", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}).c_str());
    ASSERT_TRUE(stream.isOpen());
    uint8_t out[16] = {};
    ASSERT_TRUE(stream.read(out, 3));
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[2], 3);
    ASSERT_TRUE(stream.skip(2));
    EXPECT_EQ(stream.position(), 5u);
    // Past the end: refused, nothing copied, nothing moved.
    out[0] = 0xAA;
    EXPECT_FALSE(stream.read(out, 6));
    EXPECT_EQ(out[0], 0xAA);
    EXPECT_FALSE(stream.skip(6));
    EXPECT_FALSE(stream.skip(0xFFFFFFFFu));
    EXPECT_EQ(stream.position(), 5u);
    // Exactly the rest succeeds and leaves the stream at the end.
    ASSERT_TRUE(stream.read(out, 5));
    EXPECT_EQ(out[0], 6);
    EXPECT_EQ(out[4], 10);
    EXPECT_EQ(stream.position(), 10u);
    EXPECT_FALSE(stream.read(out, 1));
    EXPECT_TRUE(stream.skip(0));
    EXPECT_TRUE(stream.read(out, 0));
    EXPECT_EQ(stream.position(), 10u);
}

TEST_F(ResourceFileTest, AStreamOverAClosedFileHasNothingToGive) {
    CSourceStream stream("/no/such/velmora/model.pod");
    EXPECT_FALSE(stream.isOpen());
    uint8_t out = 0;
    EXPECT_FALSE(stream.read(&out, 1));
    EXPECT_TRUE(stream.skip(0));
}

} // namespace
