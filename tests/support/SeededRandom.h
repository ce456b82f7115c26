#pragma once

#include "engine/Random.h"

#include <gtest/gtest.h>

// Fixture base: every test starts from the same random sequence.
class SeededRandomTest : public ::testing::Test {
protected:
    void SetUp() override { ZQ::seedRandom(20261207); }
};
