#include "game/Sharing.h"

#include "engine/Log.h"
#include "engine/SocialGateway.h"

namespace ZQ {

namespace {

// Twitter first, then Facebook; false when neither is open.
bool postOnFirstNetwork(ISocialGateway& gateway, int32_t msgType, const std::string& knotName) {
    if (gateway.isTwAvailable()) {
        gateway.publishOnProfile(ISocialGateway::kServiceTwitter, msgType, knotName.c_str());
        return true;
    }
    if (gateway.isFbAvailable()) {
        gateway.publishOnProfile(ISocialGateway::kServiceFacebook, msgType, knotName.c_str());
        return true;
    }
    return false;
}

} // namespace

void requestShareSnapshot() {
    ISocialGateway* gateway = SocialGateway::instance();
    if (gateway->isTwAvailable() || gateway->isFbAvailable() || gateway->canSendEmail()) {
        gateway->takeSnapshot();
    }
}

void shareKnot(const std::string& knotName) {
    ISocialGateway& gateway = *SocialGateway::instance();
    if (postOnFirstNetwork(gateway, ISocialGateway::kMessageKnot, knotName)) {
        return;
    }
    if (gateway.canSendEmail()) {
        gateway.sendEmail(ISocialGateway::kMessageKnot, knotName.c_str());
        return;
    }
    platformLog("Social networks unavailable");
}

void shareAward(const std::string& knotName) {
    if (!postOnFirstNetwork(*SocialGateway::instance(), ISocialGateway::kMessageAward, knotName)) {
        platformLog("Social networks unavailable");
    }
}

} // namespace ZQ
