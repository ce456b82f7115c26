// Writes a small corpus of valid POD files for the fuzzer to mutate: the
// sample scene with every block kind, and single-mesh models in both stream
// layouts.
//   pod-seeds OUTPUT_FOLDER
#include "PodWriter.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace PodWriter;

namespace {

// A fan of `sides` triangles around the origin in the plane z = 0.
Mesh disc(uint16_t sides) {
    std::vector<float> positions{0, 0, 0};
    std::vector<float> normals{0, 0, 1};
    std::vector<uint16_t> indices;
    for (uint16_t i = 0; i < sides; ++i) {
        const float angle = 6.2831853f * static_cast<float>(i) / static_cast<float>(sides);
        positions.insert(positions.end(), {std::cos(angle), std::sin(angle), 0});
        normals.insert(normals.end(), {0, 0, 1});
        indices.insert(indices.end(),
                       {0, static_cast<uint16_t>(1 + i), static_cast<uint16_t>(1 + (i + 1) % sides)});
    }
    return interleavedMesh(positions, normals, indices);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pod-seeds OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    Scene withoutEnd = meshScene({disc(3)}, "open");
    BlockWriter open;
    writeVersion(open);
    writeScene(open, withoutEnd);
    std::vector<uint8_t> openBytes = open.data();
    openBytes.resize(openBytes.size() - 8); // no end marker for the scene

    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } seeds[] = {
        {"sample.pod", write(sampleScene())},
        {"disc.pod", write(meshScene({disc(6)}, "disc"))},
        {"two-discs.pod", write(meshScene({disc(3), disc(4)}, "discs"))},
        {"open-scene.pod", openBytes},
    };
    for (const auto& seed : seeds) {
        if (!writeFile(folder + "/" + seed.name, seed.bytes)) {
            std::fprintf(stderr, "pod-seeds: cannot write %s/%s\n", folder.c_str(), seed.name);
            return 1;
        }
    }
    return 0;
}
