#include "levels/PatternFunctions.h"

#include "engine/Assert.h"

#include <cmath>
#include <cstdint>
#include <utility>

namespace ZQ {

namespace {

constexpr int kLevelCount = 76;

// Integer arithmetic on 32-bit ints; x % m truncates, so mod() is used where a
// dividend can be negative.
bool even(int x) {
    return (x & 1) == 0;
}
int mod(int x, int m) {
    return ((x % m) + m) % m;
}

// cos(j third-turns) times sin(i third-turns) in single precision. At
// multiples of three the sign comes from the rounding residue, which is part
// of the look of the rooms that use it.
bool positiveWave(int i, int j) {
    const float t =
        std::cos(2.0943952f * static_cast<float>(j)) * std::sin(2.0943952f * static_cast<float>(i));
    return t > 0.0f;
}

int distance(int x, int y) {
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    return static_cast<int>(std::sqrt(fx * fx + fy * fy));
}
int distanceFrom(int i, int j, int c) {
    return distance(i - c, j - c);
}
int intSqrt(int x) {
    return static_cast<int>(std::sqrt(static_cast<float>(x)));
}
int gray(int x) {
    return x ^ (x >> 1);
}

template <int V> constexpr auto k = [](int, int) { return V; };

// Level 72's counter: ignores its cell and answers the number of calls so
// far, modulo three. The count is that of the build state the copy in hand
// was bound to (PatternBuildState::build); the catalogue's own copy is bound
// to none.
struct CycleOfThree {
    int* boundCount = nullptr;

