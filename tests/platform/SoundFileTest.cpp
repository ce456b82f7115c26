#include "engine/Bundle.h"
#include "platform/ZQSoundFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

namespace {

std::string chunk(const std::string& type, const std::string& payload, int64_t length) {
    std::string bytes = type;
    for (int shift = 56; shift >= 0; shift -= 8) {
        bytes += static_cast<char>(static_cast<uint64_t>(length) >> shift);
    }
    return bytes + payload;
}

// CAF files put together chunk by chunk from a built effect's description
// and audio: chunks the players do not read are walked past wherever they
// lie; chunks out of order and a length left open by a writer that never
// came back to it are refused. Files cut short are the players' tests
// (BundleSoundsTest).
TEST(CafChunks, TheLayoutsAWriterMayLeaveAreKeptAndOthersRefused) {
    const std::string built = TempFolder::read(ZQ::pathForResource("Drag1-01", "caf"));
    ASSERT_EQ(built.substr(8, 4) + built.substr(52, 4), "descdata");
    const std::string desc = chunk("desc", built.substr(20, 32), 32);
    const std::string audio = built.substr(64); // the edit count and the samples
    const std::string data = chunk("data", audio, static_cast<int64_t>(audio.size()));
    const std::pair<std::string, std::string> layouts[] = {
        {desc + chunk("free", std::string(9, '\0'), 9) + data + chunk("info", std::string(4, '\0'), 4), ""},
        {chunk("free", "", 0) + desc + data, "the file does not begin with its description chunk"},
        {desc + chunk("data", audio, -1), "a chunk gives no length"},
    };
    TempFolder folder;
    for (const auto& [body, problem] : layouts) {
        TempFolder::write(folder.file("sound.caf"), std::string("caff\0\1\0\0", 8) + body);
        const char* damage = ZQSoundFile::damage(folder.file("sound.caf"));
        EXPECT_EQ(damage != nullptr ? damage : "", problem);
    }
}

} // namespace
