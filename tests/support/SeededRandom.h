#pragma once

#include "engine/Random.h"

#include <gtest/gtest.h>

#include <cstdint>

// The seed of the tests that need no particular sequence, only the same one
// every run.
inline constexpr uint64_t kTestSeed = 20261207;

// Fixture base: every test starts from the same random sequence.
class SeededRandomTest : public ::testing::Test {
protected:
    void SetUp() override { ZQ::seedRandom(kTestSeed); }
};
