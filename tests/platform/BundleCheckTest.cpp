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

int32_t captionScale() {
    return ZQ::DeviceProfile::get().captionScale;
}

// A bundle folder of the test's own holding the built bundle's files, each
// a hard link (the game opens them through this folder, where inotify sees
// it), any of which a test replaces by a damaged copy of its own. Only the
// files: the texture tests make folders of their own in the bundle while
// they run.
class BundleCopy {
public:
    BundleCopy() {
        for (const auto& entry : fs::directory_iterator(ZQ::bundleFolder())) {
            if (entry.is_regular_file()) {
                fs::create_hard_link(entry.path(), folder.file(entry.path().filename().string()));
            }
        }
    }
    const std::string& path() const { return folder.path(); }
    std::string bytesOf(const std::string& file) const { return TempFolder::read(folder.file(file)); }
    // The file in place of the link, with `bytes`.
    void replace(const std::string& file, const std::string& bytes) const {
        fs::remove(folder.file(file));
        TempFolder::write(folder.file(file), bytes);
    }
    void truncate(const std::string& file, std::size_t length) const {
        replace(file, bytesOf(file).substr(0, length));
    }
    void remove(const std::string& file) const { fs::remove(folder.file(file)); }
    std::string file(const std::string& name) const { return folder.file(name); }

private:
    TempFolder folder;
};

