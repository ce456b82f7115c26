// libFuzzer target: arbitrary bytes through the POD model reader, then, for a
// scene it accepts, everything the game computes from one without GL: the
// box's mesh checks and bounds and the node transforms at a few frames.
// Any read past the input, overflow or leak is a finding; a refused file is
// not. Built by scripts/fuzz only.
#include "render/PVRTModelPOD.h"
#include "render/PVRTResourceFile.h"
#include "render/PodBox.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The bytes as the stream hands them out, from a heap copy of exactly their
// size, so a read past them is caught.
class FuzzSource : public CSource {
public:
    FuzzSource(const uint8_t* data, std::size_t size) : bytes(data, data + size) {}
    bool read(void* out, uint32_t count) override {
        if (count > remaining()) {
            return false;
        }
        if (count != 0) {
            std::memcpy(out, bytes.data() + offset, count);
        }
        offset += count;
        return true;
    }
    bool skip(uint32_t count) override {
        if (count > remaining()) {
            return false;
        }
        offset += count;
        return true;
    }
    std::size_t remaining() const override { return bytes.size() - offset; }

private:
    std::vector<uint8_t> bytes;
    std::size_t offset = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzSource source(data, size);
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
