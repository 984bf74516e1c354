#pragma once
// Where a document's bytes come from (a file read by position, or memory),
// and a small cache of blocks over them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "reader/error.h"

namespace pelmora::word {

// Where the bytes come from: a file (positioned reads) or memory.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads up to n bytes at off; fewer only at the end of the source.
    virtual size_t ReadAt(uint64_t off, void* dst, size_t n) = 0;
    // The file's path, for readers that follow links to files beside it;
    // empty for memory.
    virtual std::string Path() const { return {}; }
};

class FileSource final : public ByteSource {
  public:
    // Throws WordError when the file cannot be opened or is not a regular file.
    explicit FileSource(const std::string& path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    uint64_t Size() const override { return size_; }
    size_t ReadAt(uint64_t off, void* dst, size_t n) override;
    std::string Path() const override { return path_; }

  private:
    std::string path_;
    int fd_ = -1;
    uint64_t size_ = 0;
};

// Borrowed bytes; the caller keeps them alive.
class MemorySource final : public ByteSource {
  public:
    MemorySource(const void* data, size_t size)
        : data_(static_cast<const unsigned char*>(data)), size_(size) {}
    uint64_t Size() const override { return size_; }
    size_t ReadAt(uint64_t off, void* dst, size_t n) override;

  private:
    const unsigned char* data_;
    size_t size_;
};

// Bytes the source keeps itself.
class OwnedSource final : public ByteSource {
  public:
    explicit OwnedSource(std::string bytes)
        : bytes_(std::move(bytes)), view_(bytes_.data(), bytes_.size()) {}
    uint64_t Size() const override { return view_.Size(); }
    size_t ReadAt(uint64_t off, void* dst, size_t n) override { return view_.ReadAt(off, dst, n); }

  private:
    std::string bytes_;
    MemorySource view_;
};

// A handful of 4 KiB blocks of a source. The buffer is recycled between
// documents so that opening many files does not churn the heap.
class BlockCache {
  public:
    static constexpr size_t kBlockSize = 4096;
    static constexpr size_t kSlots = 16;

    // `block0` (optional) holds the first n bytes of the source, already read.
    explicit BlockCache(ByteSource& src, const unsigned char* block0 = nullptr, size_t n = 0);
    ~BlockCache();
    BlockCache(const BlockCache&) = delete;
    BlockCache& operator=(const BlockCache&) = delete;

    uint64_t Size() const { return size_; }
    // Copies [off, off + n); bytes past the end of the source read as zero.
    void Read(uint64_t off, void* dst, size_t n);

  private:
    const unsigned char* Block(uint64_t index);

    ByteSource& src_;
    uint64_t size_;
    unsigned char* buf_;
    uint64_t tag_[kSlots];
    uint32_t used_[kSlots];
    uint32_t clock_ = 0;
};

// The whole source, when it holds at most `cap` bytes; WordError otherwise.
std::string ReadAll(ByteSource& src, size_t cap);

}  // namespace pelmora::word
