// bundle-sheet: draws every model, texture and picture of the bundle, as the
// game loads them, into one contact sheet for a person to look at.
//
//   bundle-sheet OUT.png
//
// Each file is read by the game's own loaders (the model box, the texture
// reader) from the bundle folder the game would use, on a headless GL
// context. Models are lit as the mesh pass lights the cursor, seen from two
// sides; normal maps are lit the way the cord pass lights them and drawn
// 2 x 2 so a seam would show as a line through the middle of the cell;
// reliefs are lit as the tile pass lights a gold button; pictures are drawn
// at 1:1 over a dark and a light band so their alpha shows. Exits non-zero
// when a file did not load.
#include "ModelView.h"
#include "Models.h"
#include "NormalMaps.h"
#include "OutputFolder.h"
#include "PngName.h"
#include "PngWriter.h"
#include "Reliefs.h"
#include "SheetCanvas.h"
#include "ToolUsage.h"
#include "platform/ZQEGLContext.h"
#include "render/PodBox.h"
#include "render/Texture.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace VelmoraBundle;

constexpr int kSheetWidth = 1280;
constexpr int kGap = 12;
constexpr int kLabel = 18;

struct Label {
    int x, y;
    std::string text;
};

std::unique_ptr<ZQ::TextureFile> load(const std::string& name, const std::string& extension, bool repeat,
                                      std::vector<std::string>& failures) {
    auto texture = std::make_unique<ZQ::TextureFile>(name, extension, repeat, GL_LINEAR, GL_LINEAR);
    texture->setUp();
    if (texture->name == 0 || texture->width <= 0) {
        failures.push_back(name + "." + extension);
    }
    return texture;
}

// Writes the labels over the read-back sheet (top row first) with Cairo.
void drawLabels(std::vector<uint8_t>& rgba, int width, int height, const std::vector<Label>& labels) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + std::ptrdiff_t(y) * stride);
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &rgba[(std::size_t(y) * width + x) * 4];
            row[x] = 0xff000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        }
    }
    cairo_surface_mark_dirty(surface);
    cairo_t* cr = cairo_create(surface);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11);
    cairo_set_source_rgb(cr, 0.92, 0.92, 0.92);
    for (const Label& label : labels) {
        cairo_move_to(cr, label.x, label.y);
        cairo_show_text(cr, label.text.c_str());
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + std::ptrdiff_t(y) * stride);
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &rgba[(std::size_t(y) * width + x) * 4];
            p[0] = static_cast<uint8_t>(row[x] >> 16);
            p[1] = static_cast<uint8_t>(row[x] >> 8);
            p[2] = static_cast<uint8_t>(row[x]);
            p[3] = 255;
        }
    }
    cairo_surface_destroy(surface);
    // The labels' font came through fontconfig: free both libraries' caches.
    cairo_debug_reset_static_data();
    FcFini();
}

} // namespace

