#include "Pictures.h"

#include <cairo.h>

#include <cmath>

namespace VelmoraBundle {

namespace {

constexpr double kPi = 3.14159265358979;

// The heads-up icons sit at the top left with their number beside or under
// them: the caption model centres a picture on 0.1 w and starts the number
// at 0.1 w, so each icon fills the left half of a picture twice as wide as
// high and leaves the right half clear for the number. One unit = one
// caption-scale pixel; the icon square is 32 units.
constexpr int kIconUnits = 32;
constexpr int kTitleWidthUnits = 256;
constexpr int kTitleHeightUnits = 64;

using Draw = void (*)(cairo_t* cr);

// A light fill with a dark rim reads on the bright wallpapers and the dark
// ones alike; the caption model draws them at alpha 0.75.
void rimmed(cairo_t* cr, double r, double g, double b, double rim) {
    cairo_set_source_rgb(cr, r, g, b);
    cairo_fill_preserve(cr);
    cairo_set_source_rgba(cr, 0.08, 0.06, 0.12, 0.9);
    cairo_set_line_width(cr, rim);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

void hourglass(cairo_t* cr) {
    // Glass.
    cairo_move_to(cr, 8, 5);
    cairo_line_to(cr, 24, 5);
    cairo_curve_to(cr, 24, 12, 18, 14, 17, 16);
    cairo_curve_to(cr, 18, 18, 24, 20, 24, 27);
    cairo_line_to(cr, 8, 27);
    cairo_curve_to(cr, 8, 20, 14, 18, 15, 16);
    cairo_curve_to(cr, 14, 14, 8, 12, 8, 5);
    cairo_close_path(cr);
    rimmed(cr, 0.93, 0.95, 1.0, 1.5);
    // Sand: a little left above, a heap below.
    cairo_move_to(cr, 11, 10);
    cairo_line_to(cr, 21, 10);
    cairo_line_to(cr, 16, 15);
    cairo_close_path(cr);
    cairo_move_to(cr, 9.5, 25.5);
    cairo_curve_to(cr, 11, 21, 21, 21, 22.5, 25.5);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 0.93, 0.69, 0.22);
    cairo_fill(cr);
    // Caps.
    cairo_rectangle(cr, 5, 2.5, 22, 3);
    cairo_rectangle(cr, 5, 26.5, 22, 3);
    rimmed(cr, 0.55, 0.33, 0.16, 1.0);
}

// A ring of cord: the move counter.
void ring(cairo_t* cr) {
    cairo_arc(cr, 16, 16, 10.5, 0, 2 * kPi);
    cairo_set_line_width(cr, 7.5);
    cairo_set_source_rgba(cr, 0.08, 0.06, 0.12, 0.9);
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, 5);
    cairo_set_source_rgb(cr, 0.98, 0.78, 0.25);
    cairo_stroke(cr);
    // A twist highlight along the cord.
    cairo_arc(cr, 16, 16, 10.5, -0.9 * kPi, -0.55 * kPi);
    cairo_set_line_width(cr, 1.6);
    cairo_set_source_rgb(cr, 1.0, 0.97, 0.85);
    cairo_stroke(cr);
}

// An open brush stroke round a calm dot: the calm strings of Zen mode. The
// stroke is drawn twice, a wider dark rim first.
void brushCircle(cairo_t* cr, double widen) {
    for (int k = 0; k < 120; ++k) {
        const double t = k / 119.0;
        const double a = (-0.4 + 1.75 * t) * kPi;
        const double r = 1.2 + 2.4 * std::sin(kPi * t) + widen;
        cairo_arc(cr, 16 + 10.5 * std::cos(a), 16 + 10.5 * std::sin(a), r, 0, 2 * kPi);
        cairo_fill(cr);
    }
    cairo_arc(cr, 16, 16, 2.5 + widen, 0, 2 * kPi);
    cairo_fill(cr);
}

void zen(cairo_t* cr) {
    cairo_set_source_rgba(cr, 0.08, 0.06, 0.12, 0.9);
    brushCircle(cr, 1.0);
    cairo_set_source_rgb(cr, 0.55, 0.88, 0.80);
    brushCircle(cr, 0.0);
}

// The title: the game's name in large letters, warm gold over a dark rim,
// with a cord drawn under it.
void title(cairo_t* cr) {
    cairo_select_font_face(cr, "DejaVu Serif", CAIRO_FONT_SLANT_ITALIC, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 44);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, "Velmora", &extents);
    const double x = 0.5 * kTitleWidthUnits - (extents.x_bearing + 0.5 * extents.width);
    cairo_move_to(cr, x, 44);
    cairo_text_path(cr, "Velmora");
    cairo_set_source_rgba(cr, 0.08, 0.06, 0.12, 0.9);
    cairo_set_line_width(cr, 4);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    cairo_pattern_t* gold = cairo_pattern_create_linear(0, 10, 0, 46);
    cairo_pattern_add_color_stop_rgb(gold, 0, 1.0, 0.93, 0.60);
    cairo_pattern_add_color_stop_rgb(gold, 1, 0.85, 0.55, 0.12);
    cairo_set_source(cr, gold);
    cairo_fill(cr);
    cairo_pattern_destroy(gold);
    // The cord: one loose wave under the name.
    cairo_move_to(cr, 28, 54);
    cairo_curve_to(cr, 80, 46, 110, 62, 128, 54);
    cairo_curve_to(cr, 146, 46, 176, 62, 228, 54);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_source_rgba(cr, 0.08, 0.06, 0.12, 0.9);
    cairo_set_line_width(cr, 5);
    cairo_stroke_preserve(cr);
    cairo_set_source_rgb(cr, 0.95, 0.45, 0.30);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
}

