// libFuzzer target: arbitrary bytes through the POD model reader, then, for a
// scene it accepts, everything the game computes from one without GL: the
// box's mesh checks and bounds and the node transforms at a few frames.
// Any read past the input, overflow or leak is a finding; a refused file is
// not. Built by scripts/fuzz only.
#include "MemorySource.h"
#include "render/PVRTModelPOD.h"
#include "render/PVRTResourceFile.h"
#include "render/PodBox.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    MemorySource source(std::vector<uint8_t>(data, data + size));
    SPODScene scene;
    if (!readPOD(source, scene)) {
        return 0;
    }
    for (const SPODMesh& mesh : scene.meshes) {
        if (ZQ::PodBox::refuseMesh(mesh) == nullptr) {
            (void)ZQ::PodBox::meshBounds(mesh);
        }
    }
    for (float time : {0.5f, 1.0f, 1e9f, -3.0f}) {
        scene.setFrame(time);
    }
    return 0;
}
