#include "game/TipNode.h"
#include "cords/Cord.h"
#include "levels/LevelModel.h"
#include "levels/TipFactory.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Registers a factory for one test and puts the previous one back.
class ScopedTipFactory {
public:
    explicit ScopedTipFactory(ZQ::TipFactory* factory) : previous(ZQ::registerTipFactory(factory)) {}
    ~ScopedTipFactory() { ZQ::registerTipFactory(previous); }
    ScopedTipFactory(const ScopedTipFactory&) = delete;
    ScopedTipFactory& operator=(const ScopedTipFactory&) = delete;

private:
    ZQ::TipFactory* previous;
};

// The game's factory, counting what it makes and deletes per caption name.
class CountingTipFactory final : public ZQ::TipFactory {
public:
    ZQ::TipNode* makeTip(ZQ::TipClass tipClass, const std::string& name) override {
        ++made[name];
        return ZQ::tipNodeFactory().makeTip(tipClass, name);
    }
    void deleteTip(ZQ::TipNode* tip) override {
        ++deleted[tip->name()];
        ZQ::tipNodeFactory().deleteTip(tip);
    }
    std::map<std::string, int> made;
    std::map<std::string, int> deleted;
};

TEST(TipNode, TipClassesHoldTheirNameAndTwoRows) {
    const std::vector<float> rows = {0.115f, 0.085f};
    EXPECT_EQ(ZQ::TPTooltip("tips_TPCone_").rows, rows);
    EXPECT_EQ(ZQ::TPIdle("tips_TPIdle_").rows, rows);
    const ZQ::TPRotate rotate("tips_TPRotate_");
    EXPECT_EQ(rotate.rows, rows);
    EXPECT_EQ(rotate.name(), "tips_TPRotate_");

    ZQ::TipNode plain("tips_TPHands_");
    EXPECT_TRUE(plain.rows.empty());
    EXPECT_TRUE(plain.groups.empty());
    EXPECT_FALSE(plain.closed);
    EXPECT_FALSE(plain.idleSeen);
}

TEST(TipNode, StartRearmsTheTip) {
    ZQ::TPTooltip tip("tips_TPStretch_");
    tip.groups = {3, 4};
    tip.closed = true;
    tip.idleSeen = true;
    tip.start();
    EXPECT_TRUE(tip.groups.empty());
    EXPECT_FALSE(tip.closed);
    EXPECT_FALSE(tip.idleSeen);
    EXPECT_EQ(tip.rows.size(), 2u);
}

// The catalogue asks the registered factory for its tips and gives each one
// back to it exactly once, however many records share it.
TEST(TipCatalogue, FifteenLevelsCarryATipOfTheirClassMadeAndDeletedByTheFactory) {
    CountingTipFactory factory;
    {
        const ScopedTipFactory registered(&factory);
        ZQ::LevelModel catalogue;
        int tips = 0;
        for (const ZQ::LevelModel::Level& record : catalogue.levels) {
            if (record.tip == nullptr) {
                continue;
            }
            ++tips;
            EXPECT_EQ(record.tip->rows, (std::vector<float>{0.115f, 0.085f})) << record.name;
            EXPECT_EQ(record.tip->name().rfind("tips_TP", 0), 0u) << record.name;
        }
        EXPECT_EQ(tips, 15);
        EXPECT_EQ(catalogue.ground.tip, nullptr);
        EXPECT_NE(dynamic_cast<ZQ::TPRotate*>(catalogue.levels[5].tip), nullptr);
        EXPECT_NE(dynamic_cast<ZQ::TPIdle*>(catalogue.levels[10].tip), nullptr);
        EXPECT_NE(dynamic_cast<ZQ::TPTooltip*>(catalogue.levels[39].tip), nullptr);
        EXPECT_TRUE(factory.deleted.empty());
    }
    EXPECT_EQ(factory.deleted, factory.made);
}

TEST(TipCatalogue, WithoutARegisteredFactoryTheLevelsCarryNoTips) {
    const ScopedTipFactory none(nullptr);
    ZQ::LevelModel catalogue;
    for (const ZQ::LevelModel::Level& record : catalogue.levels) {
        EXPECT_EQ(record.tip, nullptr) << record.name;
    }
}

TEST(TipCatalogue, SharedTipsAreDeletedOnce) {
    CountingTipFactory factory;
    const ScopedTipFactory registered(&factory);
    {
        auto level = [](const std::string& name, ZQ::TipNode* tip) {
            return ZQ::LevelModel::Level(name, nullptr, {}, {}, nullptr, {}, {}, tip, 1, 1, 1, 1, 1, 1);
        };
        ZQ::TipNode* shared = factory.makeTip(ZQ::TipClass::Tooltip, "shared");
        std::vector<ZQ::LevelModel::Level> levels;
        levels.push_back(level("First", shared));
        levels.push_back(level("Second", factory.makeTip(ZQ::TipClass::Idle, "second")));
        levels.push_back(level("Third", shared));
        ZQ::LevelModel catalogue(std::move(levels), level("Ground", nullptr));
    }
    EXPECT_EQ(factory.deleted, (std::map<std::string, int>{{"shared", 1}, {"second", 1}}));
}

} // namespace
