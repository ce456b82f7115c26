#include "overlays/ZQCaptionProducer.h"

#include "engine/Assert.h"
#include "engine/Bundle.h"
#include "engine/Log.h"

#include <pango/pangocairo.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <set>

namespace ZQ {

namespace {

// The font names the captions list uses, and the fontconfig face each one
// draws with: DejaVu for the Latin languages, VL Gothic for Japanese (which
// has no bold face: fontconfig emboldens its outlines).
struct FontFace {
    const char* name;        // as the list writes it
    const char* description; // a Pango font description
};

// clang-format off
constexpr FontFace kFonts[] = {
    {"DejaVuSans",               "DejaVu Sans"},                // 0
    {"DejaVuSans-Bold",          "DejaVu Sans Bold"},           // 1
    {"DejaVuSansCondensed",      "DejaVu Sans Condensed"},      // 2
    {"DejaVuSansCondensed-Bold", "DejaVu Sans Condensed Bold"}, // 3
    {"VL-Gothic",                "VL Gothic"},                  // 4
    {"VL-Gothic-Bold",           "VL Gothic Bold"},             // 5
};
// clang-format on
static_assert(std::size(kFonts) == 6,
              "three DejaVu faces, its bold condensed face and VL Gothic, plain and bold");

const char* fontDescription(const std::string& name) {
    if (name.empty()) {
        return kFonts[0].description;
    }
    for (const FontFace& face : kFonts) {
        if (name == face.name) {
            return face.description;
        }
    }
    static std::set<std::string> logged;
    if (logged.insert(name).second) {
        logToStderr("Caption font \"%s\" unknown; drawn with %s", name.c_str(), kFonts[0].description);
    }
    return kFonts[0].description;
}

double number(const CaptionAttributes& attributes, const char* key, double fallback) {
    const auto it = attributes.find(key);
    return it == attributes.end() || it->second.kind == CaptionValue::Kind::Text ? fallback
                                                                                 : it->second.number;
}

std::string text(const CaptionAttributes& attributes, const char* key) {
    const auto it = attributes.find(key);
    return it == attributes.end() || it->second.kind != CaptionValue::Kind::Text ? std::string()
                                                                                 : it->second.text;
}

void colour(const CaptionAttributes& attributes, const char* key, std::array<double, 4>& out) {
    const auto it = attributes.find(key);
    if (it == attributes.end() || it->second.kind != CaptionValue::Kind::List) {
        return;
    }
    // At most four components are read; missing ones stay as they were.
    for (std::size_t i = 0; i < it->second.list.size() && i < out.size(); ++i) {
        out[i] = static_cast<float>(it->second.list[i]);
    }
}

// A box side in pixels: points times the caption scale, the product in single
// precision as the device draws it.
double pixels(double points, int32_t scale) {
    return static_cast<float>(points) * static_cast<float>(scale);
}

} // namespace

bool CaptionFit::fits(int32_t width, int32_t height) const {
    return sizeValid && lines <= rows && inkLeft >= 0.0 && inkTop >= 0.0 && inkRight <= width &&
           inkBottom <= height;
}

ZQCaptionProducer::ZQCaptionProducer(PangoContext* context, int32_t scale) : context(context), scale(scale) {
    ZQ_ASSERT(context != nullptr);
}

ZQCaptionProducer::~ZQCaptionProducer() {
    if (layout != nullptr) {
        g_object_unref(layout);
    }
    if (cr != nullptr) {
        cairo_destroy(cr);
    }
    if (surface != nullptr) {
        cairo_surface_destroy(surface);
    }
}

CaptionBitmap ZQCaptionProducer::emptyBitmap() {
    CaptionBitmap bitmap;
    bitmap.width = 1;
    bitmap.height = 1;
    bitmap.pixels = static_cast<uint8_t*>(std::calloc(4, 1));
    return bitmap;
}

std::string ZQCaptionProducer::removeEscaping(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

int32_t ZQCaptionProducer::countRowsOf(const std::string& text) {
    if (text.empty()) {
        return 0;
    }
    int32_t parts = 1;
    for (char c : text) {
        parts += c == '\n' ? 1 : 0;
    }
    return text.back() == '\n' ? parts - 1 : parts;
}

CaptionBitmap ZQCaptionProducer::render(const CaptionAttributes& attributes, const std::string& key,
                                        CaptionFit* fit) {
    setAttributes(attributes, key);
    if (!sizeValid) {
        if (fit != nullptr) {
            fit->sizeValid = false;
        }
        return emptyBitmap();
    }
    setUp();
    clear();
    draw(fit);
    CaptionBitmap bitmap;
    bitmap.width = static_cast<int32_t>(width);
    bitmap.height = static_cast<int32_t>(height);
    bitmap.pixels = getRawData();
    bitmap.metrics = metrics;
    return bitmap;
}

void ZQCaptionProducer::setAttributes(const CaptionAttributes& attributes, const std::string& key) {
    const double widthPoints = number(attributes, "width", 0.0);
    const double heightPoints = number(attributes, "height", 0.0);
    width = pixels(widthPoints, scale);
    height = pixels(heightPoints, scale);
    // NaN fails both comparisons, so it is refused too.
    sizeValid = width >= 1.0 && width <= kMaxPixels && height >= 1.0 && height <= kMaxPixels;
    if (!sizeValid) {
        logToStderr("Caption %s: box %g x %g points is not 1 to %d pixels a side at scale %d; drawn 1 x 1",
                    key.c_str(), widthPoints, heightPoints, kMaxPixels, scale);
    }
    colour(attributes, "strokecolor", strokecolor);
    colour(attributes, "fillcolor", fillcolor);
    size = pixels(number(attributes, "size", 0.0), scale);
    strokeWidth = number(attributes, "strokewidth", 0.0);
    font = text(attributes, "font");
    label = text(attributes, "label");
    descent = attributes.count("descent") == 0 || attributes.at("descent").isTrue();
    apart = attributes.count("apart") != 0 && attributes.at("apart").isTrue();
    ligature = static_cast<int32_t>(number(attributes, "ligature", 2.0));
    kerningPresent = attributes.count("kerning") != 0;
    kerning = number(attributes, "kerning", 0.0);
    bgImage = text(attributes, "bgimage");
    const auto found = attributes.find("metrics@" + std::to_string(scale));
    bgMetricsPresent = found != attributes.end() && found->second.kind == CaptionValue::Kind::List;
    bgMetrics = bgMetricsPresent ? found->second.list : std::vector<double>();
    y = number(attributes, "y", 0.0);
    x = number(attributes, "x", 0.0);
}

void ZQCaptionProducer::setUp() {
    surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height));
    cr = cairo_create(surface);
    // Every drawing replaces what lies below it rather than blending.
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
}

