#include "engine/Bundle.h"
#include "platform/ZQSoundFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using ZQSoundFile::Use;

// CAF files put together chunk by chunk from a built effect's own
// description and audio, to hold the chunk walk to the layouts a writer may
// leave: chunks the players do not read, chunks out of order, a length left
// open, a chunk longer than the file.
class CafChunks : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string built = TempFolder::read(ZQ::pathForResource("Drag1-01", "caf"));
        ASSERT_GT(built.size(), 68u);
        ASSERT_EQ(built.substr(8, 4), "desc");
        ASSERT_EQ(built.substr(52, 4), "data");
        description = built.substr(20, 32);
        audio = built.substr(64); // the edit count and the samples
    }

    static std::string chunk(const std::string& type, const std::string& payload, int64_t length) {
        std::string bytes = type;
        for (int shift = 56; shift >= 0; shift -= 8) {
            bytes += static_cast<char>(static_cast<uint64_t>(length) >> shift);
        }
        return bytes + payload;
    }
    static std::string chunk(const std::string& type, const std::string& payload) {
        return chunk(type, payload, static_cast<int64_t>(payload.size()));
    }
    std::string problemOf(const std::string& body, Use use = Use::Effect) {
        const std::string path = folder.file("sound.caf");
        TempFolder::write(path, std::string("caff\0\1\0\0", 8) + body);
        return ZQSoundFile::problem(path, use);
    }

    TempFolder folder;
    std::string description;
    std::string audio;
};

TEST_F(CafChunks, TheLayoutsAWriterMayLeaveAreKeptAndOthersRefused) {
    EXPECT_EQ(problemOf(chunk("desc", description) + chunk("data", audio)), "");
    // A length left open by a writer that never came back to it.
    EXPECT_EQ(problemOf(chunk("desc", description) + chunk("data", audio, -1)), "a chunk gives no length");
    // Chunks the players do not read are walked past, wherever they lie.
    EXPECT_EQ(problemOf(chunk("desc", description) + chunk("free", std::string(9, '\0')) +
                        chunk("data", audio) + chunk("info", std::string(4, '\0'))),
              "");

    EXPECT_EQ(problemOf(chunk("free", "") + chunk("desc", description) + chunk("data", audio)),
              "the file does not begin with its description chunk");
    EXPECT_EQ(problemOf(chunk("desc", description)), "the file has no data chunk");
    EXPECT_EQ(problemOf(chunk("desc", description) + chunk("data", audio) + chunk("data", audio)),
              "the file has two data chunks");
    EXPECT_EQ(problemOf(chunk("desc", description) + chunk("data", std::string(2, '\0'))),
              "the data chunk is shorter than its edit count");
    EXPECT_EQ(problemOf(chunk("desc", description) + chunk("data", audio) + chunk("free", "", 1)),
              "the file is shorter than its chunks say");
    EXPECT_EQ(problemOf(chunk("desc", description) + chunk("data", audio) + "fr"),
              "the file ends inside a chunk's header");
    EXPECT_EQ(problemOf(""), "the file has no data chunk");
}

} // namespace
