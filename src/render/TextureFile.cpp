#include "engine/Bundle.h"
#include "engine/PlatformLog.h"
#include "render/PVRTResourceFile.h"
#include "render/PVRTTexture.h"
#include "render/PngTextureLoader.h"
#include "render/Texture.h"

namespace ZQ {

TextureFile::TextureFile(std::string resourceName, std::string extension, bool repeat, GLint magFilter,
                         GLint minFilter)
    : Texture(repeat, magFilter, minFilter), resourceName(std::move(resourceName)), extension(std::move(extension)) {}

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
    // The caller's wrap and filters replace whatever the loader chose.
    applySampling();
    glBindTexture(GL_TEXTURE_2D, 0);
}

void TextureFile::loadPVR(const std::string& path) {
    const CPVRTResourceFile file(path.c_str());
    PVRTextureHeaderV3 header;
    if (!file.isOpen() || !PVRTTextureLoadFromPointer(file.getData(), file.getSize(), &name, &header)) {
        platformLog("EPVRTError: %d", 1);
        return;
    }
    // A loaded picture knows its size, whichever loader read it.
    width = static_cast<int32_t>(header.width);
    height = static_cast<int32_t>(header.height);
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
