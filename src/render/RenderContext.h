#pragma once

#include <GLES2/gl2.h>

namespace ZQ {

// A render target the frame draws into: the screen or a texture. Built with
// the engine, set up once with the GL context current, then bound and
// resolved every frame. tearDown deletes its GL objects; the destructors
// release nothing (the context goes away with them).
//
// Failures (a 0 name from glGen*, an incomplete framebuffer) are logged and
// set-up goes on, so a target is used as far as it was built.
class RenderContext {
public:
    virtual ~RenderContext() = default;
    virtual void setUp() = 0;
    virtual void tearDown() = 0;
    // Makes the target current for drawing and sets the viewport to its size.
    virtual void bind() = 0;
    // With multisampling: copies the samples into the plain framebuffer and
    // discards them. Without: nothing.
    virtual void resolve() = 0;
};

// The 4-sample colour and depth buffers behind a multisampled target.
struct MultisampleBuffers {
    GLuint framebuffer = 0;
    GLuint colorRenderbuffer = 0;
    GLuint depthRenderbuffer = 0;
};

// True when the current context offers glRenderbufferStorageMultisample and
// glBlitFramebuffer (OpenGL ES 3.0 or later). Mesa hands out such a context
// when 2.0 is asked for; one that is really 2.0 draws without multisampling.
bool multisampleAvailable();

// Whether a target asked to multisample does: logs once per kind when the
// context cannot.
bool multisampleFor(bool wanted, const char* kind);

// Generates one renderbuffer or framebuffer, logging `invalid` when GL gives 0.
GLuint genRenderbuffer(const char* invalid);
GLuint genFramebuffer(const char* invalid);

// Creates, fills and attaches the 4-sample buffers of a width x height target,
// logging `incomplete` (a printf format taking the status) when the
// framebuffer is not complete.
MultisampleBuffers createMultisampleBuffers(GLsizei width, GLsizei height, const char* incomplete);

// Deletes the three and zeroes their names.
void deleteMultisampleBuffers(MultisampleBuffers& buffers);

// The resolve: blits the samples into `plain`, discards them, and leaves
// `plain` bound as GL_FRAMEBUFFER.
void resolveMultisample(const MultisampleBuffers& buffers, GLuint plain, GLsizei width, GLsizei height);

} // namespace ZQ
