// Writes a small corpus of valid POD files for the fuzzer to mutate: the
// sample scene with every block kind, single-mesh models and a file with a
// foreign block.
//   pod-seeds OUTPUT_FOLDER
#include "OutputFolder.h"
#include "PodWriter.h"
#include "ToolUsage.h"

#include <cmath>
#include <cstdio>
#include <optional>
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
    if (const std::optional<int> status =
            ToolUsage::answerNames(argc, argv, 1, 1, "usage: pod-seeds OUTPUT_FOLDER\n")) {
        return *status;
    }
    const std::string folder = argv[1];
    if (!OutputFolder::make("pod-seeds", folder)) {
        return 1;
    }
    // A foreign block before the version, as some exporters write a
    // history, and a file-level end marker after the scene.
    BlockWriter history;
    history.string(4242, "exported by hand");
    writeVersion(history);
    writeScene(history, meshScene({disc(3)}, "history"));
    history.end(1001);

    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } seeds[] = {
        {"sample.pod", write(sampleScene())},
        {"disc.pod", write(meshScene({disc(6)}, "disc"))},
        {"two-discs.pod", write(meshScene({disc(3), disc(4)}, "discs"))},
        {"history.pod", history.data()},
    };
    for (const auto& seed : seeds) {
        if (!writeFile(folder + "/" + seed.name, seed.bytes)) {
            std::fprintf(stderr, "pod-seeds: cannot write %s/%s\n", folder.c_str(), seed.name);
            return 1;
        }
    }
    return 0;
}
