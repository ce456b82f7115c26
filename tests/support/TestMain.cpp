#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

// ctest runs the tests of one binary as parallel processes. Were their
// preference stores one folder, one test's game mode or saved record would
// reach another that happened to start after it: each process keeps its
// stores in a folder of its own under the one the build gives, gone at exit.
int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    fs::path own;
    const char* home = std::getenv("XDG_DATA_HOME");
    if (home != nullptr && home[0] == '/') {
        own = fs::path(home) / ("process-" + std::to_string(getpid()));
        std::error_code error;
        fs::remove_all(own, error);
        fs::create_directories(own, error);
        setenv("XDG_DATA_HOME", own.c_str(), 1);
    }
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    if (!own.empty()) {
        std::error_code error;
        fs::remove_all(own, error);
    }
    return result;
}
