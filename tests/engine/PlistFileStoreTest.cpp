#include "engine/PlistFileStore.h"
#include "BinaryPlistWriter.h"
#include "engine/PlistCodec.h"
#include "support/FileCallHook.h"
#include "support/StoreFiles.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <plist/plist.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <tuple>

namespace {

namespace fs = std::filesystem;
using namespace std::literals;
using testing::HasSubstr;
using ZQ::PlistFileStore;
using ZQ::StoreValue;

// One value of every kind, nested: extreme integers, a zero byte in data,
// text beyond ASCII and XML's own special characters.
StoreValue::Dictionary everyKind() {
    const StoreValue::Dictionary inner = {
        {"flag", StoreValue::boolean(false)},
        {"list", StoreValue::array({StoreValue::integer(-1), StoreValue::string("a<b&c>")})}};
    return {{"yes", StoreValue::boolean(true)},
            {"small", StoreValue::integer(-42)},
            {"big", StoreValue::integer(INT64_MAX)},
            {"least", StoreValue::integer(INT64_MIN)},
            {"half", StoreValue::real(0.5)},
            {"text", StoreValue::string("n\xc3\xa6ve \xe6\x97\xa5\xe6\x9c\xac")},
            {"bytes", StoreValue::data({0, 1, 0xff, 0})},
            {"empty", StoreValue::array({})},
            {"inner", StoreValue::dictionary(inner)}};
}

class PlistFileStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.ok()); }
    TempFolder folder;
    std::string path = folder.file("store.plist");
};

TEST_F(PlistFileStoreTest, EveryKindSurvivesSynchronizeAndReopening) {
    PlistFileStore store(path);
    for (const auto& [key, value] : everyKind()) {
        store.setObject(key, value);
    }
    ASSERT_TRUE(store.synchronize());
    EXPECT_EQ(PlistFileStore(path).contents(), everyKind());
    // The file is the XML a player can read.
    EXPECT_EQ(TempFolder::read(path).rfind("<?xml", 0), 0u);
}

TEST_F(PlistFileStoreTest, TypedReadsGiveDefaultsForAbsentKeysAndOtherKinds) {
    PlistFileStore store(path);
    store.setString("name", "x");
    store.setInteger("one", 1);
    store.setInteger("zero", 0);
    EXPECT_FALSE(store.boolForKey("absent"));
    EXPECT_FALSE(store.boolForKey("name"));
    EXPECT_TRUE(store.boolForKey("one")); // hand-edited files say 1 for yes
    EXPECT_FALSE(store.boolForKey("zero"));
    EXPECT_EQ(store.integerForKey("name"), 0);
    EXPECT_EQ(store.stringForKey("one"), "");
    EXPECT_EQ(store.arrayForKey("name"), nullptr);
    EXPECT_EQ(store.dictionaryForKey("absent"), nullptr);
    EXPECT_TRUE(store.dataForKey("one").empty());
}

TEST_F(PlistFileStoreTest, RemovedKeysStayRemovedAfterReopening) {
    PlistFileStore store(path);
    store.setInteger("a", 1);
    store.setInteger("b", 2);
    ASSERT_TRUE(store.synchronize());
    store.remove("a");
    ASSERT_TRUE(store.synchronize());
    EXPECT_EQ(PlistFileStore(path).contents(), integers({{"b", 2}}));
}

TEST_F(PlistFileStoreTest, AMissingFileIsAnEmptyStoreAndItsFolderIsMadeOnWrite) {
    const std::string deep = folder.file("a/b/store.plist");
    PlistFileStore store(deep);
    EXPECT_TRUE(store.contents().empty());
    EXPECT_TRUE(writesThrough(store, "k", 1));
    EXPECT_TRUE(asideFiles(folder, "store.plist").empty());
}

TEST_F(PlistFileStoreTest, AFileWhereItsFolderShouldBeLeavesItUnwrittenAndBlocksNothing) {
    const std::string path = folder.file("a/store.plist");
    TempFolder::write(folder.file("a"), "in the way");
    testing::internal::CaptureStderr();
    PlistFileStore store(path);
    store.setInteger("n", 2);
    EXPECT_FALSE(store.synchronize());
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_THAT(log, HasSubstr("Not a directory"));
    EXPECT_EQ(TempFolder::read(folder.file("a")), "in the way");
    // Once the file is gone a store writes there.
    fs::remove(folder.file("a"));
    ASSERT_TRUE(storeValue(path, "n", 2));
    EXPECT_EQ(PlistFileStore(path).integerForKey("n"), 2);
    EXPECT_TRUE(asideFiles(folder, "a").empty());
}

