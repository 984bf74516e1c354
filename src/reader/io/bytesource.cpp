#include "reader/io/bytesource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace pelmora::word {

namespace {

// Cache buffers are reused by the next document opened on this thread.
struct BufferPool {
    std::vector<unsigned char*> free;
    ~BufferPool() {
        for (unsigned char* p : free) delete[] p;
    }
};
thread_local BufferPool tPool;

}  // namespace

// ---- sources ---------------------------------------------------------------

FileSource::FileSource(const std::string& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw WordError(std::string("cannot open file: ") + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw WordError("not a regular file");
    }
    size_ = static_cast<uint64_t>(st.st_size);
}

FileSource::~FileSource() {
    if (fd_ >= 0) ::close(fd_);
}

size_t FileSource::ReadAt(uint64_t off, void* dst, size_t n) {
    // Never ask past the end: that costs a system call that returns nothing.
    if (off >= size_) return 0;
    n = static_cast<size_t>(std::min<uint64_t>(n, size_ - off));
    size_t done = 0;
    auto* out = static_cast<unsigned char*>(dst);
    while (done < n) {
        ssize_t r = ::pread(fd_, out + done, n - done, static_cast<off_t>(off + done));
        if (r < 0) {
            if (errno == EINTR) continue;
            throw WordError(std::string("read error: ") + std::strerror(errno));
        }
        if (r == 0) break;
        done += static_cast<size_t>(r);
    }
    return done;
}

size_t MemorySource::ReadAt(uint64_t off, void* dst, size_t n) {
    if (off >= size_) return 0;
    size_t k = static_cast<size_t>(std::min<uint64_t>(n, size_ - off));
    std::memcpy(dst, data_ + off, k);
    return k;
}

// ---- block cache -----------------------------------------------------------

BlockCache::BlockCache(ByteSource& src, const unsigned char* block0, size_t n)
    : src_(src), size_(src.Size()) {
    if (!tPool.free.empty()) {
        buf_ = tPool.free.back();
        tPool.free.pop_back();
    } else {
        buf_ = new unsigned char[kBlockSize * kSlots];
    }
    std::fill(std::begin(tag_), std::end(tag_), UINT64_MAX);
    std::fill(std::begin(used_), std::end(used_), 0u);
    // The caller has read the file's start already to tell its format.
    if (block0 && (n == kBlockSize || n == size_) && n <= kBlockSize) {
        std::memcpy(buf_, block0, n);
        std::memset(buf_ + n, 0, kBlockSize - n);
        tag_[0] = 0;
        used_[0] = ++clock_;
    }
}

BlockCache::~BlockCache() {
    if (tPool.free.size() < 4)
        tPool.free.push_back(buf_);
    else
        delete[] buf_;
}

const unsigned char* BlockCache::Block(uint64_t index) {
    size_t victim = 0;
    for (size_t i = 0; i < kSlots; ++i) {
        if (tag_[i] == index) {
            used_[i] = ++clock_;
            return buf_ + i * kBlockSize;
        }
        if (used_[i] < used_[victim]) victim = i;
    }
    unsigned char* p = buf_ + victim * kBlockSize;
    tag_[victim] = UINT64_MAX;  // stays invalid if the read throws
    size_t got = src_.ReadAt(index * kBlockSize, p, kBlockSize);
    if (got < kBlockSize) std::memset(p + got, 0, kBlockSize - got);
    tag_[victim] = index;
    used_[victim] = ++clock_;
    return p;
}

void BlockCache::Read(uint64_t off, void* dst, size_t n) {
    auto* out = static_cast<unsigned char*>(dst);
    while (n > 0) {
        if (off >= size_) {
            std::memset(out, 0, n);
            return;
        }
        uint64_t index = off / kBlockSize;
        size_t in = static_cast<size_t>(off % kBlockSize);
        size_t k = std::min(n, kBlockSize - in);
        std::memcpy(out, Block(index) + in, k);
        out += k;
        off += k;
        n -= k;
    }
}

std::string ReadAll(ByteSource& src, size_t cap) {
    const uint64_t size = src.Size();
    if (size > cap) throw WordError("file too large");
    std::string bytes(static_cast<size_t>(size), '\0');
    bytes.resize(src.ReadAt(0, bytes.data(), bytes.size()));
    return bytes;
}

}  // namespace pelmora::word
