#include "overlays/TileInstance.h"

#include "constants/ResourceNames.h"
#include "engine/Assert.h"
#include "engine/Globals.h"
#include "overlays/CaptionBox.h"

namespace ZQ {

namespace {

// Built before the program starts; the constructors copy them.
const TilePredicate kAlwaysTrue = [] { return true; };
const TilePredicate kAlwaysFalse = [] { return false; };

} // namespace

const TilePredicate& TileInstance::alwaysTrue() {
    return kAlwaysTrue;
}

const TilePredicate& TileInstance::alwaysFalse() {
    return kAlwaysFalse;
}

TileInstance::TileInstance(const TileDefinition& definition)
    : id(definition.id), material(definition.material), orientation(definition.orientation),
      weight(definition.weight), enabled(definition.enabled), children(definition.children),
      face(definition.face), captionKey(definition.caption), altCaptionKey(definition.altCaption) {
    ZQ_ASSERT(captionKey.length() > 0);
    ZQ_ASSERT(enabled && face);
    bindCaptions();
}

TileInstance::TileInstance(int32_t id, const std::string& caption, const Material& material,
                           const TilePredicate& enabled, float weight)
    : TileInstance(
          TileDefinition{id, caption, std::string(), material, kRow, enabled, alwaysFalse(), {}, weight}) {}

TileInstance::TileInstance(int32_t id, const std::string& caption, const std::string& altCaption,
                           const Material& material, const TilePredicate& face)
    : TileInstance(TileDefinition{id, caption, altCaption, material, kRow, alwaysTrue(), face, {}, 1.0f}) {}

TileInstance::TileInstance(int32_t orientation, const std::vector<TileInstance*>& children, float weight)
    : TileInstance(TileDefinition{kContainerId, ResourceNames::tile_bg_1px, std::string(), Material(),
                                  orientation, alwaysTrue(), alwaysFalse(), children, weight}) {}

void TileInstance::bindCaptions() {
    CaptionBox* box = gGlobals.captionBox;
    ZQ_ASSERT(box != nullptr);
    caption = box->getCaption(captionKey);
    ZQ_ASSERT(caption != nullptr);
    altCaption = nullptr;
    if (!altCaptionKey.empty()) {
        altCaption = box->getCaption(altCaptionKey);
        ZQ_ASSERT(altCaption != nullptr);
    }
}

const CaptionEntry* TileInstance::visibleCaption() const {
    return altCaption != nullptr && face() ? altCaption : caption;
}

} // namespace ZQ