TEST_F(PlistFileStoreTest, ABadFileIsKeptAsideByteForByteAndReadAsEmpty) {
    BinaryPlistWriter binary;
    const std::vector<std::string> bad = {
        "not a property list at all",                       // garbage
        "<?xml version=\"1.0\"?><plist><dict><key>a</key>", // cut short
        "bplist00\x01\x02\x03",                             // a binary header and nothing behind it
        "<plist version=\"1.0\"><array><integer>1</integer></array></plist>", // root not a dictionary
        // Not writable back as they are: each '<' is a four-byte reference,
        // and a megabyte of '>' more references than the reader takes.
        binary.bytes(binary.dictionary(
            {{binary.ascii("text"), binary.ascii(std::string(ZQ::kPlistMaxBytes / 3, '<'))}})),
        "<plist><dict><key>text</key><string>" + std::string(1u << 20, '>') + "</string></dict></plist>",
    };
    for (const std::string& bytes : bad) {
        TempFolder::write(path, bytes);
        testing::internal::CaptureStderr();
        PlistFileStore store(path);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(store.contents().empty());
        EXPECT_THAT(log, HasSubstr("kept aside"));
        EXPECT_FALSE(fs::exists(path));
        const std::vector<std::string> aside = asideFiles(folder, "store.plist");
        ASSERT_EQ(aside.size(), 1u) << bytes;
        EXPECT_EQ(TempFolder::read(folder.file(aside[0])), bytes);
        // A write afterwards leaves the copy alone.
        ASSERT_TRUE(writesThrough(store, "k", 7));
        EXPECT_EQ(TempFolder::read(folder.file(aside[0])), bytes);
        fs::remove(folder.file(aside[0]));
    }
}

TEST_F(PlistFileStoreTest, AnUnreadablePathIsMovedAsideToo) {
    fs::create_directory(path); // a folder where the file belongs
    logOf([&] {
        PlistFileStore store(path);
        EXPECT_EQ(asideFiles(folder, "store.plist").size(), 1u);
        EXPECT_TRUE(writesThrough(store, "k", 1));
    });
}

TEST_F(PlistFileStoreTest, AFifoInTheFilesPlaceIsSetAsideWithoutWaitingForAWriter) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const std::string log = logOf([&] {
        PlistFileStore store(path); // a blocking open would wait here for ever
        EXPECT_TRUE(store.contents().empty());
        EXPECT_EQ(asideFiles(folder, "store.plist").size(), 1u);
        EXPECT_TRUE(writesThrough(store, "k", 1));
    });
    EXPECT_THAT(log, HasSubstr("not a regular file but a FIFO"));
    // Behind a link, the link goes aside: never the FIFO (or device) it names.
    const std::string fifo = folder.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string linked = folder.file("linked.plist");
    fs::create_symlink(fifo, linked);
    logOf([&] { PlistFileStore throughLink(linked); });
    EXPECT_EQ(asideFiles(folder, "linked.plist").size(), 1u);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(PlistFileStoreTest, ALinkIsWrittenThroughAndItsDamagedTargetSetAsideBesideIt) {
    // Relative, to the link's own folder, and naming no file yet.
    fs::create_directory(folder.file("linked"));
    fs::create_symlink("linked/real.plist", path);
    const std::string target = folder.file("linked/real.plist");
    PlistFileStore store(path);
    ASSERT_TRUE(writesThrough(store, "k", 1) && writesThrough(store, "k", 2));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(PlistFileStore(target).integerForKey("k"), 2);
    EXPECT_EQ(folder.entries("linked"), std::vector<std::string>{"real.plist"});
    TempFolder::write(target, "garbage");
    logOf([&] {
        PlistFileStore reopened(path);
        EXPECT_TRUE(fs::is_symlink(path));
        EXPECT_TRUE(writesThrough(reopened, "k", 3));
    });
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(PlistFileStore(target).integerForKey("k"), 3);
    const std::vector<std::string> linked = folder.entries("linked");
    ASSERT_EQ(linked.size(), 2u);
    EXPECT_EQ(TempFolder::read(folder.file("linked/" + linked[1])), "garbage");
}

