#include "GameProcess.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Every regular file below `folder`, as paths relative to it, sorted.
std::vector<std::string> filesBelow(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
        if (entry.is_regular_file()) {
            files.push_back(fs::relative(entry.path(), folder).string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string quoted(const std::string& word) {
    return "'" + word + "'";
}

// The installed game run from `folder` (not the build tree), with no bundle
// named in the environment: it must find its own.
GameRun runInstalled(const std::string& prefix, const std::string& folder, const std::string& arguments) {
    return runShell("cd " + quoted(folder) + " && env -u VELMORA_BUNDLE " + quoted(prefix + "/bin/velmora") +
                    " " + arguments);
}

TEST(InstallTest, AnInstalledGameFindsItsBundleFromAnyFolder) {
    TempFolder prefix;
    TempFolder elsewhere;
    ASSERT_TRUE(prefix.ok() && elsewhere.ok());
    const GameRun install = runShell(quoted(VELMORA_CMAKE_COMMAND) + " --install " +
                                     quoted(VELMORA_BUILD_DIR) + " --prefix " + quoted(prefix.path()));
    ASSERT_EQ(install.status, 0) << install.output;

    // What a player needs and nothing else: the game (no tools, no tests),
    // the whole generated bundle and the desktop entry.
    std::vector<std::string> expected = {"bin/velmora", "share/applications/velmora.desktop"};
    const std::vector<std::string> bundle = filesBelow(std::string(VELMORA_BUILD_DIR) + "/bundle");
    ASSERT_FALSE(bundle.empty());
    for (const std::string& file : bundle) {
        expected.push_back("share/velmora/" + file);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(filesBelow(prefix.path()), expected);
    // Each by one rule: two rules installing a file write it twice.
    std::map<std::string, int> installs;
    std::istringstream lines(install.output);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t colon = line.find(": " + prefix.path());
        if (colon != std::string::npos && fs::is_regular_file(line.substr(colon + 2))) {
            ++installs[line.substr(colon + 2)];
        }
    }
    EXPECT_EQ(installs.size(), expected.size()) << install.output;
    for (const auto& [file, count] : installs) {
        EXPECT_EQ(count, 1) << file;
    }

    const GameRun run =
        runInstalled(prefix.path(), elsewhere.path(), "--headless --frames 3 --screenshot x.png");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("3 frames drawn headless at 750 x 1334"), std::string::npos) << run.output;
    EXPECT_EQ(missingResourceLine(run.output), "") << run.output;
    ZQImage shot;
    ASSERT_TRUE(readPng(elsewhere.file("x.png"), shot)) << "no screenshot in the folder it was run from";
    EXPECT_EQ(shot.width, 750);
    EXPECT_EQ(shot.height, 1334);

    // The same install with its bundle gone: the game names the folder it
    // looked in and stops.
    fs::rename(prefix.file("share/velmora"), prefix.file("share/elsewhere"));
    const GameRun bare = runInstalled(prefix.path(), elsewhere.path(), "--headless --frames 3");
    EXPECT_EQ(bare.status, 1) << bare.output;
    EXPECT_NE(bare.output.find("the bundle folder " + prefix.file("share/velmora") + " is not there"),
              std::string::npos)
        << bare.output;
}

} // namespace
