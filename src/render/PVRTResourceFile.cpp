#include "render/PVRTResourceFile.h"

#include "engine/Assert.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <sys/stat.h>

namespace {

// fclose on scope exit, whichever way the read ends.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

CPVRTResourceFile::CPVRTResourceFile(const char* filename) {
    if (filename == nullptr) {
        return;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(filename, "rb"));
    if (!file) {
        return;
    }
    // A directory opens too, and its ftell is no size (LONG_MAX on ext4): only
    // a regular file's length is worth allocating.
    struct stat info {};
    if (fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
        return;
    }
    if (std::fseek(file.get(), 0, SEEK_END) != 0) {
        return;
    }
    const long length = std::ftell(file.get());
    if (length <= 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) {
        return;
    }
    const std::size_t wanted = static_cast<std::size_t>(length);
    buffer.reset(new (std::nothrow) unsigned char[wanted]);
    if (!buffer) {
        return;
    }
    // A file cut short while we read it is as bad as a missing one: the
    // readers would otherwise parse the tail of an allocation.
    if (std::fread(buffer.get(), 1, wanted, file.get()) != wanted) {
        close();
        return;
    }
    size = wanted;
    data = buffer.get();
    open = true;
}

CPVRTResourceFile::~CPVRTResourceFile() {
    close();
}

void CPVRTResourceFile::close() {
    buffer.reset();
    open = false;
    size = 0;
    data = nullptr;
}

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
