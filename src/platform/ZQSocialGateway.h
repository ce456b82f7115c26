#pragma once

#include "engine/SocialGateway.h"
#include "platform/ZQShareFolder.h"
#include "platform/ZQSnapshot.h"

#include <optional>
#include <string>

class ZQRootController;
class ZQView;

// Sharing on a desktop. There is no social network here: the one channel is
// a local one standing where the first network would (isTwAvailable), open
// while its folder can be written. A share saves the knot's picture, cut
// from the view's snapshot, as a PNG and the localised text with the game's
// page address as a text file beside it, then tells the player where in a
// dialog over the game (a log line headless). The frames stop while the
// dialog shows and start again after it, which turns a running level into
// the pause menu. The other networks and mail answer no.
//
// Ownership: owns nothing; the view is the window root's. Threads: main
// thread only.
class ZQSocialGateway final : public ZQ::ISocialGateway {
public:
    struct Folders {
        ZQShareFolder::Place shares;    // pictures and texts of shares
        ZQShareFolder::Place documents; // stored snapshots
    };

    // The process's gateway: shares in Velmora of the desktop's pictures
    // folder (else the data folder's "shares"), snapshots in
    // $XDG_DOCUMENTS_DIR (else the data folder); made at the first call.
    static ZQSocialGateway* sharedInstance();

    explicit ZQSocialGateway(Folders folders) : folders(std::move(folders)) {}
    ZQSocialGateway(const ZQSocialGateway&) = delete;
    ZQSocialGateway& operator=(const ZQSocialGateway&) = delete;

    // The window's root and its view; null when there is no window.
    ZQRootController* mainCtrl() const;
    ZQView* mainView() const;

    bool isTwAvailable() override;
    bool isFbAvailable() override { return false; }
    bool isWeAvailable() override { return false; }
    bool canSendEmail() override { return false; }

    void takeSnapshot() override;
    bool isSnapshotTaken() override;
    void clearSnapshot() override;
    // The knot's band of the snapshot; nothing without one.
    std::optional<ZQImage> knotImage() const;

    void publishOnProfile(int32_t service, int32_t msgType, const char* knotName) override;
    // Mail is never offered here (canSendEmail): logged and dropped.
    void sendEmail(int32_t msgType, const char* knotName) override;

    // Writes the snapshot as PNG into the documents folder, named by a
    // running number with no extension; a number already taken by an
    // earlier run is skipped, never overwritten. Nothing in the game calls
    // it. The path written, or empty (logged).
    std::string storeSnapshot();

    const Folders& folderPaths() const { return folders; }

private:
    // Saves the picture (when there is one) and the text; the dialog says
    // where, or why not.
    std::string saveShare(const std::string& knotName, const std::string& text);

    Folders folders;
    // Why the shares folder was last found unwritable, logged once.
    std::optional<ZQ::Refusal> sharesRefusal;
    int storedSnapshots = 0;
};
