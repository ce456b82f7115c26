#include "PngWriter.h"

#include <png.h>

#include <cstring>

namespace PngWriter {

bool writePng(const std::string& path, uint32_t width, uint32_t height, const std::vector<uint8_t>& rgba,
              bool bottomUp) {
    if (rgba.size() < std::size_t{width} * height * 4) {
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGBA;
    const png_int_32 stride = static_cast<png_int_32>(width * 4);
    return png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), bottomUp ? -stride : stride,
                                   nullptr) != 0;
}

} // namespace PngWriter
