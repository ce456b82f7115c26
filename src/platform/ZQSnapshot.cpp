#include "platform/ZQSnapshot.h"

#include <GLES2/gl2.h>
#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

ZQImage readSnapshot() {
    ZQImage image;
    GLint width = 0;
    GLint height = 0;
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &width);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &height);
    if (width <= 0 || height <= 0) {
        return image;
    }
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    std::vector<uint8_t> bottomUp(row * static_cast<std::size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());

    image.width = width;
    image.height = height;
    image.rgba.resize(bottomUp.size());
    for (GLint y = 0; y < height; ++y) {
        std::memcpy(&image.rgba[static_cast<std::size_t>(y) * row],
                    &bottomUp[static_cast<std::size_t>(height - 1 - y) * row], row);
    }
    return image;
}

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// libpng reports errors by longjmp; nothing with a destructor may live
// between the setjmp and the calls that can jump, so the writing happens here.
bool encode(std::FILE* file, const ZQImage& image, const std::vector<uint8_t>& rgb, std::string& error) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        error = "libpng could not start";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        error = "libpng failed while writing";
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t row = static_cast<std::size_t>(image.width) * 3;
    for (int y = 0; y < image.height; ++y) {
        png_write_row(png, &rgb[static_cast<std::size_t>(y) * row]);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool writePng(std::FILE* file, const ZQImage& image, std::string& error) {
    if (image.width <= 0 || image.height <= 0) {
        error = "there is no picture to write";
        return false;
    }
    std::vector<uint8_t> rgb(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) *
                             3);
    for (std::size_t i = 0, n = rgb.size() / 3; i < n; ++i) {
        std::memcpy(&rgb[i * 3], &image.rgba[i * 4], 3);
    }
    return encode(file, image, rgb, error);
}

bool writePng(const std::string& path, const ZQImage& image, std::string& error) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (file == nullptr) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        return false;
    }
    if (!writePng(file.get(), image, error)) {
        error = "cannot write '" + path + "': " + error;
        return false;
    }
    if (std::fclose(file.release()) != 0) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        return false;
    }
    return true;
}
