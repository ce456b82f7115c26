#pragma once

#include "constants/Material.h"
#include "engine/Model.h"
#include "engine/PVRTVector.h"
#include "levels/PatternGraph.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ZQ {

class Cord;
struct CordSettings;
class TipFactory;
class TipNode;

// The level catalogue: every level record in play order, the base record
// "Ground", and the player's place in the game (the level cursor). The records
// are built once and never change; the cursor is what the master controller
// advances and the saved state copies in and out.
class LevelModel : public Model {
public:
    using Material = ZQ::Material;

    // One level. Copies share the cord and the tip (plain pointers); a record
    // deletes neither, the catalogue that holds it does.
    struct Level {
        // The argument order is the one the catalogue tables read in, not the
        // field order. Builds the cord's curve when there is a cord.
        Level(const std::string& name, PatternGenerator generator,
              const std::vector<PatternFunction>& patterns, const std::vector<Material>& roomMaterials,
              Cord* cord, const std::vector<Material>& cordMaterials, const std::vector<int32_t>& normalMaps,
              TipNode* tip, float width, float height, float friction, float slide, float drag, float rotate);

        std::string name;
        std::vector<Material> roomMaterials; // material v colours the wallpaper cells of value v
        PatternGenerator generator = nullptr;
        std::vector<Material> cordMaterials; // material k belongs to string k
        std::vector<PatternFunction> patterns;
        float width = 0.0f; // wallpaper grid in whole cells
        float height = 0.0f;
        Cord* cord = nullptr;            // null only in the base record
        std::vector<int32_t> normalMaps; // normal-map texture 0..7 of string k
        TipNode* tip = nullptr;          // null when the level has no tip
        float friction = 0.0f;
        float slide = 0.0f;
        float drag = 0.0f;
        float rotate = 0.0f;

        // What the cord model takes of this level when its cord is laid.
        CordSettings cordSettings() const;
    };

    // Everything the saved state stores of the cursor, as one value.
    struct Cursor {
        int32_t difficulty = 0;
        int32_t level = 0;
        int32_t max_level = 0;
        std::array<int32_t, 100> tangleForlevel{};
        std::array<int32_t, 100> timerForlevel{};
    };

    static constexpr int32_t kLevelSlots = 100; // per-level arrays; slots past the last level are unused
    static constexpr int32_t kGradeCount = 5;   // Golden 0 .. Obsidian 4

    // Builds the whole catalogue: "Ground" and the levels in play order, each
    // with its own new cord, knot generator and tip (LevelCatalogue.cpp).
    LevelModel();
    // A catalogue of the given records, in play order. It takes ownership of
    // every cord and tip they point to and deletes each one once.
    LevelModel(std::vector<Level> levels, Level ground);
    ~LevelModel() override;
    LevelModel(const LevelModel&) = delete;
    LevelModel& operator=(const LevelModel&) = delete;

    // Resets the cursor to a new game; leaves the listeners and the pause flag.
    void setUp() override;
    void tearDown() override {}
    void doStep() override {}

    int32_t levelCount() const { return static_cast<int32_t>(levels.size()); }
    // level modulo the number of levels, never negative.
    int32_t currentIndex() const;
    const Level& currentLevel() const;

    // Seconds allowed for the current level in the timed mode (31 to 91).
    int32_t timeLimit() const;
    // (fraction, grade) pairs of the current level, fractions rising, the last 1.0.
    std::vector<std::pair<float, float>> gradeTable() const;
    // Points of a perfect run at the current level.
    int32_t basePoints() const;
    // The grade earned with these points at the current level.
    uint32_t gradeForPoints(int32_t points) const;
    // The grade of the first pair whose fraction is at least x; the last
    // pair's grade above the last fraction.
    static uint32_t gradeForFraction(const std::vector<std::pair<float, float>>& table, float x);

    // After a solved level: the next level, wrapping to 0 after the last.
    void advanceLevel();
    // Back to the map after a level: the next level becomes reachable.
    void unlockNextLevel();
    // A level picked on the map. False, and nothing changes, outside the catalogue.
    bool chooseLevel(int32_t index);
    // After the outro: one step harder, up to the last key of the difficulty table.
    void raiseDifficulty();
    int32_t maxDifficulty() const;

    Cursor cursor() const;
    // Takes a cursor from stored or synced data. False, and nothing changes,
    // when a level, the highest level, the difficulty or a grade is out of range.
    bool loadCursor(const Cursor& stored);

    std::vector<Level> levels;
    int32_t difficulty = 0;
    int32_t level = 0;
    int32_t max_level = 0;
    Level ground;
    int32_t tangleForlevel[kLevelSlots] = {};
    int32_t timerForlevel[kLevelSlots] = {};
    // Keys are difficulties; only the last key is read, as the difficulty cap.
    std::vector<std::pair<float, int>> difficultyTable{{0.0f, 31}, {1.0f, 21}, {2.0f, 11}};

private:
    TipFactory* tipFactory; // made the tips, and deletes them
};

} // namespace ZQ