int main(int argc, char** argv) {
    const char* usage = "usage: bundle-sheet OUT.png\n"
                        "  draws every file of the built bundle through the game's own readers into\n"
                        "  one contact sheet\n";
    if (const std::optional<int> status = ToolUsage::answerNames(argc, argv, 1, 1, usage)) {
        return *status;
    }
    if (PngName::refused("bundle-sheet", argv[1])) {
        return ToolUsage::refuse(usage);
    }
    if (!OutputFolder::makeFor("bundle-sheet", argv[1])) {
        return 1;
    }
    if (ZQEGLContext::sharedHeadless() == nullptr) {
        std::fprintf(stderr, "bundle-sheet: no GL: %s\n", ZQEGLContext::sharedFailure().c_str());
        return 1;
    }

    std::vector<std::string> failures;
    std::vector<Label> labels;
    std::vector<SheetCanvas::Item> items;
    int y = kGap;

    // Models: seven a row, each from two sides, lit as the mesh pass lights
    // the cursor (material 0).
    constexpr int kModelCell = (kSheetWidth - 8 * kGap) / 7;
    const int modelTop = y;
    for (int id = 0; id < kModelCount; ++id) {
        labels.push_back({kGap + id * (kModelCell + kGap), y + kLabel - 5, modelName(id)});
    }
    y += 2 * kModelCell + kGap + kLabel;

    // Normal maps: four a row, each cell two tiles by two.
    constexpr int kMapCell = (kSheetWidth - 5 * kGap) / 4;
    std::vector<std::unique_ptr<ZQ::TextureFile>> textures;
    for (int i = 0; i < kNormalMapCount; ++i) {
        textures.push_back(load(normalMapName(i), "pvr", true, failures));
        const int x = kGap + (i % 4) * (kMapCell + kGap);
        const int top = y + (i / 4) * (kMapCell + kGap + kLabel);
        labels.push_back({x, top + kLabel - 5, normalMapName(i)});
        items.push_back({SheetCanvas::Shading::NormalMap, textures.back()->name, x, top + kLabel, kMapCell,
                         kMapCell, 2.0f});
    }
    y += 2 * (kMapCell + kGap + kLabel);

    // Reliefs: seven a row, lit as gold buttons.
    constexpr int kReliefCell = (kSheetWidth - 8 * kGap) / 7;
    for (int i = 0; i < kReliefCount; ++i) {
        textures.push_back(load(reliefName(i), "pvr", false, failures));
        const int x = kGap + (i % 7) * (kReliefCell + kGap);
        const int top = y + (i / 7) * (kReliefCell + kGap + kLabel);
        labels.push_back({x, top + kLabel - 5, reliefName(i)});
        items.push_back({SheetCanvas::Shading::Relief, textures.back()->name, x, top + kLabel, kReliefCell,
                         kReliefCell, 1.0f});
    }
    y += 2 * (kReliefCell + kGap + kLabel);

    // Pictures at 1:1, each scale a row, on a band half dark, half light.
    // The heads-up icons of a scale share a row; each title takes its own.
    const int bandTop = y;
    for (int scale = 1; scale <= 3; ++scale) {
        for (const auto& row : {std::vector<const char*>{"hourglass", "ring", "zen"}, {"zr_title"}}) {
            int x = kGap;
            int rowHeight = 0;
            for (const char* base : row) {
                const std::string name = std::string(base) + "@" + std::to_string(scale);
                textures.push_back(load(name, "png", false, failures));
                const ZQ::TextureFile& t = *textures.back();
                // Centred on the line between the dark and the light half.
                const int left = row.size() == 1 ? (kSheetWidth - t.width) / 2 : x;
                labels.push_back({left, y + kLabel - 5, name});
                items.push_back(
                    {SheetCanvas::Shading::Picture, t.name, left, y + kLabel, t.width, t.height, 1.0f});
                x += std::max(t.width, 80) + kGap;
                rowHeight = std::max(rowHeight, t.height);
            }
            y += kLabel + rowHeight + kGap;
        }
    }
    // The one-pixel fills, stretched into swatches straddling the two halves:
    // the outro's dark backdrop shows against the light one.
    int x = kSheetWidth / 2 - 80;
    for (const char* name : {"story_bg_1px", "tile_bg_1px"}) {
        textures.push_back(load(name, "png", false, failures));
        labels.push_back({x, y + kLabel - 5, std::string(name) + " (stretched)"});
        items.push_back({SheetCanvas::Shading::Picture, textures.back()->name, x, y + kLabel, 160, 48, 1.0f});
        x += 160 + 12 * kGap;
    }
    y += kLabel + 48 + kGap;
    const int height = y;

    SheetCanvas canvas(kSheetWidth, height);
    canvas.band(0, bandTop, kSheetWidth, height - bandTop);
    for (const SheetCanvas::Item& item : items) {
        canvas.draw(item);
    }
    {
        ZQ::PodBox box;
        box.setUp();
        ModelView view;
        for (int id = 0; id < kModelCount; ++id) {
            const ZQ::PodModel* model = box.model(id);
            if (model == nullptr || model->meshCount() == 0) {
                failures.push_back(std::string(modelName(id)) + ".pod");
                continue;
            }
            const ModelMesh mesh = meshOfPod(model->scene->meshes[0]);
            const int x = kGap + id * (kModelCell + kGap);
            canvas.bindCell(x, modelTop + kLabel, kModelCell, kModelCell);
            view.draw(mesh, 0.5f, 0.45f);
            canvas.bindCell(x, modelTop + kLabel + kModelCell + kGap / 2, kModelCell, kModelCell);
            view.draw(mesh, 3.4f, -0.6f);
        }
        box.tearDown();
    }
    std::vector<uint8_t> rgba = canvas.read();
    drawLabels(rgba, kSheetWidth, height, labels);
    if (!PngWriter::writePng(argv[1], kSheetWidth, static_cast<uint32_t>(height), rgba)) {
        std::fprintf(stderr, "bundle-sheet: cannot write %s\n", argv[1]);
        return 1;
    }
    for (const std::string& failure : failures) {
        std::fprintf(stderr, "bundle-sheet: %s did not load\n", failure.c_str());
    }
    std::printf("bundle-sheet: %zu files drawn into %s\n", items.size() + kModelCount, argv[1]);
    return failures.empty() ? 0 : 1;
}
