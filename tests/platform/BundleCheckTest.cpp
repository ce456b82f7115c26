#include "GameProcess.h"

#include "engine/Bundle.h"
#include "engine/DeviceProfile.h"
#include "platform/ZQBundleCheck.h"
#include "render/PVRTTexture.h"
#include "support/AsPlayer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sndfile.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using ZQ::BundleOrigin;

int32_t scale() {
    return ZQ::DeviceProfile::get().captionScale;
}

// What the check says of `folder` as a bundle $VELMORA_BUNDLE names.
std::string checked(const std::string& folder) {
    const std::optional<ZQ::Refusal> refusal = ZQBundleCheck::check(folder, BundleOrigin::variable, scale());
    return refusal ? ZQ::line(*refusal) : "passes";
}

// Hard links to the bundle's files (the texture tests make folders in it),
// where inotify sees only this test's game open them.
struct BundleCopy : TempFolder {
    BundleCopy() {
        for (const auto& entry : fs::directory_iterator(ZQ::bundleFolder())) {
            if (entry.is_regular_file()) {
                fs::create_hard_link(entry.path(), file(entry.path().filename().string()));
            }
        }
    }
    // A new file, never written through the link into the build's bundle.
    void replace(const std::string& name, const std::string& bytes) const {
        fs::remove(file(name));
        write(file(name), bytes);
    }
    void cut(const std::string& name, std::size_t keep) const {
        replace(name, read(file(name)).substr(0, keep));
    }
    std::size_t size(const std::string& name) const { return fs::file_size(file(name)); }
};

void writeSoundFile(const std::string& path, int format, int channels, int frames) {
    fs::remove(path);
    SF_INFO info{0, 44100, channels, format | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    const std::vector<int16_t> samples(static_cast<std::size_t>(channels * frames), 0);
    sf_writef_short(file, samples.data(), frames);
    sf_close(file);
}

// The game headless on `bundle`, with OpenAL's null device: it mixes as a
// sound card would, and nothing is heard.
GameRun runOn(const BundleCopy& bundle, const std::string& arguments) {
    TempFolder data;
    return runShell("env -u VELMORA_CLOUD_DIR ALSOFT_DRIVERS=null VELMORA_BUNDLE='" + bundle.path() +
                    "' XDG_DATA_HOME='" + data.path() + "' '" + VELMORA_EXECUTABLE + "' --headless " +
                    arguments);
}

// Sounds are their players' (a damaged one plays silent, logged there); a
// missing picture or model is a hole in what the player sees, and so is a
// caption's background that is there but damaged.
TEST(BundleCheckTest, DamagedOrMissingFilesAreRefusedByNameWithTheirReadersReasons) {
    BundleCopy bundle;
    bundle.cut("Drag1-01.caf", bundle.size("Drag1-01.caf") - 1);
    writeSoundFile(bundle.file("swish17-1.caf"), SF_FORMAT_CAF, 3, 100);
    writeSoundFile(bundle.file("Drag1-03.caf"), SF_FORMAT_WAV, 1, 100);
    bundle.replace("menu.caf", "");
    fs::remove(bundle.file("LevelFailv2.caf"));
    EXPECT_EQ(checked(bundle.path()), "passes");

    const std::string frame = "frame@" + std::to_string(scale()) + ".png";
    bundle.replace("captions.plist",
                   "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>en</key><dict>"
                   "<key>attributes</key><dict><key>bgimage</key><string>frame</string></dict>"
                   "<key>hello</key><string>Hello</string></dict></dict></plist>");
    EXPECT_EQ(checked(bundle.path()), "passes") << "a caption is drawn without a missing background";
    bundle.replace(frame, "\x89PNG\r\n\x1a\n");
    EXPECT_NE(checked(bundle.path()).find(": " + frame + " (libpng cannot decode it: "), std::string::npos)
        << checked(bundle.path());

    const std::string picture = "hourglass@" + std::to_string(scale()) + ".png";
    bundle.cut(picture, bundle.size(picture) - 20); // the end of its pixel data
    bundle.cut("cube.pod", bundle.size("cube.pod") / 3);
    bundle.replace("captions.plist", "<plist><dict><key>en");         // cut short
    std::string twoChannels = bundle.read(bundle.file("ui_map.pvr")); // no GL format has red and green
    const uint64_t redGreen = ZQ::pvrPixelFormat('r', 'g', 0, 0, 8, 8, 0, 0);
    for (int i = 0; i < 8; ++i) {
        twoChannels[8 + i] = static_cast<char>(redGreen >> (8 * i));
    }
    bundle.replace("ui_map.pvr", twoChannels);
    for (const char* name : {"sphere.pod", "ui_tutorial.pvr"}) {
        fs::remove(bundle.file(name));
    }
    const std::string problem = checked(bundle.path());
    EXPECT_EQ(problem.find("the bundle folder " + bundle.path() + " lacks 6 of the "), 0u) << problem;
    for (const std::string& clause :
         {picture + " (libpng cannot decode it: ", "ui_map.pvr (pixel type not supported)"s,
          "cube.pod (the model reader refuses it"s, "captions.plist (it lacks the captions"s,
          "ui_tutorial.pvr, sphere.pod (not there)"s}) {
        EXPECT_NE(problem.find(clause), std::string::npos) << clause << "\n" << problem;
    }
}

// A texture cut short would show whatever memory follows its bytes.
TEST(BundleCheckTest, TexturesCutShortAnywhereAreRefused) {
    for (const char* name : {"ui_play.pvr", "Golden_snakeskin_pxr128_normal.pvr"}) {
        const std::string bytes = TempFolder::read(ZQ::pathForResource(name, ""));
        ASSERT_EQ(ZQ::refusePVRTexture(bytes.data(), bytes.size()), nullptr) << name;
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            ASSERT_NE(ZQ::refusePVRTexture(bytes.data(), length), nullptr) << name << " cut at " << length;
        }
    }
}

