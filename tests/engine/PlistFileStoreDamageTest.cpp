#include "engine/PlistCodec.h"
#include "engine/PlistFileStore.h"
#include "support/FileCallHook.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

// Damage at a store's name is set aside whole and the store starts empty,
// also where rename takes no flags (NFS fails every flag with EINVAL); only
// the entry that was read goes, and only the newest copies are kept.

namespace {

namespace fs = std::filesystem;
using ZQ::PlistFileStore;

const std::string kDamagedList = "<plist><dict><key>level</key><integer>6";

int failFlaggedRenames(bool flagless, const std::string& call, unsigned flags) {
    return flagless && call == "renameat2" && flags != 0 ? EINVAL : 0;
}

std::vector<std::string> keptAside(const TempFolder& folder) {
    std::vector<std::string> found = folder.entries();
    std::erase_if(found, [](const std::string& entry) { return !entry.starts_with("store.plist.corrupt-"); });
    return found;
}

void quietly(const std::function<void()>& part) {
    testing::internal::CaptureStderr();
    part();
    testing::internal::GetCapturedStderr();
}

// Without rename flags only a file went aside, and no folder could go: a
// plain rename does not move a folder over the empty file of the new name.
TEST(PlistFileStoreDamage, AnEntryThatIsNoFileIsSetAsideWholeWithOrWithoutRenameFlags) {
    using Make = std::function<void(const std::string&)>;
    using Whole = std::function<bool(const std::string&)>;
    const std::pair<Make, Whole> damages[] = {
        {[](const std::string& at) { TempFolder::write(at, kDamagedList); },
         [](const std::string& aside) { return TempFolder::read(aside) == kDamagedList; }},
        {[](const std::string& at) {
             fs::create_directory(at);
             TempFolder::write(at + "/inside", "kept");
         },
         [](const std::string& aside) { return TempFolder::read(aside + "/inside") == "kept"; }},
        {[](const std::string& at) { ::mkfifo(at.c_str(), 0600); },
         [](const std::string& aside) { return fs::is_fifo(fs::symlink_status(aside)); }},
        {[](const std::string& at) { fs::create_directory_symlink(fs::path(at).parent_path(), at); },
         [](const std::string& aside) { return fs::read_symlink(aside) == fs::path(aside).parent_path(); }},
    };
    for (const bool flagless : {false, true}) {
        for (std::size_t kind = 0; kind < std::size(damages); ++kind) {
            SCOPED_TRACE(std::to_string(kind) + (flagless ? ", rename without flags" : ""));
            TempFolder folder;
            const std::string path = folder.file("store.plist");
            damages[kind].first(path);
            quietly([&] {
                const FileCallHook hook(
                    [flagless](const std::string& call, const std::string&, const std::string&,
                               unsigned flags) { return failFlaggedRenames(flagless, call, flags); });
                PlistFileStore store(path);
                EXPECT_TRUE(store.refusal().empty() && store.contents().empty()) << store.refusal();
                store.setInteger("level", 1);
                EXPECT_TRUE(store.synchronize());
            });
            const std::vector<std::string> asides = keptAside(folder);
            ASSERT_EQ(asides.size(), 1u);
            EXPECT_TRUE(damages[kind].second(folder.file(asides[0])));
            EXPECT_EQ(PlistFileStore(path).integerForKey("level"), 1);
        }
    }
}

// The rename moves whatever stands at the name: a good file synced in
// between the set-aside's look and its rename goes back and is read.
TEST(PlistFileStoreDamage, AFileThatTakesTheNameJustBeforeTheSetAsideIsPutBackAndRead) {
    for (const bool flagless : {false, true}) {
        TempFolder folder;
        const std::string path = folder.file("store.plist");
        PlistFileStore(folder.file("good")).update([](ZQ::KeyValueStore& good) {
            good.setInteger("level", 10);
        });
        TempFolder::write(path, kDamagedList);
        quietly([&] {
            const FileCallHook hook(
                [&](const std::string& call, const std::string&, const std::string& to, unsigned flags) {
                    if (to.find(".corrupt-") != std::string::npos && fs::exists(folder.file("good"))) {
                        fs::rename(folder.file("good"), path);
                    }
                    return failFlaggedRenames(flagless, call, flags);
                });
            EXPECT_EQ(PlistFileStore(path).integerForKey("level"), 10) << flagless;
        });
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"}) << flagless;
    }
}

// A link that stood at the name only while the game opened it (ELOOP) sent
// the valid file found there next aside as "not a regular file". It is
// looked at again, a bounded number of times.
TEST(PlistFileStoreDamage, ALinkSeenOnlyByTheOpenIsLookedPastAndTheFileRead) {
    for (const int links : {1, 1000}) {
        TempFolder folder;
        const std::string path = folder.file("store.plist");
        PlistFileStore(path).update([](ZQ::KeyValueStore& store) { store.setInteger("level", 3); });
        const std::string bytes = TempFolder::read(path);
        int opens = 0;
        quietly([&] {
            const FileCallHook hook(
                [&](const std::string& call, const std::string& entry, const std::string&, unsigned) {
                    return call == "openat" && entry == "store.plist" && opens++ < links ? ELOOP : 0;
                });
            const PlistFileStore store(path);
            EXPECT_EQ(store.integerForKey("level"), links == 1 ? 3 : 0) << links;
            EXPECT_EQ(store.refusal().empty(), links == 1) << store.refusal();
        });
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
        EXPECT_EQ(TempFolder::read(path), bytes);
    }
}

// A writer that rewrites the file in place truncates it first: the empty
// file went aside as damage, and the record then written with it. It is
// read as empty and replaced at the next write as any file, the record read
// first: written before the write looks, or between that look and the swap.
TEST(PlistFileStoreDamage, AnEmptyFileIsNoDamageAndItsInPlaceWritersRecordIsKept) {
    const std::string record = ZQ::writePlistDictionary({{"level", ZQ::StoreValue::integer(5)}});
    for (const bool atExchange : {false, true}) {
        TempFolder folder;
        const std::string path = folder.file("store.plist");
        PlistFileStore(path).update([](ZQ::KeyValueStore& store) { store.setInteger("level", 4); });
        const int writer = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        PlistFileStore store(path);
        EXPECT_TRUE(store.contents().empty() && store.refusal().empty());
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
        bool written = false;
        const auto writeRecord = [&] { written = ::write(writer, record.data(), record.size()) > 0; };
        const FileCallHook hook(
            [&](const std::string&, const std::string&, const std::string&, unsigned flags) {
                if (atExchange && !written && (flags & RENAME_EXCHANGE) != 0) {
                    writeRecord();
                }
                return 0;
            });
        if (!atExchange) {
            writeRecord();
        }
        store.setInteger("mine", 1);
        quietly([&] { EXPECT_TRUE(store.synchronize()); });
        ::close(writer);
        const PlistFileStore reread(path);
        EXPECT_TRUE(written);
        EXPECT_EQ(std::pair(reread.integerForKey("level"), reread.integerForKey("mine")), std::pair(5l, 1l))
            << atExchange;
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
    }
}

// A sync tool that keeps bringing a damaged file back piled up a copy at
// every check. The newest five are kept, by the time their names carry: to
// the nanosecond now, and to the second with a count in names earlier
// versions gave, which sort wrongly as text ("-10" before "-9").
TEST(PlistFileStoreDamage, OnlyTheNewestFiveCopiesSetAsideAreKeptOldNamesCounted) {
    TempFolder folder;
    const std::string path = folder.file("store.plist");
    for (int copy = 0; copy < 12; ++copy) {
        TempFolder::write(path, "damage " + std::to_string(copy));
        quietly([&] { PlistFileStore store(path); });
    }
    std::vector<std::string> kept;
    for (const std::string& aside : keptAside(folder)) {
        kept.push_back(TempFolder::read(folder.file(aside)));
    }
    EXPECT_EQ(kept, (std::vector<std::string>{"damage 7", "damage 8", "damage 9", "damage 10", "damage 11"}))
        << "the last five made, their names in the order they were made";

    TempFolder earlier;
    const std::string old = "store.plist.corrupt-20250102T030405Z";
    for (const std::string& name :
         std::vector<std::string>{old, old + "-1", old + "-2", old + "-3", old + "-9", old + "-10",
                                  old + "-11", "store.plist.corrupt-mine"}) {
        TempFolder::write(earlier.file(name), "");
    }
    TempFolder::write(earlier.file("store.plist"), kDamagedList);
    quietly([&] { PlistFileStore store(earlier.file("store.plist")); });
    std::vector<std::string> left = earlier.entries();
    EXPECT_EQ(std::erase_if(left, [&](const std::string& name) { return !name.starts_with(old); }), 2u)
        << "the copy just made, and a name the game never gives";
    EXPECT_EQ(left, (std::vector<std::string>{old + "-10", old + "-11", old + "-3", old + "-9"}));
}

} // namespace
