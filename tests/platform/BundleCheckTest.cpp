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
using ZQBundleCheck::Reader;

int32_t scale() {
    return ZQ::DeviceProfile::get().captionScale;
}

bool isSound(Reader reader) {
    return reader == Reader::Effect || reader == Reader::Music;
}

// The built bundle's files, each a hard link in a folder of the test's own
// (where inotify sees the game open them). Only the files: the texture tests
// make folders of their own in the bundle while they run.
struct BundleCopy : TempFolder {
    BundleCopy() {
        for (const auto& entry : fs::directory_iterator(ZQ::bundleFolder())) {
            if (entry.is_regular_file()) {
                fs::create_hard_link(entry.path(), file(entry.path().filename().string()));
            }
        }
    }
    // A file in place of the link: never written through it into the build's bundle.
    void replace(const std::string& name, const std::string& bytes) const {
        fs::remove(file(name));
        write(file(name), bytes);
    }
    void truncate(const std::string& name, std::size_t length) const {
        replace(name, read(file(name)).substr(0, length));
    }
    std::size_t size(const std::string& name) const { return fs::file_size(file(name)); }
};

// A CAF of `channels` channels and `frames` frames of silence, by libsndfile.
void writeCaf(const std::string& path, int channels, int frames) {
    fs::remove(path);
    SF_INFO info{0, 44100, channels, SF_FORMAT_CAF | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    const std::vector<int16_t> samples(static_cast<std::size_t>(channels * frames), 0);
    sf_writef_short(file, samples.data(), frames);
    sf_close(file);
}

// The built game headless on `bundle`, with a fresh data folder of its own.
GameRun runOn(const BundleCopy& bundle, const std::string& arguments) {
    TempFolder data;
    return runShell("env -u VELMORA_CLOUD_DIR VELMORA_BUNDLE='" + bundle.path() + "' XDG_DATA_HOME='" +
                    data.path() + "' '" + VELMORA_EXECUTABLE + "' --headless " + arguments);
}

// A missing sound is a silence there, as without a sound device; a missing
// picture or model is a hole in what the player sees. The captions list names
// the pictures drawn behind its texts: one missing is not drawn.
TEST(BundleCheckTest, DamagedOrMissingFilesAreRefusedByNameWithTheirReadersReasons) {
    BundleCopy bundle;
    const std::string frame = "frame@" + std::to_string(scale()) + ".png";
    bundle.replace("captions.plist",
                   "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>en</key><dict>"
                   "<key>attributes</key><dict><key>bgimage</key><string>frame</string></dict>"
                   "<key>hello</key><string>Hello</string></dict></dict></plist>");
    std::string problem;
    ASSERT_TRUE(ZQBundleCheck::check(bundle.path(), scale(), problem)) << problem;
    bundle.replace(frame, "\x89PNG\r\n\x1a\n");
    ASSERT_FALSE(ZQBundleCheck::check(bundle.path(), scale(), problem));
    EXPECT_NE(problem.find(": " + frame + " (libpng cannot decode it: "), std::string::npos) << problem;

    const std::string picture = "hourglass@" + std::to_string(scale()) + ".png";
    bundle.truncate("ui_play.pvr", bundle.size("ui_play.pvr") / 2);
    bundle.truncate(picture, bundle.size(picture) - 20); // the end of its pixel data
    bundle.truncate("cube.pod", bundle.size("cube.pod") / 3);
    bundle.truncate("Drag1-01.caf", bundle.size("Drag1-01.caf") - 1);
    writeCaf(bundle.file("swish17-1.caf"), 3, 100);           // more channels than OpenAL plays
    writeCaf(bundle.file("menu.caf"), 1, 0);                  // a piece without a frame is no piece to loop
    writeCaf(bundle.file("Drag1-03.caf"), 1, 0);              // a silent effect is an effect
    bundle.replace("Award LOOP.caf", "caff");                 // no chunks at all
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

    EXPECT_EQ(problem.find("the bundle folder " + bundle.path() + " lacks 11 of the " +
                           std::to_string(ZQBundleCheck::neededFiles(scale()).size()) + " files "),
              0u)
        << problem;
    for (const std::string& clause : {
             std::string("ui_play.pvr (the file is shorter than the data its header promises)"),
             picture + " (libpng cannot decode it: ",
             std::string("ui_map.pvr (pixel type not supported)"),
             std::string("cube.pod (the model reader refuses it"),
             std::string("Drag1-01.caf (the file is shorter than its chunks say)"),
             std::string("swish17-1.caf (neither mono nor stereo)"),
             std::string("menu.caf (no sound to play, or no sample rate)"),
             std::string("Award LOOP.caf (the file is shorter than its header)"),
             std::string("captions.plist (it lacks the captions"),
             std::string("ui_tutorial.pvr, sphere.pod (not there)"),
             std::string("; set VELMORA_BUNDLE to "),
         }) {
        EXPECT_NE(problem.find(clause), std::string::npos) << clause << "\n" << problem;
    }
}

// Every length short of the whole file: a texture loaded from a cut file
// would show whatever memory follows its bytes; libsndfile alone opens a
// sound cut inside a chunk's header and plays what is left.
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
    ASSERT_GT(sound.size(), 96u);
    for (std::size_t length = 0; length < sound.size(); length += length < 96 ? 1 : 211) {
        TempFolder::write(folder.file("cut.caf"), sound.substr(0, length));
        EXPECT_NE(ZQBundleCheck::judgeFile(folder.file("cut.caf"), Reader::Effect, 1), "")
            << "cut at " << length;
    }
}

// The files a start of the game opens are files the check judges, and the
// pictures, textures, models and captions it judges are each opened again
// by the loader that reads them for the game. Headless there is no sound
// device: the sounds are opened by the check alone (the test below follows
// them to their players).
TEST(BundleCheckTest, TheFilesJudgedAreTheFilesAStartOfTheGameOpens) {
    BundleCopy bundle;
    const int watcher = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watcher, bundle.path().c_str(), IN_OPEN), 0);
    const GameRun run = runOn(bundle, "--frames 30");
    ASSERT_EQ(run.status, 0) << run.output;

    // Opens of one file that follow each other unread come as one event;
    // the check's open and the loader's lie far apart.
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

// The sounds judged are the sounds the players load: every operation of the
// real gateway, in both game modes at every level, with pulls along the whole
// string and the random swishes drawn many times.
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
    const auto playMusic = [&](void (ZQ::OpenALSoundGateway::*play)()) {
        (g.*play)();
        played.insert(g.music.currentPath().substr(g.music.currentPath().rfind('/') + 1));
    };
    for (auto play :
         {&ZQ::OpenALSoundGateway::playIntroMusic, &ZQ::OpenALSoundGateway::playMenuMusic,
          &ZQ::OpenALSoundGateway::playLevelCompleteMusic, &ZQ::OpenALSoundGateway::playAwardMusic,
          &ZQ::OpenALSoundGateway::playLevelFailMusic, &ZQ::OpenALSoundGateway::playMapMusic}) {
        playMusic(play);
    }
    for (auto mode : {+[] { return ZQ::kArcadeThemes; }, +[] { return ZQ::kZenThemes; }}) {
        g.readGameMode = mode;
        for (levels.level = 0; levels.level < 76; ++levels.level) {
            playMusic(&ZQ::OpenALSoundGateway::playThemeMusic);
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
    bundle.truncate("cube.pod", 1000);
    const GameRun run = runOn(bundle, "--frames 1");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("velmora: the bundle folder " + bundle.path() + " lacks 1 of the "),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("cube.pod (the model reader refuses it"), std::string::npos) << run.output;
}

} // namespace
