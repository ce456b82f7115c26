#include "render/PVRTTexture.h"

#include "engine/Log.h"
#include "render/PVRTDecompress.h"

#include <GLES2/gl2ext.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace ZQ {

namespace {

constexpr std::size_t kLegacyHeaderSizes[] = {44, 52};

uint32_t readU32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

uint32_t readU32Swapped(const uint8_t* bytes) {
    return uint32_t(bytes[3]) | uint32_t(bytes[2]) << 8 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[0]) << 24;
}

// The 52 bytes at `bytes` as a version-3 header, in either byte order (the
// pixel format swapped as one 8-byte value).
PVRTextureHeaderV3 readHeader(const uint8_t* bytes, bool swapped) {
    uint32_t words[13];
    for (int i = 0; i < 13; ++i) {
        words[i] = swapped ? readU32Swapped(bytes + 4 * i) : readU32(bytes + 4 * i);
    }
    PVRTextureHeaderV3 h;
    h.version = words[0];
    h.flags = words[1];
    h.pixelFormat = swapped ? uint64_t(words[2]) << 32 | words[3] : uint64_t(words[3]) << 32 | words[2];
    h.colourSpace = words[4];
    h.channelType = words[5];
    h.height = words[6];
    h.width = words[7];
    h.depth = words[8];
    h.numSurfaces = words[9];
    h.numFaces = words[10];
    h.mipMapCount = words[11];
    h.metaDataSize = words[12];
    return h;
}

// The data of a big-endian file in host order: elements of 2 bytes for the
// short channel types, 4 for the int and float ones, single bytes as they are.
std::vector<uint8_t> swapElements(const uint8_t* data, std::size_t size, uint32_t channelType) {
    std::vector<uint8_t> out(data, data + size);
    const std::size_t element = channelType >= 4 && channelType <= 7    ? 2
                                : channelType >= 8 && channelType <= 12 ? 4
                                                                        : 1;
    for (std::size_t i = 0; i + element <= size && element > 1; i += element) {
        std::reverse(out.begin() + static_cast<std::ptrdiff_t>(i),
                     out.begin() + static_cast<std::ptrdiff_t>(i + element));
    }
    return out;
}

// Reads every pending GL error; true when there was one. The reader starts
// and ends with none, so one texture's failure is never blamed on the next.
bool drainGLErrors() {
    bool any = false;
    while (glGetError() != GL_NO_ERROR) {
        any = true;
    }
    return any;
}

bool fail(const char* message) {
    logToStderr("%s", message);
    drainGLErrors();
    return false;
}

// Walks the images in the order the file stores them: version 3 level by
// level and face by face inside a level, legacy face by face and level by
// level inside a face. `visit(level, face, width, height, offset)` gets the
// byte offset of each image, with `levelSize(level)` bytes per image; it
// returns false to stop the walk.
template <typename LevelSize, typename Visit>
bool forEachImage(const PVRTextureHeaderV3& h, bool legacy, LevelSize levelSize, Visit visit) {
    uint64_t offset = 0;
    const uint32_t outer = legacy ? h.numFaces : h.mipMapCount;
    const uint32_t inner = legacy ? h.mipMapCount : h.numFaces;
    for (uint32_t i = 0; i < outer; ++i) {
        for (uint32_t j = 0; j < inner; ++j) {
            const uint32_t level = legacy ? j : i;
            const uint32_t face = legacy ? i : j;
            const uint32_t w = std::max<uint32_t>(1, h.width >> level);
            const uint32_t hgt = std::max<uint32_t>(1, h.height >> level);
            if (!visit(level, face, w, hgt, offset)) {
                return false;
            }
            offset += levelSize(level);
        }
    }
    return true;
}

bool isPowerOfTwoOrZero(uint32_t value) {
    return (value & (value - 1)) == 0;
}

} // namespace

bool hasGLExtension(const char* extensions, const char* name) {
    if (extensions == nullptr || name == nullptr || name[0] == '\0') {
        return false;
    }
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at != nullptr; at = std::strstr(at + length, name)) {
        const bool starts = at == extensions || at[-1] == ' ';
        const bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends) {
            return true;
        }
    }
    return false;
}

PVRTExtensions PVRTExtensions::ofCurrentContext() {
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    PVRTExtensions e;
    e.pvrtc = hasGLExtension(list, "GL_IMG_texture_compression_pvrtc");
    e.pvrtc2 = hasGLExtension(list, "GL_IMG_texture_compression_pvrtc2");
    e.bgra8888 = hasGLExtension(list, "GL_APPLE_texture_format_BGRA8888");
    e.bgra8888Ext = hasGLExtension(list, "GL_EXT_texture_format_BGRA8888");
    e.halfFloat = hasGLExtension(list, "GL_OES_texture_half_float");
    e.floatTexture = hasGLExtension(list, "GL_OES_texture_float");
    return e;
}

