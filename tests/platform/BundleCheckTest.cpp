#include "GameProcess.h"
#include "LoopbackAudio.h"

#include "engine/Bundle.h"
#include "engine/DeviceProfile.h"
#include "levels/LevelModel.h"
#include "levels/LevelTestRecords.h"
#include "platform/OpenALSoundGateway.h"
#include "platform/ZQBundleCheck.h"
#include "render/PVRTTexture.h"
#include "support/GlobalsTest.h"
#include "support/SeededRandom.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using ZQBundleCheck::Reader;

int32_t scale() {
    return ZQ::DeviceProfile::get().captionScale;
}

bool isSound(Reader reader) {
    return reader == Reader::Effect || reader == Reader::Music;
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

void writeCaf(const std::string& path, int channels, int frames) {
    fs::remove(path);
    SF_INFO info{0, 44100, channels, SF_FORMAT_CAF | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    const std::vector<int16_t> samples(static_cast<std::size_t>(channels * frames), 0);
    sf_writef_short(file, samples.data(), frames);
    sf_close(file);
}

GameRun runOn(const BundleCopy& bundle, const std::string& arguments) {
    TempFolder data;
    return runShell("env -u VELMORA_CLOUD_DIR VELMORA_BUNDLE='" + bundle.path() + "' XDG_DATA_HOME='" +
                    data.path() + "' '" + VELMORA_EXECUTABLE + "' --headless " + arguments);
}

// A missing sound is a silence, as without a sound device; a missing picture
// or model is a hole in what the player sees, as is a caption's background.
TEST(BundleCheckTest, DamagedOrMissingFilesAreRefusedByNameWithTheirReadersReasons) {
    BundleCopy bundle;
    const std::string frame = "frame@" + std::to_string(scale()) + ".png";
    bundle.replace("captions.plist",
                   "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>en</key><dict>"
                   "<key>attributes</key><dict><key>bgimage</key><string>frame</string></dict>"
                   "<key>hello</key><string>Hello</string></dict></dict></plist>");
    std::string problem;
    bundle.replace(frame, "\x89PNG\r\n\x1a\n");
    ASSERT_FALSE(ZQBundleCheck::check(bundle.path(), scale(), problem));
    EXPECT_NE(problem.find(": " + frame + " (libpng cannot decode it: "), std::string::npos) << problem;

    const std::string picture = "hourglass@" + std::to_string(scale()) + ".png";
    bundle.cut(picture, bundle.size(picture) - 20); // the end of its pixel data
    bundle.cut("cube.pod", bundle.size("cube.pod") / 3);
    bundle.cut("Drag1-01.caf", bundle.size("Drag1-01.caf") - 1);
    writeCaf(bundle.file("swish17-1.caf"), 3, 100);           // more channels than OpenAL plays
    writeCaf(bundle.file("menu.caf"), 1, 0);                  // a piece without a frame is no piece to loop
    writeCaf(bundle.file("Drag1-03.caf"), 1, 0);              // a silent effect is an effect
    bundle.replace("captions.plist", "<plist><dict><key>en"); // cut short
    std::string twoChannels = bundle.read(bundle.file("ui_map.pvr")); // no GL format has red and green
    const uint64_t redGreen = ZQ::pvrPixelFormat('r', 'g', 0, 0, 8, 8, 0, 0);
    for (int i = 0; i < 8; ++i) {
        twoChannels[8 + i] = static_cast<char>(redGreen >> (8 * i));
    }
    bundle.replace("ui_map.pvr", twoChannels);
    for (const char* name : {"Drag1-02.caf", "LevelFailv2.caf", "sphere.pod", "ui_tutorial.pvr"}) {
        fs::remove(bundle.file(name));
    }
    ASSERT_FALSE(ZQBundleCheck::check(bundle.path(), scale(), problem));

    EXPECT_EQ(problem.find("the bundle folder " + bundle.path() + " lacks 9 of the "), 0u) << problem;
    for (const std::string& clause :
         {picture + " (libpng cannot decode it: ", "ui_map.pvr (pixel type not supported)"s,
          "cube.pod (the model reader refuses it"s, "Drag1-01.caf (the file is shorter than its chunks say)"s,
          "swish17-1.caf (neither mono nor stereo)"s, "menu.caf (no sound to play, or no sample rate)"s,
          "captions.plist (it lacks the captions"s, "ui_tutorial.pvr, sphere.pod (not there)"s}) {
        EXPECT_NE(problem.find(clause), std::string::npos) << clause << "\n" << problem;
    }
}

// A texture cut short would show whatever memory follows its bytes;
// libsndfile alone plays a sound cut inside a chunk's header.
TEST(BundleCheckTest, TexturesAndSoundsCutShortAnywhereAreRefused) {
    for (const char* name : {"ui_play.pvr", "Golden_snakeskin_pxr128_normal.pvr"}) {
        const std::string bytes = TempFolder::read(ZQ::pathForResource(name, ""));
        ASSERT_EQ(ZQ::refusePVRTexture(bytes.data(), bytes.size()), nullptr) << name;
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            ASSERT_NE(ZQ::refusePVRTexture(bytes.data(), length), nullptr) << name << " cut at " << length;
        }
    }
    TempFolder folder;
    const std::string sound = TempFolder::read(ZQ::pathForResource("Drag1-01", "caf"));
    for (std::size_t length = 0; length < sound.size(); length += length < 96 ? 1 : 211) {
        TempFolder::write(folder.file("cut.caf"), sound.substr(0, length));
        EXPECT_NE(ZQBundleCheck::judgeFile(folder.file("cut.caf"), Reader::Effect, 1), "")
            << "cut at " << length;
    }
}

// Every file judged but a sound is opened again by its loader (headless,
// the sounds are followed to their players below).
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
    std::set<std::string> judged;
    for (const ZQBundleCheck::NeededFile& file : ZQBundleCheck::neededFiles(scale())) {
        judged.insert(file.file);
        EXPECT_TRUE(isSound(file.reader) || opens[file.file] >= 2) << file.file << " is judged but not read";
    }
    for (const auto& [name, count] : opens) {
        EXPECT_EQ(judged.count(name), 1u) << name << " is read by the game but not judged at start";
    }
}

