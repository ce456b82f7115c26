#pragma once

#include "render/PVRTTextureHeader.h"

#include <GLES2/gl2.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ZQ {

// The PVR texture reader: the bytes of a whole PVR file (version 3, version
// 3 written big-endian, or the 44- and 52-byte legacy headers) become one GL
// texture with every face and mip level. PVRTC goes through the software
// decoder when the GL lacks it (Mesa always does).
//
// Nothing is trusted: every size the header claims is checked against the
// file's length before a byte of it is read, and a file that fails is
// reported once through the engine log and leaves GL without pending errors.
// Main thread, GL context current.

// The GL extensions the reader asks about, each matched as a whole word.
struct PVRTExtensions {
    bool pvrtc = false;
    bool pvrtc2 = false;
    bool bgra8888 = false;    // the BGRA source format with an RGBA texture
    bool bgra8888Ext = false; // the same with a BGRA texture (Mesa's form)
    bool halfFloat = false;
    bool floatTexture = false;

    static PVRTExtensions ofCurrentContext();
};

// True when `name` appears in the space-separated `extensions` as a whole
// word; a null list has none.
bool hasGLExtension(const char* extensions, const char* name);

// A file's texture, its header read and checked: `data` points at the first
// image and holds at least pvrTextureDataSize(header, all levels, surfaces
// and faces) bytes.
struct PVRTParsedTexture {
    PVRTextureHeaderV3 header;
    bool legacy = false;
    const uint8_t* data = nullptr;
    std::vector<uint8_t> swapped; // the data in host order, for files written big-endian
};

// Reads and checks the header of `size` bytes at `file`. Returns null, or the
// reason the file cannot be read (nothing in `out` is then meaningful).
const char* parsePVRTexture(const void* file, std::size_t size, PVRTParsedTexture& out);

// Why the loader refuses the file whatever GL it meets, or null: the reasons
// of parsePVRTexture, and a pixel type that no GL format fits. Needs no GL
// context; whether the GL at hand takes a format that needs an extension
// (PVRTC-II, BGRA, the float types) shows only when the file is loaded.
const char* refusePVRTexture(const void* file, std::size_t size);

// Loads the file into a new texture whose name goes to *name. On failure
// *name is untouched when the file was refused before GL was asked for a
// name, else the generated name with whatever was uploaded. `header`, when
// given, receives the header of a file that loaded.
bool PVRTTextureLoadFromPointer(const void* file, std::size_t size, GLuint* name,
                                PVRTextureHeaderV3* header = nullptr);

} // namespace ZQ
