#include "reader/binary/cfb.h"

#include <algorithm>
#include <cstring>

#include "reader/io/littleendian.h"
#include "reader/limits.h"

namespace pelmora::word {

namespace {

constexpr uint32_t kMaxRegSect = 0xFFFFFFFA;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSect = 0xFFFFFFFF;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
constexpr uint32_t kMiniCutoff = 4096;
constexpr unsigned kMiniShift = 6;

[[noreturn]] void Corrupt(const char* what) {
    throw WordError(std::string("damaged compound file: ") + what);
}

char16_t Fold(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

}  // namespace

// ---- header ([MS-CFB] 2.2) -------------------------------------------------

CompoundFile::CompoundFile(BlockCache& cache) : cache_(cache), fileSize_(cache.Size()) {
    unsigned char h[512];
    if (fileSize_ < 512) Corrupt("shorter than its header");
    cache_.Read(0, h, sizeof h);
    if (std::memcmp(h, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) != 0) Corrupt("bad signature");
    // Minor version is not checked: writers disagree on it.
    uint16_t major = Le16(h + 0x1A);
    if (Le16(h + 0x1C) != 0xFFFE) Corrupt("bad byte order mark");
    shift_ = Le16(h + 0x1E);
    if (!((major == 3 && shift_ == 9) || (major == 4 && shift_ == 12)))
        Corrupt("unsupported version or sector size");
    if (Le16(h + 0x20) != kMiniShift) Corrupt("bad mini sector size");
    if (Le32(h + 0x38) != kMiniCutoff) Corrupt("bad mini stream cutoff");
    uint64_t ss = 1ull << shift_;
    if (fileSize_ < ss) Corrupt("shorter than its first sector");
    uint64_t count = (fileSize_ - ss + ss - 1) / ss;
    if (count > kMaxRegSect) Corrupt("file too large");
    sectorCount_ = static_cast<uint32_t>(count);

    fatCount_ = Le32(h + 0x2C);
    firstDir_ = Le32(h + 0x30);
    firstMiniFat_ = Le32(h + 0x3C);
    miniFatCount_ = Le32(h + 0x40);
    firstDifat_ = Le32(h + 0x44);
    difatCount_ = Le32(h + 0x48);
    for (int i = 0; i < 109; ++i) headerDifat_[i] = Le32(h + 0x4C + 4 * i);

    const uint64_t perDifat = ss / 4 - 1;
    if (fatCount_ == 0 || fatCount_ > sectorCount_) Corrupt("bad FAT sector count");
    if (difatCount_ > sectorCount_) Corrupt("bad DIFAT sector count");
    if (fatCount_ > 109 + uint64_t(difatCount_) * perDifat) Corrupt("FAT larger than its DIFAT");
    if (firstDir_ >= sectorCount_) Corrupt("bad directory start");
    dirEntryCap_ = static_cast<uint32_t>(std::min<uint64_t>(kMaxDirEntries, count * (ss / 128)));

    dir_ = &ChainFor(false, firstDir_);
    DirEntry root;
    ReadEntry(0, root);
    if (root.type != 5) Corrupt("first directory entry is not the root");
}

uint32_t CompoundFile::FatSectorNumber(uint32_t fatIndex) {
    if (fatIndex >= fatCount_) Corrupt("sector beyond the FAT");
    uint32_t s;
    if (fatIndex < 109) {
        s = headerDifat_[fatIndex];
    } else {
        // [MS-CFB] 2.5: DIFAT sectors hold sectorSize/4 - 1 entries and a link.
        const uint32_t per = (1u << (shift_ - 2)) - 1;
        uint32_t want = (fatIndex - 109) / per;
        while (difatSectors_.size() <= want) {
            uint32_t next;
            if (difatSectors_.empty()) {
                next = firstDifat_;
            } else {
                unsigned char b[4];
                cache_.Read(((uint64_t(difatSectors_.back()) + 1) << shift_) + uint64_t(per) * 4, b,
                            4);
                next = Le32(b);
            }
            // The last link may be ENDOFCHAIN or FREESECT (both seen).
            if (difatSectors_.size() >= difatCount_ || next == kEndOfChain || next == kFreeSect)
                Corrupt("DIFAT shorter than the FAT");
            if (next >= sectorCount_) Corrupt("DIFAT sector beyond the file");
            if (std::find(difatSectors_.begin(), difatSectors_.end(), next) != difatSectors_.end())
                Corrupt("DIFAT chain loops");
            difatSectors_.push_back(next);
        }
        unsigned char b[4];
        cache_.Read(
            ((uint64_t(difatSectors_[want]) + 1) << shift_) + 4ull * ((fatIndex - 109) % per), b,
            4);
        s = Le32(b);
    }
    if (s >= sectorCount_) Corrupt("FAT sector beyond the file");
    return s;
}

uint32_t CompoundFile::NextSector(uint32_t sector) {
    const unsigned perShift = shift_ - 2;
    uint32_t fs = FatSectorNumber(sector >> perShift);
    unsigned char b[4];
    cache_.Read(((uint64_t(fs) + 1) << shift_) + 4ull * (sector & ((1u << perShift) - 1)), b, 4);
    return Le32(b);
}

void CompoundFile::EnsureMini() {
    if (miniReady_) return;
    DirEntry root;
    ReadEntry(0, root);
    uint64_t size = root.size;
    if (size > fileSize_ || size > kMaxMiniStream) Corrupt("mini stream too large");
    if (size > 0 && root.start >= sectorCount_) Corrupt("bad mini stream start");
    root_.cf_ = this;
    root_.size_ = static_cast<uint32_t>(size);
    root_.chain_ = &ChainFor(false, root.start);
    uint64_t fatBytes = uint64_t(miniFatCount_) << shift_;
    if (fatBytes > fileSize_) Corrupt("mini FAT too large");
    miniFat_.cf_ = this;
    miniFat_.size_ = static_cast<uint32_t>(fatBytes);
    miniFat_.chain_ = &ChainFor(false, firstMiniFat_);
    miniCount_ = static_cast<uint32_t>((size + 63) >> kMiniShift);
    miniReady_ = true;
}

uint32_t CompoundFile::NextMiniSector(uint32_t sector) {
    if (uint64_t(sector) * 4 + 4 > miniFat_.size_) Corrupt("mini sector beyond the mini FAT");
    return miniFat_.U32(sector * 4);
}

void CompoundFile::Claim(bool mini, uint32_t sector) {
    // A sector met twice is a loop within a chain or two chains sharing it.
    std::vector<uint64_t>& bits = mini ? claimedMini_ : claimed_;
    if (bits.empty()) bits.assign(((mini ? miniCount_ : sectorCount_) + 63) / 64, 0);
    uint64_t& w = bits[sector / 64];
    uint64_t m = 1ull << (sector % 64);
    if (w & m)
        Corrupt(mini ? "mini FAT chain loops or overlaps another"
                     : "FAT chain loops or overlaps another");
    w |= m;
}

Chain& CompoundFile::ChainFor(bool mini, uint32_t first) {
    for (Chain& c : chains_)
        if (c.mini == mini && c.first == first) return c;
    Chain& c = chains_.emplace_back();
    c.mini = mini;
    c.first = first;
    return c;
}

uint32_t CompoundFile::SectorAt(Chain& chain, uint32_t index) {
    const uint32_t count = chain.mini ? miniCount_ : sectorCount_;
    if (chain.known == 0) {
        if (chain.first >= count) Corrupt("chain starts beyond the file");
        Claim(chain.mini, chain.first);
        if (runCount_ >= kMaxChainRuns) Corrupt("streams too fragmented");
        ++runCount_;
        chain.runs.push_back({0, chain.first});
        chain.known = 1;
        chain.last = chain.first;
    }
    while (chain.known <= index) {
        if (chain.ended) Corrupt("chain shorter than its stream");
        uint32_t next = chain.mini ? NextMiniSector(chain.last) : NextSector(chain.last);
        // A free sector ends a chain too (seen in a damaged real file): what
        // comes before it is still read, what follows gives an error.
        if (next == kEndOfChain || next == kFreeSect) {
            chain.ended = true;
            continue;
        }
        if (next >= count) Corrupt("bad link in a sector chain");
        Claim(chain.mini, next);
        if (next != chain.last + 1) {
            if (runCount_ >= kMaxChainRuns) Corrupt("streams too fragmented");
            ++runCount_;
            chain.runs.push_back({chain.known, next});
        }
        chain.last = next;
        ++chain.known;
    }
    // The run holding `index`: the last one starting at or before it.
    auto it = std::upper_bound(chain.runs.begin(), chain.runs.end(), index,
                               [](uint32_t i, const Chain::Run& r) { return i < r.index; });
    --it;
    return it->sector + (index - it->index);
}

void CompoundFile::ReadChain(Chain& chain, uint64_t off, void* dst, size_t n) {
    auto* out = static_cast<unsigned char*>(dst);
    const unsigned shift = chain.mini ? kMiniShift : shift_;
    const uint64_t ss = 1ull << shift;
    while (n > 0) {
        uint64_t index = off >> shift;
        if (index >= 0xFFFFFFFFull) Corrupt("offset too large");
        uint32_t sector = SectorAt(chain, static_cast<uint32_t>(index));
        size_t in = static_cast<size_t>(off & (ss - 1));
        size_t k = static_cast<size_t>(std::min<uint64_t>(n, ss - in));
        // Consecutive sectors already learnt are read in one go.
        while (k < n) {
            uint32_t s2 = SectorAt(chain, static_cast<uint32_t>(index + 1));
            if (s2 != sector + (index + 1 - (off >> shift))) break;
            ++index;
            k = static_cast<size_t>(std::min<uint64_t>(n, k + ss));
        }
        if (chain.mini)
            ReadChain(*root_.chain_, (uint64_t(sector) << kMiniShift) + in, out, k);
        else
            cache_.Read(((uint64_t(sector) + 1) << shift_) + in, out, k);
        out += k;
        off += k;
        n -= k;
    }
}

// ---- directory ([MS-CFB] 2.6) ----------------------------------------------

void CompoundFile::ReadEntry(uint32_t id, DirEntry& e) {
    if (id >= dirEntryCap_) Corrupt("bad directory entry id");
    unsigned char b[128];
    ReadChain(*dir_, uint64_t(id) * 128, b, sizeof b);
    unsigned len = Le16(b + 0x40);
    if (len > 64 || (len & 1)) Corrupt("bad directory entry name");
    e.nameLen = len >= 2 ? len / 2 - 1 : 0;
    for (unsigned i = 0; i < e.nameLen; ++i) e.name[i] = static_cast<char16_t>(Le16(b + 2 * i));
    e.type = b[0x42];
    e.left = Le32(b + 0x44);
    e.right = Le32(b + 0x48);
    e.child = Le32(b + 0x4C);
    e.start = Le32(b + 0x74);
    e.size = Le32(b + 0x78);
    // Version 3 files: the high half of the size is garbage from old writers.
    if (shift_ == 12) e.size |= uint64_t(Le32(b + 0x7C)) << 32;
}

std::optional<CompoundFile::DirEntry> CompoundFile::FindEntry(std::u16string_view name) {
    DirEntry root;
    ReadEntry(0, root);
    // The root's children form a tree through left/right links. The tree's
    // order is not trusted: every node is visited, each at most once.
    std::vector<uint32_t> stack;
    std::vector<uint32_t> seen;
    if (root.child != kNoStream) stack.push_back(root.child);
    while (!stack.empty()) {
        uint32_t id = stack.back();
        stack.pop_back();
        if (id == 0 || std::find(seen.begin(), seen.end(), id) != seen.end())
            Corrupt("directory tree loops");
        if (seen.size() >= dirEntryCap_) Corrupt("directory too large");
        seen.push_back(id);
        DirEntry e;
        ReadEntry(id, e);
        if (e.type == 0) Corrupt("link to an unused directory entry");
        if (e.nameLen == name.size()) {
            bool same = true;
            for (size_t i = 0; i < name.size() && same; ++i)
                same = Fold(e.name[i]) == Fold(name[i]);
            if (same) return e;
        }
        if (e.left != kNoStream) stack.push_back(e.left);
        if (e.right != kNoStream) stack.push_back(e.right);
    }
    return std::nullopt;
}

bool CompoundFile::HasStream(std::u16string_view name) {
    auto e = FindEntry(name);
    return e && e->type == 2;
}

std::optional<Stream> CompoundFile::OpenStream(std::u16string_view name) {
    auto e = FindEntry(name);
    if (!e || e->type != 2) return std::nullopt;
    if (e->size > fileSize_) Corrupt("stream larger than the file");
    Stream s;
    s.cf_ = this;
    s.size_ = static_cast<uint32_t>(e->size);
    if (e->size == 0) return s;
    bool mini = e->size < kMiniCutoff;
    if (mini) {
        EnsureMini();
        if (e->size > root_.size_) Corrupt("stream larger than the mini stream");
    }
    s.chain_ = &ChainFor(mini, e->start);
    return s;
}

// ---- streams ---------------------------------------------------------------

void Stream::Read(uint32_t off, void* dst, size_t n) {
    if (!Holds(off, n)) throw WordError("damaged document: read past the end of a stream");
    if (n == 0) return;
    cf_->ReadChain(*chain_, off, dst, n);
}

uint8_t Stream::U8(uint32_t off) {
    unsigned char b[1];
    Read(off, b, 1);
    return b[0];
}

uint16_t Stream::U16(uint32_t off) {
    unsigned char b[2];
    Read(off, b, 2);
    return Le16(b);
}

uint32_t Stream::U32(uint32_t off) {
    unsigned char b[4];
    Read(off, b, 4);
    return Le32(b);
}

}  // namespace pelmora::word
