#include "Reliefs.h"

#include "Raster.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace VelmoraBundle {

namespace {

constexpr double kPi = 3.14159265358979;
constexpr float kPiF = 3.14159265f;
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

// Two bars with rounded ends: on the dark pause tile the ends' curve is
// where the light glints.
void pause(cairo_t* cr) {
    for (const double x : {72.0, 144.0}) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, x + 20, 76, 20, kPi, 2 * kPi);
        cairo_arc(cr, x + 20, 180, 20, 0, kPi);
        cairo_close_path(cr);
    }
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

// The button's shape, in texels of height over the flat frame (the encoder
// turns height differences between neighbours into slopes one for one). The
// tile shader bends its front by half the angle a texel leans, and its light
// reaches a button's face some 30 to 40 degrees off the straight normal: a
// flank must lean past 60 to 80 degrees somewhere to show the highlight, on
// the dark pause tile the only thing that shows.
//
// The rim: a rounded ridge round a rounded square just inside the label's
// edge, its feet clear of the flat border. Its outer flank, lit on the top
// and right and shaded on the bottom and left, is the button's edge.
constexpr float kRimMiddle = 26.0f;    // texels in from the label's edge
constexpr float kRimHalfWidth = 12.0f; // texels from the middle to a foot
constexpr float kRimHeight = 9.0f;     // texels
constexpr float kRimCorner = 40.0f;    // corner radius of the square, texels
// The face inside the rim: a low cushion that catches the light more on the
// side towards it, and a soft hammered grain over it, both coarse enough to
// survive the pause tile's five texels to a pixel.
constexpr float kFaceRise = 7.0f;    // texels, centre over the rim's inner foot
constexpr float kGrainHeight = 0.9f; // texels
// The icon stands on the face with a rounded bevel as wide as the
// narrowest strokes (so they still rise whole) and a gentle cushion over its
// broad parts (the drawn shape blurred wide: smooth, where a dome laid on
// the distance to the edge would crease along the shape's middle); drawn a
// little smaller than its 256-unit square so it keeps clear of the rim.
constexpr double kIconScale = 0.84;
constexpr float kBevel = 12.0f;      // texels
constexpr float kIconHeight = 10.0f; // texels, at the top of the bevel
constexpr int kCushionPasses = 60;
constexpr float kCushionHeight = 7.0f; // texels, over a broad part
// A couple of box blurs take the corners off the profiles' steepest steps.
constexpr int kSmoothPasses = 2;
// Heights are kept in units of kUnit texels, so a field stays about [0, 1].
constexpr float kUnit = 24.0f;

HeightField iconMask(int index) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, kReliefEdge, kReliefEdge);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
    cairo_translate(cr, kCentre, kCentre);
    cairo_scale(cr, kIconScale, kIconScale);
    cairo_translate(cr, -kCentre, -kCentre);
    kReliefs[index].draw(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    HeightField mask(kReliefEdge, kReliefEdge);
    // Cairo's first row is the top; the texture's is the bottom.
    for (int y = 0; y < kReliefEdge; ++y) {
        const unsigned char* row = data + std::ptrdiff_t(kReliefEdge - 1 - y) * stride;
        for (int x = 0; x < kReliefEdge; ++x) {
            mask.at(x, y) = static_cast<float>(row[x]) / 255.0f;
        }
    }
    cairo_surface_destroy(surface);
    return mask;
}

// How far texel (x, y) lies inside the rim's rounded square, in texels:
// negative outside it.
float depthInSquare(int x, int y) {
    const float half = 0.5f * static_cast<float>(kReliefEdge);
    const float qx = std::fabs(static_cast<float>(x) + 0.5f - half) - (half - kRimCorner);
    const float qy = std::fabs(static_cast<float>(y) + 0.5f - half) - (half - kRimCorner);
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return kRimCorner - outside - std::min(std::max(qx, qy), 0.0f);
}

// A quarter ellipse: 0 at the foot, 1 at s = 1, steep at the foot.
float roundedRise(float s) {
    const float t = 1.0f - std::clamp(s, 0.0f, 1.0f);
    return std::sqrt(1.0f - t * t);
}

HeightField iconField(int index) {
    const HeightField mask = iconMask(index);
    const HeightField inside = insideDistance(mask);
    HeightField cushion = mask;
    blur(cushion, kCushionPasses);
    HeightField field(kReliefEdge, kReliefEdge);
    const float innerFoot = kRimMiddle + kRimHalfWidth;
    const float half = 0.5f * static_cast<float>(kReliefEdge);
    const float faceHalf = half - innerFoot;
    for (int y = 0; y < kReliefEdge; ++y) {
        for (int x = 0; x < kReliefEdge; ++x) {
            const float depth = depthInSquare(x, y);
            const float across = (depth - kRimMiddle) / kRimHalfWidth;
            const float rim =
                std::fabs(across) < 1.0f ? kRimHeight * std::sqrt(1.0f - across * across) : 0.0f;
            float face = 0.0f;
            if (depth > innerFoot) {
                const float u = static_cast<float>(x) / kReliefEdge;
                const float v = static_cast<float>(y) / kReliefEdge;
                // A product of two arches: a dome without creases, flat at
                // the rim's foot.
                const float cx = (static_cast<float>(x) + 0.5f - half) / faceHalf;
                const float cy = (static_cast<float>(y) + 0.5f - half) / faceHalf;
                const float cushion = std::cos(0.5f * kPiF * std::min(std::fabs(cx), 1.0f)) *
                                      std::cos(0.5f * kPiF * std::min(std::fabs(cy), 1.0f));
                const float grain = periodicNoise(u, v, 14, 14, 71) + 0.5f * periodicNoise(u, v, 28, 28, 73);
                face =
                    kFaceRise * cushion + kGrainHeight * std::min((depth - innerFoot) / 8.0f, 1.0f) * grain;
            }
            const float d = inside.at(x, y);
            const float icon = (kIconHeight + kCushionHeight * cushion.at(x, y)) * roundedRise(d / kBevel);
            field.at(x, y) = (rim + face + icon) / kUnit;
        }
    }
    blur(field, kSmoothPasses);
    return field;
}
} // namespace

const char* reliefName(int index) {
    return kReliefs[index].name;
}

std::vector<uint8_t> makeRelief(int index) {
    return encodeRelief(iconField(index), kUnit, kReliefMargin);
}

std::vector<float> reliefHeights(int index) {
    return iconField(index).h;
}

} // namespace VelmoraBundle
