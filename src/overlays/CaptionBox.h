#pragma once

#include "engine/InitProtocol.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace ZQ {

class CaptionGenerator;
class Texture;
class TextureMetrics;

// One caption of the box: its bare name and its texture. Quads, letters and
// tiles point at the entry, never at the texture, so a new text swapped into
// the entry shows under all of them from the next frame on.
struct CaptionEntry {
    std::string name;
    Texture* texture = nullptr; // owned: a TextureMetrics for a text, a TextureFile for a picture
};

// A picture of the bundle the box shows under a bare name.
struct CaptionPicture {
    std::string name;      // the entry's
    std::string file;      // in the bundle, without the extension
    const char* extension; // "png" or "pvr"
};

// Every text and small picture the interface draws as a quad: textures by
// bare name ("timer_12", "knots_name", "ring"), text captions rendered from
// the captions list in the current language on first use and cached, and
// re-rendered with a new text on request; the pictures are loaded from the
// bundle once, at set-up.
//
// Ownership: owns the generator, every entry and every entry's texture; an
// entry lives from its first getCaption until tearDown or runGc releases it,
// and its address never changes meanwhile. Threads: main thread only; every
// call that renders or releases makes GL calls.
class CaptionBox final : public InitProtocol {
public:
    // The bundle's captions list (a plist), which holds every text.
    static constexpr const char* kCaptionsList = "captions";
    // The pictures set-up loads, at the device's caption `scale`.
    static std::vector<CaptionPicture> pictures(int32_t scale);

    // `generator` (owned) renders the texts; null makes the captions list of
    // the bundle at the device's caption scale when the box is set up.
    explicit CaptionBox(CaptionGenerator* generator = nullptr);
    ~CaptionBox();
    CaptionBox(const CaptionBox&) = delete;
    CaptionBox& operator=(const CaptionBox&) = delete;

    // Takes the language of the engine globals (English when none is set),
    // lists the collectable names, reads the captions list and loads the
    // pictures (GL context current).
    void setUp() override;
    // Deletes every entry and its texture.
    void tearDown() override;

    // The full key in the captions list: language, "_", name.
    std::string captionKey(const std::string& name) const;
    // The entry, rendered and uploaded on first use; never null.
    CaptionEntry* getCaption(const std::string& name);
    // Renders the caption again with `text` and swaps the new texture into the
    // entry. The text stays the caption's own: released and asked for again,
    // it comes back with it.
    void setCaption(const std::string& name, const std::string& text);
    // A new texture for `key`, not yet uploaded; an empty label keeps the
    // list's text.
    TextureMetrics* makeCaption(const std::string& key, const std::string& label);

    // Releases the textures of the text captions that may go and that no
    // name in `inUse` keeps (what the models' collectCaptions gathered);
    // pictures and captions on screen stay. Leaves no empty slot behind.
    void runGc(const std::unordered_set<std::string>& inUse);

    const std::vector<std::string>& collectableNames() const { return collectable; }
    // The entry of `name` when it exists, without rendering it.
    const CaptionEntry* findCaption(const std::string& name) const;
    std::size_t entryCount() const { return entries.size(); }

    std::string language;

private:
    void loadPictures();

    std::unique_ptr<CaptionGenerator> generator;
    std::map<std::string, CaptionEntry*> entries; // by bare name
    std::vector<std::string> collectable;
};

// The names of the text captions the box may release while nothing shows
// them, in the order the box lists them.
std::vector<std::string> collectableCaptionNames();

// What the view does on a memory warning or in the background: gathers the
// captions every model of the engine globals still shows and has the caption
// box release the other text captions. Nothing without a box.
void releaseUnusedCaptions();

} // namespace ZQ
