#pragma once

#include <GLES2/gl2.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ZQ {

// A GL 2D texture owned by the small object that knows how to make it:
// TextureFile loads a bundle image by name, TextureRaw uploads pixels that
// somebody else rendered (TextureMetrics also keeps a caption's letter
// positions). Passes bind `name`.
//
// Ownership: the object owns its GL name and deletes it when destroyed; an
// owner that deleted the name itself sets it to 0 first. Threads: main thread,
// with the GL context current for setUp and the destructor.
class Texture {
public:
    virtual ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Makes the GL texture. Leaves GL_TEXTURE0 active and nothing bound to
    // GL_TEXTURE_2D.
    virtual void setUp() = 0;

    bool repeat;       // GL_REPEAT on both axes, else GL_CLAMP_TO_EDGE
    GLuint name = 0;   // 0 = none
    int32_t width = 0; // set by the loader that fills the texture
    int32_t height = 0;
    GLint magFilter;
    GLint minFilter;

protected:
    Texture(bool repeat, GLint magFilter, GLint minFilter);
    // Binds `name` to `target` on unit 0 and sets the wrap and filters.
    void applySampling(GLenum target = GL_TEXTURE_2D) const;
};

// A picture from the bundle: "pvr" files through the PVR reader, any other
// extension through the PNG loader ("png" with the first GL row at the
// bottom of the picture, anything else top row first). A missing or bad file
// logs and leaves an empty texture with name 0 (or, for a PVR file refused
// after GL gave a name, that name half filled); the game goes on.
class TextureFile : public Texture {
public:
    TextureFile(std::string resourceName, std::string extension, bool repeat, GLint magFilter,
                GLint minFilter);
    void setUp() override;

    std::string resourceName; // without extension; empty = no picture
    std::string extension;

private:
    void loadPVR(const std::string& path);

    GLenum target = GL_TEXTURE_2D; // a PVR file may hold a cube map
    void loadOther(const std::string& path);
};

// Pixels rendered elsewhere: width x height RGBA8, rows bottom-up as GL
// takes them, in a malloc'ed buffer the texture owns until setUp uploads and
// frees it. setUp runs once.
class TextureRaw : public Texture {
public:
    TextureRaw(int32_t width, int32_t height, uint8_t* rawData, bool repeat, GLint magFilter,
               GLint minFilter);
    ~TextureRaw() override;
    void setUp() override;

    uint8_t* rawData;
};

// A rendered caption: its bitmap and the x positions (pixels) of its letter
// boundaries, one more than the letters, for the flowing letters.
class TextureMetrics : public TextureRaw {
public:
    TextureMetrics(int32_t width, int32_t height, uint8_t* rawData, std::vector<double> metrics, bool repeat,
                   GLint magFilter, GLint minFilter);

    std::vector<double> metrics;
};

} // namespace ZQ
