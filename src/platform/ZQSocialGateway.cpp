#include "platform/ZQSocialGateway.h"

#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/Log.h"
#include "engine/StoreLocations.h"
#include "platform/ZQKnotPicture.h"
#include "platform/ZQRootController.h"
#include "platform/ZQShareFolder.h"
#include "platform/ZQShareTexts.h"
#include "platform/ZQView.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace {

// "20261207-135600": shares sort by when they were made.
std::string localStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    return text;
}

bool writeText(std::FILE* file, const std::string& text, std::string& error) {
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
        error = std::string("cannot write the text: ") + std::strerror(errno);
        return false;
    }
    return true;
}

std::string withSuffix(const std::string& stem, int attempt, const char* extension) {
    return (attempt == 0 ? stem : stem + "-" + std::to_string(attempt + 1)) + extension;
}

} // namespace

ZQSocialGateway* ZQSocialGateway::sharedInstance() {
    // Never deleted: a tile may still ask while statics are torn down.
    static ZQSocialGateway* const gateway = [] {
        const std::string home = ZQ::homeFolder(std::getenv("HOME"));
        const std::string pictures = ZQShareFolder::picturesFolder(
            std::getenv("XDG_PICTURES_DIR"),
            ZQShareFolder::userDirsFile(std::getenv("XDG_CONFIG_HOME"), home), home);
        return new ZQSocialGateway(
            {ZQShareFolder::choose(pictures, ZQ::dataFolder()),
             ZQShareFolder::chooseDocuments(std::getenv("XDG_DOCUMENTS_DIR"), ZQ::dataFolder())});
    }();
    return gateway;
}

ZQRootController* ZQSocialGateway::mainCtrl() const {
    return ZQRootController::current();
}

ZQView* ZQSocialGateway::mainView() const {
    ZQRootController* root = mainCtrl();
    return root != nullptr ? &root->view() : nullptr;
}

bool ZQSocialGateway::isTwAvailable() {
    std::optional<ZQ::Refusal> why = ZQShareFolder::unwritable(folders.shares);
    if (why && why != sharesRefusal) {
        ZQ::platformLog("Shares are off: %s", ZQ::line(*why).c_str());
    }
    sharesRefusal = std::move(why);
    return !sharesRefusal;
}

void ZQSocialGateway::takeSnapshot() {
    if (ZQView* view = mainView()) {
        view->takeSnapshot();
    }
}

bool ZQSocialGateway::isSnapshotTaken() {
    const ZQView* view = mainView();
    return view != nullptr && view->snapshotTaken();
}

void ZQSocialGateway::clearSnapshot() {
    if (ZQView* view = mainView()) {
        view->clearSnapshot();
    }
}

std::optional<ZQImage> ZQSocialGateway::knotImage() const {
    const ZQView* view = mainView();
    if (view == nullptr || view->snapshotImage() == nullptr) {
        return std::nullopt;
    }
    ZQImage picture = knotPicture(*view->snapshotImage(), view->contentScaleFactor());
    if (picture.width == 0) {
        return std::nullopt;
    }
    return picture;
}

void ZQSocialGateway::publishOnProfile(int32_t service, int32_t msgType, const char* knotName) {
    ZQ_ASSERT(service >= 0 && service < kServiceCount);
    ZQ_ASSERT(msgType == kMessageKnot || msgType == kMessageAward);
    ZQ_ASSERT(knotName != nullptr);
    if (service != kServiceTwitter || !isTwAvailable()) {
        ZQ::platformLog("Social networks unavailable");
        return;
    }
    const std::string name(knotName);
    const std::string text = ZQShareTexts::fill(
        ZQShareTexts::format(ZQShareTexts::postKey(service, msgType), ZQ::gGlobals.language), name);
    const ZQDialog dialog{"Share", saveShare(name, text)};
    ZQRootController* root = mainCtrl();
    if (root == nullptr) {
        ZQ::logMessage(ZQ::LogLevel::Info, "%s", dialog.message.c_str());
        return;
    }
    root->presentPaused(dialog, nullptr);
}

std::string ZQSocialGateway::saveShare(const std::string& knotName, const std::string& text) {
    const std::string stem = ZQShareFolder::fileStem(knotName) + "-" + localStamp();
    ZQ::Refusal refused;
    // The refusal in the log's line and the dialog's paragraphs.
    const auto notSaved = [&](const std::string& what) {
        refused.what = what;
        ZQ::platformLog("%s", ZQ::line(refused).c_str());
        return ZQ::paragraphs({refused}, ZQMessageBoxPresenter::kColumns);
    };
    std::string picturePath;
    if (const std::optional<ZQImage> picture = knotImage()) {
        picturePath = ZQShareFolder::saveNew(
            folders.shares, [&](int attempt) { return withSuffix(stem, attempt, ".png"); },
            [&](std::FILE* file, std::string& why) { return writePng(file, *picture, why); }, refused);
        if (picturePath.empty()) {
            return notSaved("the picture of " + knotName + " could not be saved");
        }
    }
    // The text takes the picture's name, so the two sort side by side.
    const std::string textStem =
        picturePath.empty() ? stem : std::filesystem::path(picturePath).stem().string();
    const std::string body = text + "\n" + ZQShareTexts::kStorePageAddress + "\n";
    const std::string textPath = ZQShareFolder::saveNew(
        folders.shares, [&](int attempt) { return withSuffix(textStem, attempt, ".txt"); },
        [&](std::FILE* file, std::string& why) { return writeText(file, body, why); }, refused);
    if (textPath.empty()) {
        return notSaved("the text of " + knotName + " could not be saved");
    }
    return (picturePath.empty() ? "The text of " + knotName + " is saved in\n"
                                : "The picture and text of " + knotName + " are saved in\n") +
           folders.shares.path();
}

void ZQSocialGateway::sendEmail(int32_t msgType, const char* knotName) {
    ZQ_ASSERT(msgType == kMessageKnot || msgType == kMessageAward);
    ZQ_ASSERT(knotName != nullptr);
    ZQ::platformLog("No mail can be sent from here; %s is not shared", knotName);
}

std::string ZQSocialGateway::storeSnapshot() {
    const ZQView* view = mainView();
    if (view == nullptr || view->snapshotImage() == nullptr) {
        ZQ::platformLog("No snapshot to store");
        return {};
    }
    const ZQImage& image = *view->snapshotImage();
    ZQ::Refusal refused;
    int taken = 0;
    const std::string path = ZQShareFolder::saveNew(
        folders.documents,
        [&](int attempt) {
            taken = attempt;
            return std::to_string(storedSnapshots + attempt);
        },
        [&](std::FILE* file, std::string& why) { return writePng(file, image, why); }, refused);
    if (path.empty()) {
        refused.what = "the snapshot was not stored";
        ZQ::platformLog("%s", ZQ::line(refused).c_str());
        return {};
    }
    storedSnapshots += taken + 1;
    return path;
}
