#pragma once

#include "render/RenderContext.h"

namespace ZQ {

// What the screen and the texture targets share: a framebuffer of width x
// height with a 16-bit depth renderbuffer, drawn through 4-sample buffers
// first when the device profile asks for them and the context has them. A
// subclass attaches its colour and says how its plain framebuffer is bound.
class FramebufferContext : public RenderContext {
public:
    void tearDown() override;
    // The 4-sample buffers when multisampled, else bindPlain(); then the
    // viewport over the whole target.
    void bind() override;
    // Leaves the plain framebuffer and the depth renderbuffer bound.
    void resolve() override;

    bool isMultisampled() const { return multisampled; }

    float width;
    float height;
    GLuint framebuffer = 0;
    GLuint depthRenderbuffer = 0;
    MultisampleBuffers msaa;

protected:
    FramebufferContext(float width, float height, bool multisample);

    // Generates the depth renderbuffer with its storage and the framebuffer
    // with it attached, and leaves both bound for the colour attachment.
    void setUpDepthFramebuffer();
    // Creates the 4-sample buffers if asked for and available; `kind` names
    // the target in the log line when they are not.
    void setUpMultisample(const char* kind);
    virtual void bindPlain() = 0;

private:
    bool multisample; // asked for by the device profile
    bool multisampled = false;
};

} // namespace ZQ
