#include "platform/ZQSoundFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <limits>

namespace ZQSoundFile {

namespace {

constexpr std::size_t kFileHeaderSize = 8;   // 'caff', version, flags
constexpr std::size_t kChunkHeaderSize = 12; // type, then a signed 64-bit length
constexpr std::size_t kEditCountSize = 4;    // what a data chunk holds before its audio

uint64_t readBigEndian(const uint8_t* bytes, std::size_t count) {
    uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value = value << 8 | bytes[i];
    }
    return value;
}

class Descriptor {
public:
    explicit Descriptor(const std::string& path) : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    // Exactly `count` bytes at `offset`.
    bool readAt(uint64_t offset, uint8_t* out, std::size_t count) const {
        return ::pread(fd, out, count, static_cast<off_t>(offset)) == static_cast<ssize_t>(count);
    }

    const int fd;
};

} // namespace

const char* damage(const std::string& path) {
    const Descriptor file(path);
    struct stat status {};
    if (file.fd < 0 || ::fstat(file.fd, &status) != 0) {
        return "the file cannot be opened";
    }
    const uint64_t size = static_cast<uint64_t>(status.st_size);
    uint8_t header[kChunkHeaderSize];
    if (size < kFileHeaderSize || !file.readAt(0, header, kFileHeaderSize)) {
        return "the file is shorter than its header";
    }
    if (std::memcmp(header, "caff", 4) != 0 || readBigEndian(header + 4, 2) != 1) {
        return "not a CAF file of version 1";
    }
    bool first = true;
    bool data = false;
    for (uint64_t at = kFileHeaderSize; at < size;) {
        if (size - at < kChunkHeaderSize || !file.readAt(at, header, kChunkHeaderSize)) {
            return "the file ends inside a chunk's header";
        }
        const bool isData = std::memcmp(header, "data", 4) == 0;
        if (first && std::memcmp(header, "desc", 4) != 0) {
            return "the file does not begin with its description chunk";
        }
        first = false;
        const int64_t length = static_cast<int64_t>(readBigEndian(header + 4, 8));
        at += kChunkHeaderSize;
        if (isData && data) {
            return "the file has two data chunks";
        }
        data = data || isData;
        // A length left open (-1) by a writer that never came back is one
        // libsndfile refuses too.
        if (length < 0) {
            return "a chunk gives no length";
        }
        if (static_cast<uint64_t>(length) > size - at) {
            return "the file is shorter than its chunks say";
        }
        if (isData && static_cast<uint64_t>(length) < kEditCountSize) {
            return "the data chunk is shorter than its edit count";
        }
        at += static_cast<uint64_t>(length);
    }
    return data ? nullptr : "the file has no data chunk";
}

bool playableChannels(const SF_INFO& info) {
    return info.channels >= 1 && info.channels <= 2;
}

bool playableLength(const SF_INFO& info, Use use) {
    if (info.samplerate <= 0 || !playableChannels(info) || info.frames <= 0) {
        return false;
    }
    // The effects player hands the whole sample to OpenAL in one byte count.
    const sf_count_t limit = std::numeric_limits<int32_t>::max() / (2 * info.channels);
    return use == Use::Music || info.frames <= limit;
}

} // namespace ZQSoundFile
