#include "overlays/CaptionBox.h"

#include "constants/ResourceNames.h"
#include "engine/Assert.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/Model.h"
#include "overlays/CaptionTexture.h"
#include "overlays/ZQCaptionGenerator.h"

namespace ZQ {

namespace {

const std::string kCaptionsList = "captions";

void destroy(CaptionEntry* entry) {
    delete entry->texture;
    delete entry;
}

} // namespace

CaptionBox::CaptionBox(CaptionGenerator* generator) : generator(generator) {}

CaptionBox::~CaptionBox() {
    tearDown();
}

void CaptionBox::setUp() {
    language = gGlobals.language.empty() ? std::string("en") : gGlobals.language;
    collectable = collectableCaptionNames();
    if (!generator) {
        generator = std::make_unique<ZQCaptionGenerator>(kCaptionsList, DeviceProfile::get().captionScale);
    }
    generator->setUp();
}

void CaptionBox::tearDown() {
    for (auto& [name, entry] : entries) {
        destroy(entry);
    }
    entries.clear();
}

std::string CaptionBox::captionKey(const std::string& name) const {
    return language + ResourceNames::separator + name;
}

CaptionEntry* CaptionBox::getCaption(const std::string& name) {
    // find, not operator[]: a failed lookup must not leave an empty slot.
    if (const auto found = entries.find(name); found != entries.end()) {
        return found->second;
    }
    CaptionTexture* texture = makeCaption(captionKey(name), std::string());
    auto* entry = new CaptionEntry{name, texture};
    entries.emplace(name, entry);
    texture->setUp();
    return entry;
}

void CaptionBox::setCaption(const std::string& name, const std::string& text) {
    CaptionTexture* texture = makeCaption(captionKey(name), text);
    CaptionEntry* entry = getCaption(name);
    delete entry->texture;
    entry->texture = texture;
    texture->setUp();
}

CaptionTexture* CaptionBox::makeCaption(const std::string& key, const std::string& label) {
    ZQ_ASSERT(generator != nullptr);
    return new CaptionTexture(generator->make(key, label));
}

void CaptionBox::runGc(const std::unordered_set<std::string>& inUse) {
    for (const std::string& name : collectable) {
        const auto found = entries.find(name);
        if (found == entries.end() || inUse.count(name) != 0) {
            continue;
        }
        destroy(found->second);
        entries.erase(found);
    }
}

void releaseUnusedCaptions() {
    if (gGlobals.captionBox == nullptr) {
        return;
    }
    std::unordered_set<std::string> inUse;
    for (Model* model : gGlobals.models) {
        model->collectCaptions(inUse);
    }
    gGlobals.captionBox->runGc(inUse);
}

const CaptionEntry* CaptionBox::findCaption(const std::string& name) const {
    const auto found = entries.find(name);
    return found == entries.end() ? nullptr : found->second;
}

} // namespace ZQ
