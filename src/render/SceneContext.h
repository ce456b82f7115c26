#pragma once

#include "render/FramebufferContext.h"

namespace ZQ {

// The screen: a framebuffer whose colour renderbuffer is what the window
// shows (its storage comes from ZQEGLContext::setUpLayer), with a 16-bit
// depth renderbuffer, optionally drawn through 4-sample buffers first.
class SceneContext : public FramebufferContext {
public:
    // Generates the colour renderbuffer and leaves it bound, so the context
    // can give it storage before set-up.
    SceneContext(float width, float height, bool multisample);

    void setUp() override;
    void tearDown() override;
    void resolve() override;

    GLuint colorRenderbuffer = 0;

protected:
    void bindPlain() override;
};

} // namespace ZQ
