#include "GameProcess.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
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

// The value of `key` in the desktop entry at `path`, with the escapes every
// string value takes undone; empty when there is none.
std::string desktopValue(const std::string& path, const std::string& key) {
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key + "=", 0) != 0) {
            continue;
        }
        std::string value;
        for (std::size_t i = key.size() + 1; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '\\') {
                ++i;
            }
            value += line[i];
        }
        return value;
    }
    return {};
}

// The build installed into a prefix whose name holds a space, as a player's
// folders may, by the player's own command. The install is made as the
// component holding every rule (they name none), which writes its list of
// files as install_manifest_Unspecified.txt: the build's
// install_manifest.txt stays the list of the player's own install, which
// scripts/uninstall reads.
TEST(InstallTest, AnInstallKeepsItsBundleApartFromTheSavesAndItsDesktopEntryStartsIt) {
    TempFolder root;
    TempFolder elsewhere;
    ASSERT_TRUE(root.ok() && elsewhere.ok());
    const std::string prefix = root.file("the player/.local");
    const GameRun install =
        runShell(quoted(VELMORA_CMAKE_COMMAND) + " --install " + quoted(VELMORA_BUILD_DIR) + " --prefix " +
                 quoted(prefix) + " --component Unspecified");
    ASSERT_EQ(install.status, 0) << install.output;

    // What a player needs and nothing else: the game (no tools, no tests),
    // the whole generated bundle, the desktop entry and its icon.
    std::vector<std::string> expected = {"bin/velmora", "share/applications/velmora.desktop",
                                         "share/icons/hicolor/256x256/apps/velmora.png"};
    // The bundle is flat: a folder in it is a test's scratch, such as the
    // texture tests keep there while they run.
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(std::string(VELMORA_BUILD_DIR) + "/bundle", error)) {
        if (entry.is_regular_file()) {
            expected.push_back("share/games/velmora/" + entry.path().filename().string());
        }
    }
    ASSERT_GT(expected.size(), 3u);
    std::sort(expected.begin(), expected.end());
    const std::vector<std::string> installed = filesBelow(prefix);
    EXPECT_EQ(installed, expected);
    // Each by one rule: two rules installing a file write it twice.
    std::map<std::string, int> installs;
    std::istringstream lines(install.output);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t colon = line.find(": " + prefix);
        if (colon != std::string::npos && fs::is_regular_file(line.substr(colon + 2))) {
            ++installs[line.substr(colon + 2)];
        }
    }
    EXPECT_EQ(installs.size(), expected.size()) << install.output;
    for (const auto& [file, count] : installs) {
        EXPECT_EQ(count, 1) << file;
    }

    // The desktop entry's command, as a desktop runs it (its quoting is the
    // shell's double quotes), from another folder, with no bundle named in
    // the environment and the data folder where a player's ~/.local keeps
    // it: the game finds its own bundle and plays.
    const std::string entry = prefix + "/share/applications/velmora.desktop";
    const std::string exec = desktopValue(entry, "Exec");
    ASSERT_NE(exec, "") << TempFolder::read(entry);
    const GameRun run =
        runShell("cd " + quoted(elsewhere.path()) + " && env -u VELMORA_BUNDLE -u VELMORA_CLOUD_DIR " +
                 "XDG_DATA_HOME=" + quoted(prefix + "/share") + " " + exec +
                 " --headless --frames 3 --screenshot x.png");
    ASSERT_EQ(run.status, 0) << exec << "\n" << run.output;
    EXPECT_NE(run.output.find("3 frames drawn headless at 750 x 1334"), std::string::npos) << run.output;
    EXPECT_EQ(missingResourceLine(run.output), "") << run.output;
    ZQImage shot;
    ASSERT_TRUE(readPng(elsewhere.file("x.png"), shot)) << "no screenshot in the folder it was run from";
    EXPECT_EQ(shot.width, 750);
    EXPECT_EQ(shot.height, 1334);
    ZQImage icon;
    const std::string iconPath = desktopValue(entry, "Icon");
    ASSERT_TRUE(readPng(iconPath, icon)) << "no icon at \"" << iconPath << "\"";
    EXPECT_EQ(icon.width, 256);
    EXPECT_EQ(icon.height, 256);

    // The saves the game wrote share no folder with what the install put
    // there: a player who deletes the one keeps the other.
    const std::string dataFolder = prefix + "/share/velmora";
    const std::vector<std::string> saves = filesBelow(dataFolder);
    ASSERT_FALSE(saves.empty()) << "the game wrote nothing into " << dataFolder;
    for (const std::string& file : installed) {
        EXPECT_NE(file.rfind("share/velmora/", 0), 0u) << file << " was installed among the saves";
    }

    // The same install with its bundle gone: the game names the folder it
    // looked in and stops.
    const std::string bundleFolder = prefix + "/share/games/velmora";
    fs::rename(bundleFolder, prefix + "/share/games/elsewhere");
    const GameRun bare = runShell("cd " + quoted(elsewhere.path()) + " && env -u VELMORA_BUNDLE " +
                                  quoted(prefix + "/bin/velmora") + " --headless --frames 3");
    EXPECT_EQ(bare.status, 1) << bare.output;
    EXPECT_NE(bare.output.find("the bundle folder " + bundleFolder + " is not there"), std::string::npos)
        << bare.output;
    fs::rename(prefix + "/share/games/elsewhere", bundleFolder);

    // A model of the install cut short: the game names the install that puts
    // it back, after which it plays. The command runs as the player runs it,
    // but for the list it writes (see above).
    const std::string model = bundleFolder + "/cube.pod";
    TempFolder::write(model, TempFolder::read(model).substr(0, 1000));
    const std::string start = "cd " + quoted(elsewhere.path()) + " && env -u VELMORA_BUNDLE " +
                              quoted(prefix + "/bin/velmora") + " --headless --frames 3";
    const GameRun cut = runShell(start);
    EXPECT_EQ(cut.status, 1) << cut.output;
    const std::string mend = "install the game again from the build it came from: ";
    const std::size_t at = cut.output.find(mend);
    ASSERT_NE(at, std::string::npos) << cut.output;
    const std::string command =
        cut.output.substr(at + mend.size(), cut.output.find('\n', at) - at - mend.size());
    EXPECT_EQ(command, "cmake --install " + quoted(VELMORA_BUILD_DIR) + " --prefix " + quoted(prefix));
    const GameRun reinstall = runShell(command + " --component Unspecified");
    ASSERT_EQ(reinstall.status, 0) << reinstall.output;
    const GameRun mended = runShell(start);
    EXPECT_EQ(mended.status, 0) << mended.output;

    // Uninstalled, the prefix holds the saves and nothing else.
    const GameRun uninstall =
        runShell(quoted(std::string(VELMORA_SOURCE_DIR) + "/scripts/uninstall") + " " +
                 quoted(std::string(VELMORA_BUILD_DIR) + "/install_manifest_Unspecified.txt"));
    ASSERT_EQ(uninstall.status, 0) << uninstall.output;
    std::vector<std::string> left = saves;
    for (std::string& file : left) {
        file = "share/velmora/" + file;
    }
    EXPECT_EQ(filesBelow(prefix), left) << uninstall.output;
    std::string remains;
    for (const auto& entry : fs::recursive_directory_iterator(bundleFolder, error)) {
        remains += " " + entry.path().string();
    }
    EXPECT_FALSE(fs::exists(bundleFolder)) << "left:" << remains << "\n" << uninstall.output;
}

} // namespace
