#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora_sim {

// An RGBA picture, rows from the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

// Writes the picture as an 8-bit RGBA PNG. False, with one line in `error`,
// when the file cannot be written.
bool writePng(const std::string& path, const Picture& picture, std::string& error);

// The picture shrunk by a whole factor, each output pixel the mean of its
// factor x factor block.
Picture shrink(const Picture& picture, int factor);

// Draws the rooms of catalogue levels headless with their knots, as the game
// shows a level when it starts: the relief of the level built, collected and
// painted into the room textures, the cord laid, played and meshed, then the
// shadow map, the room and the cord under the camera and light that follow it.
// Owns the GL context's targets, the models and the two passes from
// construction to destruction. Main thread only.
class RoomShot {
public:
    // False from ready() (and a message in failure()) without OpenGL ES.
    RoomShot(int width, int height);
    ~RoomShot();
    RoomShot(const RoomShot&) = delete;
    RoomShot& operator=(const RoomShot&) = delete;

    bool ready() const { return ready_; }
    const std::string& failure() const { return failure_; }
    int32_t levelCount() const;

    // The room of `level` with its knot as the screen shows it after the
    // cord has played `frames` frames; with `hud` ("arcade" or "zen") the
    // displays of that mode, shown as the level started, over it.
    Picture draw(int32_t level, int32_t frames = 0, const std::string& hud = "");

private:
    struct Scene;
    Scene* scene = nullptr;
    bool ready_ = false;
    std::string failure_;
};

} // namespace velmora_sim