// Every file judged is opened again by its loader, and every file the game
// opens is judged, but the sounds, which their players judge.
TEST(BundleCheckTest, TheFilesJudgedAreTheFilesAStartOfTheGameOpens) {
    BundleCopy bundle;
    const int watcher = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watcher, bundle.path().c_str(), IN_OPEN), 0);
    const GameRun run = runOn(bundle, "--frames 30");
    ASSERT_EQ(run.status, 0) << run.output;
    std::map<std::string, int> opens;
    alignas(inotify_event) char buffer[64 * 1024];
    for (ssize_t n; (n = read(watcher, buffer, sizeof buffer)) > 0;) {
        for (char* at = buffer; at < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            if (event->len > 0) {
                ++opens[event->name];
            }
            at += sizeof(inotify_event) + event->len;
        }
    }
    close(watcher);
    std::set<std::string> judged = {"captions.plist"};
    for (const ZQBundleCheck::NeededFile& file : ZQBundleCheck::neededFiles(scale())) {
        judged.insert(file.file);
    }
    for (const std::string& file : judged) {
        EXPECT_GE(opens[file], 2) << file << " is judged but not read";
    }
    for (const auto& [name, count] : opens) {
        EXPECT_TRUE(judged.count(name) == 1 || fs::path(name).extension() == ".caf")
            << name << " is read by the game but not judged at start";
    }
}

// The mends' commands for a bundle at `folder`, each in brackets.
std::string mendCommands(const std::string& folder, BundleOrigin origin, const std::string& built,
                         const std::string& source = VELMORA_SOURCE_DIR) {
    std::string text;
    for (const ZQ::Mend& mend : ZQBundleCheck::mends(folder, origin, built, source)) {
        text += "[" + mend.command + "]";
    }
    return text;
}

