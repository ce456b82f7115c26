#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "game/SavedState.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using ZQ::PlistFileStore;
using ZQ::Preferences;
using ZQ::SavedState;
using ZQ::StoreValue;

constexpr int32_t kLevels = 76;

SavedState sampleRecord() {
    SavedState r(kLevels);
    r.level = 17;
    r.max_level = 40;
    r.points = 123456;
    r.difficulty = 1;
    r.tangles = {3, 5, 8, 13, 21};
    for (int i = 0; i < SavedState::kLevelSlots; ++i) {
        r.tangleForlevel[i] = i % 5;
        r.timerForlevel[i] = (i * 7) % 91;
    }
    r.auth_code = SavedState::authCode(r);
    return r;
}

// The sample's stored dictionary after `edit`.
StoreValue storedWith(const std::function<void(StoreValue::Dictionary&)>& edit) {
    StoreValue::Dictionary entries = *sampleRecord().toStored().asDictionary();
    edit(entries);
    return StoreValue::dictionary(std::move(entries));
}

// `r` stored with a code that matches it, so only the range checks can refuse it.
StoreValue recoded(SavedState r) {
    r.auth_code = SavedState::authCode(r);
    return r.toStored();
}

class SavedStateLoadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.ok()); }

    // Loads `stored` from a store file and checks it is refused: defaults
    // kept, the stored record copied aside and itself left in place.
    void expectRefused(const StoreValue& stored, const std::string& logPart) {
        {
            PlistFileStore defaults(path);
            defaults.setObject(Preferences::kStateKey, stored);
            defaults.remove(SavedState::kRejectedKey);
            ASSERT_TRUE(defaults.synchronize());
        }
        PlistFileStore defaults(path);
        SavedState state = sampleRecord();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(state.load(defaults));
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(state, SavedState(kLevels)) << log;
        EXPECT_NE(log.find(logPart), std::string::npos) << log;
        const PlistFileStore reopened(path);
        ASSERT_NE(reopened.arrayForKey(SavedState::kRejectedKey), nullptr) << log;
        EXPECT_EQ(reopened.arrayForKey(SavedState::kRejectedKey)->back(), stored);
        ASSERT_NE(reopened.object(Preferences::kStateKey), nullptr);
        EXPECT_EQ(*reopened.object(Preferences::kStateKey), stored);
    }

    TempFolder folder;
    std::string path = folder.file("defaults.plist");
};

TEST_F(SavedStateLoadTest, ASavedRecordLoadsBackIdenticallyFromBothStores) {
    SavedState saved = sampleRecord();
    {
        PlistFileStore defaults(path);
        PlistFileStore cloud(folder.file("cloud/cloud.plist"));
        saved.save(defaults, cloud);
    }
    PlistFileStore defaults(path);
    PlistFileStore cloud(folder.file("cloud/cloud.plist"));
    SavedState loaded(kLevels);
    EXPECT_TRUE(loaded.load(defaults));
    EXPECT_EQ(loaded, saved);
    SavedState fromCloud(kLevels);
    EXPECT_TRUE(fromCloud.load(cloud));
    EXPECT_EQ(fromCloud, saved);
}

TEST_F(SavedStateLoadTest, NoRecordLogsAndKeepsTheDefaultsWithoutWriting) {
    PlistFileStore defaults(path);
    SavedState state = sampleRecord();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(state.load(defaults));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error on load state\n");
    EXPECT_EQ(state, SavedState(kLevels));
    EXPECT_TRUE(folder.entries().empty());
}

TEST_F(SavedStateLoadTest, ARecordEditedByOneByteInItsFileIsRefused) {
    {
        PlistFileStore defaults(path);
        PlistFileStore cloud(folder.file("cloud.plist"));
        sampleRecord().save(defaults, cloud);
    }
    std::string text = TempFolder::read(path);
    const std::size_t at = text.find("<integer>123456</integer>");
    ASSERT_NE(at, std::string::npos);
    text[at + 9] = '9'; // 923456 points
    TempFolder::write(path, text);
    PlistFileStore defaults(path);
    const StoreValue edited = *defaults.object(Preferences::kStateKey);
    expectRefused(edited, "(auth_code!=pState->auth_code)");
}

TEST_F(SavedStateLoadTest, ChangedCodesAndValuesOutsideTheirRangesAreRefused) {
    // The code itself, one character changed.
    expectRefused(storedWith([](auto& d) {
                      std::string code = *d.at("auth_code").asString();
                      code[10] = code[10] == 'A' ? 'B' : 'A';
                      d.at("auth_code") = StoreValue::string(code);
                  }),
                  "(auth_code!=pState->auth_code)");
    // Out of range, each with a code that matches.
    SavedState r = sampleRecord();
    r.level = 100;
    expectRefused(recoded(r), "level is 100");
    r = sampleRecord();
    r.level = -1;
    expectRefused(recoded(r), "level is -1");
    r = sampleRecord();
    r.max_level = kLevels;
    expectRefused(recoded(r), "max_level is 76");
    r = sampleRecord();
    r.points = -5;
    expectRefused(recoded(r), "points is -5");
    r = sampleRecord();
    r.tangles[3] = -1;
    expectRefused(recoded(r), "tangles[3] is -1");
    r = sampleRecord();
    r.tangleForlevel[60] = 5;
    expectRefused(recoded(r), "tangleForlevel[60] is 5");
    r = sampleRecord();
    r.timerForlevel[99] = -30;
    expectRefused(recoded(r), "timerForlevel[99] is -30");
    r = sampleRecord();
    r.difficulty = 3;
    expectRefused(recoded(r), "difficulty is 3");
    // A negative version would leave every value outside the code.
    r = sampleRecord();
    r.version = -1;
    r.points = 999999;
    expectRefused(recoded(r), "version is -1");
}

