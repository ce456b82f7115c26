#include "Reliefs.h"

#include "Raster.h"

#include <cairo.h>

#include <cmath>
#include <iterator>

namespace VelmoraBundle {

namespace {

constexpr double kPi = 3.14159265358979;
// Icons are drawn in a 256-unit square, y down, inside [40, 216]: the blur
// spreads them by about ten texels and must stay clear of the flat border.
constexpr double kCentre = 128.0;

using Draw = void (*)(cairo_t* cr);

void roundStroke(cairo_t* cr, double width) {
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

void play(cairo_t* cr) {
    cairo_move_to(cr, 84, 52);
    cairo_line_to(cr, 200, kCentre);
    cairo_line_to(cr, 84, 204);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// A map folded in three, with a pin on the middle panel.
void map(cairo_t* cr) {
    cairo_move_to(cr, 44, 76);
    cairo_line_to(cr, 100, 56);
    cairo_line_to(cr, 156, 76);
    cairo_line_to(cr, 212, 56);
    cairo_line_to(cr, 212, 180);
    cairo_line_to(cr, 156, 200);
    cairo_line_to(cr, 100, 180);
    cairo_line_to(cr, 44, 200);
    cairo_close_path(cr);
    roundStroke(cr, 12);
    cairo_move_to(cr, 100, 60);
    cairo_line_to(cr, 100, 178);
    cairo_move_to(cr, 156, 80);
    cairo_line_to(cr, 156, 196);
    roundStroke(cr, 8);
    cairo_arc(cr, 128, 118, 16, 0, 2 * kPi);
    cairo_fill(cr);
}

// An arrow to the right.
void next(cairo_t* cr) {
    cairo_move_to(cr, 52, kCentre);
    cairo_line_to(cr, 190, kCentre);
    roundStroke(cr, 26);
    cairo_move_to(cr, 140, 70);
    cairo_line_to(cr, 200, kCentre);
    cairo_line_to(cr, 140, 186);
    roundStroke(cr, 26);
}

// Three podium bars.
void leaderboards(cairo_t* cr) {
    cairo_rectangle(cr, 50, 120, 46, 90);
    cairo_rectangle(cr, 105, 60, 46, 150);
    cairo_rectangle(cr, 160, 96, 46, 114);
    cairo_fill(cr);
}

void pause(cairo_t* cr) {
    cairo_rectangle(cr, 72, 56, 40, 144);
    cairo_rectangle(cr, 144, 56, 40, 144);
    cairo_fill(cr);
}

// Three nodes joined: the usual share mark.
void share(cairo_t* cr) {
    cairo_move_to(cr, 176, 72);
    cairo_line_to(cr, 80, kCentre);
    cairo_line_to(cr, 176, 184);
    roundStroke(cr, 12);
    cairo_arc(cr, 176, 72, 26, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_arc(cr, 80, kCentre, 26, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_arc(cr, 176, 184, 26, 0, 2 * kPi);
    cairo_fill(cr);
}

// An open book.
void story(cairo_t* cr) {
    for (int side = -1; side <= 1; side += 2) {
        const double s = side;
        cairo_move_to(cr, kCentre, 76);
        cairo_curve_to(cr, kCentre + s * 30, 60, kCentre + s * 60, 60, kCentre + s * 84, 70);
        cairo_line_to(cr, kCentre + s * 84, 186);
        cairo_curve_to(cr, kCentre + s * 60, 176, kCentre + s * 30, 176, kCentre, 192);
        cairo_close_path(cr);
        roundStroke(cr, 10);
        for (int line = 0; line < 3; ++line) {
            const double y = 100 + 28 * line;
            cairo_move_to(cr, kCentre + s * 22, y);
            cairo_line_to(cr, kCentre + s * 64, y - 4);
            roundStroke(cr, 6);
        }
    }
}

void stop(cairo_t* cr) {
    cairo_rectangle(cr, 68, 68, 120, 120);
    cairo_fill(cr);
}

// A mortarboard: the tutorial teaches.
void tutorial(cairo_t* cr) {
    cairo_move_to(cr, kCentre, 60);
    cairo_line_to(cr, 214, 104);
    cairo_line_to(cr, kCentre, 148);
    cairo_line_to(cr, 42, 104);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_move_to(cr, 80, 128);
    cairo_line_to(cr, 80, 176);
    cairo_curve_to(cr, 110, 200, 146, 200, 176, 176);
    cairo_line_to(cr, 176, 128);
    roundStroke(cr, 12);
    cairo_move_to(cr, 200, 110);
    cairo_line_to(cr, 200, 170);
    roundStroke(cr, 6);
    cairo_arc(cr, 200, 176, 9, 0, 2 * kPi);
    cairo_fill(cr);
}

// A circular arrow.
void restart(cairo_t* cr) {
    cairo_arc(cr, kCentre, kCentre, 70, -0.35 * kPi, 1.45 * kPi);
    roundStroke(cr, 22);
    const double a = -0.35 * kPi;
    const double x = kCentre + 70 * std::cos(a);
    const double y = kCentre + 70 * std::sin(a);
    cairo_move_to(cr, x + 34, y - 10);
    cairo_line_to(cr, x - 8, y - 30);
    cairo_line_to(cr, x - 2, y + 22);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// An open brush circle with a calm dot inside.
void zen(cairo_t* cr) {
    // Enough overlapping dabs that the stroke's edge reads as one line.
    for (int k = 0; k < 160; ++k) {
        const double t = k / 159.0;
        const double a = (-0.4 + 1.75 * t) * kPi;
        cairo_arc(cr, kCentre + 72 * std::cos(a), kCentre + 72 * std::sin(a), 6 + 10 * std::sin(kPi * t), 0,
                  2 * kPi);
        cairo_fill(cr);
    }
    cairo_arc(cr, kCentre, kCentre, 16, 0, 2 * kPi);
    cairo_fill(cr);
}

// A stopwatch: arcade play runs against the clock.
void arcade(cairo_t* cr) {
    cairo_arc(cr, kCentre, 140, 68, 0, 2 * kPi);
    roundStroke(cr, 14);
    cairo_rectangle(cr, 112, 50, 32, 18);
    cairo_fill(cr);
    cairo_move_to(cr, kCentre, 70);
    cairo_line_to(cr, kCentre, 76);
    roundStroke(cr, 14);
    cairo_move_to(cr, kCentre, 140);
    cairo_line_to(cr, kCentre, 96);
    cairo_move_to(cr, kCentre, 140);
    cairo_line_to(cr, 160, 156);
    roundStroke(cr, 10);
}

void speaker(cairo_t* cr) {
    cairo_move_to(cr, 48, 104);
    cairo_line_to(cr, 84, 104);
    cairo_line_to(cr, 128, 64);
    cairo_line_to(cr, 128, 192);
    cairo_line_to(cr, 84, 152);
    cairo_line_to(cr, 48, 152);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// Mute on: the speaker crossed out, the music is silent.
void muteOn(cairo_t* cr) {
    speaker(cr);
    cairo_move_to(cr, 152, 100);
    cairo_line_to(cr, 204, 156);
    cairo_move_to(cr, 204, 100);
    cairo_line_to(cr, 152, 156);
    roundStroke(cr, 14);
}

// Mute off: the speaker with its sound waves.
void muteOff(cairo_t* cr) {
    speaker(cr);
    cairo_arc(cr, 128, kCentre, 36, -0.3 * kPi, 0.3 * kPi);
    roundStroke(cr, 12);
    cairo_new_path(cr);
    cairo_arc(cr, 128, kCentre, 70, -0.3 * kPi, 0.3 * kPi);
    roundStroke(cr, 12);
}

struct ReliefRow {
    const char* name;
    Draw draw;
};

// clang-format off
constexpr ReliefRow kReliefs[] = {
    {"ui_play",         play},         // 0
    {"ui_map",          map},          // 1
    {"ui_continue",     next},         // 2
    {"ui_leaderboards", leaderboards}, // 3
    {"ui_pause",        pause},        // 4
    {"ui_share",        share},        // 5
    {"ui_story",        story},        // 6
    {"ui_stop",         stop},         // 7
    {"ui_tutorial",     tutorial},     // 8
    {"ui_restart",      restart},      // 9
    {"ui_zen",          zen},          // 10
    {"ui_arcade",       arcade},       // 11
    {"ui_mute_on",      muteOn},       // 12
    {"ui_mute_off",     muteOff},      // 13
};
// clang-format on
static_assert(std::size(kReliefs) == kReliefCount);

// Slope applied to the blurred heights: the steepest flank of an icon leans
// by about 50 degrees, which the gold tile shows as a clear bevel.
constexpr float kSlope = 8.0f;
// A narrow blur rounds the icon's edge into a bevel; a wide one, multiplied
// in, swells its broad parts into a cushion, so an icon reads as a raised
// solid and not only as an outline.
constexpr int kBevelPasses = 12;
constexpr int kCushionPasses = 60;
constexpr float kCushion = 1.2f;

HeightField iconField(int index) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, kReliefEdge, kReliefEdge);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
    kReliefs[index].draw(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    HeightField field(kReliefEdge, kReliefEdge);
    // Cairo's first row is the top; the texture's is the bottom.
    for (int y = 0; y < kReliefEdge; ++y) {
        const unsigned char* row = data + std::ptrdiff_t(kReliefEdge - 1 - y) * stride;
        for (int x = 0; x < kReliefEdge; ++x) {
            field.at(x, y) = static_cast<float>(row[x]) / 255.0f;
        }
    }
    cairo_surface_destroy(surface);
    HeightField cushion = field;
    blur(field, kBevelPasses);
    blur(cushion, kCushionPasses);
    for (std::size_t i = 0; i < field.h.size(); ++i) {
        field.h[i] *= 0.5f + kCushion * cushion.h[i];
    }
    return field;
}

} // namespace

const char* reliefName(int index) {
    return kReliefs[index].name;
}

std::vector<uint8_t> makeRelief(int index) {
    return encodeRelief(iconField(index), kSlope, kReliefMargin);
}

std::vector<float> reliefHeights(int index) {
    return iconField(index).h;
}

} // namespace VelmoraBundle
