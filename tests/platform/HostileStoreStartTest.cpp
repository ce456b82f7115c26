#include "GameDataFolder.h"

#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "levels/LevelCatalogueTables.h"

#include "HostilePlists.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

// The game started on a data folder where one store is a crafted file (a
// key holding a NUL, a few hundred bytes standing for a billion values,
// nesting behind attributes that overflowed the stack, a text of entity
// references that took minutes): it draws its first frame, sets the file
// aside whole and keeps the progress the other store holds.
TEST(HostileStoreStart, EachStoreAsACraftedFileIsSetAsideAndTheGameDrawsItsFirstFrame) {
    const std::pair<const char*, std::string> crafted[] = {
        {"a NUL inside a key", HostilePlists::nulInKey()},
        {"shared objects", HostilePlists::sharedExpansion()},
        {"nesting behind attributes", HostilePlists::hiddenNesting()},
        {"nesting behind a document type", HostilePlists::nestingBehindDoctype()},
        {"nesting behind an attribute's comment", HostilePlists::nestingBehindAttribute()},
        {"a flood of entity references", HostilePlists::entityFlood()},
    };
    for (const char* store : {"defaults.plist", "cloud/cloud.plist", "leaderboards.plist"}) {
        for (const auto& [what, bytes] : crafted) {
            const std::string when = std::string(store) + " holding " + what;
            GameDataFolder data;
            ASSERT_TRUE(data.ok());
            ZQ::SavedState progress(ZQ::LevelCatalogue::kLevelCount);
            progress.level = progress.max_level = 9;
            data.seed(progress);
            const std::string path = data.storeFolder() + "/" + store;
            TempFolder::write(path, bytes);

            const GameRun run = data.run("--frames 1");
            ASSERT_EQ(run.status, 0) << when << "\n" << run.output;
            EXPECT_NE(run.output.find("1 frames drawn headless"), std::string::npos) << when << run.output;

            int setAside = 0;
            const std::filesystem::path file(path);
            for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
                if (entry.path().filename().string().rfind(file.filename().string() + ".corrupt-", 0) == 0) {
                    ++setAside;
                    EXPECT_EQ(TempFolder::read(entry.path()), bytes) << when;
                }
            }
            EXPECT_EQ(setAside, 1) << when;
            // From the cloud when the defaults were the crafted file.
            const ZQ::PlistFileStore defaults(data.storeFolder() + "/defaults.plist");
            const ZQ::StoreValue* record = defaults.object(ZQ::Preferences::kStateKey);
            ASSERT_NE(record, nullptr) << when;
            EXPECT_EQ(*record->find("max_level")->asInteger(), 9) << when;
        }
    }
}

// The defaults hold, beside the shadow switch, 16,300 values: no more than
// the reader takes, but no room left for a saved record, so every write of
// the defaults would be refused and the progress would live only in the
// cloud copy. They are set aside at the start, and the progress the cloud
// holds is written to the defaults.
TEST(HostileStoreStart, DefaultsWithNoRoomForASavedRecordAreSetAsideAndTheProgressWritten) {
    for (const std::string& bytes :
         {HostilePlists::integersInXml(16300), HostilePlists::sharedReferences(16300)}) {
        GameDataFolder data;
        ASSERT_TRUE(data.ok());
        ZQ::SavedState progress(ZQ::LevelCatalogue::kLevelCount);
        progress.level = progress.max_level = 9;
        data.seed(progress);
        const std::string path = data.storeFolder() + "/defaults.plist";
        TempFolder::write(path, bytes);

        const GameRun run = data.run("--frames 2");
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_NE(run.output.find("kept aside"), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("not written"), std::string::npos) << run.output;
        const ZQ::PlistFileStore defaults(path, ZQ::Preferences::writtenRoom());
        const ZQ::StoreValue* record = defaults.object(ZQ::Preferences::kStateKey);
        ASSERT_NE(record, nullptr) << run.output;
        EXPECT_EQ(*record->find("max_level")->asInteger(), 9);
    }
}

} // namespace