// It once played on, saving nothing, with status 0: now it refuses, with a mend by hand.
TEST_F(PlistFileStoreTest, ABadFileThatCannotBeMovedAsideIsRefusedAndNeverOverwritten) {
    // Every name the store would move it to is taken.
    const FileCallHook taken([](const auto& call, const auto&, const auto& to, unsigned) {
        return call == "renameat2" && to.find(".corrupt-") != std::string::npos ? EEXIST : 0;
    });
    TempFolder::write(path, "garbage");
    testing::internal::CaptureStderr();
    PlistFileStore store(path);
    store.setInteger("k", 1);
    EXPECT_FALSE(store.synchronize());
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(store.refusal());
    const std::string refusal = ZQ::line(*store.refusal());
    EXPECT_THAT(refusal, HasSubstr(") and cannot be kept aside (File exists); move it aside: mv '" + path +
                                   "' '" + path + ".damaged'"));
    ASSERT_TRUE(store.unsaved());
    EXPECT_EQ(store.unsaved()->mends, store.refusal()->mends);
    EXPECT_THAT(log, HasSubstr(refusal));
    EXPECT_EQ(TempFolder::read(path), "garbage");
}

TEST_F(PlistFileStoreTest, WritingLeavesNoTemporaryFilesAndClearsStaleOnes) {
    const std::string stale = folder.file(".store.plist.tmp-old123");
    const std::string fresh = folder.file(".store.plist.tmp-new456");
    TempFolder::write(stale, "half a write");
    TempFolder::write(fresh, "a write in progress");
    fs::last_write_time(stale, fs::last_write_time(stale) - 5min);
    PlistFileStore store(path);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(fresh)); // may belong to another process still writing
    fs::remove(fresh);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(writesThrough(store, "k", i));
    }
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
}

// A failed rename removes the new file, keeps the old, says why; the change stays owed.
TEST_F(PlistFileStoreTest, AFailedRenameLeavesTheOldFileAndNoTemporaryAndIsOwedUntilSaved) {
    PlistFileStore store(path);
    ASSERT_TRUE(writesThrough(store, "level", 1));
    const std::string before = TempFolder::read(path);
    store.setInteger("level", 2);
    {
        const FileCallHook failing([](const auto& call, const auto&, const auto& to, unsigned) {
            return call == "renameat2" && to == "store.plist" ? EIO : 0;
        });
        logOf([&] { EXPECT_FALSE(store.synchronize()); });
    }
    EXPECT_EQ(TempFolder::read(path), before);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
    ASSERT_TRUE(store.unsaved());
    EXPECT_EQ(ZQ::line(*store.unsaved()), "this session's progress is not saved in " + path +
                                              ": rename failed: Input/output error; mend its disk");
    EXPECT_TRUE(store.synchronize());
    EXPECT_FALSE(store.unsaved());
    EXPECT_EQ(PlistFileStore(path).integerForKey("level"), 2);
}

// Every start rewrote the defaults and the leaderboards to set the values they held.
TEST_F(PlistFileStoreTest, ASynchronizeThatChangesNoValueReplacesNoFile) {
    ASSERT_TRUE(PlistFileStore(path).update([](ZQ::KeyValueStore& file) {
        file.setInteger("mode", 1);
        file.setObject("nan", StoreValue::real(NAN));
    }));
    const struct stat before = lstatOf(path);
    PlistFileStore store(path);
    store.setObject("nan", StoreValue::real(-NAN));
    store.setBool("done", true);
    store.remove("done");
    EXPECT_TRUE(store.update([](ZQ::KeyValueStore& file) { file.setInteger("mode", 1); }));
    const struct stat after = lstatOf(path);
    EXPECT_EQ(std::tie(after.st_ino, after.st_mtim.tv_nsec), std::tie(before.st_ino, before.st_mtim.tv_nsec));
}

