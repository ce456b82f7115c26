#include "render/SourceStream.h"

#include "engine/Assert.h"

#include <cstring>

CSourceStream::CSourceStream(std::unique_ptr<CPVRTResourceFile> file) : file(std::move(file)) {
    ZQ_ASSERT(this->file != nullptr);
}

CSourceStream::CSourceStream(const char* filename)
    : CSourceStream(std::make_unique<CPVRTResourceFile>(filename)) {}

bool CSourceStream::read(void* out, uint32_t bytes) {
    if (!remains(bytes)) {
        return false;
    }
    if (bytes > 0) {
        std::memcpy(out, static_cast<const unsigned char*>(file->getData()) + offset, bytes);
    }
    offset += bytes;
    return true;
}

bool CSourceStream::skip(uint32_t bytes) {
    if (!remains(bytes)) {
        return false;
    }
    offset += bytes;
    return true;
}