// Every operation of the gateway, in both modes at every level, pulls along
// the whole string and the random swishes drawn many times.
class BundleSoundsTest : public GlobalsTest {};

TEST_F(BundleSoundsTest, TheSoundsJudgedAreTheSoundsThePlayersLoad) {
    useNullAudioDriver();
    ZQ::seedRandom(kTestSeed);
    ZQ::LevelModel levels{LevelTestRecords::records(1), LevelTestRecords::record("Ground")};
    ZQ::gGlobals.levelModel = &levels;
    ZQ::OpenALSoundGateway g;
    g.setUp();
    ASSERT_TRUE(g.fx.hasContext());
    std::set<std::string> played;
    using G = ZQ::OpenALSoundGateway;
    const auto playMusic = [&](void (G::*play)()) {
        (g.*play)();
        played.insert(fs::path(g.music.currentPath()).filename().string());
    };
    for (auto play : {&G::playIntroMusic, &G::playMenuMusic, &G::playLevelCompleteMusic, &G::playAwardMusic,
                      &G::playLevelFailMusic, &G::playMapMusic}) {
        playMusic(play);
    }
    for (auto mode : {+[] { return ZQ::kArcadeThemes; }, +[] { return ZQ::kZenThemes; }}) {
        g.readGameMode = mode;
        for (levels.level = 0; levels.level < 76; ++levels.level) {
            playMusic(&G::playThemeMusic);
            for (int step = 0; step <= 40; ++step) {
                g.stopSource(g.playStringEffect(nullptr, 0, step / 40.0f));
                g.stopSource(g.playDragEffect(nullptr, 0, step / 40.0f));
            }
        }
    }
    for (int draw = 0; draw < 200; ++draw) {
        g.stopSource(g.playRandomSwish16(0, 0, 0));
        g.stopSource(g.playRandomSwish17(0, 0, 0));
    }
    for (int64_t handle :
         {g.playBeep(), g.playScore1(0, 0, 0), g.playScore2(0, 0, 0), g.playScore3(0, 0, 0),
          g.playSwish(0, 0, 0), g.playStringIn(0, 0, 0), g.playStringOut(0, 0, 0), g.playRotateRoom(0, 0, 0),
          g.playIgnition01(), g.playButton(), g.playIgnition17(), g.playIgnition16(), g.playConfirm()}) {
        g.stopSource(handle);
    }
    std::set<std::string> judged;
    for (const ZQBundleCheck::NeededFile& file : ZQBundleCheck::neededFiles(scale())) {
        if (isSound(file.reader)) {
            judged.insert(file.file);
        }
    }
    for (const auto& [name, buffer] : g.fx.loadedSounds()) {
        played.insert(name + ".caf");
    }
    EXPECT_EQ(played, judged);
}

TEST(BundleCheckTest, TheGameRefusesABundleWithAModelCutShort) {
    BundleCopy bundle;
    bundle.cut("cube.pod", 1000);
    const GameRun run = runOn(bundle, "--frames 1");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("cube.pod (the model reader refuses it"), std::string::npos) << run.output;
}

} // namespace