TEST_F(SavedStateLoadTest, ValuesOfTheWrongKindAndShortArraysAreRefused) {
    expectRefused(storedWith([](auto& d) { d.at("level") = StoreValue::string("3"); }), "level is a string");
    expectRefused(storedWith([](auto& d) { d.at("points") = StoreValue::real(1.0); }), "points is a real");
    expectRefused(storedWith([](auto& d) { d.at("version") = StoreValue::boolean(true); }),
                  "version is a boolean");
    expectRefused(storedWith([](auto& d) { d.at("auth_code") = StoreValue::integer(1); }), "auth_code is a");
    expectRefused(storedWith([](auto& d) { d.at("tangles") = StoreValue::integer(1); }), "tangles is a");
    expectRefused(storedWith([](auto& d) {
                      StoreValue::Array a = *d.at("tangles").asArray();
                      a.pop_back();
                      d.at("tangles") = StoreValue::array(a);
                  }),
                  "tangles has 4 entries, not 5");
    expectRefused(storedWith([](auto& d) { d.erase("tangleForlevel"); }), "tangleForlevel is missing");
    expectRefused(storedWith([](auto& d) {
                      StoreValue::Array a = *d.at("timerForlevel").asArray();
                      a[42] = StoreValue::string("x");
                      d.at("timerForlevel") = StoreValue::array(a);
                  }),
                  "timerForlevel[42] is a string");
    expectRefused(StoreValue::string("progress"), "it is a string");
    // Beyond 32 bits: not a number the record can hold.
    expectRefused(storedWith([](auto& d) { d.at("points") = StoreValue::integer(1LL << 32); }),
                  "points is 4294967296");
}

TEST_F(SavedStateLoadTest, RejectedRecordsAreKeptOnceEachAndOnlyTheNewest) {
    PlistFileStore defaults(path);
    const auto reject = [&defaults](int32_t points) {
        SavedState r = sampleRecord();
        r.points = points; // the code no longer matches
        defaults.setObject(Preferences::kStateKey, r.toStored());
        SavedState state(kLevels);
        testing::internal::CaptureStderr();
        state.load(defaults);
        testing::internal::GetCapturedStderr();
    };
    reject(1);
    reject(1); // loading the same record again keeps no second copy
    ASSERT_NE(defaults.arrayForKey(SavedState::kRejectedKey), nullptr);
    EXPECT_EQ(defaults.arrayForKey(SavedState::kRejectedKey)->size(), 1u);
    for (int32_t points = 2; points <= 12; ++points) {
        reject(points);
    }
    const PlistFileStore reopened(path);
    ASSERT_NE(reopened.arrayForKey(SavedState::kRejectedKey), nullptr);
    const StoreValue::Array& kept = *reopened.arrayForKey(SavedState::kRejectedKey);
    ASSERT_EQ(kept.size(), SavedState::kRejectedKept);
    EXPECT_EQ(*kept.front().find("points")->asInteger(),
              12 - static_cast<int64_t>(SavedState::kRejectedKept) + 1);
    EXPECT_EQ(*kept.back().find("points")->asInteger(), 12);
}

TEST_F(SavedStateLoadTest, AVersionOneRecordIsTakenWithItsPerLevelDefaults) {
    // Version 1 covers the level, points and knots only, and has no per-level arrays.
    SavedState r(kLevels);
    r.version = 1;
    r.level = 9;
    r.points = 4200;
    r.tangles = {1, 2, 3, 4, 5};
    StoreValue::Dictionary entries;
    entries.emplace("version", StoreValue::integer(1));
    entries.emplace("level", StoreValue::integer(9));
    entries.emplace("points", StoreValue::integer(4200));
    entries.emplace("tangles", StoreValue::integers(r.tangles.data(), 5));
    entries.emplace("auth_code", StoreValue::string(SavedState::authCode(r)));
    PlistFileStore defaults(path);
    defaults.setDictionary(Preferences::kStateKey, entries);
    SavedState loaded(kLevels);
    ASSERT_TRUE(loaded.load(defaults));
    EXPECT_EQ(loaded.version, 1);
    EXPECT_EQ(loaded.level, 9);
    EXPECT_EQ(loaded.points, 4200);
    EXPECT_EQ(loaded.tangles, r.tangles);
    EXPECT_EQ(loaded.max_level, 0);
    EXPECT_EQ(loaded.tangleForlevel, SavedState(kLevels).tangleForlevel);
    EXPECT_EQ(loaded.timerForlevel, SavedState(kLevels).timerForlevel);
}

TEST_F(SavedStateLoadTest, AVersionThreeRecordIgnoresDifficultyAndSeconds) {
    SavedState r = sampleRecord();
    r.version = 3;
    r.auth_code = SavedState::authCode(r); // covers neither
    StoreValue::Dictionary entries = *r.toStored().asDictionary();
    entries.at("difficulty") = StoreValue::integer(7);           // out of range, but not read
    entries.at("timerForlevel") = StoreValue::string("ignored"); // wrong kind, but not read
    PlistFileStore defaults(path);
    defaults.setDictionary(Preferences::kStateKey, entries);
    SavedState loaded(kLevels);
    ASSERT_TRUE(loaded.load(defaults));
    EXPECT_EQ(loaded.difficulty, 0);
    EXPECT_EQ(loaded.timerForlevel, SavedState(kLevels).timerForlevel);
    EXPECT_EQ(loaded.tangleForlevel, r.tangleForlevel);
    EXPECT_EQ(loaded.max_level, r.max_level);
}

} // namespace