// Each mend puts back the bundle where the game found it, by a command its
// player can run as it stands from any folder, which takes nothing from
// anyone.
TEST(BundleCheckTest, TheMendPutsTheBundleBackWhereTheGameFoundIt) {
    TempFolder prefix;
    const std::string tree = VELMORA_BUILD_DIR;
    const std::string source = VELMORA_SOURCE_DIR;
    EXPECT_EQ(mendCommands(prefix.file("any"), BundleOrigin::variable, tree), "[unset VELMORA_BUNDLE][]");
    EXPECT_EQ(mendCommands(prefix.file("bundle"), BundleOrigin::buildTree, tree),
              "[cmake --build '" + prefix.path() + "' --target velmora]");
    // An install of the player's own, and one of root's (the player needs
    // sudo; root does not).
    const std::string sudo = asplayer::testsRunAsRoot() ? "" : "sudo ";
    const std::string installed = prefix.file("share/games/velmora");
    const std::string install = "cmake --install '" + tree + "' --prefix '";
    EXPECT_EQ(mendCommands(installed, BundleOrigin::install, tree), "[" + install + prefix.path() + "']");
    const std::string system = "/usr/local/velmora-absent";
    EXPECT_EQ(mendCommands(system + "/share/games/velmora", BundleOrigin::install, tree),
              "[" + sudo + install + system + "']");
    // Its build gone, the player builds again in the clone it came from;
    // root makes a build of its own, never in a folder anyone else could
    // have made first (the temporary folder), and never installs from a
    // player's build, which the install refuses.
    ASSERT_TRUE(asplayer::handToPlayer(prefix.path()));
    const std::string gone = prefix.file("gone");
    const std::string roots = "'/root/velmora-build'";
    EXPECT_EQ(asplayer::run([&] {
                  return mendCommands(installed, BundleOrigin::install, gone) + "\n" +
                         mendCommands(installed, BundleOrigin::install, gone, prefix.file("gone too")) +
                         "\n" + mendCommands(system + "/share/games/velmora", BundleOrigin::install, gone);
              }),
              "['" + source + "/scripts/build' --target velmora && cmake --install '" + source +
                  "/build' --prefix '" + prefix.path() + "']\n" +
                  "[./scripts/build --target velmora && cmake --install build --prefix '" + prefix.path() +
                  "']\n" + "[sudo cmake -S '" + source + "' -B " + roots + " && sudo cmake --build " + roots +
                  " --target velmora -j\"$(nproc)\" && sudo cmake --install " + roots + " --prefix '" +
                  system + "']");
    // A program beside no install: nothing to install into the root folder.
    EXPECT_EQ(mendCommands("/share/games/velmora", BundleOrigin::install, tree), "[]");
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP() << "needs root: an install of another user's is made only as root";
    }
    // As root, another user's install is mended as its owner: root's files
    // in it would take it from them.
    EXPECT_EQ(mendCommands(installed, BundleOrigin::install, tree),
              "[sudo -u " + std::string(::getpwuid(asplayer::kPlayer)->pw_name) + " " + install +
                  prefix.path() + "']");
}

