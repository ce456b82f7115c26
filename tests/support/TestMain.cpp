#include "support/OwnFolders.h"

#include <gtest/gtest.h>

// ctest runs the tests of one binary as parallel processes. Were their stores
// one folder, one test's game mode or saved record would reach another that
// happened to start after it: each process keeps its stores in folders of its
// own, gone at exit, and none in the player's.
int main(int argc, char** argv) {
    const OwnFolders folders;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