TEST_F(PlistFileStoreTest, AnotherWritersChangesArePulledInOnceWithTheirKeys) {
    PlistFileStore mine(path);
    PlistFileStore theirs(path);
    EXPECT_TRUE(mine.pullExternalChanges().empty());
    theirs.setInteger("level", 3);
    theirs.setBool("flag", true);
    ASSERT_TRUE(theirs.synchronize());
    EXPECT_EQ(mine.pullExternalChanges(), (std::vector<std::string>{"flag", "level"}));
    EXPECT_EQ(mine.integerForKey("level"), 3);
    EXPECT_TRUE(mine.pullExternalChanges().empty());
    theirs.setInteger("level", 4);
    theirs.remove("flag");
    ASSERT_TRUE(theirs.synchronize());
    EXPECT_EQ(mine.pullExternalChanges(), (std::vector<std::string>{"flag", "level"}));
    EXPECT_EQ(mine.object("flag"), nullptr);
    // The same bytes written again (a sync tool touching the file) are no change.
    const std::string bytes = TempFolder::read(path);
    std::this_thread::sleep_for(20ms);
    TempFolder::write(path, bytes);
    EXPECT_TRUE(mine.pullExternalChanges().empty());
    // The file removed: its keys go, but one set here and unwritten is written.
    mine.setInteger("mode", 2);
    fs::remove(path);
    EXPECT_EQ(mine.pullExternalChanges(), std::vector<std::string>{"level"});
    EXPECT_EQ(mine.contents().size(), 1u);
    ASSERT_TRUE(mine.synchronize());
    EXPECT_EQ(PlistFileStore(path).contents(), integers({{"mode", 2}}));
}

// A second writer wrote over the first's values; a key both changed is reported to merge.
TEST_F(PlistFileStoreTest, AKeyBothWritersChangedGivesWayAndIsReportedAndTheRestSurvives) {
    PlistFileStore mine(path);
    mine.setInteger("mode", 2);
    mine.setInteger("gone", 3);
    ASSERT_TRUE(mine.synchronize());
    PlistFileStore theirs(path);
    mine.setInteger("mode", 1); // not synchronized yet
    mine.setInteger("sound", 1);
    mine.setInteger("gone", 4);
    theirs.setInteger("mode", 0);
    theirs.setInteger("level", 9);
    theirs.remove("gone");
    ASSERT_TRUE(theirs.synchronize());
    EXPECT_THAT(logOf([&] { EXPECT_FALSE(mine.synchronize()) << "the mode set here was not written"; }),
                HasSubstr("mode was changed by another writer"));
    EXPECT_EQ(mine.takeConflicts(), std::vector<std::string>{"mode"});
    EXPECT_TRUE(mine.takeConflicts().empty());
    // "gone", which they removed, loses nothing of theirs when set.
    EXPECT_EQ(PlistFileStore(path).contents(),
              integers({{"mode", 0}, {"level", 9}, {"sound", 1}, {"gone", 4}}));
    EXPECT_EQ(mine.pullExternalChanges(), (std::vector<std::string>{"level", "mode"}));
    // The owner's merge: their mode, plus one.
    EXPECT_TRUE(mine.update(
        [](ZQ::KeyValueStore& store) { store.setInteger("mode", store.integerForKey("mode") + 1); }));
    EXPECT_EQ(PlistFileStore(path).integerForKey("mode"), 1);
}

TEST_F(PlistFileStoreTest, ADamagedExternalFileIsKeptAsideAndMemoryWrittenBack) {
    PlistFileStore mine(path);
    ASSERT_TRUE(writesThrough(mine, "level", 5));
    std::this_thread::sleep_for(20ms);
    TempFolder::write(path, "<plist><dict><key>level</key><integer>6"); // a torn copy
    logOf([&] { EXPECT_TRUE(mine.pullExternalChanges().empty()); });
    EXPECT_EQ(mine.integerForKey("level"), 5);
    EXPECT_EQ(asideFiles(folder, "store.plist").size(), 1u);
    ASSERT_TRUE(mine.synchronize());
    EXPECT_EQ(PlistFileStore(path).integerForKey("level"), 5);
}

