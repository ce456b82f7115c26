#include "CafWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace VelmoraSounds {

namespace {

class BigEndian {
public:
    void u16(uint16_t v) {
        bytes.push_back(static_cast<uint8_t>(v >> 8));
        bytes.push_back(static_cast<uint8_t>(v));
    }
    void u32(uint32_t v) {
        u16(static_cast<uint16_t>(v >> 16));
        u16(static_cast<uint16_t>(v));
    }
    void u64(uint64_t v) {
        u32(static_cast<uint32_t>(v >> 32));
        u32(static_cast<uint32_t>(v));
    }
    // Byte by byte: g++ 12 with ThreadSanitizer misreads a four-byte range
    // insert into a growing vector as an overflow (-Wstringop-overflow).
    void tag(const char (&fourCc)[5]) {
        for (int k = 0; k < 4; ++k) {
            bytes.push_back(static_cast<uint8_t>(fourCc[k]));
        }
    }
    void f64(double v) {
        uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        u64(bits);
    }

    std::vector<uint8_t> bytes;
};

} // namespace

bool writeCaf(const std::string& path, const std::vector<int16_t>& samples, int sampleRate, int channels,
              std::string& error) {
    BigEndian out;
    out.tag("caff");
    out.u16(1); // file version
    out.u16(0); // flags

    // Audio description: linear PCM, big-endian signed integers (flags 0),
    // one frame per packet.
    out.tag("desc");
    out.u64(32);
    out.f64(static_cast<double>(sampleRate));
    out.tag("lpcm");
    out.u32(0);
    out.u32(static_cast<uint32_t>(2 * channels)); // bytes per packet
    out.u32(1);                                   // frames per packet
    out.u32(static_cast<uint32_t>(channels));
    out.u32(16); // bits per channel

    // The data chunk starts with a 4-byte edit count.
    out.tag("data");
    out.u64(4 + 2 * static_cast<uint64_t>(samples.size()));
    out.u32(0);
    out.bytes.reserve(out.bytes.size() + 2 * samples.size());
    for (int16_t s : samples) {
        out.u16(static_cast<uint16_t>(s));
    }

    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    if (std::fwrite(out.bytes.data(), 1, out.bytes.size(), file.get()) != out.bytes.size()) {
        error = path + ": write failed";
        return false;
    }
    return true;
}

} // namespace VelmoraSounds
