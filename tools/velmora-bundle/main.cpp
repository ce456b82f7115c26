// velmora-bundle: draws the game's own textures, pictures and models.
//
//   velmora-bundle BUNDLE_DIR [LISTING [ICON.png]]
//
// Makes BUNDLE_DIR (and LISTING's and ICON's folders), parents too, and
// writes into it the eight cord normal maps and the fourteen button reliefs
// as PVR files (version 3, RGBA8888, one level), the heads-up pictures at
// every caption scale and the two one-pixel fills as PNG files, and the seven
// models as POD files; LISTING, when given, names each file with its size.
// ICON, when given, is the desktop's icon of the installed game, a PNG: it
// lies outside the bundle, as an install puts it with the desktop's other
// icons, and the listing does not name it. The same program
// always writes the same bytes: nothing depends on the clock, the host's
// random source or the order of a hash map.

#include "Models.h"
#include "NormalMaps.h"
#include "OutputFolder.h"
#include "Pictures.h"
#include "PngName.h"
#include "PngWriter.h"
#include "PodWriter.h"
#include "PvrWriter.h"
#include "Reliefs.h"
#include "ToolUsage.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace VelmoraBundle;

struct Listing {
    std::vector<std::string> lines;
    bool ok = true;

    void add(const std::string& file, const std::string& what) { lines.push_back(file + "  " + what); }
};

void writePvr(const std::string& folder, const std::string& name, int edge, const std::vector<uint8_t>& rgba,
              Listing& listing) {
    PvrWriter::V3Description description;
    description.width = static_cast<uint32_t>(edge);
    description.height = static_cast<uint32_t>(edge);
    const std::string file = name + ".pvr";
    if (!PvrWriter::writeFile(folder + "/" + file, PvrWriter::writeV3(description, rgba))) {
        std::fprintf(stderr, "velmora-bundle: cannot write %s/%s\n", folder.c_str(), file.c_str());
        listing.ok = false;
    }
    listing.add(file, std::to_string(edge) + "x" + std::to_string(edge) + " RGBA8888");
}

bool writePicture(const std::string& path, const Picture& picture) {
    if (!PngWriter::writePng(path, static_cast<uint32_t>(picture.width),
                             static_cast<uint32_t>(picture.height), picture.rgba)) {
        std::fprintf(stderr, "velmora-bundle: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const char* usage = "usage: velmora-bundle BUNDLE_DIR [LISTING [ICON.png]]\n";
    if (const std::optional<int> status = ToolUsage::answerNames(argc, argv, 1, 3, usage)) {
        return *status;
    }
    if (argc == 4 && PngName::refused("velmora-bundle", argv[3])) {
        return ToolUsage::refuse(usage);
    }
    const std::string folder = argv[1];
    if (!OutputFolder::make("velmora-bundle", folder) ||
        (argc >= 3 && !OutputFolder::makeFor("velmora-bundle", argv[2])) ||
        (argc == 4 && !OutputFolder::makeFor("velmora-bundle", argv[3]))) {
        return 1;
    }
    Listing listing;
    for (int i = 0; i < kNormalMapCount; ++i) {
        writePvr(folder, normalMapName(i), kNormalMapEdge, makeNormalMap(i), listing);
    }
    for (int i = 0; i < kReliefCount; ++i) {
        writePvr(folder, reliefName(i), kReliefEdge, makeRelief(i), listing);
    }
    for (const Picture& picture : makePictures()) {
        const std::string file = picture.name + ".png";
        listing.ok = writePicture(folder + "/" + file, picture) && listing.ok;
        listing.add(file, std::to_string(picture.width) + "x" + std::to_string(picture.height) + " RGBA");
    }
    if (argc == 4) {
        listing.ok = writePicture(argv[3], makeIcon()) && listing.ok;
    }
    for (int id = 0; id < kModelCount; ++id) {
        const ModelMesh model = makeModel(id);
        std::vector<float> positions;
        std::vector<float> normals;
        for (std::size_t i = 0; i < model.vertices.size(); i += 6) {
            positions.insert(positions.end(), &model.vertices[i], &model.vertices[i + 3]);
            normals.insert(normals.end(), &model.vertices[i + 3], &model.vertices[i + 6]);
        }
        const std::string file = std::string(modelName(id)) + ".pod";
        const PodWriter::Scene scene = PodWriter::meshScene(
            {PodWriter::interleavedMesh(positions, normals, model.indices)}, modelName(id));
        if (!PodWriter::writeFile(folder + "/" + file, PodWriter::write(scene))) {
            std::fprintf(stderr, "velmora-bundle: cannot write %s/%s\n", folder.c_str(), file.c_str());
            listing.ok = false;
        }
        listing.add(file, std::to_string(model.vertexCount()) + " vertices, " +
                              std::to_string(model.indices.size() / 3) + " triangles");
    }
    // The title's font is found through fontconfig; let both libraries free
    // their caches so a leak checker sees only leaks of our own.
    cairo_debug_reset_static_data();
    FcFini();
    if (argc >= 3) {
        std::ofstream out(argv[2]);
        for (const std::string& line : listing.lines) {
            out << line << '\n';
        }
        listing.ok = listing.ok && static_cast<bool>(out);
    }
    return listing.ok ? 0 : 1;
}
