// caption-sheet LANGUAGE OUT.png [--scale N] [--only PREFIX] [--plist PATH] [--cut yes|no]
//
// A contact sheet of every caption of one language, as the game draws them:
// each caption's bitmap on a dark ground inside a grey frame of its box
// (red when its text does not fit), with its name under it. With --cut, each
// caption is drawn as the flow pass cuts it, its letters' strips set apart,
// so a letter missing part of its ink or carrying a neighbour's shows.
// OUT.png's folder is made, parents too.
#include "OutputFolder.h"
#include "PngName.h"
#include "ToolUsage.h"

#include "overlays/ZQCaptionGenerator.h"
#include "overlays/ZQCaptionProducer.h"

#include "engine/Bundle.h"

#include <cairo.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "usage: caption-sheet LANGUAGE OUT.png [--scale N] [--only PREFIX] [--plist PATH] [--cut yes|no]\n";

// Keys in reading order: numbers inside keys compare by value (timer_9
// before timer_10).
bool naturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) &&
            std::isdigit(static_cast<unsigned char>(b[j]))) {
            const long x = std::strtol(a.c_str() + i, nullptr, 10);
            const long y = std::strtol(b.c_str() + j, nullptr, 10);
            if (x != y) {
                return x < y;
            }
            while (i < a.size() && std::isdigit(static_cast<unsigned char>(a[i]))) {
                ++i;
            }
            while (j < b.size() && std::isdigit(static_cast<unsigned char>(b[j]))) {
                ++j;
            }
            continue;
        }
        if (a[i] != b[j]) {
            return a[i] < b[j];
        }
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

struct Cell {
    std::string name;
    ZQ::CaptionBitmap bitmap;
    bool fits = true;
};

