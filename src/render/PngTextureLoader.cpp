#include "render/PngTextureLoader.h"

#include <png.h>

#include <cstring>
#include <memory>
#include <new>

namespace ZQ {

namespace {

// Past this edge no GL takes the texture; refusing first keeps a forged
// header from asking for gigabytes.
constexpr png_uint_32 kMaxEdge = 1u << 14;

struct ImageCloser {
    void operator()(png_image* image) const { png_image_free(image); }
};

} // namespace

bool decodePng(const std::string& path, bool originBottomLeft, PngPixels& out, std::string& error) {
    out = PngPixels{};
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    std::unique_ptr<png_image, ImageCloser> closer(&image);
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        error = image.message;
        return false;
    }
    if (image.width == 0 || image.height == 0 || image.width > kMaxEdge || image.height > kMaxEdge) {
        error = "picture of " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                " pixels is not one a texture can hold";
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    const std::size_t stride = std::size_t{image.width} * 4;
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[stride * image.height]);
    if (!pixels) {
        error = "out of memory";
        return false;
    }
    // A negative stride makes libpng write the last picture row first, which
    // is GL's first row: the picture's bottom-left corner at texture (0, 0).
    const png_int_32 rowStride =
        originBottomLeft ? -static_cast<png_int_32>(stride) : static_cast<png_int_32>(stride);
    if (png_image_finish_read(&image, nullptr, pixels.get(), rowStride, nullptr) == 0) {
        error = image.message;
        return false;
    }
    out.rgba = std::move(pixels);
    out.width = static_cast<int32_t>(image.width);
    out.height = static_cast<int32_t>(image.height);
    return true;
}

bool loadPngTexture(const std::string& path, bool originBottomLeft, PngTextureInfo& info,
                    std::string& error) {
    info = PngTextureInfo{};
    if (path.empty()) {
        error = "no such file in the bundle";
        return false;
    }
    PngPixels picture;
    if (!decodePng(path, originBottomLeft, picture, error)) {
        error = path + ": " + error;
        return false;
    }

    while (glGetError() != GL_NO_ERROR) {
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, picture.width, picture.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 picture.rgba.get());
    glBindTexture(GL_TEXTURE_2D, 0);
    const GLenum status = glGetError();
    if (status != GL_NO_ERROR) {
        while (glGetError() != GL_NO_ERROR) {
        }
        glDeleteTextures(1, &name);
        error = path + ": GL refused the picture (error " + std::to_string(status) + ")";
        return false;
    }
    info.name = name;
    info.width = picture.width;
    info.height = picture.height;
    return true;
}

} // namespace ZQ