// A CAF of `channels` channels and `frames` frames of silence, by libsndfile,
// in place of whatever `path` named: never written through a link into the
// build's own bundle.
void writeCaf(const std::string& path, int channels, int frames) {
    fs::remove(path);
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = channels;
    info.format = SF_FORMAT_CAF | SF_FORMAT_PCM_16;
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

std::set<std::string> namesOf(const std::vector<ZQBundleCheck::NeededFile>& files, bool sounds) {
    std::set<std::string> names;
    for (const ZQBundleCheck::NeededFile& f : files) {
        if ((f.reader == Reader::Effect || f.reader == Reader::Music) == sounds) {
            names.insert(f.file);
        }
    }
    return names;
}

TEST(BundleCheckTest, DamagedFilesOfEachKindAreRefusedByNameWithTheirReadersReasons) {
    BundleCopy bundle;
    std::string problem;
    ASSERT_TRUE(ZQBundleCheck::check(bundle.path(), captionScale(), problem)) << problem;

    const std::string picture = "hourglass@" + std::to_string(captionScale()) + ".png";
    bundle.truncate("ui_play.pvr", bundle.bytesOf("ui_play.pvr").size() / 2);
    bundle.truncate(picture, bundle.bytesOf(picture).size() - 20); // the end of its pixel data
    bundle.truncate("cube.pod", bundle.bytesOf("cube.pod").size() / 3);
    bundle.truncate("Drag1-01.caf", bundle.bytesOf("Drag1-01.caf").size() - 1);
    bundle.truncate("menu.caf", 4096);
    writeCaf(bundle.file("swish17-1.caf"), 3, 100);           // more channels than OpenAL plays
    bundle.replace("Award LOOP.caf", "caff");                 // no chunks at all
    bundle.replace("captions.plist", "<plist><dict><key>en"); // cut short
    std::string twoChannels = bundle.bytesOf("ui_map.pvr");   // red and green: no GL format has them
    const uint64_t redGreen = ZQ::pvrPixelFormat('r', 'g', 0, 0, 8, 8, 0, 0);
    for (int i = 0; i < 8; ++i) {
        twoChannels[8 + i] = static_cast<char>(redGreen >> (8 * i));
    }
    bundle.replace("ui_map.pvr", twoChannels);
    ASSERT_FALSE(ZQBundleCheck::check(bundle.path(), captionScale(), problem));

    const std::size_t needed = ZQBundleCheck::neededFiles(captionScale()).size();
    EXPECT_EQ(problem.find("the bundle folder " + bundle.path() + " lacks 9 of the " +
                           std::to_string(needed) + " files the game needs or cannot read them: "),
              0u)
        << problem;
    for (const std::string& clause : {
             std::string("ui_play.pvr (the file is shorter than the data its header promises)"),
             picture + " (libpng cannot decode it: ",
             std::string("ui_map.pvr (pixel type not supported)"),
             std::string("cube.pod (the model reader refuses it"),
             // One reason, said once for both sounds cut short.
             std::string("Drag1-01.caf, menu.caf (the file is shorter than its chunks say)"),
             std::string("swish17-1.caf (neither mono nor stereo)"),
             std::string("Award LOOP.caf (the file is shorter than its header)"),
             std::string("captions.plist (it lacks the captions"),
         }) {
        EXPECT_NE(problem.find(clause), std::string::npos) << clause << "\n" << problem;
    }
    EXPECT_NE(problem.find("; set VELMORA_BUNDLE to "), std::string::npos) << problem;

    // A music piece without a frame is no piece to loop; a silent effect is
    // an effect.
    writeCaf(bundle.file("menu.caf"), 1, 0);
    EXPECT_EQ(ZQBundleCheck::judgeFile(bundle.file("menu.caf"), Reader::Music, captionScale()),
              "no sound to play, or no sample rate");
    EXPECT_EQ(ZQBundleCheck::judgeFile(bundle.file("menu.caf"), Reader::Effect, captionScale()), "");
}

TEST(BundleCheckTest, AMissingSoundPlaysSilentButMissingPicturesAndModelsAreNamed) {
    BundleCopy bundle;
    bundle.remove("Drag1-01.caf");
    bundle.remove("menu.caf");
    std::string problem;
    EXPECT_TRUE(ZQBundleCheck::check(bundle.path(), captionScale(), problem)) << problem;

    bundle.remove("sphere.pod");
    bundle.remove("ui_tutorial.pvr");
    ASSERT_FALSE(ZQBundleCheck::check(bundle.path(), captionScale(), problem));
    EXPECT_NE(problem.find("lacks 2 of the "), std::string::npos) << problem;
    EXPECT_NE(problem.find(": ui_tutorial.pvr, sphere.pod (not there); set VELMORA_BUNDLE"),
              std::string::npos)
        << problem;
}

// The captions list names the pictures drawn behind its captions' texts: one
// it names that cannot be read is refused, one that is missing is not drawn.
TEST(BundleCheckTest, APictureTheCaptionsListNamesIsJudgedToo) {
    BundleCopy bundle;
    const std::string scale = std::to_string(captionScale());
    bundle.replace("captions.plist",
                   "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>en</key><dict>"
                   "<key>attributes</key><dict><key>bgimage</key><string>frame</string></dict>"
                   "<key>hello</key><string>Hello</string></dict></dict></plist>");
    std::string problem;
    EXPECT_TRUE(ZQBundleCheck::check(bundle.path(), captionScale(), problem)) << problem;
    bundle.replace("frame@" + scale + ".png", "\x89PNG\r\n\x1a\n");
    ASSERT_FALSE(ZQBundleCheck::check(bundle.path(), captionScale(), problem));
    EXPECT_NE(problem.find(" lacks 1 of the " +
                           std::to_string(ZQBundleCheck::neededFiles(captionScale()).size() + 1) + " files "),
              std::string::npos)
        << problem;
    EXPECT_NE(problem.find(": frame@" + scale + ".png (libpng cannot decode it: "), std::string::npos)
        << problem;
}

// Every length short of the whole file: a texture that loads from a cut file
// would show whatever memory follows its bytes, or nothing.
TEST(BundleCheckTest, EveryTruncationOfAValidTextureIsRefused) {
    for (const char* name : {"ui_play.pvr", "Golden_snakeskin_pxr128_normal.pvr"}) {
        const std::string bytes = TempFolder::read(ZQ::pathForResource(name, ""));
        ASSERT_GT(bytes.size(), 52u) << name;
        EXPECT_EQ(ZQ::refusePVRTexture(bytes.data(), bytes.size()), nullptr) << name;
        std::size_t accepted = 0;
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            accepted += ZQ::refusePVRTexture(bytes.data(), length) == nullptr ? 1 : 0;
        }
        EXPECT_EQ(accepted, 0u) << name;
    }
}

