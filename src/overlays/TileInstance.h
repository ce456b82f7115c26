#pragma once

#include "constants/Material.h"
#include "engine/Cloudlet.h"
#include "engine/PVRTVector.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ZQ {

struct CaptionEntry;
class TileInstance;

using TilePredicate = std::function<bool()>;

// Everything a tile is made of, by name: the full constructor's argument.
struct TileDefinition {
    int32_t id = 0;
    std::string caption;    // never empty
    std::string altCaption; // empty for a plain tile
    Material material;
    int32_t orientation = 0; // TileInstance::kColumn or kRow (any other value)
    TilePredicate enabled;
    TilePredicate face;
    std::vector<TileInstance*> children;
    float weight = 1.0f;
};

// A button drawn as a slab in the 3D scene, or a container that only divides
// its rectangle among its children. A screen is a tree of tiles: the leaves
// are drawn and tapped, containers never are.
//
// Ownership: the screens make their trees once and never free them; a tile
// does not own its children (the tree's statics do) nor its caption entries
// (the caption box does). It owns its root action through the cloudlet.
// Threads: main thread only.
class TileInstance : public Cloudlet {
public:
    static constexpr int32_t kContainerId = 19;
    static constexpr int32_t kColumn = 1; // children top to bottom
    static constexpr int32_t kRow = 0;    // children left to right

    // Looks both names up in the caption box of the engine globals.
    explicit TileInstance(const TileDefinition& definition);
    // A plain tile: no alternative face, no children.
    TileInstance(int32_t id, const std::string& caption, const Material& material,
                 const TilePredicate& enabled, float weight);
    // A toggle: always enabled, weight 1, `face` picks the alternative caption.
    TileInstance(int32_t id, const std::string& caption, const std::string& altCaption,
                 const Material& material, const TilePredicate& face);
    // A container (id 19, the one-pixel fill as caption, all-zero material).
    TileInstance(int32_t orientation, const std::vector<TileInstance*>& children, float weight = 1.0f);

    // The shared predicates the constructors copy.
    static const TilePredicate& alwaysTrue();
    static const TilePredicate& alwaysFalse();

    // Looks the caption names up again in the caption box of the engine
    // globals. A tree outlives any one caption box (tests make several, and
    // the box may be torn down and set up again), so a screen rebinds its
    // tiles each time it is shown rather than keep entries of a dead box.
    void bindCaptions();

    bool isLeaf() const { return children.empty(); }
    bool isToggle() const { return altCaption != nullptr; }
    // The entry the tile pass draws: the alternative one while face() is true.
    const CaptionEntry* visibleCaption() const;
    const std::string& captionName() const { return captionKey; }
    const std::string& altCaptionName() const { return altCaptionKey; }

    int32_t id;
    Material material;
    PVRTVec2 unitSize{1.0f, 1.0f};   // the cell, as fractions of the screen rectangle
    PVRTVec2 unitCentre{0.0f, 0.0f}; // a leaf's cell centre (y up); a container's origin
    int32_t orientation;
    float weight;
    int32_t index = -1; // place in visiting order
    TilePredicate enabled;
    std::vector<TileInstance*> children;
    CaptionEntry* caption = nullptr;
    CaptionEntry* altCaption = nullptr;
    TilePredicate face;

private:
    std::string captionKey;
    std::string altCaptionKey;
};

} // namespace ZQ
