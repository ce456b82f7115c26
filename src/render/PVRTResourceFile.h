#pragma once

#include <cstddef>
#include <memory>

// A whole bundle file read into memory at once: the texture and model
// readers parse bytes, never a stream from disk.
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
