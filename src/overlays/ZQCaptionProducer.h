#pragma once

#include "overlays/CaptionAttributes.h"
#include "overlays/CaptionGenerator.h"
#include "overlays/CaptionLetterCut.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

typedef struct _PangoContext PangoContext;
typedef struct _PangoLayout PangoLayout;
typedef struct _PangoGlyphItem PangoGlyphItem;
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace ZQ {

// How a rendered text sits in its caption's box, for the fit test and the
// contact sheet: the inked pixels (stroke included) against the bitmap, and
// the rows the text asked for against the lines Pango laid out.
struct CaptionFit {
    double inkLeft = 0.0, inkTop = 0.0, inkRight = 0.0, inkBottom = 0.0; // y down, pixels
    int32_t rows = 0;  // rows of the text, by its line breaks
    int32_t lines = 0; // lines laid out; more than rows means the text wrapped
    bool sizeValid = true;

    bool fits(int32_t width, int32_t height) const;
};

// One caption laid out and rasterised: lives for one rendering. Reads the
// attributes (sizes in points times the caption scale), draws the background
// picture and the text, centred line by line in a block centred on "y", with
// the fill and stroke colours, and measures where every letter boundary lies.
// With "apart" set (captions whose letters flow), each letter is drawn clear
// of its neighbours and the boundaries fall between their inks, so the flow
// pass cuts every letter out whole (see cutLetters).
//
// Ownership: owns its Cairo surface and Pango layout until it is destroyed;
// the Pango context is the generator's. Threads: main thread only.
class ZQCaptionProducer {
public:
    // Boxes beyond this many pixels a side are refused: no texture that size
    // is worth a caption, and a wrong number in the list must not allocate
    // gigabytes.
    static constexpr int32_t kMaxPixels = 4096;
    // Pixels between a letter boundary and any ink of "apart" letters. The
    // flow pass draws a letter from one pixel inside its boundaries, through
    // a linear filter: every texel whose centre lies within a pixel of a
    // boundary must be blank, or it is faded at the cut or read by the
    // neighbour. Ink at 1.5 pixels from the boundary covers texels whose
    // centres lie at least one pixel from it, wherever the boundary falls.
    static constexpr double kLetterClearance = 1.5;

    ZQCaptionProducer(PangoContext* context, int32_t scale);
    ~ZQCaptionProducer();
    ZQCaptionProducer(const ZQCaptionProducer&) = delete;
    ZQCaptionProducer& operator=(const ZQCaptionProducer&) = delete;

    // Every step in order: attributes, surface, clear, draw, bitmap. `key`
    // names the caption in log lines.
    CaptionBitmap render(const CaptionAttributes& attributes, const std::string& key,
                         CaptionFit* fit = nullptr);

    // A transparent 1 x 1 caption: what a missing key or a bad size gives.
    static CaptionBitmap emptyBitmap();

    // Literal backslash-n pairs become line breaks.
    static std::string removeEscaping(const std::string& text);
    // The parts between line breaks, one less when the last part is empty.
    static int32_t countRowsOf(const std::string& text);

private:
    void setAttributes(const CaptionAttributes& attributes, const std::string& key);
    void setUp();
    void clear();
    void draw(CaptionFit* fit);
    void drawBgImage();
    void doMetrics(double left);
    // Puts the text's path letter by letter, moved apart, and takes the
    // boundaries between the letters' inks as the metrics; `reach` is how far
    // the outline reaches beyond a glyph.
    void pathApart(double top, double reach);
    // The letters of one run, their ink measured on `measure`'s path.
    void addCells(cairo_t* measure, const PangoGlyphItem* run, double runX, double reach,
                  std::vector<LetterCell>& cells, std::vector<std::size_t>& letterOfGlyph) const;
    uint8_t* getRawData() const;

    PangoContext* context;
    int32_t scale;

    double width = 0.0; // pixels
    double height = 0.0;
    std::array<double, 4> strokecolor{};
    std::array<double, 4> fillcolor{};
    double size = 0.0; // pixels
    double strokeWidth = 0.0;
    std::string font;
    std::string label;
    bool descent = true;
    bool apart = false;
    std::vector<double> bgMetrics;
    bool bgMetricsPresent = false;
    int32_t ligature = 2;
    double kerning = 0.0;
    bool kerningPresent = false;
    std::string bgImage;
    double y = 0.0;
    double x = 0.0;
    bool sizeValid = true;

    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    PangoLayout* layout = nullptr;
    std::vector<double> metrics;
};

} // namespace ZQ
