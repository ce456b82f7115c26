#include "overlays/CaptionBox.h"

#include "constants/ResourceNames.h"
#include "engine/Assert.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/Model.h"
#include "overlays/ZQCaptionGenerator.h"
#include "render/Texture.h"

namespace ZQ {

namespace {

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
    loadPictures();
}

std::vector<CaptionPicture> CaptionBox::pictures(int32_t scale) {
    using namespace ResourceNames;
    std::vector<CaptionPicture> list;
    const std::string at = "@" + std::to_string(scale);
    for (const std::string* name : {&hourglass, &ring, &zr_title, &zen}) {
        list.push_back({*name, *name + at, "png"});
    }
    for (const std::string* name :
         {&ui_play, &ui_map, &ui_continue, &ui_leaderboards, &ui_pause, &ui_share, &ui_story, &ui_stop,
          &ui_tutorial, &ui_restart, &ui_zen, &ui_arcade, &ui_mute_on, &ui_mute_off}) {
        list.push_back({*name, *name, "pvr"});
    }
    for (const std::string* name : {&story_bg_1px, &tile_bg_1px}) {
        list.push_back({*name, *name, "png"});
    }
    return list;
}

void CaptionBox::loadPictures() {
    for (const CaptionPicture& picture : pictures(DeviceProfile::get().captionScale)) {
        if (entries.count(picture.name) == 0) {
            entries.emplace(picture.name,
                            new CaptionEntry{picture.name, new TextureFile(picture.file, picture.extension,
                                                                           false, GL_LINEAR, GL_LINEAR)});
        }
    }
    // In key order, as the map holds them; a missing file logs and leaves
    // its entry with an empty texture.
    for (auto& [name, entry] : entries) {
        if (entry->texture->name == 0) {
            entry->texture->setUp();
        }
    }
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
    TextureMetrics* texture = makeCaption(captionKey(name), std::string());
    auto* entry = new CaptionEntry{name, texture};
    entries.emplace(name, entry);
    texture->setUp();
    return entry;
}

void CaptionBox::setCaption(const std::string& name, const std::string& text) {
    TextureMetrics* texture = makeCaption(captionKey(name), text);
    CaptionEntry* entry = getCaption(name);
    delete entry->texture;
    entry->texture = texture;
    texture->setUp();
}

TextureMetrics* CaptionBox::makeCaption(const std::string& key, const std::string& label) {
    ZQ_ASSERT(generator != nullptr);
    CaptionBitmap bitmap = generator->make(key, label);
    // The generator never makes a caption of no pixels: no empty upload.
    ZQ_ASSERT(bitmap.width >= 1 && bitmap.height >= 1 && bitmap.pixels != nullptr);
    return new TextureMetrics(bitmap.width, bitmap.height, bitmap.pixels, std::move(bitmap.metrics), false,
                              GL_LINEAR, GL_LINEAR);
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
