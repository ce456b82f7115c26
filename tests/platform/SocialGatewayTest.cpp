#include "engine/SocialGateway.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/SoundGateway.h"
#include "game/Sharing.h"
#include "platform/ZQGameCenterGateway.h"
#include "platform/ZQKnotPicture.h"
#include "platform/ZQRootController.h"
#include "platform/ZQShareFolder.h"
#include "platform/ZQShareTexts.h"
#include "platform/ZQSocialGateway.h"
#include "platform/ZQView.h"
#include "support/FileCallHook.h"
#include "support/HeadlessGL.h"
#include "support/RecordingSoundGateway.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

namespace {

using ZQ::gGlobals;

// Keeps each dialog open until the test dismisses it, noting whether the
// frames were stopped while it showed.
class HeldPresenter : public ZQDialogPresenter {
public:
    explicit HeldPresenter(ZQView*& view) : view(view) {}
    void present(const ZQDialog& dialog, std::function<void()> dismissed) override {
        shown.push_back(dialog);
        animatingWhileShown.push_back(view->isAnimating());
        pending = std::move(dismissed);
    }
    void dismiss() {
        ASSERT_TRUE(pending);
        std::function<void()> finish = std::move(pending);
        pending = nullptr;
        finish();
    }
    std::vector<ZQDialog> shown;
    std::vector<bool> animatingWhileShown;
    std::function<void()> pending;

private:
    ZQView*& view;
};

// Width and height of a PNG file; (0, 0) when it is not one.
std::pair<int, int> pngSize(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return {0, 0};
    }
    png_image_free(&image);
    return {static_cast<int>(image.width), static_cast<int>(image.height)};
}

std::vector<std::string> withExtension(const TempFolder& folder, const std::string& sub,
                                       const std::string& ext) {
    std::vector<std::string> names;
    for (const std::string& name : folder.entries(sub)) {
        if (std::filesystem::path(name).extension() == ext) {
            names.push_back(name);
        }
    }
    return names;
}

class SocialGatewayTest : public HeadlessGLTest {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        ASSERT_TRUE(folder.ok());
        previousSound = ZQ::SoundGateway::setInstance(&sound);
        // A phone screen of 320 x 568 points at scale 2.
        view = std::make_unique<ZQView>(*HeadlessGL::context(), PVRTVec2(320.0f, 568.0f), 2.0f,
                                        ZQ::DeviceProfile::forPlatformType(10));
        viewPointer = view.get();
        view->moveToActive();
        root = std::make_unique<ZQRootController>(*view, presenter);
        ZQRootController::setCurrent(root.get());
        gGlobals.language = "en";
    }

    void TearDown() override {
        ZQ::SocialGateway::setInstance(nullptr);
        ZQRootController::setCurrent(nullptr);
        root.reset();
        view.reset();
        ZQ::SoundGateway::setInstance(previousSound);
        HeadlessGLTest::TearDown();
    }

    // A gateway sharing into `shares` of the test folder.
    std::unique_ptr<ZQSocialGateway> gatewayIn(const std::string& shares) {
        auto gateway = std::make_unique<ZQSocialGateway>(
            ZQSocialGateway::Folders{{folder.file(shares), ""}, {folder.file("docs"), ""}});
        ZQ::SocialGateway::setInstance(gateway.get());
        return gateway;
    }

    TempFolder folder;
    RecordingSoundGateway sound;
    ZQ::ISoundGateway* previousSound = nullptr;
    ZQView* viewPointer = nullptr;
    HeldPresenter presenter{viewPointer};
    std::unique_ptr<ZQView> view;
    std::unique_ptr<ZQRootController> root;
};

