#pragma once

#include "render/PVRTResourceFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// A forward-only byte source: the model reader takes its chunks through it.
class CSource {
public:
    virtual ~CSource() = default;
    // Copies the next `bytes` bytes to `out` and moves past them; false, and
    // nothing copied or moved, when fewer remain.
    virtual bool read(void* out, uint32_t bytes) = 0;
    // Moves past `bytes` bytes; false, and no move, when fewer remain.
    virtual bool skip(uint32_t bytes) = 0;
};

// CSource over a resource file read whole.
//
// Ownership: the stream owns its file and deletes it with itself. One
// thread at a time.
class CSourceStream : public CSource {
public:
    explicit CSourceStream(std::unique_ptr<CPVRTResourceFile> file);
    // Reads `filename` whole; check isOpen().
    explicit CSourceStream(const char* filename);

    bool isOpen() const { return file->isOpen(); }
    std::size_t position() const { return offset; }

    bool read(void* out, uint32_t bytes) override;
    bool skip(uint32_t bytes) override;

private:
    // True when `bytes` more lie between the position and the end; written
    // so that no sum can wrap.
    bool remains(uint32_t bytes) const { return bytes <= file->getSize() - offset; }

    std::unique_ptr<CPVRTResourceFile> file;
    std::size_t offset = 0;
};
