#include "render/Texture.h"

#include "engine/Assert.h"
#include "engine/Bundle.h"
#include "engine/Log.h"
#include "render/PVRTResourceFile.h"
#include "render/PVRTTexture.h"
#include "render/PngTextureLoader.h"

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

void Texture::applySampling(GLenum target) const {
    const GLint wrap = repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(target, name);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, minFilter);
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

TextureFile::TextureFile(std::string resourceName, std::string extension, bool repeat, GLint magFilter,
                         GLint minFilter)
    : Texture(repeat, magFilter, minFilter), resourceName(std::move(resourceName)),
      extension(std::move(extension)) {}

void TextureFile::setUp() {
    if (resourceName.empty()) {
        return;
    }
    const std::string path = pathForResource(resourceName, extension);
    // Exactly "pvr": "PVR" and the other spellings go to the picture loader.
    if (extension == "pvr") {
        loadPVR(path);
    } else {
        loadOther(path);
    }
    // The caller's wrap and filters replace whatever the loader chose, on the
    // target the texture has: binding a cube map to GL_TEXTURE_2D would fail
    // and leave its GL error to whoever asks next.
    applySampling(target);
    glBindTexture(target, 0);
}

void TextureFile::loadPVR(const std::string& path) {
    const CPVRTResourceFile file(path.c_str());
    PVRTextureHeaderV3 header;
    if (!file.isOpen() || !PVRTTextureLoadFromPointer(file.getData(), file.getSize(), &name, &header)) {
        // Which file, and whether it was there at all: a wrong bundle folder
        // and a damaged texture call for different mends.
        if (path.empty()) {
            platformLog("EPVRTError: %d: no %s.%s in %s", 1, resourceName.c_str(), extension.c_str(),
                        bundleFolder().c_str());
        } else {
            platformLog("EPVRTError: %d: %s is not a texture the game can read", 1, path.c_str());
        }
        return;
    }
    // A loaded picture knows its size, whichever loader read it.
    width = static_cast<int32_t>(header.width);
    height = static_cast<int32_t>(header.height);
    target = header.numFaces > 1 ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
}

void TextureFile::loadOther(const std::string& path) {
    PngTextureInfo info;
    std::string error;
    if (!loadPngTexture(path, extension == "png", info, error)) {
        platformLog("GLKTextureLoader: %s (%s.%s)", error.c_str(), resourceName.c_str(), extension.c_str());
        platformLog("glError: %u", glGetError());
    }
    name = info.name;
    width = info.width;
    height = info.height;
}

} // namespace ZQ