TEST(KnotPicture, TheKnotBandOfAPhoneSnapshotIsTheMiddleSixtyPercent) {
    const ZQPictureRect rect = knotRect(320.0f, 568.0f, 2.0f);
    EXPECT_EQ(rect.x, 0.0f);
    EXPECT_EQ(rect.y, 204.48f);
    EXPECT_EQ(rect.width, 640.0f);
    EXPECT_EQ(rect.height, 681.6f);

    // Each pixel names its own place, so the cut shows where it came from.
    ZQImage snapshot;
    snapshot.width = 640;
    snapshot.height = 1136;
    snapshot.rgba.resize(640u * 1136u * 4u);
    for (int y = 0; y < snapshot.height; ++y) {
        for (int x = 0; x < snapshot.width; ++x) {
            uint8_t* p =
                &snapshot.rgba[(static_cast<std::size_t>(y) * 640u + static_cast<std::size_t>(x)) * 4u];
            p[0] = static_cast<uint8_t>(x);
            p[1] = static_cast<uint8_t>(x >> 8);
            p[2] = static_cast<uint8_t>(y);
            p[3] = static_cast<uint8_t>(y >> 8);
        }
    }
    const ZQImage cut = knotPicture(snapshot, 2.0f);
    // Rows 204 (204.48 rounded down) to 886 (886.08 rounded up, exclusive 887).
    ASSERT_EQ(cut.width, 640);
    ASSERT_EQ(cut.height, 887 - 204);
    for (int y : {0, 1, cut.height / 2, cut.height - 1}) {
        for (int x : {0, 317, 639}) {
            const uint8_t* p = cut.pixel(x, y);
            EXPECT_EQ(p[0] | (p[1] << 8), x);
            EXPECT_EQ(p[2] | (p[3] << 8), 204 + y);
        }
    }
    // A band reaching past the bitmap is clipped to it; one outside is empty.
    EXPECT_EQ(cutPicture(snapshot, {600.0f, 1100.0f, 100.0f, 100.0f}).width, 40);
    EXPECT_EQ(cutPicture(snapshot, {600.0f, 1100.0f, 100.0f, 100.0f}).height, 36);
    EXPECT_EQ(cutPicture(snapshot, {0.0f, 1136.0f, 10.0f, 10.0f}).width, 0);
}

TEST(ShareTexts, EveryPostAndMailTextTakesTheKnotNameInEveryLanguage) {
    for (const char* language : {"en", "it", "fr", "de", "ja"}) {
        for (int msgType = 0; msgType < 2; ++msgType) {
            std::vector<const char*> keys = {ZQShareTexts::mailKey(msgType)};
            for (int service = 0; service < 3; ++service) {
                keys.push_back(ZQShareTexts::postKey(service, msgType));
            }
            for (const char* key : keys) {
                const std::string_view format = ZQShareTexts::format(key, language);
                ASSERT_FALSE(format.empty()) << key << " " << language;
                const std::string text = ZQShareTexts::fill(format, "Sedisa");
                EXPECT_NE(text.find("Sedisa"), std::string::npos) << key << " " << language;
                EXPECT_EQ(text.find("%@"), std::string::npos) << key << " " << language;
            }
        }
    }
    // Another language reads English; an unknown key reads empty.
    EXPECT_EQ(ZQShareTexts::format("weibo.share.award", "pt"),
              ZQShareTexts::format("weibo.share.award", "en"));
    EXPECT_TRUE(ZQShareTexts::format("myspace.share.knot", "en").empty());
    // A name is plain text, never a format of its own.
    EXPECT_EQ(ZQShareTexts::fill("[%@|%@]", "%@ %s %n"), "[%@ %s %n|%@ %s %n]");
}