const char* parsePVRTexture(const void* file, std::size_t size, PVRTParsedTexture& out) {
    const uint8_t* bytes = static_cast<const uint8_t*>(file);
    if (bytes == nullptr || size < 4) {
        return "the file is shorter than its header";
    }
    const uint32_t magic = readU32(bytes);
    std::size_t dataOffset = 0;
    bool swapped = false;
    if (magic == kPVRTTextureVersion3 || magic == kPVRTTextureVersion3Swapped) {
        if (size < kPVRTTextureHeaderSize) {
            return "the file is shorter than its header";
        }
        swapped = magic == kPVRTTextureVersion3Swapped;
        out.header = readHeader(bytes, swapped);
        out.legacy = false;
        if (out.header.metaDataSize > size - kPVRTTextureHeaderSize) {
            return "the file is shorter than its metadata";
        }
        dataOffset = kPVRTTextureHeaderSize + out.header.metaDataSize;
    } else {
        // Only the two published legacy layouts: any other first word is
        // not a header size this reader knows.
        const std::size_t headerSize = magic;
        if (std::find(std::begin(kLegacyHeaderSizes), std::end(kLegacyHeaderSizes), headerSize) ==
            std::end(kLegacyHeaderSizes)) {
            return "not a PVR file (unknown header)";
        }
        if (size < headerSize) {
            return "the file is shorter than its header";
        }
        uint32_t words[13];
        const std::size_t count = headerSize / 4;
        for (std::size_t i = 0; i < count; ++i) {
            words[i] = readU32(bytes + 4 * i);
        }
        out.header = convertLegacyHeader(words, count);
        out.legacy = true;
        dataOffset = headerSize;
    }
    if (const char* why = validatePVRTextureHeader(out.header)) {
        return why;
    }
    const uint64_t dataSize = pvrTextureDataSize(out.header, kAllMipLevels, true, true);
    if (dataSize > size - dataOffset) {
        return "the file is shorter than the data its header promises";
    }
    out.data = bytes + dataOffset;
    out.swapped.clear();
    if (swapped) {
        out.swapped = swapElements(out.data, static_cast<std::size_t>(dataSize), out.header.channelType);
        out.data = out.swapped.data();
    }
    return nullptr;
}

const char* refusePVRTexture(const void* file, std::size_t size) {
    PVRTParsedTexture parsed;
    if (const char* why = parsePVRTexture(file, size, parsed)) {
        return why;
    }
    return pvrTextureGLFormat(parsed.header).internalFormat == 0 ? "pixel type not supported" : nullptr;
}