void ZQCaptionProducer::clear() {
    cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 0.0);
    cairo_paint(cr);
}

void ZQCaptionProducer::drawBgImage() {
    const std::string path = pathForResource(bgImage + "@" + std::to_string(scale), "png");
    if (path.empty()) {
        return;
    }
    cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
        cairo_set_source_surface(cr, image, 0.0, 0.0);
        cairo_paint(cr);
    }
    cairo_surface_destroy(image);
}

void ZQCaptionProducer::draw(CaptionFit* fit) {
    if (!bgImage.empty()) {
        drawBgImage();
    }
    const std::string content = removeEscaping(label);
    const int32_t rows = countRowsOf(content);

    PangoFontDescription* description = pango_font_description_from_string(fontDescription(font));
    pango_font_description_set_absolute_size(description, size * PANGO_SCALE);
    PangoFontMetrics* fontMetrics = pango_context_get_metrics(context, description, nullptr);
    const double ascent = pango_font_metrics_get_ascent(fontMetrics) / double(PANGO_SCALE);
    const double fontDescent = pango_font_metrics_get_descent(fontMetrics) / double(PANGO_SCALE);
    pango_font_metrics_unref(fontMetrics);

    layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    pango_layout_set_width(layout, static_cast<int>(width * PANGO_SCALE));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
    PangoAttrList* attributes = pango_attr_list_new();
    if (ligature == 0) {
        pango_attr_list_insert(attributes, pango_attr_font_features_new("liga 0, clig 0"));
    } else if (ligature >= 2) {
        pango_attr_list_insert(attributes, pango_attr_font_features_new("dlig 1"));
    }
    if (kerningPresent) {
        pango_attr_list_insert(attributes,
                               pango_attr_letter_spacing_new(static_cast<int>(kerning * PANGO_SCALE)));
    }
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);
    pango_layout_set_text(layout, content.c_str(), static_cast<int>(content.size()));

    // The block of rows is centred on y, measured up from the bottom edge as
    // the caption is seen (half the height when y is 0); without "descent"
    // it sits lower by the font's descent.
    const double centre = y != 0.0 ? y : height * 0.5;
    const double blockHeight = (ascent + fontDescent) * rows;
    const double top =
        static_cast<float>((height - centre) - 0.5 * blockHeight + (descent ? 0.0 : fontDescent));

    // The stroke width is a percentage of the font size: negative fills and
    // strokes, positive strokes only. The outline goes under the fill, so
    // only its outer half shows and small letters keep their strokes.
    const double lineWidth = std::fabs(strokeWidth) * size / 100.0;
    const double halfStroke = strokeWidth != 0.0 ? lineWidth * 0.5 : 0.0;
    if (apart) {
        pathApart(top, halfStroke);
    } else {
        cairo_move_to(cr, x, top);
        pango_cairo_layout_path(cr, layout);
    }
    // The ink is measured on the path as drawn, letters moved apart included.
    double inkLeft = 0.0, inkTop = 0.0, inkRight = 0.0, inkBottom = 0.0;
    cairo_path_extents(cr, &inkLeft, &inkTop, &inkRight, &inkBottom);
    if (strokeWidth != 0.0) {
        cairo_set_source_rgba(cr, strokecolor[0], strokecolor[1], strokecolor[2], strokecolor[3]);
        cairo_set_line_width(cr, lineWidth);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    if (strokeWidth <= 0.0) {
        cairo_set_source_rgba(cr, fillcolor[0], fillcolor[1], fillcolor[2], fillcolor[3]);
        cairo_fill_preserve(cr);
    }
    cairo_new_path(cr);
    cairo_surface_flush(surface);

    if (bgMetricsPresent) {
        metrics.clear();
        for (double value : bgMetrics) {
            metrics.push_back(static_cast<float>(value));
        }
    } else if (!apart) {
        doMetrics(x);
    }

    if (fit != nullptr) {
        fit->rows = rows;
        fit->lines = content.empty() ? 0 : pango_layout_get_line_count(layout);
        if (inkRight > inkLeft && inkBottom > inkTop) {
            fit->inkLeft = inkLeft - halfStroke;
            fit->inkRight = inkRight + halfStroke;
            fit->inkTop = inkTop - halfStroke;
            fit->inkBottom = inkBottom + halfStroke;
        }
    }
}

