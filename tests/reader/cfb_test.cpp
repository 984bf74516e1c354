// Compound file layer: streams in the mini stream and in the FAT, DIFAT,
// names, and every kind of damaged chain, header and directory.

#include "reader/binary/cfb.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "docwriter.h"

namespace pelmora::word {
namespace {

using test::CfbLayout;
using test::CfbWriter;
using test::Put32;

std::string Pattern(size_t n, unsigned seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char((i * 131 + seed * 17 + (i >> 7)) & 0xFF);
    return s;
}

// Counts what the reader asks of the file, to check that it reads lazily.
class CountingSource : public ByteSource {
  public:
    explicit CountingSource(const std::string& d) : inner_(d.data(), d.size()) {}
    uint64_t Size() const override { return inner_.Size(); }
    size_t ReadAt(uint64_t off, void* dst, size_t n) override {
        bytes += n;
        ++calls;
        return inner_.ReadAt(off, dst, n);
    }
    uint64_t bytes = 0, calls = 0;

  private:
    MemorySource inner_;
};

std::string ReadAll(CompoundFile& cf, const std::u16string& name) {
    auto s = cf.OpenStream(name);
    if (!s) return "<none>";
    std::string out(s->Size(), '\0');
    s->Read(0, out.data(), out.size());
    return out;
}

struct StreamCase {
    const char* label;
    size_t size;
    unsigned shift;
};

class StreamRoundTrip : public ::testing::TestWithParam<StreamCase> {};

TEST_P(StreamRoundTrip, ReadsBackWhatWasWritten) {
    const StreamCase& c = GetParam();
    CfbWriter w;
    w.shift = c.shift;
    w.streams = {
        {u"Small", Pattern(100, 1)}, {u"Target", Pattern(c.size, 2)}, {u"Other", Pattern(5000, 3)}};
    std::string file = w.Build();
    MemorySource src(file.data(), file.size());
    BlockCache cache(src);
    CompoundFile cf(cache);
    EXPECT_EQ(ReadAll(cf, u"Target"), Pattern(c.size, 2));
    EXPECT_EQ(ReadAll(cf, u"Small"), Pattern(100, 1));
    EXPECT_EQ(ReadAll(cf, u"Other"), Pattern(5000, 3));
    // Reads at odd offsets within the stream, crossing sector boundaries.
    auto s = cf.OpenStream(u"Target");
    ASSERT_TRUE(s);
    if (c.size > 70) {
        std::string part(7, '\0');
        s->Read(uint32_t(c.size - 70), part.data(), 7);
        EXPECT_EQ(part, Pattern(c.size, 2).substr(c.size - 70, 7));
    }
    char b;
    EXPECT_THROW(s->Read(uint32_t(c.size), &b, 1), WordError);
}

INSTANTIATE_TEST_SUITE_P(
    Cfb, StreamRoundTrip,
    ::testing::Values(StreamCase{"Empty", 0, 9}, StreamCase{"OneByte", 1, 9},
                      StreamCase{"MiniOneSector", 64, 9}, StreamCase{"MiniLargest", 4095, 9},
                      StreamCase{"FatAtCutoff", 4096, 9}, StreamCase{"FatLarge", 70000, 9},
                      StreamCase{"FatAboveCutoff", 4097, 9}, StreamCase{"Version4Mini", 3000, 12},
                      StreamCase{"Version4Fat", 20000, 12}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Cfb, NamesCompareWithoutCase) {
    CfbWriter w;
    w.streams = {{u"WORDDOCUMENT", "upper"}, {u"1table", "lower"}};
    std::string file = w.Build();
    MemorySource src(file.data(), file.size());
    BlockCache cache(src);
    CompoundFile cf(cache);
    EXPECT_EQ(ReadAll(cf, u"WordDocument"), "upper");
    EXPECT_EQ(ReadAll(cf, u"1Table"), "lower");
    EXPECT_EQ(ReadAll(cf, u"0Table"), "<none>");
    EXPECT_EQ(ReadAll(cf, u"WordDocumen"), "<none>");
}

TEST(Cfb, StreamsInsideStoragesAreNotTheFilesOwn) {
    // An embedded document keeps its own WordDocument in a storage.
    CfbWriter w;
    w.streams = {{u"ObjectPool", "", false, true},
                 {u"WordDocument", "embedded", false, false, 0},
                 {u"Data", "top"}};
    std::string file = w.Build();
    MemorySource src(file.data(), file.size());
    BlockCache cache(src);
    CompoundFile cf(cache);
    EXPECT_EQ(ReadAll(cf, u"WordDocument"), "<none>");
    EXPECT_EQ(ReadAll(cf, u"Data"), "top");
    EXPECT_EQ(ReadAll(cf, u"ObjectPool"), "<none>");  // a storage is no stream
}

// More than 109 FAT sectors: the FAT's tail is listed in DIFAT sectors, whose
// last link is ENDOFCHAIN from most writers and FREESECT from others.
class DifatFile : public ::testing::TestWithParam<bool> {};

TEST_P(DifatFile, StreamsBeyondTheHeaderDifatAreRead) {
    CfbWriter w;
    w.freeSectEndsDifat = GetParam();
    // 7.5 MB of stream puts its sectors' FAT entries past the 109th FAT sector.
    w.streams = {{u"Big", Pattern(7'500'000, 4)}, {u"Tail", Pattern(9000, 5)}};
    std::string file = w.Build();
    ASSERT_GE(w.layout.difatSectors.size(), 1u);
    MemorySource src(file.data(), file.size());
    BlockCache cache(src);
    CompoundFile cf(cache);
    auto tail = cf.OpenStream(u"Tail");
    ASSERT_TRUE(tail);
    std::string got(9000, '\0');
    tail->Read(0, got.data(), got.size());
    EXPECT_EQ(got, Pattern(9000, 5));
    auto big = cf.OpenStream(u"Big");
    std::string end(10, '\0');
    big->Read(7'500'000 - 10, end.data(), 10);
    EXPECT_EQ(end, Pattern(7'500'000, 4).substr(7'500'000 - 10));
}

INSTANTIATE_TEST_SUITE_P(Cfb, DifatFile, ::testing::Bool(), [](const auto& info) {
    return info.param ? "FreeSectEnd" : "EndOfChain";
});

TEST(Cfb, ReadsOnlyWhatItNeeds) {
    CfbWriter w;
    w.streams = {{u"Big", Pattern(8'000'000, 6)}};
    std::string file = w.Build();
    CountingSource src(file);
    BlockCache cache(src);
    CompoundFile cf(cache);
    auto big = cf.OpenStream(u"Big");
    ASSERT_TRUE(big);
    char b[16];
    big->Read(100, b, sizeof b);
    big->Read(3'000'000, b, sizeof b);
    EXPECT_LE(src.bytes, 64u * 1024)
        << "read " << src.bytes << " bytes in " << src.calls << " calls";
}

struct Damage {
    const char* label;
    std::function<void(std::string&, const CfbLayout&)> apply;
    const char* reason;  // part of the error text
};

class DamagedFile : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedFile, GivesAnErrorNotACrash) {
    CfbWriter w;
    w.streams = {
        {u"Mini", Pattern(3000, 7)}, {u"Big", Pattern(20000, 8)}, {u"Last", Pattern(10, 9)}};
    std::string file = w.Build();
    GetParam().apply(file, w.layout);
    try {
        MemorySource src(file.data(), file.size());
        BlockCache cache(src);
        CompoundFile cf(cache);
        for (const char16_t* name : {u"Mini", u"Big", u"Last", u"Absent"}) ReadAll(cf, name);
        FAIL() << "no error";
    } catch (const WordError& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().reason), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cfb, DamagedFile,
    ::testing::Values(
        Damage{"TooShort", [](std::string& f, const CfbLayout&) { f.resize(300); }, "shorter"},
        Damage{"BadSignature", [](std::string& f, const CfbLayout&) { f[3] = 'x'; }, "signature"},
        Damage{"BadByteOrder", [](std::string& f, const CfbLayout&) { f[0x1C] = 0; }, "byte order"},
        Damage{"BadSectorShift", [](std::string& f, const CfbLayout&) { f[0x1E] = 10; },
               "sector size"},
        Damage{"AbsurdFatCount",
               [](std::string& f, const CfbLayout&) { Put32(f, 0x2C, 0x7FFFFFFF); }, "FAT"},
        Damage{"FatSectorBeyondFile",
               [](std::string& f, const CfbLayout&) { Put32(f, 0x4C, 0x00FFFFFF); }, "beyond"},
        Damage{"FatSelfLoop",
               [](std::string& f, const CfbLayout& l) {
                   Put32(f, l.FatEntry(l.start[1]), l.start[1]);
               },
               "loops"},
        Damage{"FatLoopBack",
               [](std::string& f, const CfbLayout& l) {
                   Put32(f, l.FatEntry(l.start[1] + 20), l.start[1] + 3);
               },
               "loops"},
        Damage{"ChainsShareASector",
               [](std::string& f, const CfbLayout& l) { Put32(f, l.FatEntry(l.start[1] + 5), 0); },
               "loops"},
        Damage{"ChainEndsEarly",
               [](std::string& f, const CfbLayout& l) {
                   Put32(f, l.FatEntry(l.start[1] + 4), test::kEnd);
               },
               "shorter"},
        Damage{"FatSectorMarkInChain",
               [](std::string& f, const CfbLayout& l) {
                   Put32(f, l.FatEntry(l.start[1] + 4), 0xFFFFFFFD);
               },
               "bad link"},
        Damage{"MiniFatLoop",
               [](std::string& f, const CfbLayout& l) {
                   Put32(f, l.MiniFatEntry(l.start[0] + 9), l.start[0]);
               },
               "loops"},
        Damage{"MiniSectorBeyondMiniStream",
               [](std::string& f, const CfbLayout& l) {
                   Put32(f, l.MiniFatEntry(l.start[0] + 2), 5000);
               },
               "bad link"},
        Damage{
            "StreamSizeAbsurd",
            [](std::string& f, const CfbLayout& l) { Put32(f, l.DirEntry(2) + 0x78, 0xFFFFFFF0); },
            "larger than the file"},
        Damage{
            "MiniStreamSizeAbsurd",
            [](std::string& f, const CfbLayout& l) { Put32(f, l.DirEntry(0) + 0x78, 0x7FFFFFF0); },
            "mini stream"},
        Damage{"DirectoryLoop",
               [](std::string& f, const CfbLayout& l) { Put32(f, l.DirEntry(2) + 0x48, 1); },
               "loops"},
        Damage{"DirectoryLinkToRoot",
               [](std::string& f, const CfbLayout& l) { Put32(f, l.DirEntry(1) + 0x44, 0); },
               "loops"},
        Damage{
            "DirectoryLinkOutOfRange",
            [](std::string& f, const CfbLayout& l) { Put32(f, l.DirEntry(1) + 0x48, 0xFFFFFF00); },
            "directory entry id"},
        Damage{"DirectoryNameTooLong",
               [](std::string& f, const CfbLayout& l) { f[l.DirEntry(1) + 0x40] = 90; }, "name"},
        Damage{"RootNotRoot",
               [](std::string& f, const CfbLayout& l) { f[l.DirEntry(0) + 0x42] = 1; }, "root"},
        Damage{"Truncated", [](std::string& f, const CfbLayout&) { f.resize(f.size() / 3); },
               "damaged compound file"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Cfb, DifatLoopIsCaught) {
    CfbWriter w;
    // 17 MB need more than 236 FAT sectors: two DIFAT sectors.
    w.streams = {{u"S", std::string(17'000'000, 'x')}};
    std::string file = w.Build();
    const auto& l = w.layout;
    ASSERT_EQ(l.difatSectors.size(), 2u);
    // The first DIFAT sector links to itself instead of to the second.
    Put32(file, l.SectorOffset(l.difatSectors[0]) + 508, l.difatSectors[0]);
    MemorySource src(file.data(), file.size());
    BlockCache cache(src);
    CompoundFile cf(cache);
    auto s = cf.OpenStream(u"S");
    ASSERT_TRUE(s);
    char b[4];
    EXPECT_NO_THROW(s->Read(0, b, 4));
    try {
        s->Read(17'000'000 - 4, b, 4);
        FAIL() << "no error";
    } catch (const WordError& e) {
        EXPECT_NE(std::string(e.what()).find("DIFAT chain loops"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace pelmora::word
