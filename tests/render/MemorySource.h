#pragma once

#include "render/PVRTResourceFile.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

// A byte source over bytes in memory, with the stream's own rules, for the
// model reader's tests and its fuzz target: the bytes are a heap copy of
// exactly their size, so a read past them is caught.
class MemorySource : public CSource {
public:
    explicit MemorySource(std::vector<uint8_t> bytes) : bytes(std::move(bytes)) {}
    bool read(void* out, uint32_t count) override {
        if (count > remaining()) {
            return false;
        }
        if (count != 0) {
            std::memcpy(out, bytes.data() + offset, count);
        }
        offset += count;
        return true;
    }
    bool skip(uint32_t count) override {
        if (count > remaining()) {
            return false;
        }
        offset += count;
        return true;
    }
    std::size_t remaining() const override { return bytes.size() - offset; }

private:
    std::vector<uint8_t> bytes;
    std::size_t offset = 0;
};