Picture render(const std::string& name, int widthUnits, int heightUnits, int scale, Draw draw) {
    Picture picture;
    picture.name = name + "@" + std::to_string(scale);
    picture.width = widthUnits * scale;
    picture.height = heightUnits * scale;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, picture.width, picture.height);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    draw(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    picture.rgba.resize(std::size_t(picture.width) * picture.height * 4);
    // Cairo keeps premultiplied native-endian ARGB words; PNG wants straight RGBA.
    for (int y = 0; y < picture.height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + std::ptrdiff_t(y) * stride);
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t argb = row[x];
            const uint32_t a = argb >> 24;
            uint8_t* out = &picture.rgba[(std::size_t(y) * picture.width + x) * 4];
            for (int c = 0; c < 3; ++c) {
                const uint32_t premultiplied = (argb >> (16 - 8 * c)) & 0xff;
                out[c] = a == 0 ? 0 : static_cast<uint8_t>((premultiplied * 255 + a / 2) / a);
            }
            out[3] = static_cast<uint8_t>(a);
        }
    }
    cairo_surface_destroy(surface);
    return picture;
}

Picture onePixel(const std::string& name, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return Picture{name, 1, 1, {r, g, b, a}};
}

} // namespace

std::vector<Picture> makePictures() {
    std::vector<Picture> pictures;
    for (int scale : kCaptionScales) {
        pictures.push_back(render("hourglass", 2 * kIconUnits, kIconUnits, scale, hourglass));
        pictures.push_back(render("ring", 2 * kIconUnits, kIconUnits, scale, ring));
        pictures.push_back(render("zen", 2 * kIconUnits, kIconUnits, scale, zen));
        pictures.push_back(render("zr_title", kTitleWidthUnits, kTitleHeightUnits, scale, title));
    }
    // The outro's backdrop, stretched over the screen behind the last lines:
    // a deep night blue the white letters stand out on; the caption model
    // fades it in, and its own alpha lets the room show faintly through.
    pictures.push_back(onePixel("story_bg_1px", 14, 12, 28, 235));
    // Behind the containers of the tile trees, read by the tile shader as a
    // relief: alpha 0 bends nothing, whatever the colour.
    pictures.push_back(onePixel("tile_bg_1px", 128, 128, 255, 0));
    return pictures;
}

} // namespace VelmoraBundle
