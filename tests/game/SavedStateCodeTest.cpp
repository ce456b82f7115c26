#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "game/SavedState.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>

namespace {

using ZQ::SavedState;

constexpr int32_t kLevels = 76;

// The message as the record format defines it, written out here on its own:
// each covered value in decimal followed by "-".
std::string expectedMessage(const SavedState& r) {
    std::ostringstream out;
    const auto put = [&out](int32_t value) { out << value << '-'; };
    if (r.version < 0) {
        return "";
    }
    put(r.level);
    if (r.version >= 1) {
        put(r.points);
        for (int32_t t : r.tangles) {
            put(t);
        }
    }
    if (r.version >= 2) {
        put(r.max_level);
    }
    if (r.version >= 3) {
        for (int32_t g : r.tangleForlevel) {
            put(g);
        }
    }
    if (r.version >= 4) {
        for (int32_t s : r.timerForlevel) {
            put(s);
        }
        put(r.difficulty);
    }
    return out.str();
}

// HMAC-SHA1 by the openssl command line, its 20 bytes followed by 60 zero
// bytes, in Base64: nothing of the code under test is involved.
std::string opensslCode(const std::string& message) {
    TempFolder folder;
    const std::string file = folder.file("message");
    TempFolder::write(file, message);
    const std::string command = "{ openssl dgst -sha1 -mac HMAC "
                                "-macopt key:Vb7tQm2RxZ4kLp9WcN3sHd6FgJ8yTe5Ua1oXi0MvBq4nRz7K -binary < '" +
                                file + "'; head -c 60 /dev/zero; } | base64 -w0";
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

SavedState randomRecord(std::mt19937& random, int32_t version) {
    std::uniform_int_distribution<int32_t> level(0, kLevels - 1), grade(0, 4), seconds(0, 200),
        points(0, 2000000), count(0, 76), difficulty(0, 2);
    SavedState r(kLevels);
    r.version = version;
    r.level = level(random);
    r.max_level = level(random);
    r.points = points(random);
    r.difficulty = difficulty(random);
    for (int32_t& t : r.tangles) {
        t = count(random);
    }
    for (int32_t& g : r.tangleForlevel) {
        g = grade(random);
    }
    for (int32_t& s : r.timerForlevel) {
        s = seconds(random);
    }
    return r;
}

TEST(SavedStateCode, TheDefaultRecordsMessageAndCodeAreHmacSha1OfTheKey) {
    const SavedState defaults(kLevels);
    std::string message;
    for (int i = 0; i < 8; ++i) {
        message += "0-";
    }
    for (int i = 0; i < 100; ++i) {
        message += "4-";
    }
    for (int i = 0; i < 101; ++i) {
        message += "0-";
    }
    EXPECT_EQ(SavedState::authMessage(defaults), message);
    const std::string code = SavedState::authCode(defaults);
    EXPECT_EQ(code.size(), 108u);
    EXPECT_EQ(code.back(), '=');
    EXPECT_NE(code[code.size() - 2], '='); // 80 bytes: one byte of padding, not two
    EXPECT_EQ(code, opensslCode(message));
}

TEST(SavedStateCode, RecordsOfEveryVersionMatchTheCommandLine) {
    std::mt19937 random(20261207);
    for (int32_t version : {5, 5, 5, 4, 3, 2, 1, 0, -1}) {
        const SavedState record = randomRecord(random, version);
        const std::string message = expectedMessage(record);
        EXPECT_EQ(SavedState::authMessage(record), message) << "version " << version;
        EXPECT_EQ(SavedState::authCode(record), opensslCode(message)) << "version " << version;
    }
}

TEST(SavedStateCode, NegativeValuesAreWrittenWithTheirSign) {
    SavedState record(kLevels);
    record.version = 1;
    record.level = -3;
    record.points = -2147483647 - 1;
    EXPECT_EQ(SavedState::authMessage(record), "-3--2147483648-0-0-0-0-0-");
}

TEST(SavedStateCode, ChangingAnyCoveredValueChangesTheCode) {
    std::mt19937 random(7);
    const SavedState base = randomRecord(random, 5);
    const std::string code = SavedState::authCode(base);
    std::vector<int32_t SavedState::*> fields = {&SavedState::level, &SavedState::points,
                                                 &SavedState::max_level, &SavedState::difficulty};
    for (auto field : fields) {
        SavedState changed = base;
        changed.*field += 1;
        EXPECT_NE(SavedState::authCode(changed), code);
    }
    // The version counts through the values it covers: 4 and up cover them all.
    SavedState older = base;
    older.version = 3;
    EXPECT_NE(SavedState::authCode(older), code);
    older.version = 6;
    EXPECT_EQ(SavedState::authCode(older), code);
    for (int i : {0, 4}) {
        SavedState changed = base;
        changed.tangles[i] += 1;
        EXPECT_NE(SavedState::authCode(changed), code);
    }
    for (int i : {0, 57, 99}) {
        SavedState changed = base;
        changed.tangleForlevel[i] = (changed.tangleForlevel[i] + 1) % 5;
        EXPECT_NE(SavedState::authCode(changed), code);
        changed = base;
        changed.timerForlevel[i] += 1;
        EXPECT_NE(SavedState::authCode(changed), code);
    }
}

// One version of the game stored a "generation" and covered it by the code
// after the other values; such a record loads, is checked with it, and is
// written back as every other version writes records.
TEST(SavedStateCode, ARecordWithAGenerationLoadsAndIsWrittenBackWithoutOne) {
    std::mt19937 random(49);
    const SavedState record = randomRecord(random, 5);
    const auto storedWithGeneration = [&](int64_t generation, int64_t coveredGeneration) {
        ZQ::StoreValue::Dictionary entries = *record.toStored().asDictionary();
        entries.insert_or_assign("generation", ZQ::StoreValue::integer(generation));
        entries.insert_or_assign(
            "auth_code", ZQ::StoreValue::string(
                             opensslCode(expectedMessage(record) + std::to_string(coveredGeneration) + "-")));
        return ZQ::StoreValue::dictionary(std::move(entries));
    };
    std::string why;
    EXPECT_FALSE(SavedState::fromStored(storedWithGeneration(4, 3), kLevels, why)) << "a changed generation";

    TempFolder folder;
    ZQ::PlistFileStore defaults(folder.file("defaults.plist"));
    ZQ::PlistFileStore cloud(folder.file("cloud.plist"));
    defaults.setObject(ZQ::Preferences::kStateKey, storedWithGeneration(3, 3));
    SavedState loaded(kLevels);
    ASSERT_TRUE(loaded.load(defaults));
    loaded.save(defaults, cloud);
    for (const char* name : {"defaults.plist", "cloud.plist"}) {
        const ZQ::PlistFileStore reopened(folder.file(name));
        const ZQ::StoreValue::Dictionary* stored = reopened.dictionaryForKey(ZQ::Preferences::kStateKey);
        ASSERT_NE(stored, nullptr) << name;
        EXPECT_EQ(stored->count("generation"), 0u) << name;
        const auto again = SavedState::storedIn(reopened, kLevels);
        ASSERT_TRUE(again.has_value()) << name;
        EXPECT_EQ(SavedState::authMessage(*again), expectedMessage(record)) << name;
    }
}

} // namespace