TEST(ShareFolder, SharesGoWhereTheDesktopKeepsPicturesElseIntoTheDataFolder) {
    TempFolder config;
    ASSERT_TRUE(config.ok());
    const std::string dirs = config.file("user-dirs.dirs");
    const std::string home = "/home/ada";
    // Nothing named anywhere: the data folder.
    EXPECT_EQ(ZQShareFolder::picturesFolder(nullptr, dirs, home), "");
    EXPECT_EQ(ZQShareFolder::choose("", "/data/velmora").path(), "/data/velmora/shares");
    // The desktop's file, as its tool writes it, with $HOME for the home.
    TempFolder::write(dirs, "# written by the desktop\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                            "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    EXPECT_EQ(ZQShareFolder::picturesFolder(nullptr, dirs, home), "/home/ada/Bilder");
    EXPECT_EQ(ZQShareFolder::choose("/home/ada/Bilder", "/data/velmora").path(), "/home/ada/Bilder/Velmora");
    // The variable wins when absolute; a relative one is ignored.
    EXPECT_EQ(ZQShareFolder::picturesFolder("/srv/pics", dirs, home), "/srv/pics");
    EXPECT_EQ(ZQShareFolder::picturesFolder("pics", dirs, home), "/home/ada/Bilder");
    // The home folder itself means no pictures folder; so does a relative path.
    TempFolder::write(dirs, "XDG_PICTURES_DIR=\"$HOME/\"\n");
    EXPECT_EQ(ZQShareFolder::picturesFolder(nullptr, dirs, home), "");
    TempFolder::write(dirs, "XDG_PICTURES_DIR=\"Pictures\"\n");
    EXPECT_EQ(ZQShareFolder::picturesFolder(nullptr, dirs, home), "");
    TempFolder::write(dirs, "XDG_PICTURES_DIR=\"/media/photos\"\n");
    EXPECT_EQ(ZQShareFolder::picturesFolder(nullptr, dirs, home), "/media/photos");
    EXPECT_EQ(ZQShareFolder::userDirsFile(nullptr, home), "/home/ada/.config/user-dirs.dirs");
    EXPECT_EQ(ZQShareFolder::userDirsFile("/etc/ada", home), "/etc/ada/user-dirs.dirs");
    EXPECT_EQ(ZQShareFolder::userDirsFile("etc", home), "/home/ada/.config/user-dirs.dirs");
    // A line cut short names no folder.
    TempFolder::write(dirs, "XDG_PICTURES_DIR=\"/media/photos\nXDG_PICTURES_DIR=\n");
    EXPECT_EQ(ZQShareFolder::picturesFolder(nullptr, dirs, home), "");
}

// A knot's name in a file name: plain ASCII kept, every other byte one '_',
// cut at 48 characters, never empty.
TEST(ShareFolder, AFileStemKeepsPlainLettersCutsLongNamesAndIsNeverEmpty) {
    EXPECT_EQ(ZQShareFolder::fileStem("Level 7: na\xc3\xafve-knot_2"), "Level_7__na__ve-knot_2");
    EXPECT_EQ(ZQShareFolder::fileStem(std::string(60, 'k')), std::string(48, 'k'));
    EXPECT_EQ(ZQShareFolder::fileStem(""), "knot");
}

TEST(DialogPresenter, HeadlessDialogsGoToTheLogALineAtATimeAndAreDismissedAtOnce) {
    ZQLogPresenter presenter;
    int dismissed = 0;
    testing::internal::CaptureStderr();
    presenter.present({"Leaderboards", "Points\n  Best: 3\n\nLevel"}, [&] { ++dismissed; });
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Leaderboards\n  Points\n    Best: 3\n  Level\n");
    EXPECT_EQ(dismissed, 1);
}

TEST_F(SocialGatewayTest, AShareFromThePauseScreenSavesPictureAndTextAndStopsTheFramesWhileItShows) {
    std::unique_ptr<ZQSocialGateway> gateway = gatewayIn("Pictures/Velmora");
    // The room is ready: the game asks for a snapshot, the next frame keeps it.
    EXPECT_FALSE(ZQ::SocialGateway::isSharingEnabled());
    ZQ::requestShareSnapshot();
    EXPECT_FALSE(gateway->isSnapshotTaken());
    view->drawView();
    ASSERT_TRUE(gateway->isSnapshotTaken());
    EXPECT_TRUE(ZQ::SocialGateway::isSharingEnabled());

    ZQ::shareKnot("Sedisa");
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.animatingWhileShown, std::vector<bool>{false});
    EXPECT_FALSE(view->isAnimating());
    EXPECT_NE(presenter.shown[0].message.find(folder.file("Pictures/Velmora")), std::string::npos)
        << presenter.shown[0].message;
    // The files are there before the player reads where they are.
    const std::vector<std::string> pictures = withExtension(folder, "Pictures/Velmora", ".png");
    const std::vector<std::string> texts = withExtension(folder, "Pictures/Velmora", ".txt");
    ASSERT_EQ(pictures.size(), 1u);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(std::filesystem::path(pictures[0]).stem(), std::filesystem::path(texts[0]).stem());
    EXPECT_EQ(pictures[0].rfind("Sedisa-", 0), 0u) << pictures[0];
    EXPECT_EQ(pngSize(folder.file("Pictures/Velmora/" + pictures[0])), std::make_pair(640, 887 - 204));
    const std::string text = TempFolder::read(folder.file("Pictures/Velmora/" + texts[0]));
    EXPECT_EQ(text, ZQShareTexts::fill(ZQShareTexts::format("twitter.share.knot", "en"), "Sedisa") + "\n" +
                        ZQShareTexts::kStorePageAddress + "\n");

    // Closing the dialog starts the frames again (a level turns into the
    // pause menu there), and the snapshot stays for another share.
    presenter.dismiss();
    EXPECT_TRUE(view->isAnimating());
    EXPECT_TRUE(gateway->isSnapshotTaken());

    // The award, in Japanese: a second pair beside the first, never over it.
    gGlobals.language = "ja";
    ZQ::shareAward("Sedisa");
    presenter.dismiss();
    const std::vector<std::string> allTexts = withExtension(folder, "Pictures/Velmora", ".txt");
    ASSERT_EQ(allTexts.size(), 2u);
    EXPECT_EQ(withExtension(folder, "Pictures/Velmora", ".png").size(), 2u);
    bool japanese = false;
    for (const std::string& name : allTexts) {
        japanese =
            japanese ||
            TempFolder::read(folder.file("Pictures/Velmora/" + name))
                .starts_with(ZQShareTexts::fill(ZQShareTexts::format("twitter.share.award", "ja"), "Sedisa"));
    }
    EXPECT_TRUE(japanese);
}

