#pragma once
// Compound file reading ([MS-CFB]): the container of Word 6 and later files.
//
// Nothing is read up front beyond the 512-byte header. FAT sectors, directory
// sectors and stream bytes are fetched through a small block cache only when a
// chain or a read needs them, so a first-paragraph read of a large file touches
// a few blocks, and memory per open file stays bounded whatever its size:
// 64 KiB of cache, at most 1.5 MiB of chain runs, one bit per sector to catch
// loops (1 MiB for the largest file addressable), a few small tables.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reader/error.h"
#include "reader/io/bytesource.h"

namespace pelmora::word {

class CompoundFile;

// The sectors of one chain, learnt as far as reads have needed them. Stored as
// runs of consecutive sectors, which is how writers lay streams out.
struct Chain {
    struct Run {
        uint32_t index;   // position in the chain of the run's first sector
        uint32_t sector;  // that sector's number
    };
    bool mini = false;
    uint32_t first = 0;
    std::vector<Run> runs;
    uint32_t known = 0;  // sectors learnt so far
    uint32_t last = 0;   // number of the last sector learnt
    bool ended = false;  // ENDOFCHAIN seen after `last`
};

class Stream {
  public:
    Stream() = default;
    uint32_t Size() const { return size_; }
    // Throws WordError when [off, off + n) is outside the stream or the
    // stream's chain is corrupt.
    void Read(uint32_t off, void* dst, size_t n);
    uint8_t U8(uint32_t off);
    uint16_t U16(uint32_t off);
    uint32_t U32(uint32_t off);
    // Whether [off, off + n) lies inside the stream.
    bool Holds(uint64_t off, uint64_t n) const { return off <= size_ && n <= size_ - off; }

  private:
    friend class CompoundFile;
    CompoundFile* cf_ = nullptr;
    Chain* chain_ = nullptr;
    uint32_t size_ = 0;
};

class CompoundFile {
  public:
    // Reads and checks the header. Throws WordError.
    explicit CompoundFile(BlockCache& cache);
    CompoundFile(const CompoundFile&) = delete;
    CompoundFile& operator=(const CompoundFile&) = delete;

    // A stream directly under the root storage, name compared without case
    // (some writers store "WORDDOCUMENT"). Nothing when absent.
    std::optional<Stream> OpenStream(std::u16string_view name);
    bool HasStream(std::u16string_view name);

  private:
    friend class Stream;
    struct DirEntry {
        char16_t name[32];
        unsigned nameLen;  // characters, without the NUL
        uint8_t type;
        uint32_t left, right, child, start;
        uint64_t size;
    };

    void ReadEntry(uint32_t id, DirEntry& e);
    std::optional<DirEntry> FindEntry(std::u16string_view name);
    Chain& ChainFor(bool mini, uint32_t first);
    uint32_t SectorAt(Chain& chain, uint32_t index);
    uint32_t NextSector(uint32_t sector);
    uint32_t NextMiniSector(uint32_t sector);
    uint32_t FatSectorNumber(uint32_t fatIndex);
    void Claim(bool mini, uint32_t sector);
    void ReadChain(Chain& chain, uint64_t off, void* dst, size_t n);
    void EnsureMini();

    BlockCache& cache_;
    uint64_t fileSize_;
    unsigned shift_ = 9;
    uint32_t sectorCount_ = 0;  // addressable sectors, a partial last one included
    uint32_t fatCount_ = 0;
    uint32_t firstDir_ = 0;
    uint32_t firstMiniFat_ = 0;
    uint32_t miniFatCount_ = 0;
    uint32_t firstDifat_ = 0;
    uint32_t difatCount_ = 0;
    uint32_t headerDifat_[109];
    std::vector<uint32_t> difatSectors_;  // DIFAT sectors walked so far

    std::deque<Chain> chains_;
    Chain* dir_ = nullptr;
    uint32_t dirEntryCap_ = 0;
    bool miniReady_ = false;
    Stream root_;  // the mini stream
    Stream miniFat_;
    uint32_t miniCount_ = 0;
    std::vector<uint64_t> claimed_, claimedMini_;
    size_t runCount_ = 0;
};

}  // namespace pelmora::word
