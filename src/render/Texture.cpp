#include "render/Texture.h"

#include "engine/Assert.h"

#include <cstdlib>

namespace ZQ {

Texture::Texture(bool repeat, GLint magFilter, GLint minFilter)
    : repeat(repeat), magFilter(magFilter), minFilter(minFilter) {}

Texture::~Texture() {
    if (name != 0) {
        glDeleteTextures(1, &name);
        name = 0;
    }
}

void Texture::applySampling() const {
    const GLint wrap = repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
}

TextureRaw::TextureRaw(int32_t width, int32_t height, uint8_t* rawData, bool repeat, GLint magFilter,
                       GLint minFilter)
    : Texture(repeat, magFilter, minFilter), rawData(rawData) {
    this->width = width;
    this->height = height;
}

TextureRaw::~TextureRaw() {
    std::free(rawData);
}

void TextureRaw::setUp() {
    ZQ_ASSERT(rawData);
    glGenTextures(1, &name);
    applySampling();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rawData);
    glBindTexture(GL_TEXTURE_2D, 0);
    std::free(rawData);
    rawData = nullptr;
}

TextureMetrics::TextureMetrics(int32_t width, int32_t height, uint8_t* rawData, std::vector<double> metrics,
                               bool repeat, GLint magFilter, GLint minFilter)
    : TextureRaw(width, height, rawData, repeat, magFilter, minFilter), metrics(std::move(metrics)) {}

} // namespace ZQ
