#pragma once

#include "engine/InitProtocol.h"

#include <cstdint>
#include <functional>

namespace ZQ {

class RenderProgram;
struct RenderTargets;

// A render pass: draws one kind of scene object with one shader program.
//
// A pass owns its program (made at construction, or in an overriding setUp).
// render() relies on the GL state the frame set before it (renderFrame) and
// has one shape: return at once when there is nothing to draw; the program's
// use; per object setModelMatrix, uniforms and the draw call; unuse; unbind
// what it bound. Main thread only.
//
// To join the frame, a pass is created with new by whoever builds the engine,
// appended to gGlobals.renderPasses (set-up and tear-down order) and stored in
// its own gGlobals pointer (gGlobals.renderCone, ...), through which the frame
// calls it; a pointer left null is skipped.
class Render : public InitProtocol {
public:
    explicit Render(RenderProgram* program = nullptr) : program(program) {}
    Render(const Render&) = delete;
    Render& operator=(const Render&) = delete;

    // Sets the program up (GL context current).
    void setUp() override;
    // Tears the program down and deletes it.
    void tearDown() override;
    virtual void render() = 0;
    virtual ~Render();

    RenderProgram* program;
};

// Set-up and tear-down of gGlobals.renderPasses, both in list order.
void setUpRenderPasses();
void tearDownRenderPasses();

// What the frame needs from the wallpaper relief, the room and the wallpaper
// pass, which are built after this file: whoever builds them fills these in
// (capture-less lambdas over gGlobals). Left empty, the frame never repaints.
struct WallPaperRepaint {
    std::function<bool()> pending;           // the relief's repaint flag is set
    std::function<void()> clear;             // clears it
    std::function<int32_t()> roomBuffer;     // 0 or 1: the current room instance's buffer
    std::function<void(float, int32_t)> aim; // the wallpaper pass's drawHeight and kind
};

// The wallpaper pre-pass draws relief instances of this kind.
inline constexpr int32_t kWallPaperKind = 6;

// The drawing half of a frame, after the models have stepped: the shadow map,
// the wallpaper repaint when pending, then the scene passes in their fixed
// order, each group after the GL state it relies on; ends with the screen
// target resolved and bound, ready to be presented.
void renderFrame(const RenderTargets& targets, const WallPaperRepaint& repaint);

} // namespace ZQ