// A sound cut anywhere: inside the header, inside a chunk's header, inside
// the audio; libsndfile alone opens some of these and plays what is left.
TEST(BundleCheckTest, SoundsCutShortAnywhereAreRefused) {
    TempFolder folder;
    const std::string sound = TempFolder::read(ZQ::pathForResource("Drag1-01", "caf"));
    const std::string path = folder.file("cut.caf");
    TempFolder::write(path, sound);
    ASSERT_EQ(ZQBundleCheck::judgeFile(path, Reader::Effect, 1), "");
    for (std::size_t length = 0; length < sound.size(); length += length < 96 ? 1 : 211) {
        TempFolder::write(path, sound.substr(0, length));
        EXPECT_NE(ZQBundleCheck::judgeFile(path, Reader::Effect, 1), "") << "Drag1-01.caf cut at " << length;
    }
}

// The files a start of the game opens are files the check judges, and the
// pictures, textures, models and captions it judges are each opened again
// once the check has passed, by the loader that reads them for the game.
// Headless there is no sound device: the sounds are opened by the check
// alone (the test below follows them to their players).
TEST(BundleCheckTest, TheFilesJudgedAreTheFilesAStartOfTheGameOpens) {
    BundleCopy bundle;
    const int watcher = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watcher, 0);
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
    const std::vector<ZQBundleCheck::NeededFile> needed = ZQBundleCheck::neededFiles(captionScale());
    std::set<std::string> judged = namesOf(needed, false);
    const std::set<std::string> sounds = namesOf(needed, true);
    judged.insert(sounds.begin(), sounds.end());
    for (const auto& [name, count] : opens) {
        EXPECT_EQ(judged.count(name), 1u) << name << " is read by the game but not judged at start";
    }
    for (const std::string& name : namesOf(needed, false)) {
        EXPECT_GE(opens[name], 2) << name << " is judged at start but the game does not read it";
    }
}

// The sounds judged are the sounds the players load: every operation of the
// real gateway, in both game modes at every level, with pulls along the whole
// string and the random swishes drawn many times.
class BundleSoundsTest : public GlobalsTest {
protected:
    void SetUp() override {
        GlobalsTest::SetUp();
        useNullAudioDriver();
        ZQ::seedRandom(kTestSeed);
        ZQ::gGlobals.levelModel = &levels;
        gateway.setUp();
        ASSERT_TRUE(gateway.fx.hasContext());
    }
    void TearDown() override {
        gateway.tearDown();
        GlobalsTest::TearDown();
    }

    ZQ::LevelModel levels{LevelTestRecords::records(1), LevelTestRecords::record("Ground")};
    ZQ::OpenALSoundGateway gateway;
};

TEST_F(BundleSoundsTest, TheSoundsJudgedAreTheSoundsThePlayersLoad) {
    std::set<std::string> played;
    const auto notePiece = [&] {
        const std::string& path = gateway.music.currentPath();
        played.insert(path.substr(path.rfind('/') + 1));
    };
    using Music = void (ZQ::OpenALSoundGateway::*)();
    for (Music play :
         {&ZQ::OpenALSoundGateway::playIntroMusic, &ZQ::OpenALSoundGateway::playMenuMusic,
          &ZQ::OpenALSoundGateway::playLevelCompleteMusic, &ZQ::OpenALSoundGateway::playAwardMusic,
          &ZQ::OpenALSoundGateway::playLevelFailMusic, &ZQ::OpenALSoundGateway::playMapMusic}) {
        (gateway.*play)();
        notePiece();
    }
    ZQ::OpenALSoundGateway& g = gateway;
    for (auto mode : {+[] { return ZQ::kArcadeThemes; }, +[] { return ZQ::kZenThemes; }}) {
        gateway.readGameMode = mode;
        for (int32_t level = 0; level < 76; ++level) {
            levels.level = level;
            g.playThemeMusic();
            notePiece();
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
    for (const auto& [name, buffer] : gateway.fx.loadedSounds()) {
        played.insert(name + ".caf");
    }
    EXPECT_EQ(played, namesOf(ZQBundleCheck::neededFiles(captionScale()), true));
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
    EXPECT_EQ(run.output.find("frames drawn"), std::string::npos) << run.output;
}

} // namespace
