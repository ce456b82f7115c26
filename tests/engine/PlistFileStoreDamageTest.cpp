#include "engine/PlistCodec.h"
#include "engine/PlistFileStore.h"
#include "support/AsPlayer.h"
#include "support/FileCallHook.h"
#include "support/StoreFiles.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <optional>

// Damage at a store's name is set aside whole and the store starts empty.

namespace {

namespace fs = std::filesystem;
using ZQ::PlistFileStore;

const std::string kDamagedList = "<plist><dict><key>level</key><integer>6";

// Without rename flags (NFS, FUSE) only a file, or nothing, went aside, and a good one was lost.
TEST(PlistFileStoreDamage, DamageGoesAsideWholeAndAGoodFileSyncedInComesBackWithoutRenameFlags) {
    for (const auto& [flagError, linkError] : {std::pair(EINVAL, 0), {ENOSYS, EPERM}, {EOPNOTSUPP, EPERM}}) {
        for (const std::string damage : {"a file", "a folder", "a file, then a good one"}) {
            SCOPED_TRACE(damage + ", flags refused with " + std::strerror(flagError));
            TempFolder folder;
            const std::string path = folder.file("store.plist");
            const std::string good = folder.file("good");
            const bool putBack = damage.ends_with("good one");
            const std::string inside = damage == "a folder" ? "/inside" : "";
            fs::create_directories(fs::path(path + inside).parent_path());
            TempFolder::write(path + inside, kDamagedList);
            if (putBack) {
                storeValue(good, "level", 10);
            }
            const FileCallHook hook([&, flagError = flagError, linkError = linkError](
                                        const auto& call, const auto&, const auto& to, unsigned flags) {
                if (to.find(".corrupt-") != std::string::npos && fs::exists(good)) {
                    fs::rename(good, path);
                }
                return call == "linkat" ? linkError : call == "renameat2" && flags != 0 ? flagError : 0;
            });
            PlistFileStore store(path);
            EXPECT_EQ(store.integerForKey("level"), putBack ? 10 : 0) << store.refusal().has_value();
            const std::vector<std::string> asides = asideFiles(folder, "store.plist");
            ASSERT_EQ(asides.size(), putBack ? 0u : 1u);
            EXPECT_EQ(folder.entries(), putBack ? std::vector<std::string>{"store.plist"} : asides);
            if (!putBack) {
                EXPECT_EQ(TempFolder::read(folder.file(asides[0]) + inside), kDamagedList);
            }
            EXPECT_TRUE(writesThrough(store, "level", 1));
            EXPECT_EQ(folder.entries().size(), asides.size() + 1) << "nothing else left behind";
        }
    }
}

// A link at a store's name that leads to no file refused the store, and the run's progress.
TEST(PlistFileStoreDamage, ALinkThatLeadsToNoFileIsKeptAsideAndWhatItNamesIsUntouched) {
    for (const char* target : {"loop", ".", "sub", "sub/defaults.plist/x"}) {
        SCOPED_TRACE(target);
        TempFolder folder;
        const std::string path = folder.file("defaults.plist");
        fs::create_directories(folder.file("sub"));
        const std::string named = "<plist><dict><key>k</key><integer>7</integer></dict></plist>";
        TempFolder::write(folder.file("sub/defaults.plist"), named);
        fs::create_symlink("defaults.plist", folder.file("loop"));
        fs::create_symlink(target, path);
        PlistFileStore store(path);
        EXPECT_EQ(store.integerForKey("k"), 0) << store.refusal().has_value();
        EXPECT_TRUE(writesThrough(store, "k", 3));
        EXPECT_EQ(folder.entries().size(), 4u) << "the file, the link kept aside, loop and sub";
        EXPECT_EQ(TempFolder::read(folder.file("sub/defaults.plist")), named);
    }
}

// A link seen only by the open (ELOOP) sent the valid file found next aside.
TEST(PlistFileStoreDamage, ALinkSeenOnlyByTheOpenIsLookedPastAndTheFileRead) {
    for (const int links : {1, 1000}) {
        TempFolder folder;
        const std::string path = folder.file("store.plist");
        storeValue(path, "level", 3);
        int opens = 0;
        const FileCallHook hook([&](const auto& call, const auto& entry, const auto&, unsigned) {
            return call == "openat" && entry == "store.plist" && opens++ < links ? ELOOP : 0;
        });
        EXPECT_EQ(PlistFileStore(path).integerForKey("level"), links == 1 ? 3 : 0) << links;
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
    }
}

// A sync tool's link to a good copy, swapped in as the store looked, was kept aside as damage.
TEST(PlistFileStoreDamage, ALinkThatComesInTheFilesPlaceIsWalkedNotKeptAside) {
    for (const bool playing : {false, true}) {
        TempFolder folder;
        const std::string path = folder.file("store.plist");
        storeValue(folder.file("copy.plist"), "level", 2);
        storeValue(path, "level", 1);
        std::optional<PlistFileStore> store =
            playing ? std::make_optional<PlistFileStore>(path) : std::nullopt;
        // The first look sees the file; the link stands there from the second on.
        int looks = 0;
        const FileCallHook swapper([&](const auto& call, const auto& entry, const auto&, unsigned) {
            if (call == "fstatat" && entry == "store.plist" && ++looks == 2) {
                fs::remove(path);
                fs::create_symlink("copy.plist", path);
            }
            return 0;
        });
        if (playing) {
            EXPECT_EQ(store->pullExternalChanges(), std::vector<std::string>{"level"});
        } else {
            store.emplace(path);
        }
        EXPECT_EQ(store->integerForKey("level"), 2) << playing;
        EXPECT_EQ(folder.entries(), (std::vector<std::string>{"copy.plist", "store.plist"})) << playing;
    }
}

// A writer that rewrites the file in place truncates it first.
TEST(PlistFileStoreDamage, AnEmptyFileIsNoDamageAndItsInPlaceWritersRecordIsKept) {
    TempFolder folder;
    const std::string path = folder.file("store.plist");
    TempFolder::write(path, "");
    PlistFileStore store(path);
    EXPECT_TRUE(store.contents().empty() && !store.refusal());
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
    const FileCallHook hook([&](const auto& call, const auto&, const auto&, unsigned flags) {
        if (call == "renameat2" && (flags & RENAME_EXCHANGE) != 0 && TempFolder::read(path).empty()) {
            TempFolder::write(path, ZQ::writePlistDictionary({{"level", ZQ::StoreValue::integer(5)}}));
        }
        return 0;
    });
    store.setInteger("mine", 1);
    EXPECT_TRUE(store.synchronize());
    EXPECT_EQ(PlistFileStore(path).contents(), integers({{"level", 5}, {"mine", 1}}));
}

// Counted names sorted as text ("-10" < "-9"); five later copies of others'
// removed the one just made; an empty file counted. Names never given stay.
TEST(PlistFileStoreDamage, OnlyTheNewestFiveOwnCopiesSetAsideAreKeptOldNamesCountedTheNewOneAlways) {
    TempFolder folder;
    const std::string path = folder.file("store.plist");
    const std::string old = "store.plist.corrupt-20250102T030405Z";
    for (const char* count : {"-2", "-9", "-10"}) {
        TempFolder::write(folder.file(old + count), count);
    }
    const std::vector<std::string> notGiven = {old + "-", old + "-1234567890", old + "x",
                                               "store.plist.corrupt-20250102T030405.123Z"};
    for (const std::string& name : notGiven) {
        TempFolder::write(folder.file(name), "by hand");
    }
    for (int copy = 0; copy < 3; ++copy) {
        TempFolder::write(path, "damage " + std::to_string(copy));
        PlistFileStore store(path);
    }
    const auto kept = [&] {
        std::vector<std::string> contents;
        for (const std::string& aside : asideFiles(folder, "store.plist")) {
            contents.push_back(TempFolder::read(folder.file(aside)));
        }
        std::erase(contents, "by hand");
        return contents;
    };
    EXPECT_EQ(kept(), (std::vector<std::string>{"-10", "-9", "damage 0", "damage 1", "damage 2"}));
    // Later than any the clock gives: another user's where there is root,
    // else this user's own; and an empty one, which the kept list would show.
    for (int copy = 0; copy < 5; ++copy) {
        const std::string later =
            folder.file("store.plist.corrupt-2099010" + std::to_string(copy + 1) + "T000000.000000000Z");
        TempFolder::write(later, "later " + std::to_string(copy));
        ASSERT_TRUE(asplayer::handToPlayer(later));
    }
    TempFolder::write(folder.file("store.plist.corrupt-20990201T000000.000000000Z"), "");
    TempFolder::write(path, "damage 3");
    PlistFileStore store(path);
    const std::vector<std::string> others = {"-10",     "damage 0", "damage 1", "damage 2", "damage 3",
                                             "later 0", "later 1",  "later 2",  "later 3",  "later 4"};
    const std::vector<std::string> own = {"damage 3", "later 1", "later 2", "later 3", "later 4"};
    EXPECT_EQ(kept(), asplayer::testsRunAsRoot() ? others : own);
    for (const std::string& name : notGiven) {
        EXPECT_EQ(TempFolder::read(folder.file(name)), "by hand") << name;
    }
}

} // namespace
