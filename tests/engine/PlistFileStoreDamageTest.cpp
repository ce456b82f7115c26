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
// where rename takes flags and where it takes none (the kernel's NFS client
// refuses every flag with EINVAL); only the entry that was read goes, and
// only the newest copies are kept.

namespace {

namespace fs = std::filesystem;
using ZQ::PlistFileStore;

const std::string kDamagedList = "<plist><dict><key>level</key><integer>6";

// Fails every renameat2 that carries a flag when `flagless`, as NFS does.
FileCallHook::Hook renameFlags(bool flagless) {
    return [flagless](const std::string& call, const std::string&, const std::string&, unsigned flags) {
        return flagless && call == "renameat2" && flags != 0 ? EINVAL : 0;
    };
}

void writeLevel(const std::string& path, const std::string& key, int64_t value) {
    PlistFileStore(path).update([&](ZQ::KeyValueStore& store) { store.setInteger(key, value); });
}

std::vector<std::string> setAside(const TempFolder& folder, const std::string& name) {
    std::vector<std::string> found;
    for (const std::string& entry : folder.entries()) {
        if (entry.starts_with(name + ".corrupt-")) {
            found.push_back(entry);
        }
    }
    return found;
}

std::string quietly(const std::function<void()>& part) {
    testing::internal::CaptureStderr();
    part();
    return testing::internal::GetCapturedStderr();
}

// Once only a link went aside without flags, and a folder could not go at
// all: a plain rename does not move a folder over the empty file that took
// the new name.
TEST(PlistFileStoreDamage, AnEntryThatIsNoFileIsSetAsideWholeAndTheStoreWrittenWithOrWithoutRenameFlags) {
    struct Damage {
        const char* what;
        std::function<void(const TempFolder&, const std::string&)> make;
        std::function<bool(const std::string&)> keptWhole;
    };
    const Damage damages[] = {
        {"a torn list",
         [](const TempFolder&, const std::string& path) { TempFolder::write(path, kDamagedList); },
         [](const std::string& aside) { return TempFolder::read(aside) == kDamagedList; }},
        {"a folder",
         [](const TempFolder&, const std::string& path) {
             fs::create_directory(path);
             TempFolder::write(path + "/inside", "kept");
         },
         [](const std::string& aside) { return TempFolder::read(aside + "/inside") == "kept"; }},
        {"a FIFO", [](const TempFolder&, const std::string& path) { ::mkfifo(path.c_str(), 0600); },
         [](const std::string& aside) { return fs::is_fifo(fs::symlink_status(aside)); }},
        {"a link to a folder",
         [](const TempFolder& folder, const std::string& path) {
             fs::create_directory(folder.file("target"));
             TempFolder::write(folder.file("target/inside"), "kept");
             fs::create_symlink("target", path);
         },
         [](const std::string& aside) {
             return fs::is_symlink(aside) && fs::read_symlink(aside) == "target";
         }},
    };
    for (const bool flagless : {false, true}) {
        for (const Damage& damage : damages) {
            SCOPED_TRACE(std::string(damage.what) + (flagless ? ", rename without flags" : ""));
            TempFolder folder;
            const std::string path = folder.file("store.plist");
            damage.make(folder, path);
            quietly([&] {
                const FileCallHook hook(renameFlags(flagless));
                PlistFileStore store(path);
                EXPECT_EQ(store.refusal(), "");
                EXPECT_TRUE(store.contents().empty());
                store.setInteger("level", 1);
                EXPECT_TRUE(store.synchronize());
                EXPECT_FALSE(store.unsaved());
            });
            const std::vector<std::string> asides = setAside(folder, "store.plist");
            ASSERT_EQ(asides.size(), 1u);
            EXPECT_TRUE(damage.keptWhole(folder.file(asides[0])));
            EXPECT_EQ(PlistFileStore(path).integerForKey("level"), 1);
            if (fs::exists(folder.file("target"))) {
                EXPECT_EQ(TempFolder::read(folder.file("target/inside")), "kept")
                    << "what a link names stays";
            }
        }
    }
}

// The rename picks whatever stands at the name: a good file synced in
// between the set-aside's look and its rename is put back and read.
TEST(PlistFileStoreDamage, AFileThatTakesTheNameJustBeforeTheSetAsideIsPutBackAndRead) {
    for (const bool flagless : {false, true}) {
        SCOPED_TRACE(flagless ? "rename without flags" : "rename with flags");
        TempFolder folder;
        const std::string path = folder.file("store.plist");
        const std::string good = folder.file("good.plist");
        writeLevel(good, "level", 10);
        TempFolder::write(path, kDamagedList);
        bool synced = false;
        quietly([&] {
            const FileCallHook hook(
                [&](const std::string& call, const std::string&, const std::string& to, unsigned flags) {
                    if (!synced && call == "renameat2" && to.find(".corrupt-") != std::string::npos) {
                        synced = true;
                        fs::rename(good, path);
                    }
                    return flagless && call == "renameat2" && flags != 0 ? EINVAL : 0;
                });
            PlistFileStore store(path);
            EXPECT_EQ(store.integerForKey("level"), 10);
            EXPECT_EQ(store.refusal(), "");
        });
        EXPECT_TRUE(synced);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
        EXPECT_EQ(PlistFileStore(path).integerForKey("level"), 10);
    }
}

// A link that stood at the name only while the game opened it made the open
// fail with ELOOP, and the valid file found there next was set aside as
// "not a regular file". It is looked at again, a bounded number of times.
TEST(PlistFileStoreDamage, ALinkSeenOnlyByTheOpenIsLookedPastAndTheFileRead) {
    for (const int links : {1, 1000}) {
        SCOPED_TRACE(links);
        TempFolder folder;
        const std::string path = folder.file("store.plist");
        writeLevel(path, "level", 3);
        const std::string bytes = TempFolder::read(path);
        int opened = 0;
        std::string refusal;
        quietly([&] {
            const FileCallHook hook(
                [&](const std::string& call, const std::string& entry, const std::string&, unsigned) {
                    return call == "openat" && entry == "store.plist" && opened++ < links ? ELOOP : 0;
                });
            PlistFileStore store(path);
            EXPECT_EQ(store.integerForKey("level"), links == 1 ? 3 : 0);
            refusal = store.refusal();
        });
        EXPECT_EQ(refusal.empty(), links == 1) << refusal;
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
        EXPECT_EQ(TempFolder::read(path), bytes);
    }
}

// A writer that rewrites the file in place truncates it first: the empty
// file was set aside as damage, and the record then written went into the
// copy set aside. It is read as empty and replaced as any file at the next
// write, the record read first: written before the write looks, or between
// that look and the exchange.
TEST(PlistFileStoreDamage, AnEmptyFileIsNoDamageAndItsInPlaceWritersRecordIsKept) {
    const std::string record = ZQ::writePlistDictionary({{"level", ZQ::StoreValue::integer(5)}});
    for (const bool atExchange : {false, true}) {
        SCOPED_TRACE(atExchange ? "between the look and the exchange" : "before the write");
        TempFolder folder;
        const std::string path = folder.file("store.plist");
        writeLevel(path, "level", 4);
        const int writer = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        ASSERT_GE(writer, 0);
        const auto writeRecord = [&] {
            return ::write(writer, record.data(), record.size()) == static_cast<ssize_t>(record.size());
        };
        PlistFileStore store(path);
        EXPECT_TRUE(store.contents().empty());
        EXPECT_EQ(store.refusal(), "");
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
        bool written = false;
        quietly([&] {
            const FileCallHook hook(
                [&](const std::string& call, const std::string&, const std::string&, unsigned flags) {
                    if (atExchange && !written && call == "renameat2" && (flags & RENAME_EXCHANGE) != 0) {
                        written = writeRecord();
                    }
                    return 0;
                });
            if (!atExchange) {
                written = writeRecord();
            }
            store.setInteger("mine", 1);
            EXPECT_TRUE(store.synchronize());
        });
        ::close(writer);
        EXPECT_TRUE(written);
        const PlistFileStore reread(path);
        EXPECT_EQ(reread.integerForKey("level"), 5);
        EXPECT_EQ(reread.integerForKey("mine"), 1);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
    }
}

// A sync tool that keeps bringing a damaged file back piled up a copy at
// every check. The newest five are kept, by the time their names carry: to
// the nanosecond now, and to the second with a count in names that earlier
// versions gave, which sort wrongly as text ("-10" before "-9").
TEST(PlistFileStoreDamage, OnlyTheNewestFiveCopiesSetAsideAreKeptOldNamesCounted) {
    TempFolder folder;
    const std::string path = folder.file("store.plist");
    for (int copy = 0; copy < 12; ++copy) {
        TempFolder::write(path, "damage " + std::to_string(copy));
        quietly([&] { PlistFileStore store(path); });
    }
    std::vector<std::string> kept;
    for (const std::string& aside : setAside(folder, "store.plist")) {
        kept.push_back(TempFolder::read(folder.file(aside)));
    }
    EXPECT_EQ(kept, (std::vector<std::string>{"damage 7", "damage 8", "damage 9", "damage 10", "damage 11"}))
        << "the last five made, and their names sort as they were made";

    TempFolder earlier;
    const std::string old = "store.plist.corrupt-20250102T030405Z";
    for (const std::string& name : std::vector<std::string>{
             old, old + "-1", old + "-2", old + "-3", old + "-9", old + "-10", old + "-11",
             std::string("store.plist.corrupt-mine"), "other.plist.corrupt-20200101T000000Z"}) {
        TempFolder::write(earlier.file(name), name);
    }
    TempFolder::write(earlier.file("store.plist"), kDamagedList);
    quietly([&] { PlistFileStore store(earlier.file("store.plist")); });
    std::vector<std::string> left = earlier.entries();
    const auto madeNow = [&](const std::string& name) {
        return name.starts_with("store.plist.corrupt-") &&
               TempFolder::read(earlier.file(name)) == kDamagedList;
    };
    EXPECT_EQ(std::count_if(left.begin(), left.end(), madeNow), 1);
    std::erase_if(left, madeNow);
    EXPECT_EQ(left,
              (std::vector<std::string>{"other.plist.corrupt-20200101T000000Z", old + "-10", old + "-11",
                                        old + "-3", old + "-9", "store.plist.corrupt-mine"}));
}

} // namespace
