#include "levels/LevelCatalogueTables.h"

#include <iterator>

namespace ZQ::LevelCatalogue {

namespace {

using enum KnotKind;

// clang-format off
// name         strings, size, generator kind, parameters
constexpr KnotRow kKnotRows[] = {
    {"Sedisa",    1,  4, TorusKnot,           {2, 4, 2, 5, 0}}, // 0
    {"Atolasa",   2,  4, TorusKnot,           {2, 4, 2, 5, 0}}, // 1
    {"Thetes",    1,  7, DecorativeKnot,      {1, 2, 0.45f, -3, 0.35f, 5, 0}}, // 2
    {"Ganas",     1,  4, DecorativeKnot,      {4, 2, 0.2f, -5, 0.35f, 7, 0}}, // 3
    {"Ourosa",    2,  8, DecorativeKnot,      {1, 2, 0.45f, -3, 0.35f, 5, 0}}, // 4
    {"Aroesa",    3, 12, DecorativeKnot,      {1, 2, 0.75f, 5, 0.4f, 6, 0}}, // 5
    {"Krustosa",  1,  4, DecorativeKnot,      {1, 1, 1.5f, 3, 0.25f, 4, 3.1415927f}}, // 6
    {"Gaelias",   2,  6, DecorativeKnot,      {1, 1, 1.5f, 3, 0.25f, 4, 0}}, // 7
    {"Ialasa",    1,  6, CompoundKnot,        {0.1f, 0.2f, 0.67f, 7, 1, 2, 1, 2, 0.67f, 0.3f, -2, -2, 0.2f, 10, -0.4f, 5, -0.7853982f}}, // 8
    {"Eriorusas", 2,  6, CompoundKnot,        {0.1f, 0.2f, 0.67f, 17, 3, 4, 1, 2, 0.67f, 0.7f, -3, -3, 0.2f, 10, -0.1f, 5, 0}}, // 9
    {"Hetempas",  4,  8, DecorativeKnot,      {1, 2, 0.25f, -7, 0.35f, 9, 0}}, // 10
    {"Paelenas",  1, 10, TorusEightKnot,      {2, 1, 4, 0, 2.31f, 0.5f, 1.35f, 0, 0.85f, 0.2f, 8, 0}}, // 11
    {"Diturenea", 3,  9, TorusInterlacedKnot, {3, 6, 4, 0.35f, 0.6f, 0.2f, 8, 3.1415927f}}, // 12
    {"Diuras",    1,  5, DecorativeKnot,      {-1, 2, 0.184f, 7, 0.49f, 5, 0}}, // 13
    {"Rhoras",    2,  8, TorusInterlacedKnot, {2, 4, 7, 0.475f, 0.35f, 0.35f, 7, 0}}, // 14
    {"Perenea",   1,  6, TorusInterlacedKnot, {3, 2, 1, 0.5f, 0.5f, 0.4f, 2, 0}}, // 15
    {"Neuxesa",   2,  8, TorusInterlacedKnot, {3, 6, 4, 0.35f, 0.6f, 0.2f, 8, 3.1415927f}}, // 16
    {"Steroxias", 1,  5, DecorativeKnot,      {1, 1, 1.6f, -5, 0.5f, 2, -0.7853982f}}, // 17
    {"Preites",   2,  7, CompoundKnot,        {0.59f, 2, 0.4f, -4, -0.45f, -5, 0.59f, 1, 0.3f, -4, -0.45f, -5, 0.2f, 9, 0.25f, 6, 0}}, // 18
    {"Miones",    3,  6, TorusInterlacedKnot, {2, 3, 9, 0.15f, 0.35f, 0.4f, 15, 0}}, // 19
    {"Cruras",    2,  6, DecorativeKnot,      {1, 1, 1.6f, -5, 0.5f, 2, -0.7853982f}}, // 20
    {"Chaithon",  1,  4, TorusInterlacedKnot, {3, 5, 10, 0.3f, 0.5f, 0.2f, 20, 3.1415927f}}, // 21
    {"Bondene",   2,  4, TorusInterlacedKnot, {3, 5, 15, 0.5f, 0.75f, 0.35f, 10, 0}}, // 22
    {"Gatheber",  3,  7, DecorativeKnot,      {3.6f, 5, 3, -2, 2, 6, 0}}, // 23
    {"Iastesa",   2,  9, TorusInterlacedKnot, {3, 4, 4, 0.45f, 0.75f, 0.2f, 8, 3.1415927f}}, // 24
    {"Trigas",    4,  8, DecorativeKnot,      {1, 4, 0.25f, -7, 0.35f, 5, 0}}, // 25
    {"Genonten",  1,  2, DecorativeKnot,      {2, 5, 2.5f, 5, 0.5f, 4, 0}}, // 26
    {"Euxesa",    2,  9, CompoundKnot,        {0.59f, 1, 0.3f, -2, -0.45f, -5, 0.59f, 1, 0.3f, -2, -0.45f, -5, 0.1f, 9, 0.25f, 6, 0}}, // 27
    {"Eurisa",    2, 10, CompoundKnot,        {0.8f, 1, 0.25f, -3, 0.26f, 9, 0.8f, 1, 0.5f, -3, 0.6f, 9, 0.12f, 16, 0.06f, 4, 0}}, // 28
    {"Helias",    1,  3, DecorativeKnot,      {4, 5, 0.5f, 2, 0.53f, 3, 0}}, // 29
    {"Sepesa",    3, 13, TorusInterlacedKnot, {2, 3, 9, 0.45f, 0.4f, 0.2f, 9, 0}}, // 30
    {"Meusas",    2,  8, CompoundKnot,        {0.59f, 1, 0.3f, -7, -0.45f, -5, 0.59f, 1, 0.3f, -7, -0.45f, -5, 0.1f, 9, 0.25f, 6, 0}}, // 31
    {"Searusa",   2,  8, CompoundKnot,        {0.1f, 0.2f, 0.67f, 7, 1, 2, 1, 3, 0.67f, 0.7f, -3, -3, 0.2f, 10, -0.1f, 5, 0}}, // 32
    {"Noenes",    4, 12, CompoundKnot,        {1, 2, 0.67f, 7, 0, 0, 1, 2, 0.67f, 7, 0, 0, 0.2f, 10, -0.1f, 5, 0}}, // 33
    {"Urasa",     2, 12, TorusInterlacedKnot, {2, 2, 7, 0.75f, 0.65f, 0.35f, 7, 0}}, // 34
    {"Pesturas",  3,  8, CompoundKnot,        {0.19f, 1, 0.3f, -2, -0.45f, -5, 0.19f, 1, 0.3f, -2, -0.45f, -5, 0.01f, 9, 0.25f, 6, 0}}, // 35
    {"Netephea",  1,  8, TorusInterlacedKnot, {3, 4, 4, 0.45f, 0.75f, 0.2f, 8, 3.1415927f}}, // 36
    {"Prynes",    3,  8, DecorativeKnot,      {1, 4, 0.2f, -5, 0.35f, 7, 0}}, // 37
    {"Rhedone",   3,  8, CompoundKnot,        {0.59f, 1, 0.3f, -2, -0.45f, -5, 0.59f, 1, 0.3f, -2, -0.45f, -5, 0.1f, 9, 0.25f, 6, 0}}, // 38
    {"Herurisa",  2,  3, DecorativeKnot,      {4, 6, 0.5f, 2, 0.53f, 4, 0}}, // 39
    {"Stioetone", 2,  6, DecorativeKnot,      {1, 3, 1.25f, 5, 0.5f, 8, 0}}, // 40
    {"Urolas",    4,  8, DecorativeKnot,      {1, 4, 0.2f, -5, 0.35f, 9, 3.1415927f}}, // 41
    {"Boner",     2,  8, TorusInterlacedKnot, {3, 2, 8, 0.175f, 0.5f, 0.15f, 16, 3.1415927f}}, // 42
    {"Boeasa",    3,  8, CompoundKnot,        {0.59f, 1, 0.3f, -10, -0.45f, -5, 0.59f, 1, 0.3f, -10, -0.45f, -5, 0.1f, 9, 0.25f, 6, 0}}, // 43
    {"Krysas",    3,  7, DecorativeKnot,      {1, 4, 0.2f, -5, 0.35f, 9, 0}}, // 44
    {"Chiolone",  1,  6, TorusInterlacedKnot, {3, 6, 10, 0.5f, 0.75f, 0.3f, 8, 0}}, // 45
    {"Eruras",    4, 12, TorusInterlacedKnot, {3, 2, 8, 0.175f, 0.5f, 0.15f, 16, 3.1415927f}}, // 46
    {"Rhiomes",   2,  8, TorusKnot,           {2, 4, 3, 8, 0}}, // 47
    {"Neburas",   4,  6, TorusInterlacedKnot, {3, 6, 22, 0.4f, 0.5f, 0.12f, 50, 0}}, // 48
    {"Gaclasa",   2, 12, TorusEightKnot,      {3, 2, 4, 0, 1.31f, 0.5f, 0.35f, 0, 0.85f, 0.2f, 8, 0}}, // 49
    {"Adeiostos", 3,  6, DecorativeKnot,      {3, 6, 0.75f, 9, 0.4f, 5, 6.2831855f}}, // 50
    {"Meuras",    2,  8, TorusInterlacedKnot, {3, 7, 9, 0.4f, 0.485f, 0.2f, 14, 0}}, // 51
    {"Neione",    4,  8, DecorativeKnot,      {1, 1, 1.7f, 5, 0.25f, 4, 0}}, // 52
    {"Thetene",   3,  6, DecorativeKnot,      {1, 1, 4.25f, 5, 2.1f, 8, 0}}, // 53
    {"Iaecthyx",  2, 10, CompoundKnot,        {0.1f, 0.2f, 0.67f, 17, 2, 3, 1, 2, 0.67f, 0.7f, -3, -3, 0.2f, 10, -0.1f, 5, 0}}, // 54
    {"Krusas",    2,  6, BurkeTorusKnot,      {4, 10}}, // 55
    {"Dotheuras", 2,  6, TorusEightKnot,      {3, 2, 10, 0, 1, 0.5f, 0.75f, 0, 0.5f, 0.2f, 8, 3.1415927f}}, // 56
    {"Trurelasa", 2, 10, TorusInterlacedKnot, {3, 4, 4, 0.35f, 1.6f, 2.9f, 2, 3.1415927f}}, // 57
    {"Helesa",    4, 11, TorusInterlacedKnot, {5, 6, 2, 0.7f, 0.75f, 0.6f, 8, 0}}, // 58
    {"Theureusa", 3,  6, DecorativeKnot,      {1, 8, 2, 14, 7, 4, 3.1415927f}}, // 59
    {"Krimen",    4, 12, TorusInterlacedKnot, {3, 4, 8, 0.45f, 0.75f, 0.2f, 8, 3.1415927f}}, // 60
    {"Nodotosa",  4, 10, CompoundKnot,        {0.8f, 1, 0.25f, -3, 0.26f, 9, 0.8f, 1, 0.5f, -3, 0.6f, 9, 0.12f, 16, 0.06f, 4, 0}}, // 61
    {"Disenes",   2,  4, DecorativeKnot,      {2, 5, 2.5f, 5, 0.15f, 6, 0}}, // 62
    {"Iaesa",     3,  6, CompoundKnot,        {0.1f, 0.2f, 0.67f, 9, 7, 9, 1, 2, 0.67f, 0.7f, -8, -8, 0.2f, 10, -0.1f, 5, 0}}, // 63
    {"Phononas",  4,  7, BurkeTorusKnot,      {5, 12}}, // 64
    {"Boxites",   2,  6, DecorativeKnot,      {1, 4, 0.2f, -5, 0.35f, 7, 0}}, // 65
    {"Taraeiax",  3, 10, TorusInterlacedKnot, {3, 6, 4, 1.35f, 0.6f, 1.2f, 8, 3.1415927f}}, // 66
    {"Nystreras", 4, 14, CompoundKnot,        {0.6f, 1, 0.25f, -3, 0.26f, 9, 0.6f, 1, 0.25f, -3, 0.26f, 9, 0.12f, 16, 0.06f, 4, 0}}, // 67
    {"Hapiurg",   3,  8, ToriKnot,            {5, 10, 10, 0, 4, 7, 0}}, // 68
    {"Bomurybes", 1,  6, CompoundKnot,        {0.59f, 1, 0.3f, -2, -0.45f, -5, 0.59f, 1, 0.3f, -2, -0.45f, -5, 0.1f, 9, 0.25f, 6, 0}}, // 69
    {"Neiotes",   2,  5, CompoundKnot,        {0.1f, 0.2f, 0.67f, 7, 5, 5, 1, 2, 0.67f, 0.7f, -9, -9, 0.2f, 10, -0.1f, 5, 0}}, // 70
    {"Nenusidea", 2,  5, DecorativeKnot,      {1, 4, 0.2f, -5, 0.35f, 9, -0.7853982f}}, // 71
    {"Galiseas",  4,  8, TorusInterlacedKnot, {3, 5, 22, 0.3f, 0.5f, 0.2f, 20, 0}}, // 72
    {"Gatutes",   4, 12, TorusInterlacedKnot, {3, 6, 16, 0.35f, 0.25f, 0.2f, 20, 0}}, // 73
    {"Taroebasa", 3, 10, TorusInterlacedKnot, {3, 5, 10, 0.3f, 0.5f, 0.2f, 20, 3.1415927f}}, // 74
    {"Gordias",   1, 12, TorusInterlacedKnot, {3, 1, 1, 0.51f, 0.75f, 0.4f, 4, 0}}, // 75
};
// clang-format on
static_assert(std::size(kKnotRows) == kLevelCount);

// Every cord settles for a few steps after it is laid, except these two,
// whose knots are meant to start taut.
constexpr int32_t kUnsettledLevels[] = {4, 45};

} // namespace

const KnotRow& knotRow(int32_t level) {
    ZQ_ASSERT(level >= 0 && level < kLevelCount);
    return kKnotRows[level];
}

bool settles(int32_t level) {
    for (const int32_t unsettled : kUnsettledLevels) {
        if (unsettled == level) {
            return false;
        }
    }
    return true;
}

} // namespace ZQ::LevelCatalogue
