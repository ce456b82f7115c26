// pattern-svg: draws the wallpaper of a level as an SVG picture.
//
//   pattern-svg LEVEL [OUT.svg]   one room (LEVEL is 0..75 or "ground"), to
//                                 OUT.svg or standard output
//   pattern-svg --all DIR         every room, as DIR/level-NN.svg and
//                                 DIR/ground.svg (DIR is made, parents too)
//
// Each triangle tile is filled with the specular colour of the room material
// its pattern value selects, the colour that tells the room's materials apart.

#include "OutputFolder.h"
#include "ToolUsage.h"

#include "levels/LevelModel.h"
#include "levels/PatternFunctions.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

namespace {

constexpr float kScale = 40.0f; // SVG units per wallpaper unit

const char* const kUsage = "usage: pattern-svg LEVEL [OUT.svg]   (LEVEL: 0..75 or ground)\n"
                           "       pattern-svg --all DIR\n";

std::string hexColour(const PVRTVec3& c) {
    const auto byte = [](float v) {
        return static_cast<int>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
    };
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", byte(c.x), byte(c.y), byte(c.z));
    return text;
}

// Each room is drawn as the game's first build of it.
void writeSvg(const ZQ::LevelModel::Level& record, std::ostream& out) {
    ZQ::PatternBuildState builds;
    const std::unique_ptr<ZQ::PatternGraph> graph(builds.build(
        record.generator, static_cast<int>(record.width), static_cast<int>(record.height), record.patterns));
    float minX = 0.0f, minY = 0.0f, maxX = 0.0f, maxY = 0.0f;
    for (const ZQ::PatternTile* tile : graph->tiles) {
        for (const PVRTVec2& p : tile->points) {
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
    }
    const float w = (maxX - minX) * kScale;
    const float h = (maxY - minY) * kScale;
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << w << "\" height=\"" << h
        << "\" viewBox=\"0 0 " << w << " " << h << "\">\n";
    out << "<title>" << record.name << ": " << graph->tiles.size() << " tiles</title>\n";
    for (const ZQ::PatternTile* tile : graph->tiles) {
        const std::size_t v = static_cast<std::size_t>(tile->value);
        const std::string colour = v < record.roomMaterials.size()
                                       ? hexColour(record.roomMaterials[v].specular)
                                       : std::string("#ff00ff");
        out << "<polygon fill=\"" << colour << "\" stroke=\"" << colour
            << "\" stroke-width=\"0.5\" points=\"";
        for (const PVRTVec2& p : tile->points) {
            // SVG's y grows downward.
            out << (p.x - minX) * kScale << "," << (maxY - p.y) * kScale << " ";
        }
        out << "\"/>\n";
    }
    out << "</svg>\n";
}

bool writeFile(const ZQ::LevelModel::Level& record, const std::string& path) {
    std::ofstream file(path);
    if (!file) {
        std::cerr << "pattern-svg: cannot write " << path << ": " << std::strerror(errno) << "\n";
        return false;
    }
    writeSvg(record, file);
    file.close();
    if (!file) {
        std::cerr << "pattern-svg: writing " << path << " failed\n";
        return false;
    }
    return true;
}

// A level index 0..75 or "ground"; null when the text names neither.
const ZQ::LevelModel::Level* findRecord(const ZQ::LevelModel& catalogue, const std::string& text) {
    if (text == "ground") {
        return &catalogue.ground;
    }
    char* end = nullptr;
    const long index = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || index < 0 || index >= catalogue.levelCount()) {
        return nullptr;
    }
    return &catalogue.levels[static_cast<std::size_t>(index)];
}

} // namespace

int main(int argc, char** argv) {
    if (ToolUsage::asksForHelp(argc, argv)) {
        return ToolUsage::help(kUsage);
    }
    // A name starting with '-' is a mistyped option, never a file to write.
    if (argc < 2 || argc > 3 || (argc == 3 && argv[2][0] == '-')) {
        return ToolUsage::refuse(kUsage);
    }
    const std::string first = argv[1];
    const ZQ::LevelModel catalogue;
    if (first == "--all") {
        if (argc != 3) {
            return ToolUsage::refuse(kUsage);
        }
        const std::string dir = argv[2];
        if (!OutputFolder::make("pattern-svg", dir) || !writeFile(catalogue.ground, dir + "/ground.svg")) {
            return 1;
        }
        for (int i = 0; i < catalogue.levelCount(); ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/level-%02d.svg", i);
            if (!writeFile(catalogue.levels[static_cast<std::size_t>(i)], dir + name)) {
                return 1;
            }
        }
        return 0;
    }
    const ZQ::LevelModel::Level* record = findRecord(catalogue, first);
    if (record == nullptr) {
        std::cerr << "pattern-svg: no level \"" << first << "\" (0.." << catalogue.levelCount() - 1
                  << " or ground)\n";
        return ToolUsage::refuse(kUsage);
    }
    if (argc == 3) {
        return OutputFolder::makeFor("pattern-svg", argv[2]) && writeFile(*record, argv[2]) ? 0 : 1;
    }
    writeSvg(*record, std::cout);
    return std::cout ? 0 : 1;
}
