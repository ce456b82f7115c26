#include "Pictures.h"

#include <cairo.h>

#include <cmath>
#include <vector>

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

// The icon: a trefoil knot, the simplest cord that cannot be untied,
// (sin t + 2 sin 2t, cos t - 2 cos 2t) with depth -sin 3t, on a rounded tile.
// At each of its three crossings one strand is nearer than depth 0 and the
// other farther, so the cord is drawn whole, then the nearer strand again
// round each crossing, within a disc: it covers the strand beneath with its
// dark rim and the crossings read as over and under, while the disc's edge
// cuts every band of the cord at once, where the two drawings agree.
constexpr int kKnotPoints = 720;
constexpr int kCrossingStretch = 60;      // points each side of a crossing drawn again
constexpr double kCrossingRadius = 40.0;  // the disc's radius in units
constexpr double kKnotScale = 34.0;       // units a knot unit: the knot spans +-3
constexpr double kKnotMiddleY = -0.46875; // y runs from -3 up to 2.0625, at cos t = 1/8
constexpr double kCordWidth = 26.0;       // the cord's width in units, rim left out
constexpr double kCordRim = 3.0;          // the dark rim each side
constexpr double kTileCorner = 48.0;

struct KnotPoint {
    double x, y, depth;
};

// A band along the cord: the dark rim, the shaded cord, its lit side and a
// highlight, each moved up and left towards the light by `shift`.
struct CordLayer {
    double width, shift, r, g, b;
};
constexpr CordLayer kCordLayers[] = {
    {kCordWidth + 2 * kCordRim, 0.0, 0.08, 0.06, 0.12}, // rim
    {kCordWidth, 0.0, 0.74, 0.46, 0.12},                // shade
    {kCordWidth - 8.0, -2.0, 0.96, 0.72, 0.23},         // lit side
    {0.25 * kCordWidth, -4.5, 1.00, 0.93, 0.66},        // highlight
};

// Strokes `count` points of the cord from `from` on (round the loop), the
// whole closed loop when `count` is all of them.
void strokeCord(cairo_t* cr, const std::vector<KnotPoint>& points, std::size_t from, std::size_t count) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (const CordLayer& layer : kCordLayers) {
        for (std::size_t k = 0; k < count; ++k) {
            const KnotPoint& p = points[(from + k) % points.size()];
            cairo_line_to(cr, p.x + layer.shift, p.y + layer.shift);
        }
        if (count == points.size()) {
            cairo_close_path(cr);
        }
        cairo_set_source_rgb(cr, layer.r, layer.g, layer.b);
        cairo_set_line_width(cr, layer.width);
        cairo_stroke(cr);
    }
}

void knotIcon(cairo_t* cr) {
    const double edge = kIconEdge;
    const double r = kTileCorner;
    cairo_new_sub_path(cr);
    cairo_arc(cr, edge - r, r, r, -0.5 * kPi, 0);
    cairo_arc(cr, edge - r, edge - r, r, 0, 0.5 * kPi);
    cairo_arc(cr, r, edge - r, r, 0.5 * kPi, kPi);
    cairo_arc(cr, r, r, r, kPi, 1.5 * kPi);
    cairo_close_path(cr);
    cairo_pattern_t* night =
        cairo_pattern_create_radial(0.5 * edge, 0.4 * edge, 0, 0.5 * edge, 0.5 * edge, 0.75 * edge);
    cairo_pattern_add_color_stop_rgb(night, 0, 0.22, 0.17, 0.36);
    cairo_pattern_add_color_stop_rgb(night, 1, 14 / 255.0, 12 / 255.0, 28 / 255.0);
    cairo_set_source(cr, night);
    cairo_fill(cr);
    cairo_pattern_destroy(night);

    std::vector<KnotPoint> points(kKnotPoints);
    for (int i = 0; i < kKnotPoints; ++i) {
        const double t = 2 * kPi * i / kKnotPoints;
        points[i] = {0.5 * edge + kKnotScale * (std::sin(t) + 2 * std::sin(2 * t)),
                     0.5 * edge + kKnotScale * (std::cos(t) - 2 * std::cos(2 * t) - kKnotMiddleY),
                     -std::sin(3 * t)};
    }
    strokeCord(cr, points, 0, points.size());
    // Point 0 is at depth 0: every nearer stretch starts after it, and its
    // point nearest to the farther half of the cord is its crossing.
    const std::size_t n = points.size();
    for (std::size_t i = 1; i < n; ++i) {
        if (points[i].depth <= 0 || points[i - 1].depth > 0) {
            continue;
        }
        std::size_t crossing = i;
        double nearest = edge;
        for (std::size_t k = i; points[k % n].depth > 0; ++k) {
            for (const KnotPoint& other : points) {
                const double distance = std::hypot(other.x - points[k % n].x, other.y - points[k % n].y);
                if (other.depth < 0 && distance < nearest) {
                    nearest = distance;
                    crossing = k % n;
                }
            }
        }
        // Drawn whole first, so the disc's smoothed edge blends the finished
        // cord over the same, not each band over the one before.
        cairo_push_group(cr);
        strokeCord(cr, points, crossing + n - kCrossingStretch, 2 * kCrossingStretch + 1);
        cairo_pop_group_to_source(cr);
        cairo_arc(cr, points[crossing].x, points[crossing].y, kCrossingRadius, 0, 2 * kPi);
        cairo_fill(cr);
    }
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

Picture makeIcon() {
    Picture icon = render("velmora", kIconEdge, kIconEdge, 1, knotIcon);
    icon.name = "velmora";
    return icon;
}

} // namespace VelmoraBundle