// Root's build in a folder the player may not look into (root's home) is
// neither there nor gone for the game: it names the install from it, and
// root's build made again should root find it gone. As root, the install
// is real: a file of root's install taken away, the player's first mend run
// blind puts it back and the game plays.
TEST(BundleCheckTest, ABuildThePlayerCannotLookIntoIsNotCalledGoneAndItsInstallMendsTheBundle) {
    TempFolder shut;
    TempFolder prefix;
    const std::string build = shut.file("velmora-build");
    fs::create_directory_symlink(VELMORA_BUILD_DIR, build);
    const std::string bundle = prefix.file("share/games/velmora");
    // Root's folder is shut to the player by its mode; without root, the
    // tests' own folder stands for it, shut to its owner too.
    ::chmod(shut.path().c_str(), asplayer::testsRunAsRoot() ? 0700 : 0);
    const std::string said = asplayer::run([&] {
        std::string text;
        for (const ZQ::Mend& mend :
             ZQBundleCheck::mends(bundle, BundleOrigin::install, build, VELMORA_SOURCE_DIR)) {
            text += mend.advice + "\n" + mend.command + "\n";
        }
        return text;
    });
    ::chmod(shut.path().c_str(), 0700);
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = said.find('\n', at)) != std::string::npos; at = end + 1) {
        lines.push_back(said.substr(at, end - at));
    }
    ASSERT_EQ(lines.size(), 4u) << said;
    const std::string install = "cmake --install '" + build + "' --prefix '" + prefix.path() + "'";
    EXPECT_TRUE(lines[1].ends_with(install)) << said;
    EXPECT_EQ(said.find("no longer"), std::string::npos) << said;
    // Should root find it gone, the game built again and installed.
    EXPECT_NE(lines[3].find(" --target velmora"), std::string::npos) << said;
    EXPECT_TRUE(lines[3].ends_with(" --prefix '" + prefix.path() + "'")) << said;
    if (!asplayer::testsRunAsRoot()) {
        std::printf("needs root: an install of root's from a build the player cannot look into\n");
        return;
    }
    // The component holding every rule writes its list of files apart from
    // install_manifest.txt, the list of the build's own install.
    const std::string component = " --component Unspecified";
    ASSERT_EQ(runShell(install + component).status, 0);
    fs::remove(bundle + "/cube.pod");
    ASSERT_TRUE(ZQBundleCheck::check(bundle, BundleOrigin::install, scale()).has_value());
    // Run as root runs it, with or without sudo on the machine.
    const GameRun mended =
        runShell("command -v sudo >/dev/null || sudo() { \"$@\"; }; " + lines[1] + component);
    ASSERT_EQ(mended.status, 0) << lines[1] << "\n" << mended.output;
    TempFolder data;
    const GameRun run = runShell("env -u VELMORA_BUNDLE -u VELMORA_CLOUD_DIR XDG_DATA_HOME='" + data.path() +
                                 "' '" + prefix.path() + "/bin/velmora' --headless --frames 1");
    EXPECT_EQ(run.status, 0) << run.output;
}

TEST(BundleCheckTest, TheGameRefusesABundleWithAModelCutShortAndNamesItsMend) {
    BundleCopy bundle;
    bundle.cut("cube.pod", 1000);
    const GameRun run = runOn(bundle, "--frames 1");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("cube.pod (the model reader refuses it"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(": unset VELMORA_BUNDLE"), std::string::npos) << run.output;
}

// Sounds damaged every way a sound file can be: the game plays on, each one
// silent with a line naming it in the log.
TEST(BundleCheckTest, TheGamePlaysOnABundleOfDamagedSoundsLoggingEach) {
    BundleCopy bundle;
    bundle.cut("atmon-04.caf", bundle.size("atmon-04.caf") - 10); // libsndfile would play it to the cut
    writeSoundFile(bundle.file("menu.caf"), SF_FORMAT_CAF, 3, 100);
    writeSoundFile(bundle.file("piece_4.caf"), SF_FORMAT_WAV, 1, 100);
    bundle.replace("uibeep_single_clean.caf", "");
    bundle.cut("Rotate Room.caf", 100);
    writeSoundFile(bundle.file("String IN v2.caf"), SF_FORMAT_CAF, 3, 100);
    for (int n = 1; n <= 8; ++n) {
        writeSoundFile(bundle.file("swish17-" + std::to_string(n) + ".caf"), SF_FORMAT_W64, 1, 100);
    }
    // The story, the first-run menu's tutorial tile at its end, the
    // tutorial's first room.
    TempFolder input;
    TempFolder::write(input.file("tap.txt"), "600 tap 187.5 400\n");
    const GameRun run =
        runOn(bundle, "--frames 700 --draw-shots-only --input '" + input.file("tap.txt") + "'");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("700 frames drawn headless"), std::string::npos) << run.output;
    for (const char* sound :
         {"atmon-04", "menu", "piece_4", "uibeep_single_clean", "Rotate Room", "String IN v2"}) {
        const std::string path = bundle.file(std::string(sound) + ".caf");
        const std::size_t line = run.output.find(path);
        EXPECT_NE(line, std::string::npos) << sound << "\n" << run.output;
        EXPECT_EQ(run.output.find(path, line + 1), std::string::npos) << sound << "\n" << run.output;
    }
    EXPECT_NE(run.output.find(bundle.file("swish17-")), std::string::npos) << run.output;
}

} // namespace
