#pragma once

#include "overlays/CaptionAttributes.h"
#include "overlays/CaptionGenerator.h"

#include <set>
#include <string>
#include <unordered_map>

typedef struct _PangoContext PangoContext;

namespace ZQ {

struct CaptionFit;

// The captions property list and the text rasteriser behind the caption box,
// on Pango, Cairo and fontconfig.
//
// The list's root dictionary is keyed by language; nested dictionaries are
// groups whose keys join their parent's with "_", so en -> timer -> 5 and
// en -> timer_5 both name the caption en_timer_5. An "attributes" dictionary
// at any level sets drawing attributes for everything below it, a deeper one
// overriding a higher one; every other leaf is a caption's text.
//
// Ownership: owns the flattened table and one Pango context (its font map is
// the thread's shared one). Threads: main thread only.
class ZQCaptionGenerator : public CaptionGenerator {
public:
    // `filename` is the list's name in the bundle ("captions", type plist);
    // `scale` the device's caption scale, which multiplies every size; a
    // `path` reads that file instead of the bundle's.
    ZQCaptionGenerator(std::string filename, int32_t scale, std::string path = std::string());
    ~ZQCaptionGenerator() override;
    ZQCaptionGenerator(const ZQCaptionGenerator&) = delete;
    ZQCaptionGenerator& operator=(const ZQCaptionGenerator&) = delete;

    void setUp() override;
    CaptionBitmap make(const std::string& key, const std::string& label) override;
    // The same, also saying how the text sits in its box (the fit test).
    CaptionBitmap make(const std::string& key, const std::string& label, CaptionFit* fit);

    // Reads and flattens the list at `file`.
    void load(const std::string& file);

    // The flattened table: full key to attributes, text under "label".
    const std::unordered_map<std::string, CaptionAttributes>& captionAttrs() const { return captionAttrs_; }
    int32_t scale() const { return scale_; }

private:
    std::string filename;
    int32_t scale_;
    std::string path;
    std::unordered_map<std::string, CaptionAttributes> captionAttrs_;
    std::set<std::string> loggedKeys; // missing keys already logged
    PangoContext* context = nullptr;
};

} // namespace ZQ
