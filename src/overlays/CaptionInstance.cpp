#include "overlays/CaptionInstance.h"

#include "overlays/CaptionBox.h"
#include "render/Texture.h"

namespace ZQ {

CaptionInstance::CaptionInstance(CaptionEntry* entry) : entry(entry) {
    baseLayout.scale =
        entry != nullptr && entry->texture != nullptr ? static_cast<float>(entry->texture->width) : 1.0f;
}

PVRTVec2 CaptionInstance::getSize() {
    const Texture* texture = entry != nullptr ? entry->texture : nullptr;
    const int32_t width = texture != nullptr ? texture->width : 0;
    const int32_t height = texture != nullptr ? texture->height : 0;
    if (width != cachedWidth || height != cachedHeight) {
        sizeCache.clear();
        cachedWidth = width;
        cachedHeight = height;
    }
    const float s = baseLayout.scale * layout.scale;
    const int key = static_cast<int>(s * 100000.0f);
    if (const auto found = sizeCache.find(key); found != sizeCache.end()) {
        return found->second;
    }
    // A picture whose file was missing has no pixels: no height, not NaN.
    const float aspect = texture == nullptr ? 1.0f
                         : texture->width > 0
                             ? static_cast<float>(texture->height) / static_cast<float>(texture->width)
                             : 0.0f;
    const PVRTVec2 size(s, s * aspect);
    sizeCache.emplace(key, size);
    return size;
}

bool CaptionInstance::contains(float x, float y) {
    const PVRTVec2 size = getSize();
    const PVRTVec3 centre = getPosition();
    return centre.x - size.x / 2 <= x && x <= centre.x + size.x / 2 && centre.y - size.y / 2 <= y &&
           y <= centre.y + size.y / 2;
}

} // namespace ZQ