// The bitmap (premultiplied RGBA, rows bottom-up) as a Cairo surface.
cairo_surface_t* toSurface(const ZQ::CaptionBitmap& bitmap) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bitmap.width, bitmap.height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int row = 0; row < bitmap.height; ++row) {
        const uint8_t* source =
            bitmap.pixels + static_cast<std::size_t>(bitmap.height - 1 - row) * bitmap.width * 4;
        auto* target = reinterpret_cast<uint32_t*>(data + static_cast<std::ptrdiff_t>(row) * stride);
        for (int x = 0; x < bitmap.width; ++x) {
            const uint8_t* p = source + 4 * x;
            target[x] = uint32_t{p[3]} << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

// The caption as the flow pass draws its letters: letter i is the columns
// from metrics[i] + 1 to metrics[i + 1] - 1, here set kCutGap pixels apart
// (nearest columns, where the pass filters linearly). Frees the original.
ZQ::CaptionBitmap cutApart(ZQ::CaptionBitmap bitmap) {
    constexpr int kCutGap = 6;
    const std::vector<double>& m = bitmap.metrics;
    std::vector<std::pair<int, int>> strips;
    int width = 0;
    for (std::size_t i = 0; i + 1 < m.size(); ++i) {
        if (m[i + 1] < m[i]) {
            continue; // the next line starts again at the left
        }
        const int from = static_cast<int>(std::lround(m[i] + 1.0));
        const int to = static_cast<int>(std::lround(m[i + 1] - 1.0));
        strips.emplace_back(from, to);
        width += std::max(0, to - from) + kCutGap;
    }
    ZQ::CaptionBitmap out;
    out.width = std::max(1, width);
    out.height = bitmap.height;
    out.pixels = static_cast<uint8_t*>(std::calloc(static_cast<std::size_t>(out.width) * out.height * 4, 1));
    int x = 0;
    for (const auto& [from, to] : strips) {
        for (int column = from; column < to; ++column, ++x) {
            if (column < 0 || column >= bitmap.width) {
                continue;
            }
            for (int row = 0; row < bitmap.height; ++row) {
                std::memcpy(out.pixels + (static_cast<std::size_t>(row) * out.width + x) * 4,
                            bitmap.pixels + (static_cast<std::size_t>(row) * bitmap.width + column) * 4, 4);
            }
        }
        x += kCutGap;
    }
    std::free(bitmap.pixels);
    return out;
}

struct SheetOptions {
    int scale = 2;
    std::string only; // the caption keys' prefix after the language's
    std::string plist = ZQ::pathForResource("captions", "plist");
    bool cut = false;
};

// The options after LANGUAGE and OUT.png, each with its value. False, after
// one line on standard error, on an option it does not know or a bad value.
bool readOptions(int argc, char** argv, SheetOptions& options) {
    for (int i = 3; i < argc; i += 2) {
        const std::string option = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "caption-sheet: %s needs a value\n", option.c_str());
            return false;
        }
        const std::string value = argv[i + 1];
        if (option == "--scale") {
            const char* end = value.data() + value.size();
            const auto [rest, failure] = std::from_chars(value.data(), end, options.scale);
            if (failure != std::errc() || rest != end || options.scale < 1) {
                std::fprintf(stderr, "caption-sheet: --scale needs a whole number, 1 or more, not \"%s\"\n",
                             value.c_str());
                return false;
            }
        } else if (option == "--only") {
            options.only = value;
        } else if (option == "--plist") {
            options.plist = value;
        } else if (option == "--cut" && (value == "yes" || value == "no")) {
            options.cut = value == "yes";
        } else if (option == "--cut") {
            std::fprintf(stderr, "caption-sheet: --cut is yes or no, not \"%s\"\n", value.c_str());
            return false;
        } else {
            std::fprintf(stderr, "caption-sheet: unknown option \"%s\"\n", option.c_str());
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (ToolUsage::asksForHelp(argc, argv)) {
        return ToolUsage::help(kUsage);
    }
    // A name starting with '-' is a mistyped option, never a file to write.
    if (argc < 3 || argv[1][0] == '-' || argv[2][0] == '-') {
        return ToolUsage::refuse(kUsage);
    }
    const std::string language = argv[1];
    const std::string out = argv[2];
    SheetOptions options;
    if (!readOptions(argc, argv, options) || PngName::refused("caption-sheet", out)) {
        return ToolUsage::refuse(kUsage);
    }
    if (!OutputFolder::makeFor("caption-sheet", out)) {
        return 1;
    }

    ZQ::ZQCaptionGenerator generator("captions", options.scale);
    generator.load(options.plist);
    const std::string prefix = language + "_" + options.only;
    std::vector<std::string> keys;
    for (const auto& [key, attributes] : generator.captionAttrs()) {
        if (key.compare(0, prefix.size(), prefix) == 0) {
            keys.push_back(key);
        }
    }
    std::sort(keys.begin(), keys.end(), naturalLess);
    if (keys.empty()) {
        std::fprintf(stderr, "caption-sheet: no caption starts with %s\n", prefix.c_str());
        return 1;
    }

    std::vector<Cell> cells;
    int overflowing = 0;
    for (const std::string& key : keys) {
        ZQ::CaptionFit fit;
        Cell cell{key.substr(language.size() + 1), generator.make(key, "", &fit), true};
        cell.fits = fit.fits(cell.bitmap.width, cell.bitmap.height);
        if (!cell.fits) {
            ++overflowing;
            std::fprintf(stderr, "caption-sheet: %s does not fit its %d x %d box\n", key.c_str(),
                         cell.bitmap.width, cell.bitmap.height);
        }
        if (options.cut) {
            cell.bitmap = cutApart(cell.bitmap);
        }
        cells.push_back(std::move(cell));
    }

    // Shelf packing, row after row.
    constexpr int kSheetWidth = 1600;
    constexpr int kGap = 12;
    constexpr int kLabel = 16;
    std::vector<std::pair<int, int>> places;
    int x = kGap, y = kGap, shelf = 0;
    for (const Cell& cell : cells) {
        if (x + cell.bitmap.width + kGap > kSheetWidth && x > kGap) {
            x = kGap;
            y += shelf + kLabel + kGap;
            shelf = 0;
        }
        places.emplace_back(x, y);
        x += std::max(cell.bitmap.width, 90) + kGap;
        shelf = std::max(shelf, cell.bitmap.height);
    }
    const int height = y + shelf + kLabel + kGap;

    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSheetWidth, height);
    cairo_t* cr = cairo_create(sheet);
    cairo_set_source_rgb(cr, 0.16, 0.2, 0.26);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const Cell& cell = cells[i];
        const auto [cx, cy] = places[i];
        cairo_surface_t* caption = toSurface(cell.bitmap);
        cairo_set_source_surface(cr, caption, cx, cy);
        cairo_paint(cr);
        cairo_surface_destroy(caption);
        cairo_rectangle(cr, cx - 0.5, cy - 0.5, cell.bitmap.width + 1, cell.bitmap.height + 1);
        cell.fits ? cairo_set_source_rgb(cr, 0.45, 0.5, 0.55) : cairo_set_source_rgb(cr, 1, 0.1, 0.1);
        cairo_set_line_width(cr, cell.fits ? 1 : 3);
        cairo_stroke(cr);
        cairo_move_to(cr, cx, cy + cell.bitmap.height + 12);
        cairo_set_source_rgb(cr, 0.7, 0.75, 0.8);
        cairo_show_text(cr, cell.name.c_str());
        std::free(cell.bitmap.pixels);
    }
    cairo_destroy(cr);
    const cairo_status_t status = cairo_surface_write_to_png(sheet, out.c_str());
    cairo_surface_destroy(sheet);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "caption-sheet: cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("%zu captions of %s, %d not fitting their box: %s\n", cells.size(), language.c_str(),
                overflowing, out.c_str());
    return 0;
}
