#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// A whole bundle file read into memory at once, and a forward-only byte
// source over it: the texture and model readers parse bytes, never a stream
// from disk.
//
// Ownership: the object owns its bytes; `data` stays valid until it is
// destroyed. Any thread, one object per thread.
class CPVRTResourceFile {
public:
    // Reads `filename` whole. Check isOpen() afterwards: a missing or
    // unreadable file, one that is not a regular file, one that is empty or
    // one that delivers fewer bytes than it announced gives a closed object
    // that holds nothing.
    explicit CPVRTResourceFile(const char* filename);
    virtual ~CPVRTResourceFile();
    CPVRTResourceFile(const CPVRTResourceFile&) = delete;
    CPVRTResourceFile& operator=(const CPVRTResourceFile&) = delete;

    bool isOpen() const { return open; }
    std::size_t getSize() const { return size; }
    // The bytes; null when closed.
    const void* getData() const { return data; }

private:
    void close();

    bool open = false;
    std::size_t size = 0;
    const void* data = nullptr;
    std::unique_ptr<unsigned char[]> buffer;
};

// A forward-only byte source: the model reader takes its chunks through it.
class CSource {
public:
    virtual ~CSource() = default;
    // Copies the next `bytes` bytes to `out` and moves past them; false, and
    // nothing copied or moved, when fewer remain.
    virtual bool read(void* out, uint32_t bytes) = 0;
    // Moves past `bytes` bytes; false, and no move, when fewer remain.
    virtual bool skip(uint32_t bytes) = 0;
    // Bytes left to read: a reader checks a length it was told against this
    // before it allocates for it.
    virtual std::size_t remaining() const = 0;
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
    std::size_t remaining() const override { return file->getSize() - offset; }

private:
    // True when `bytes` more lie between the position and the end; written
    // so that no sum can wrap.
    bool remains(uint32_t bytes) const { return bytes <= file->getSize() - offset; }

    std::unique_ptr<CPVRTResourceFile> file;
    std::size_t offset = 0;
};