TEST(PlistCodec, RefusesDeepNestingAndLeavesOutDates) {
    std::string why;
    // As deep as the reader goes, too deep, and deep enough to overflow the
    // stack where libplist frees its tree.
    for (const int levels : {ZQ::kPlistMaxDepth, ZQ::kPlistMaxDepth + 1, 200000}) {
        std::string opened;
        std::string closed;
        for (int i = 0; i < levels; ++i) {
            opened += "<array>";
            closed += "</array>";
        }
        const std::string deep = "<plist><dict><key>k</key>" + opened + closed + "</dict></plist>";
        const bool taken = levels == ZQ::kPlistMaxDepth;
        EXPECT_EQ(ZQ::parsePlistDictionary(deep.data(), deep.size(), why).has_value(), taken) << levels;
        EXPECT_EQ(why.find("nested") != std::string::npos, !taken) << levels;
    }
    const std::string dated = "<plist><dict><key>d</key><date>2020-01-01T00:00:00Z</date>"
                              "<key>n</key><integer>2</integer></dict></plist>";
    const auto parsed = ZQ::parsePlistDictionary(dated.data(), dated.size(), why);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->size(), 1u);
    EXPECT_EQ(parsed->count("n"), 1u);
    EXPECT_THAT(why, HasSubstr("left out"));
}

TEST(PlistCodec, ReadsLibplistsBinaryListsAsTheSameValues) {
    // Counts past the marker's four bits, UTF-16 with a surrogate pair.
    StoreValue::Dictionary all = everyKind();
    const int32_t many[20] = {1, -2, 300, -40000, 5000000};
    all.emplace("many", StoreValue::integers(many, 20));
    all.emplace("smile", StoreValue::string("\xf0\x9f\x98\x80 in a text longer than fifteen"));
    const std::string xml = ZQ::writePlistDictionary(all);
    plist_t root = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root);
    ASSERT_NE(root, nullptr);
    char* binary = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &binary, &length);
    plist_free(root);
    std::string why;
    const auto parsed = ZQ::parsePlistDictionary(binary, length, why);
    plist_to_bin_free(binary);
    ASSERT_TRUE(parsed) << why;
    EXPECT_EQ(*parsed, all);
}

TEST(PlistFileStore, NeverWritesAFileItCannotReadBack) {
    // The state fuzzer's find: shared arrays, spelt out in XML beside its refused
    // state, made more values than the reader takes; the next start set it aside.
    const std::string find(
        "\x62\x70\x6c\x69\x73\x74\x30\x30\x13\x00\x00\x00\x00\x00\x00\x00\x07\xa4\x00\x00\x00\x00\xa4\x01"
        "\x01\x01\x01\xa4\x02\x02\x02\x02\xa4\x03\x03\x03\x03\xa4\x04\x04\x04\x04\xa4\x05\x05\x05\x05\xa4"
        "\x06\x06\x7a\x72\x5f\x73\x74\x61\x74\x65\x08\x08\x08\x08\xa4\x09\x09\x09\x09\xa4\x0a\x0a\x02\x0a"
        "\xa4\x0b\x0b\x0b\x0b\xa4\x0c\x0c\x0c\x0c\xa4\x0d\x0d\x0d\x0d\xa4\x0e\x0e\x0e\x0e\x58\x7a\x72\x5f"
        "\x73\x74\x61\x74\x65\xd1\x10\x0f\x08\x11\x16\x1b\x20\x25\x2a\x2f\x34\x39\x3e\x43\x48\x4d\x52\x57"
        "\x5c\x65\x00\x00\x00\x00\x00\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x12\x00\x00\x00\x00\x00\x00"
        "\x00\x11\x00\x00\x00\x00\x00\x00\x00\x68",
        154);
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string path = folder.file("store.plist");
    TempFolder::write(path, find);
    PlistFileStore store(path);
    ASSERT_FALSE(store.contents().empty());
    const StoreValue::Dictionary taken = store.contents();
    store.setObject("kept", taken.begin()->second);
    EXPECT_FALSE(store.synchronize());
    EXPECT_EQ(PlistFileStore(path).contents(), taken) << "the file read is left as it was";
    store.remove("kept");
    store.setInteger("marker", 1);
    ASSERT_TRUE(store.synchronize());
    StoreValue::Dictionary written = taken;
    written.emplace("marker", StoreValue::integer(1));
    EXPECT_EQ(PlistFileStore(path).contents(), written);
}