TEST_F(SocialGatewayTest, WithTheFolderUnwritableTheTilesStayOffAndARequestIsLoggedNotShown) {
    TempFolder::write(folder.file("blocked"), "a file where the folder would go");
    std::unique_ptr<ZQSocialGateway> gateway = gatewayIn("blocked/Velmora");
    EXPECT_FALSE(gateway->isTwAvailable());
    EXPECT_FALSE(gateway->isFbAvailable());
    EXPECT_FALSE(gateway->canSendEmail());
    // No channel: the game does not even ask for a snapshot.
    ZQ::requestShareSnapshot();
    view->drawView();
    EXPECT_FALSE(gateway->isSnapshotTaken());
    // A snapshot taken anyway still leaves the tiles off.
    gateway->takeSnapshot();
    view->drawView();
    EXPECT_TRUE(gateway->isSnapshotTaken());
    EXPECT_FALSE(ZQ::SocialGateway::isSharingEnabled());

    for (const auto& share : {&ZQ::shareKnot, &ZQ::shareAward}) {
        testing::internal::CaptureStderr();
        share("Sedisa");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "Social networks unavailable\n");
    }
    // Asked directly, the gateway says the same and shows nothing.
    testing::internal::CaptureStderr();
    gateway->publishOnProfile(ZQ::ISocialGateway::kServiceFacebook, ZQ::ISocialGateway::kMessageKnot,
                              "Sedisa");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Social networks unavailable\n");
    EXPECT_TRUE(presenter.shown.empty());
    EXPECT_TRUE(view->isAnimating());
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"blocked"});
}