bool PVRTTextureLoadFromPointer(const void* file, std::size_t size, GLuint* name,
                                PVRTextureHeaderV3* loaded) {
    drainGLErrors();
    PVRTParsedTexture parsed;
    if (const char* why = parsePVRTexture(file, size, parsed)) {
        logToStderr("PVRTTextureLoadFromPointer failed: %s.\n", why);
        return false;
    }
    PVRTextureHeaderV3 header = parsed.header;
    const uint8_t* data = parsed.data;
    PVRTGLFormat gl = pvrTextureGLFormat(header);
    const PVRTExtensions extensions = PVRTExtensions::ofCurrentContext();

    // PVRTC without the GL's help: decode every image to RGBA8888, in the
    // file's own order, and upload those instead.
    std::unique_ptr<uint8_t[]> decoded;
    if (isPVRTCv1(gl.internalFormat) && !extensions.pvrtc) {
        logToStderr(
            "PVRTTextureLoadFromPointer warning: PVRTC not supported. Converting to RGBA8888 instead.\n");
        const PVRTextureHeaderV3 compressed = header;
        const bool twoBit = gl.internalFormat == GL_COMPRESSED_RGB_PVRTC_2BPPV1_IMG ||
                            gl.internalFormat == GL_COMPRESSED_RGBA_PVRTC_2BPPV1_IMG;
        header.pixelFormat = pvrPixelFormat('r', 'g', 'b', 'a', 8, 8, 8, 8);
        header.colourSpace = 0;
        header.channelType = kChannelUnsignedByteNorm;
        decoded.reset(new (std::nothrow) uint8_t[pvrTextureDataSize(header, kAllMipLevels, false, true)]);
        if (!decoded) {
            return fail(
                "PVRTTextureLoadFromPointer error: Unable to allocate memory to decompress texture.\n");
        }
        const auto decodedSize = [&header](uint32_t level) {
            return pvrTextureDataSize(header, static_cast<int>(level), false, false);
        };
        const auto compressedSize = [&compressed](uint32_t level) {
            return pvrTextureDataSize(compressed, static_cast<int>(level), false, false);
        };
        // Both walks visit the images in the same order.
        std::vector<uint64_t> sourceOffsets;
        forEachImage(compressed, parsed.legacy, compressedSize,
                     [&](uint32_t, uint32_t, uint32_t, uint32_t, uint64_t at) {
                         sourceOffsets.push_back(at);
                         return true;
                     });
        std::size_t image = 0;
        forEachImage(header, parsed.legacy, decodedSize,
                     [&](uint32_t, uint32_t, uint32_t w, uint32_t h, uint64_t at) {
                         PVRTDecompressPVRTC(data + sourceOffsets[image++], twoBit, w, h, decoded.get() + at);
                         return true;
                     });
        data = decoded.get();
        gl = {GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE};
    }
    const bool compressedUpload = gl.format == 0 && gl.internalFormat != 0;
    if ((gl.internalFormat == GL_COMPRESSED_RGBA_PVRTC_2BPPV2_IMG ||
         gl.internalFormat == GL_COMPRESSED_RGBA_PVRTC_4BPPV2_IMG) &&
        !extensions.pvrtc2) {
        return fail("PVRTTextureLoadFromPointer error: PVRTC not supported.\n");
    }
    if (gl.format == GL_BGRA_EXT && !extensions.bgra8888) {
        if (!extensions.bgra8888Ext) {
            return fail("PVRTTextureLoadFromPointer failed: Unable to load GL_BGRA texture as extension "
                        "GL_APPLE_texture_format_BGRA8888 is unsupported.\n");
        }
        // The EXT form of the extension wants the texture itself BGRA.
        gl.internalFormat = GL_BGRA_EXT;
    }
    if (gl.type == GL_HALF_FLOAT_OES && !extensions.halfFloat) {
        logToStderr(
            "PVRTTextureLoadFromPointer failed: Unable to load GL_HALF_FLOAT_OES texture as extension "
            "GL_OES_texture_half_float is unsupported.\n");
    }
    if (gl.type == GL_FLOAT && !extensions.floatTexture) {
        logToStderr("PVRTTextureLoadFromPointer failed: Unable to load GL_FLOAT texture as extension "
                    "GL_OES_texture_float is unsupported.\n");
    }
    if (gl.internalFormat == 0) {
        return fail("PVRTTextureLoadFromPointer failed: pixel type not supported.\n");
    }

    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glGenTextures(1, name);
    const GLenum target = header.numFaces > 1 ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
    const GLenum firstImageTarget = header.numFaces > 1 ? GL_TEXTURE_CUBE_MAP_POSITIVE_X : GL_TEXTURE_2D;
    glBindTexture(target, *name);
    if (drainGLErrors()) {
        return fail("PVRTTextureLoadFromPointer failed: glBindTexture() failed.\n");
    }

    const auto levelSize = [&header](uint32_t level) {
        return pvrTextureDataSize(header, static_cast<int>(level), false, false);
    };
    // GL is asked after each level (version 3) or each face (legacy).
    const uint32_t checkEvery = parsed.legacy ? header.mipMapCount : header.numFaces;
    uint32_t uploaded = 0;
    const bool ok = forEachImage(
        header, parsed.legacy, levelSize,
        [&](uint32_t level, uint32_t face, uint32_t w, uint32_t h, uint64_t at) {
            const GLenum imageTarget = firstImageTarget + face;
            const GLint lvl = static_cast<GLint>(level);
            if (compressedUpload) {
                glCompressedTexImage2D(imageTarget, lvl, gl.internalFormat, static_cast<GLsizei>(w),
                                       static_cast<GLsizei>(h), 0, static_cast<GLsizei>(levelSize(level)),
                                       data + at);
            } else {
                glTexImage2D(imageTarget, lvl, static_cast<GLint>(gl.internalFormat), static_cast<GLsizei>(w),
                             static_cast<GLsizei>(h), 0, gl.format, gl.type, data + at);
            }
            return ++uploaded % checkEvery != 0 || !drainGLErrors();
        });
    decoded.reset();
    if (!ok || drainGLErrors()) {
        return fail("PVRTTextureLoadFromPointer failed: glTexImage2D() failed.\n");
    }

    const bool floating = gl.type == GL_HALF_FLOAT_OES || gl.type == GL_FLOAT;
    const bool mipmapped = header.mipMapCount > 1;
    const GLint minFilter = floating ? (mipmapped ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST)
                                     : (mipmapped ? GL_LINEAR_MIPMAP_NEAREST : GL_LINEAR);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, floating ? GL_NEAREST : GL_LINEAR);
    const GLint wrap =
        isPowerOfTwoOrZero(header.width) && isPowerOfTwoOrZero(header.height) ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    glTexParameteri(target, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, wrap);
    if (drainGLErrors()) {
        return fail("PVRTTextureLoadFromPointer failed: glTexParameter() failed.\n");
    }
    if (loaded != nullptr) {
        *loaded = parsed.header;
    }
    return true;
}

} // namespace ZQ
