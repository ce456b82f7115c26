#pragma once

#include "render/RenderContext.h"

namespace ZQ {

// The screen: a framebuffer whose colour renderbuffer is what the window
// shows (its storage comes from ZQEGLContext::setUpLayer), with a 16-bit
// depth renderbuffer, optionally drawn through 4-sample buffers first.
class SceneContext : public RenderContext {
public:
    // Generates the colour renderbuffer and leaves it bound, so the context
    // can give it storage before set-up.
    SceneContext(float width, float height, bool multisample);

    void setUp() override;
    void tearDown() override;
    void bind() override;
    void resolve() override;

    bool isMultisampled() const { return multisampled; }

    float width;
    float height;
    GLuint framebuffer = 0;
    GLuint colorRenderbuffer = 0;
    GLuint depthRenderbuffer = 0;
    MultisampleBuffers msaa;

private:
    bool multisample; // asked for by the device profile
    bool multisampled = false;
};

} // namespace ZQ