// A share the full disk refuses is said as such, with the advice every full
// disk gets, in the dialog and the log, and leaves no file behind.
TEST_F(SocialGatewayTest, AShareTheFullDiskRefusesSaysSoWithItsMendAndLeavesNothing) {
    std::unique_ptr<ZQSocialGateway> gateway = gatewayIn("shares");
    const FileCallHook full(
        [](const std::string& call, const std::string& entry, const std::string&, unsigned) {
            return call == "openat" && entry.starts_with(".share.tmp-") ? ENOSPC : 0;
        });
    testing::internal::CaptureStderr();
    ZQ::shareKnot("Sedisa");
    const std::string logged = testing::internal::GetCapturedStderr();
    ASSERT_EQ(presenter.shown.size(), 1u);
    const std::string& message = presenter.shown[0].message;
    presenter.dismiss();
    const std::string why = "cannot write in " + folder.file("shares") + ": No space left on device";
    EXPECT_TRUE(message.starts_with("The text of Sedisa could not be saved: " + why + "\n\n")) << message;
    EXPECT_NE(message.find(ZQ::freeSpace().advice.substr(1)), std::string::npos) << message;
    EXPECT_NE(logged.find("the text of Sedisa could not be saved: " + why + "; " + ZQ::freeSpace().advice),
              std::string::npos)
        << logged;
    EXPECT_TRUE(folder.entries("shares").empty());
}

TEST_F(SocialGatewayTest, AKnotNameNeverLeadsAShareOutOfItsFolder) {
    std::unique_ptr<ZQSocialGateway> gateway = gatewayIn("shares");
    ZQ::shareKnot("../../etc/Ω knot");
    presenter.dismiss();
    // No snapshot: the text goes alone, named safely inside the folder.
    const std::vector<std::string> names = folder.entries("shares");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].rfind("______etc____knot-", 0), 0u) << names[0];
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"shares"});
}

TEST_F(SocialGatewayTest, StoredSnapshotsTakeTheNextFreeNumberAndNeverReplaceAFile) {
    std::unique_ptr<ZQSocialGateway> gateway = gatewayIn("shares");
    testing::internal::CaptureStderr();
    EXPECT_EQ(gateway->storeSnapshot(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "No snapshot to store\n");

    std::filesystem::create_directories(folder.file("docs"));
    TempFolder::write(folder.file("docs/0"), "an earlier run's");
    TempFolder::write(folder.file("docs/1"), "another");
    gateway->takeSnapshot();
    view->drawView();
    EXPECT_EQ(gateway->storeSnapshot(), folder.file("docs/2"));
    EXPECT_EQ(gateway->storeSnapshot(), folder.file("docs/3"));
    EXPECT_EQ(TempFolder::read(folder.file("docs/0")), "an earlier run's");
    EXPECT_EQ(TempFolder::read(folder.file("docs/1")), "another");
    EXPECT_EQ(pngSize(folder.file("docs/3")), std::make_pair(640, 1136));
    // Files as any program of the player's makes them: the umask decides.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat info {};
    ASSERT_EQ(::stat(folder.file("docs/3").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
    // Whole files only: no temporary is left behind.
    EXPECT_EQ(folder.entries("docs"), (std::vector<std::string>{"0", "1", "2", "3"}));
}

TEST_F(SocialGatewayTest, TheLeaderboardsShowOverTheGameWithTheFramesStopped) {
    ZQGameCenterGateway gateway(ZQ::OwnedFolder::open(folder.path(), ZQ::OwnedFolder::Make::yes), "ada");
    gateway.authenticateLocalPlayer();
    const ZQ::LeaderboardScore score{"velmora.points", 4321};
    gateway.reportScores({&score, 1});
    gateway.showLeaderboards();
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.animatingWhileShown, std::vector<bool>{false});
    EXPECT_NE(presenter.shown[0].message.find("Best: 4321"), std::string::npos) << presenter.shown[0].message;
    // One dialog at a time.
    testing::internal::CaptureStderr();
    gateway.showLeaderboards();
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(presenter.shown.size(), 1u);
    presenter.dismiss();
    EXPECT_TRUE(view->isAnimating());

    // Without a window nothing is shown and nothing stops.
    ZQRootController::setCurrent(nullptr);
    gateway.showLeaderboards();
    EXPECT_EQ(presenter.shown.size(), 1u);
}

} // namespace