void ZQCaptionProducer::doMetrics(double left) {
    metrics.clear();
    const char* content = pango_layout_get_text(layout);
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    do {
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
        if (line->length < 0) {
            continue;
        }
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        // Every letter's left edge, then the right edge of the last one.
        const int end = line->start_index + line->length;
        for (int index = line->start_index;;) {
            int offset = 0;
            pango_layout_line_index_to_x(line, index, 0, &offset);
            metrics.push_back(left + (logical.x + offset) / double(PANGO_SCALE));
            if (index >= end) {
                break;
            }
            index = static_cast<int>(g_utf8_next_char(content + index) - content);
        }
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
}

void ZQCaptionProducer::pathApart(double top, double reach) {
    metrics.clear();
    // The runs of the line at hand, where they are drawn, and for each run
    // the letter of every glyph.
    struct Run {
        PangoGlyphItem* glyphs;
        double x;
        double baseline;
        std::vector<std::size_t> letterOfGlyph;
    };
    std::vector<Run> runs;
    std::vector<LetterCell> cells;
    // Glyphs are measured on a path of their own, beside the text's.
    cairo_t* measure = cairo_create(surface);
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    do {
        PangoRectangle logical;
        pango_layout_iter_get_run_extents(iter, nullptr, &logical);
        const double runX = x + logical.x / double(PANGO_SCALE);
        PangoLayoutRun* run = pango_layout_iter_get_run_readonly(iter);
        if (run != nullptr) {
            runs.push_back({run, runX, top + pango_layout_iter_get_baseline(iter) / double(PANGO_SCALE), {}});
            addCells(measure, run, runX, reach, cells, runs.back().letterOfGlyph);
            continue;
        }
        // The end of a line: cut its letters apart, draw them, and keep the
        // boundaries; a line without letters has one, where it starts.
        if (cells.empty()) {
            metrics.push_back(runX);
        }
        const LetterCut cut = cutLetters(cells, kLetterClearance);
        metrics.insert(metrics.end(), cut.boundaries.begin(), cut.boundaries.end());
        for (const Run& placed : runs) {
            PangoGlyphString* moved = pango_glyph_string_copy(placed.glyphs->glyphs);
            for (int g = 0; g < moved->num_glyphs; ++g) {
                moved->glyphs[g].geometry.x_offset +=
                    static_cast<int>(std::lround(cut.shifts[placed.letterOfGlyph[g]] * PANGO_SCALE));
            }
            cairo_move_to(cr, placed.x, placed.baseline);
            pango_cairo_glyph_string_path(cr, placed.glyphs->item->analysis.font, moved);
            pango_glyph_string_free(moved);
        }
        runs.clear();
        cells.clear();
    } while (pango_layout_iter_next_run(iter));
    pango_layout_iter_free(iter);
    cairo_destroy(measure);
}

// The letters of one run: a cell for every character, at its advance and
// with its glyphs' ink widened by the outline's reach. A character that
// shares its glyphs with the one before (a combining mark) gets a blank cell
// of no width, so every character still has its boundary.
void ZQCaptionProducer::addCells(cairo_t* measure, const PangoGlyphItem* run, double runX, double reach,
                                 std::vector<LetterCell>& cells,
                                 std::vector<std::size_t>& letterOfGlyph) const {
    const char* content = pango_layout_get_text(layout);
    const PangoGlyphString* glyphs = run->glyphs;
    const PangoItem* item = run->item;
    letterOfGlyph.assign(static_cast<std::size_t>(glyphs->num_glyphs), 0);
    PangoGlyphString* one = pango_glyph_string_new();
    pango_glyph_string_set_size(one, 1);
    one->log_clusters[0] = 0;
    double advance = runX;
    for (int g = 0; g < glyphs->num_glyphs;) {
        const int start = glyphs->log_clusters[g];
        LetterCell cell;
        cell.left = advance;
        const std::size_t letter = cells.size();
        for (; g < glyphs->num_glyphs && glyphs->log_clusters[g] == start; ++g) {
            const PangoGlyphInfo& glyph = glyphs->glyphs[g];
            // The ink of the outline as it is filled: a font's own extents
            // leave out the widening of an emboldened face.
            one->glyphs[0] = glyph;
            cairo_new_path(measure);
            cairo_move_to(measure, advance, 0.0);
            pango_cairo_glyph_string_path(measure, item->analysis.font, one);
            double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
            cairo_path_extents(measure, &left, &top, &right, &bottom);
            if (right > left) {
                cell.inkLeft = cell.inked ? std::min(cell.inkLeft, left - reach) : left - reach;
                cell.inkRight = cell.inked ? std::max(cell.inkRight, right + reach) : right + reach;
                cell.inked = true;
            }
            advance += glyph.geometry.width / double(PANGO_SCALE);
            letterOfGlyph[static_cast<std::size_t>(g)] = letter;
        }
        cell.right = advance;
        cells.push_back(cell);
        const int end = g < glyphs->num_glyphs ? glyphs->log_clusters[g] : item->length;
        const char* next = g_utf8_next_char(content + item->offset + start);
        for (; next < content + item->offset + end; next = g_utf8_next_char(next)) {
            cells.push_back({advance, advance, 0.0, 0.0, false});
        }
    }
    pango_glyph_string_free(one);
}

uint8_t* ZQCaptionProducer::getRawData() const {
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    auto* out =
        static_cast<uint8_t*>(std::calloc(static_cast<std::size_t>(w) * 4 * static_cast<std::size_t>(h), 1));
    ZQ_ASSERT(out != nullptr);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    // Cairo keeps premultiplied ARGB in native words, top row first; GL takes
    // R, G, B, A bytes with the bottom row first.
    for (int row = 0; row < h; ++row) {
        const auto* source =
            reinterpret_cast<const uint32_t*>(data + static_cast<std::ptrdiff_t>(row) * stride);
        uint8_t* target = out + static_cast<std::size_t>(h - 1 - row) * static_cast<std::size_t>(w) * 4;
        for (int column = 0; column < w; ++column) {
            const uint32_t pixel = source[column];
            target[4 * column + 0] = static_cast<uint8_t>(pixel >> 16);
            target[4 * column + 1] = static_cast<uint8_t>(pixel >> 8);
            target[4 * column + 2] = static_cast<uint8_t>(pixel);
            target[4 * column + 3] = static_cast<uint8_t>(pixel >> 24);
        }
    }
    return out;
}

} // namespace ZQ