// Above the size written the bound sets a good list aside; far below it, where
// texts are all references, it saves no writing. Long texts show a miscount.
TEST(PlistCodec, TheLeastWrittenSizeIsNeverMoreThanWhatIsWrittenAndNearItForReferences) {
    const std::string lts(4096, '<');
    const StoreValue::Dictionary inner = {{"<&>", StoreValue::array({StoreValue::string(lts + "&")})}};
    const StoreValue::Dictionary lists[] = {
        // libplist ends a text at a zero byte: what follows is never written.
        {{"cut", StoreValue::string("x\0"s + lts)}, {"cut\0"s + lts, StoreValue::boolean(true)}},
        {{"nested",
          StoreValue::array({StoreValue::dictionary(inner), StoreValue::data(StoreValue::Data(3001))})}},
        {{"lt", StoreValue::string(std::string(100000, '<'))},
         {"amp", StoreValue::string(std::string(100000, '&'))}},
    };
    for (const StoreValue::Dictionary& list : lists) {
        EXPECT_LE(ZQ::plistLeastWrittenBytes(list), ZQ::writePlistDictionary(list).size());
    }
    EXPECT_LT(ZQ::writePlistDictionary(lists[2]).size() - ZQ::plistLeastWrittenBytes(lists[2]), 512u);
}

TEST(PlistCodec, KeysAndDictionariesFarBeyondTheGamesAreRefusedInXmlAndBinary) {
    const auto keyOf = [](std::size_t i, std::size_t bytes) {
        return std::string(bytes - 4, 'k') + std::to_string(1000 + i);
    };
    std::string why;
    const std::tuple<std::size_t, std::size_t, const char*> cases[] = {
        {ZQ::kPlistMaxDictionaryKeys, ZQ::kPlistMaxKeyBytes, ""},
        {ZQ::kPlistMaxDictionaryKeys, ZQ::kPlistMaxKeyBytes + 1, "a key longer than 256 bytes"},
        {ZQ::kPlistMaxDictionaryKeys + 1, ZQ::kPlistMaxKeyBytes, "a dictionary of more than 128 keys"},
    };
    for (const auto& [keys, bytes, reason] : cases) {
        // Nested in an array, where the root's count is no help.
        std::string xml = "<plist><dict><key>a</key><array><dict>";
        BinaryPlistWriter writer;
        std::vector<std::pair<BinaryPlistWriter::Ref, BinaryPlistWriter::Ref>> entries;
        for (std::size_t i = 0; i < keys; ++i) {
            xml += "<key>" + keyOf(i, bytes) + "</key><true/>";
            entries.emplace_back(writer.ascii(keyOf(i, bytes)), writer.boolean(true));
        }
        xml += "</dict></array></dict></plist>";
        const std::string binary = writer.bytes(
            writer.dictionary({{writer.ascii("a"), writer.array({writer.dictionary(entries)})}}));
        for (const std::string& list : {xml, binary}) {
            const auto read = ZQ::parsePlistDictionary(list.data(), list.size(), why);
            EXPECT_EQ(why, reason) << keys << " keys of " << bytes;
            if (read) {
                EXPECT_EQ(read->at("a").asArray()->at(0).asDictionary()->size(), keys);
                EXPECT_EQ(ZQ::plistRoomFault(*read, {}), "");
            }
        }
    }
    // A full root leaves no room for a key the game writes but the file lacks.
    StoreValue::Dictionary full;
    for (std::size_t i = 0; i < ZQ::kPlistMaxDictionaryKeys; ++i) {
        full.emplace(keyOf(i, 8), StoreValue::boolean(true));
    }
    EXPECT_EQ(ZQ::plistRoomFault(full, ZQ::plistRoomOf({{keyOf(0, 8), StoreValue::integer(1)}})), "");
    EXPECT_THAT(ZQ::plistRoomFault(full, ZQ::plistRoomOf({{"zr_state", StoreValue::integer(1)}})),
                HasSubstr("128 keys"));
    // Counted as the game holds a key: a hundred three-byte UTF-16 characters.
    BinaryPlistWriter writer;
    const std::string wide = writer.bytes(
        writer.dictionary({{writer.utf16(std::u16string(100, u'\u65e5')), writer.boolean(true)}}));
    EXPECT_FALSE(ZQ::parsePlistDictionary(wide.data(), wide.size(), why));
    EXPECT_THAT(why, HasSubstr("longer than"));
    // And as it would write it: each '>' a four-byte reference.
    const std::string angles =
        "<plist><dict><key>" + std::string(ZQ::kPlistMaxKeyBytes, '>') + "</key><true/></dict></plist>";
    const auto read = ZQ::parsePlistDictionary(angles.data(), angles.size(), why);
    ASSERT_TRUE(read) << why;
    EXPECT_THAT(ZQ::plistRoomFault(*read, {}), HasSubstr("longer than"));
}

} // namespace