    int operator()(int, int) const {
        ZQ_ASSERT(boundCount != nullptr);
        const int value = *boundCount;
        *boundCount = (value + 1) % 3;
        return value;
    }
};

// The triangle walls of the base record, also stored unused by level 33.
std::vector<PatternFunction> groundRows() {
    return {[](int i, int) { return 2 + (i & 1); }, [](int, int j) { return even(j) ? 1 : 0; },
            [](int, int j) { return even(j) ? 1 : 0; }, [](int i, int) { return 2 + (i & 1); }};
}

std::vector<std::vector<PatternFunction>> buildLevelTable() {
    // clang-format off
    std::vector<std::vector<PatternFunction>> table = {
        /*  0 */ {k<0>, k<2>, k<1>, k<3>, k<1>, k<2>},
        /*  1 */ {k<0>, k<2>, k<1>, k<3>, k<1>, k<2>},
        /*  2 */ {[](int i, int j) { return (i + (even(j) ? 2 : 0)) % 3; }},
        /*  3 */ groundRows(),
        /*  4 */ {k<2>, k<2>, k<1>, k<1>, k<0>, k<0>},
        /*  5 */ {k<1>, k<0>, k<2>},
        /*  6 */ {k<0>, k<1>, k<2>, k<0>, k<2>, k<0>},
        /*  7 */ {[](int i, int j) { return mod(i - j, 3); }},
        /*  8 */ {[](int i, int) { return (2 * i + 1) % 3; },
                  [](int i, int j) { return (j + 2 * i + 1) % 3; },
                  [](int i, int j) { return (i + j) % 3; }},
        /*  9 */ {k<0>, [](int i, int j) { return (i + j) % 2; }, k<1>, [](int, int j) { return j % 2; }, k<2>,
                  [](int i, int) { return i % 3; }},
        /* 10 */ {[](int i, int j) { return even(i) ? (j % 3 == 0 ? 1 : 0) : j & 1; }},
        /* 11 */ {[](int i, int j) { return positiveWave(i, j) ? 1 : 0; }},
        /* 12 */ groundRows(),
        /* 13 */ {[](int i, int) { return i % 2; }, [](int i, int) { return i % 2; },
                  [](int, int j) { return j % 2 + 1; }, [](int, int j) { return j % 2; },
                  [](int, int j) { return j % 2; }, [](int, int j) { return j % 2 + 1; }},
        /* 14 */ {k<1>, k<0>, k<2>},
        /* 15 */ {[](int, int j) { return j & 1; }, [](int, int j) { return even(j) ? 1 : 0; }},
        /* 16 */ {[](int, int j) { return j & 1; }, [](int, int j) { return j & 1; },
                  [](int, int j) { return j & 1; }},
        /* 17 */ {[](int i, int j) { return ((gray(i) + 1) & gray(j)) & 1; }, k<1>, k<2>},
        /* 18 */ {[](int i, int j) { return (i * j) % 4; }},
        /* 19 */ {[](int, int j) { return j % 2; }, [](int i, int j) { return 2 - (i + j) % 3; }},
        /* 20 */ {[](int i, int j) { return intSqrt(i * j) % 2 + (i * j) % 2; }},
        /* 21 */ {k<0>, k<1>, k<2>, k<0>, k<2>, k<0>},
        /* 22 */ {[](int i, int j) { return positiveWave(i, j) ? 0 : 1; },
                  [](int i, int j) { return positiveWave(i, j) ? 1 : 2; },
                  [](int i, int j) { return positiveWave(i, j) ? 2 : 3; },
                  [](int i, int j) { return positiveWave(i, j) ? 1 : 2; },
                  [](int i, int j) { return positiveWave(i, j) ? 3 : 2; },
                  [](int i, int j) { return positiveWave(i, j) ? 2 : 3; }},
        /* 23 */ {[](int i, int j) { return (i + j) % 3; }, [](int i, int j) { return (i + j) % 3; },
                  [](int i, int j) { return (i + j) % 3; }},
        /* 24 */ {k<0>, k<2>, k<1>, k<3>, k<1>, k<2>},
        /* 25 */ {[](int i, int j) { return (i + j + 2) % 2; }, k<2>, k<3>},
        /* 26 */ {[](int i, int j) { return distance(30 - i, 30 - j) % 4; }},
        /* 27 */ {k<1>, k<0>, k<2>},
        /* 28 */ {[](int i, int j) {
                      const int v = 40 * i + j;
                      return v % 5 == 0 ? 0 : v % 3 == 0 ? 1 : 2 + (v & 1);
                  }},
        /* 29 */ {[](int i, int j) {
                      const uint32_t jj = static_cast<uint32_t>(j) * static_cast<uint32_t>(j);
                      return i >= j ? static_cast<int>(jj % 3u) : (2 * i) % 3;
                  }},
        /* 30 */ {[](int, int j) { return j & 1; }, k<2>},
        /* 31 */ {[](int i, int j) { return (i * j) % 3; }, [](int i, int j) { return (i * j) % 3; },
                  [](int i, int j) { return (i * j) % 3; }, [](int i, int j) { return (i * j) % 3; }},
        /* 32 */ {[](int i, int j) { return distanceFrom(i, j, 10) % 3; }, k<3>, k<3>},
        /* 33 */ {[](int i, int j) { return 2 + ((i + j) & 1); }, [](int i, int j) { return even(i + j) ? 1 : 0; },
                  [](int i, int j) { return even(i + j) ? 1 : 0; }, [](int i, int j) { return 2 + ((i + j) & 1); },
                  // read by no generator
                  [](int i, int) { return 2 + (i & 1); }, [](int, int j) { return even(j) ? 1 : 0; },
                  [](int, int j) { return even(j) ? 1 : 0; }, [](int i, int) { return 2 + (i & 1); }},
        /* 34 */ {[](int i, int j) { return (((i + j) & j) ^ i) & 3; },
                  [](int i, int j) { return (((i + j) & j) ^ i) & 3; },
                  [](int i, int j) { return (((i + j) & j) ^ i) & 3; }},
        /* 35 */ {[](int i, int j) {
                      const int v = 30 * i + j;
                      return v % 4 == 0 ? 2 : v % 3 == 0 ? 1 : 0;
                  },
                  // read by no generator
                  [](int i, int j) { return even(i ^ j) ? 1 : 0; }},
        /* 36 */ {[](int i, int j) { return ((i + j) % 4 + (i ^ j) % 4) % 4; }, k<3>, k<3>},
        /* 37 */ {[](int i, int j) { return distance(i, j) % 4; }, [](int i, int j) { return distance(i, j) % 4; },
                  [](int i, int j) { return distance(i, j) % 4; }, [](int i, int j) { return distance(i, j) % 4; },
                  [](int i, int j) { return distance(i, j) % 4; }, [](int i, int j) { return distance(i, j) % 4; }},
        /* 38 */ {[](int i, int j) { return (i ^ j) & 2; }, k<1>, k<1>},
        /* 39 */ {[](int i, int j) { return (i + 2 * j) % 3; }},
        /* 40 */ {[](int i, int j) { return even(j) ? i % 3 : 2 - i % 3; }, k<3>, k<3>},
        /* 41 */ {[](int i, int j) { return (i + (even(j) ? 2 : 0)) % 3; }},
        /* 42 */ {[](int i, int j) { return (i + j) % 3; }, [](int i, int j) { return (i + j) % 3; },
                  [](int i, int j) { return (i + j) % 3; }, [](int i, int j) { return (i + j) % 3; }},
        /* 43 */ {[](int i, int j) { return (i * j) % 3; }, [](int i, int j) { return (i * j) % 3; },
                  [](int i, int j) { return (i * j) % 3; }},
        /* 44 */ {k<2>, k<2>, k<1>, k<1>, k<0>, k<0>},
        /* 45 */ {k<1>, k<0>, k<2>},
        /* 46 */ {[](int i, int j) { return (i + j) % 2; }, k<0>, k<1>},
        /* 47 */ {[](int i, int j) { return (i + j + 1) % 3; }, [](int i, int j) { return (i + j + 2) % 3; },
                  [](int i, int j) { return (i + j) % 3; }},
        /* 48 */ {k<2>, k<2>, k<1>, k<1>, k<0>, k<0>},
        /* 49 */ {[](int i, int j) { return positiveWave(i, j) ? 2 : 3; },
                  [](int i, int j) { return positiveWave(i, j) ? 1 : 0; },
                  [](int i, int j) { return positiveWave(i, j) ? 2 : 3; },
                  [](int i, int j) { return positiveWave(i, j) ? 1 : 0; }},
        /* 50 */ {[](int i, int) { return i % 2; }, [](int i, int) { return (20 - i) % 2; },
                  [](int i, int) { return i % 2; }, [](int, int j) { return (20 - j) % 2; },
                  [](int, int j) { return j % 2; }, [](int, int j) { return j % 2; }},
        /* 51 */ {[](int i, int j) { return (i + j) % 3 == 0 ? 2 : 1; }, [](int i, int j) { return mod(i - j, 3); },
                  [](int i, int j) { return even(i + j) ? 2 : 1; }},
        /* 52 */ {k<0>, k<1>, k<2>},
        /* 53 */ {[](int i, int j) { return positiveWave(i, j) ? 0 : 1; }},
        /* 54 */ {[](int i, int j) { return (i & j) % 2; }, [](int i, int j) { return (i & j) % 2; },
                  [](int i, int j) { return (i & j) % 2; }, [](int i, int j) { return (i & j) % 2; },
                  [](int i, int j) { return (i & j) % 2; }, [](int i, int j) { return (i & j) % 2; }},
        /* 55 */ {[](int i, int j) { return (i & 1) + (j & 1); }, [](int i, int j) { return (i & 1) + (j & 1); },
                  [](int i, int j) { return (i & 1) + (j & 1); }, [](int i, int j) { return (i & 1) + (j & 1); }},
        /* 56 */ {k<0>, k<1>, k<2>, k<0>, k<2>, k<0>},
        /* 57 */ {k<0>, k<1>, k<2>},
        /* 58 */ {[](int i, int j) { return (i + j) % 2; }, k<2>},
        /* 59 */ {[](int i, int j) { return (i | j) % 3; }, k<0>, k<2>},
        /* 60 */ {k<0>, k<2>, k<1>, k<3>, k<1>, k<2>},
        /* 61 */ {[](int i, int j) { return mod(i ^ j, 4); }},
        /* 62 */ {[](int i, int j) { return mod(distanceFrom(i, j, 5), 3); }, k<3>},
        /* 63 */ {k<0>, k<1>, k<2>, k<2>, k<2>, k<2>},
        /* 64 */ {[](int i, int j) { return (i | j) % 4; }},
        /* 65 */ {[](int i, int j) { return (j * j + 2 * i + 4) % 4; }, [](int i, int j) { return (j * j + 2 * i + 1) % 4; },
                  [](int i, int j) { return (j * j + 2 * i + 2) % 4; }, [](int i, int j) { return (j * j + 3 * i + 4) % 4; }},
        /* 66 */ {[](int i, int j) { return positiveWave(i, j) ? 2 : 3; },
                  [](int i, int j) { return positiveWave(i, j) ? 1 : 0; },
                  [](int i, int j) { return positiveWave(i, j) ? 2 : 3; },
                  [](int i, int j) { return positiveWave(i, j) ? 1 : 0; }},
        /* 67 */ {k<2>, k<2>, k<1>, k<1>, k<0>, k<0>},
        /* 68 */ {[](int i, int j) { return (i | j) % 4; }},
        /* 69 */ {[](int i, int j) { return (i + (even(j) ? 2 : 0)) % 3; }},
        /* 70 */ {[](int i, int j) { return (j + 2 * i) % 4; }, k<3>},
        /* 71 */ {[](int i, int j) { return (i + j % 2) % 3; }, k<2>, k<1>,
                  // read by no generator
                  k<3>},
        /* 72 */ {CycleOfThree{}, k<3>},
        /* 73 */ {k<0>, k<1>, k<2>, k<0>, k<2>, k<0>},
        /* 74 */ {[](int i, int j) { return (i ^ j) % 4; }},
        /* 75 */ {[](int i, int j) { return (i | j) % 3; }},
    };
    // clang-format on
    ZQ_ASSERT(table.size() == kLevelCount);
    return table;
}

// Built once; every record gets its own copies.
const std::vector<std::vector<PatternFunction>>& levelTable() {
    static const std::vector<std::vector<PatternFunction>> table = buildLevelTable();
    return table;
}

} // namespace

std::vector<PatternFunction> groundPatternFunctions() {
    return groundRows();
}

std::vector<PatternFunction> levelPatternFunctions(int level) {
    ZQ_ASSERT(level >= 0 && level < kLevelCount);
    return levelTable()[static_cast<std::size_t>(level)];
}

PatternGraph* PatternBuildState::build(PatternGenerator generator, int width, int height,
                                       const std::vector<PatternFunction>& functions) {
    ZQ_ASSERT(generator != nullptr);
    std::vector<PatternFunction> bound = functions;
    for (PatternFunction& function : bound) {
        if (auto* counter = function.target<CycleOfThree>()) {
            counter->boundCount = &counterCalls;
        }
    }
    return generator(width, height, std::move(bound));
}

} // namespace ZQ
