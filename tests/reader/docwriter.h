#pragma once
// Test-only writers: a small compound file builder and builders of Word 97
// and Word 6 documents, so that each structure the reader walks can be made
// well-formed or broken on purpose.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace pelmora::test {

inline void Put16(std::string& b, size_t off, uint16_t v) {
    if (b.size() < off + 2) b.resize(off + 2, '\0');
    b[off] = char(v & 0xFF);
    b[off + 1] = char(v >> 8);
}

inline void Put32(std::string& b, size_t off, uint32_t v) {
    if (b.size() < off + 4) b.resize(off + 4, '\0');
    for (int i = 0; i < 4; ++i) b[off + i] = char((v >> (8 * i)) & 0xFF);
}

inline uint32_t Get32(const std::string& b, size_t off) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(uint8_t(b[off + i])) << (8 * i);
    return v;
}

inline std::string Utf16(const std::u16string& s) {
    std::string b;
    for (char16_t c : s) {
        b.push_back(char(c & 0xFF));
        b.push_back(char(c >> 8));
    }
    return b;
}

constexpr uint32_t kEnd = 0xFFFFFFFE;
constexpr uint32_t kFree = 0xFFFFFFFF;

struct CfbStream {
    std::u16string name;
    std::string data;
    bool forceFat = false;  // keep a small stream out of the mini stream
    bool storage = false;   // a storage (no data) whose children name it as parent
    int parent = -1;        // index of the enclosing storage; -1: the root
};

// Where Build() put things, for tests that damage them afterwards. Our layout
// keeps the directory, the mini FAT and every stream in consecutive sectors.
struct CfbLayout {
    unsigned shift = 9;
    std::vector<uint32_t> fatSectors, difatSectors;
    uint32_t dirStart = 0, miniFatStart = kEnd, miniStreamStart = kEnd;
    std::vector<uint32_t> start;  // per stream: first sector or mini sector
    std::vector<bool> mini;

    size_t SectorOffset(uint32_t s) const { return (size_t(s) + 1) << shift; }
    size_t FatEntry(uint32_t sector) const {
        uint32_t per = 1u << (shift - 2);
        return SectorOffset(fatSectors[sector / per]) + 4 * (sector % per);
    }
    size_t DirEntry(uint32_t id) const {
        uint32_t per = (1u << shift) / 128;
        return SectorOffset(dirStart + id / per) + 128 * (id % per);
    }
    size_t MiniFatEntry(uint32_t m) const {
        uint32_t per = 1u << (shift - 2);
        return SectorOffset(miniFatStart + m / per) + 4 * (m % per);
    }
};

class CfbWriter {
  public:
    unsigned shift = 9;          // 12 makes a version 4 file
    uint32_t minFatSectors = 0;  // pad the FAT so that it needs DIFAT sectors
    bool freeSectEndsDifat = false;
    std::vector<CfbStream> streams;
    CfbLayout layout;

    std::string Build() {
        const uint32_t ss = 1u << shift, per = ss / 4;
        layout = CfbLayout{};
        layout.shift = shift;
        const size_t n = streams.size();
        std::string mini;
        std::vector<uint32_t> miniFat;
        std::vector<uint32_t> bigCount(n, 0);
        layout.start.assign(n, kEnd);
        layout.mini.assign(n, false);
        for (size_t i = 0; i < n; ++i) {
            const std::string& d = streams[i].data;
            if (d.empty()) continue;
            if (d.size() < 4096 && !streams[i].forceFat) {
                uint32_t first = uint32_t(mini.size() / 64), cnt = uint32_t((d.size() + 63) / 64);
                for (uint32_t k = 0; k < cnt; ++k)
                    miniFat.push_back(k + 1 < cnt ? first + k + 1 : kEnd);
                mini += d;
                mini.resize((mini.size() + 63) / 64 * 64, '\0');
                layout.start[i] = first;
                layout.mini[i] = true;
            } else {
                bigCount[i] = uint32_t((d.size() + ss - 1) / ss);
            }
        }
        auto ceilDiv = [](uint64_t a, uint64_t b) { return uint32_t((a + b - 1) / b); };
        uint32_t dirSectors = ceilDiv((n + 1) * 128, ss);
        uint32_t miniFatSectors = ceilDiv(miniFat.size() * 4, ss);
        uint32_t miniSectors = ceilDiv(mini.size(), ss);
        uint32_t base = dirSectors + miniFatSectors + miniSectors;
        for (uint32_t c : bigCount) base += c;
        uint32_t fat = 1, difat = 0;
        for (;;) {
            uint32_t needFat = std::max(ceilDiv(base + fat + difat, per), minFatSectors);
            uint32_t needDifat = needFat > 109 ? ceilDiv(needFat - 109, per - 1) : 0;
            if (needFat == fat && needDifat == difat) break;
            fat = needFat;
            difat = needDifat;
        }
        const uint32_t total = base + fat + difat;
        std::vector<uint32_t> table(size_t(fat) * per, kFree);
        uint32_t next = 0;
        auto chain = [&](uint32_t count) {
            uint32_t first = next;
            for (uint32_t k = 0; k < count; ++k)
                table[first + k] = k + 1 < count ? first + k + 1 : kEnd;
            next += count;
            return count ? first : kEnd;
        };
        layout.dirStart = chain(dirSectors);
        layout.miniFatStart = chain(miniFatSectors);
        layout.miniStreamStart = chain(miniSectors);
        for (size_t i = 0; i < n; ++i)
            if (bigCount[i]) layout.start[i] = chain(bigCount[i]);
        for (uint32_t k = 0; k < fat; ++k) {
            table[next] = 0xFFFFFFFD;
            layout.fatSectors.push_back(next++);
        }
        for (uint32_t k = 0; k < difat; ++k) {
            table[next] = 0xFFFFFFFC;
            layout.difatSectors.push_back(next++);
        }

        std::string f(size_t(total + 1) * ss, '\0');
        const char sig[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
        f.replace(0, 8, sig, 8);
        Put16(f, 0x18, 0x3E);
        Put16(f, 0x1A, shift == 12 ? 4 : 3);
        Put16(f, 0x1C, 0xFFFE);
        Put16(f, 0x1E, uint16_t(shift));
        Put16(f, 0x20, 6);
        Put32(f, 0x28, shift == 12 ? dirSectors : 0);
        Put32(f, 0x2C, fat);
        Put32(f, 0x30, layout.dirStart);
        Put32(f, 0x38, 4096);
        Put32(f, 0x3C, miniFatSectors ? layout.miniFatStart : kEnd);
        Put32(f, 0x40, miniFatSectors);
        Put32(f, 0x44, difat ? layout.difatSectors[0] : kEnd);
        Put32(f, 0x48, difat);
        for (uint32_t k = 0; k < 109; ++k)
            Put32(f, 0x4C + 4 * k, k < fat ? layout.fatSectors[k] : kFree);
        for (uint32_t d = 0; d < difat; ++d) {
            size_t o = layout.SectorOffset(layout.difatSectors[d]);
            for (uint32_t k = 0; k < per - 1; ++k) {
                uint32_t idx = 109 + d * (per - 1) + k;
                Put32(f, o + 4 * k, idx < fat ? layout.fatSectors[idx] : kFree);
            }
            uint32_t link =
                d + 1 < difat ? layout.difatSectors[d + 1] : (freeSectEndsDifat ? kFree : kEnd);
            Put32(f, o + 4 * (per - 1), link);
        }
        for (uint32_t k = 0; k < fat; ++k)
            for (uint32_t e = 0; e < per; ++e)
                Put32(f, layout.SectorOffset(layout.fatSectors[k]) + 4 * e, table[k * per + e]);
        for (size_t m = 0; m < miniFat.size(); ++m)
            Put32(f, layout.MiniFatEntry(uint32_t(m)), miniFat[m]);
        if (!mini.empty())
            f.replace(layout.SectorOffset(layout.miniStreamStart), mini.size(), mini);
        for (size_t i = 0; i < n; ++i)
            if (bigCount[i])
                f.replace(layout.SectorOffset(layout.start[i]), streams[i].data.size(),
                          streams[i].data);

        auto entry = [&](uint32_t id, const std::u16string& name, uint8_t type, uint32_t right,
                         uint32_t child, uint32_t start, uint32_t size) {
            size_t o = layout.DirEntry(id);
            for (size_t k = 0; k < name.size() && k < 31; ++k) Put16(f, o + 2 * k, name[k]);
            Put16(f, o + 0x40, uint16_t(2 * (std::min<size_t>(name.size(), 31) + 1)));
            f[o + 0x42] = char(type);
            f[o + 0x43] = 1;
            Put32(f, o + 0x44, kFree);
            Put32(f, o + 0x48, right);
            Put32(f, o + 0x4C, child);
            Put32(f, o + 0x74, start);
            Put32(f, o + 0x78, size);
        };
        // Each storage's children are chained through right links.
        auto firstChild = [&](int parent, size_t after) {
            for (size_t k = after; k < n; ++k)
                if (streams[k].parent == parent) return uint32_t(k + 1);
            return kFree;
        };
        entry(0, u"Root Entry", 5, kFree, firstChild(-1, 0),
              mini.empty() ? kEnd : layout.miniStreamStart, uint32_t(mini.size()));
        for (size_t i = 0; i < n; ++i) {
            const CfbStream& st = streams[i];
            entry(uint32_t(i + 1), st.name, st.storage ? 1 : 2, firstChild(st.parent, i + 1),
                  st.storage ? firstChild(int(i), 0) : kFree, st.storage ? 0 : layout.start[i],
                  uint32_t(st.data.size()));
        }
        return f;
    }
};

// ---- Word 97 ---------------------------------------------------------------

struct Word97Piece {
    std::u16string text;
    bool compressed = false;  // stored as bytes; text must be Latin-1 here
};

struct Word97Recipe {
    std::vector<Word97Piece> pieces;  // all text: main, then the header document
    uint32_t ccpText = 0;             // 0: the whole text is the main document
    uint32_t ccpHdd = 0;
    std::vector<uint32_t> hdd;  // PlcfHdd CPs
    std::vector<uint32_t> sed;  // PlcfSed CPs (sections + 1)
    bool table1 = true;
    bool staleOtherTable = false;  // also write the other table stream, with garbage
    uint16_t flags = 0;            // extra FIB flags (0x0100 encrypted, 0x8000 obfuscated)
    uint16_t nFib = 0x00C1;
    uint16_t wIdent = 0xA5EC;
    bool prc = false;  // a Prc record before the piece table
    std::u16string wordName = u"WordDocument";
    bool forceFat = false;  // WordDocument outside the mini stream
    // Text boxes: the story's length (its text is a piece of its own after
    // the others), PlcftxbxTxt's CPs with each box's shape id, and the
    // shapes' anchors (PlcSpaMom CPs and ids).
    uint32_t ccpTxbx = 0;
    std::vector<uint32_t> txbxCps, txbxLids;
    std::vector<uint32_t> spaCps, spaIds;
    bool titlePage = false;  // section 1's SEPX says sprmSFTitlePage 1 (needs sed)
};

// A document whose main text and header stories are given; stories are the
// 6 separator stories then 6 per section, each given without its guard mark.
inline Word97Recipe MakeWord97(const std::u16string& main,
                               const std::vector<std::u16string>& stories = {},
                               bool compressed = false) {
    Word97Recipe s;
    s.pieces.push_back({main, compressed});
    s.ccpText = uint32_t(main.size());
    if (!stories.empty()) {
        std::u16string hdd;
        for (const std::u16string& st : stories) {
            s.hdd.push_back(uint32_t(hdd.size()));
            if (!st.empty()) hdd += st + u"\r";
        }
        hdd += u"\r";
        s.ccpHdd = uint32_t(hdd.size());
        s.hdd.push_back(s.ccpHdd - 1);
        s.hdd.push_back(s.ccpHdd + 1);
        s.pieces.push_back({hdd + u"\r", compressed});
    }
    return s;
}

inline std::string BuildWord97(const Word97Recipe& s, CfbWriter* keep = nullptr) {
    std::string wd(0x400, '\0');
    std::string tbl;
    uint32_t total = 0;
    std::vector<uint32_t> cps{0};
    std::vector<uint32_t> fcs;
    for (const Word97Piece& p : s.pieces) {
        if (p.compressed) {
            fcs.push_back(0x40000000u | uint32_t(wd.size() * 2));
            for (char16_t c : p.text) {
                // The few cp1252 characters [MS-DOC] maps, back to their bytes.
                unsigned char b = c == 0x2019   ? 0x92
                                  : c == 0x201C ? 0x93
                                  : c == 0x201D ? 0x94
                                  : c == 0x2013 ? 0x96
                                                : (unsigned char)c;
                wd.push_back(char(b));
            }
        } else {
            fcs.push_back(uint32_t(wd.size()));
            wd += Utf16(p.text);
        }
        total += uint32_t(p.text.size());
        cps.push_back(total);
    }
    Put16(wd, 0, s.wIdent);
    Put16(wd, 2, s.nFib);
    Put16(wd, 0x0A, uint16_t((s.table1 ? 0x0200 : 0) | 0x1000 | s.flags));
    Put16(wd, 0x20, 14);
    Put16(wd, 0x3E, 22);
    Put32(wd, 0x4C, s.ccpText ? s.ccpText : total);
    Put32(wd, 0x54, s.ccpHdd);
    Put32(wd, 0x64, s.ccpTxbx);
    Put16(wd, 0x98, 93);
    auto pair = [&](int i, uint32_t fc, uint32_t lcb) {
        Put32(wd, 0x9A + 8 * i, fc);
        Put32(wd, 0x9A + 8 * i + 4, lcb);
    };
    // Table stream: [Prc] Pcdt, PlcfHdd, PlcfSed.
    uint32_t clx = uint32_t(tbl.size());
    if (s.prc) {
        tbl += "\x01\x03\x00";
        tbl += std::string("\x99\x0A\x00", 3);
    }
    std::string plc;
    for (uint32_t cp : cps) Put32(plc, plc.size(), cp);
    for (uint32_t fc : fcs) {
        size_t o = plc.size();
        Put16(plc, o, 0);
        Put32(plc, o + 2, fc);
        Put16(plc, o + 6, 0);
    }
    tbl += '\x02';
    Put32(tbl, tbl.size(), uint32_t(plc.size()));
    tbl += plc;
    pair(33, clx, uint32_t(tbl.size() - clx));
    if (!s.hdd.empty()) {
        uint32_t fc = uint32_t(tbl.size());
        for (uint32_t cp : s.hdd) Put32(tbl, tbl.size(), cp);
        pair(11, fc, uint32_t(tbl.size() - fc));
    }
    if (!s.sed.empty()) {
        uint32_t fc = uint32_t(tbl.size());
        for (uint32_t cp : s.sed) Put32(tbl, tbl.size(), cp);
        uint32_t sepx = 0xFFFFFFFF;
        if (s.titlePage) {
            sepx = uint32_t(wd.size());
            wd += std::string("\x03\x00\x0A\x30\x01", 5);
        }
        for (size_t i = 0; i + 1 < s.sed.size(); ++i) {
            size_t o = tbl.size();
            Put16(tbl, o, 0);
            Put32(tbl, o + 2, i == 0 ? sepx : 0xFFFFFFFF);
            Put16(tbl, o + 6, 0);
            Put32(tbl, o + 8, 0);
        }
        pair(6, fc, uint32_t(tbl.size() - fc));
    }
    if (!s.txbxCps.empty()) {
        uint32_t fc = uint32_t(tbl.size());
        for (uint32_t cp : s.txbxCps) Put32(tbl, tbl.size(), cp);
        for (size_t i = 0; i + 1 < s.txbxCps.size(); ++i) {
            std::string e(22, '\0');
            Put32(e, 14, i < s.txbxLids.size() ? s.txbxLids[i] : 0);
            tbl += e;
        }
        pair(56, fc, uint32_t(tbl.size() - fc));
    }
    if (!s.spaCps.empty()) {
        uint32_t fc = uint32_t(tbl.size());
        for (uint32_t cp : s.spaCps) Put32(tbl, tbl.size(), cp);
        for (size_t i = 0; i + 1 < s.spaCps.size(); ++i) {
            std::string e(26, '\0');
            Put32(e, 0, i < s.spaIds.size() ? s.spaIds[i] : 0);
            tbl += e;
        }
        pair(40, fc, uint32_t(tbl.size() - fc));
    }
    CfbWriter local;
    CfbWriter& w = keep ? *keep : local;
    w.streams.push_back({s.wordName, wd, s.forceFat});
    w.streams.push_back({s.table1 ? u"1Table" : u"0Table", tbl});
    if (s.staleOtherTable)
        w.streams.push_back({s.table1 ? u"0Table" : u"1Table", std::string(600, '\x02')});
    return w.Build();
}

// ---- Word 6 / 95 -----------------------------------------------------------

struct Word6Spec {
    std::string text;  // 8-bit text of all stories (UTF-16LE bytes for Far East Word 95)
    uint32_t ccpText = 0, ccpHdd = 0;
    std::vector<uint32_t> hdd;          // PlcfHdd CPs
    std::vector<uint32_t> sed;          // PlcfSed CPs
    std::vector<int> sectionMasks;      // grpfIhdt per section (sprm 153); -1: none
    std::vector<uint8_t> fontCharsets;  // one font per entry
    uint8_t dopIhdt = 0;
    uint16_t lid = 0x0409;
    uint16_t wIdent = 0xA5DC;
    uint16_t nFib = 101;
    uint16_t flags = 0;
    bool complex = false;  // text through a piece table (fast save)
};

inline std::string BuildWord6(const Word6Spec& s) {
    const uint32_t fcMin = 0x300;
    std::string wd(fcMin, '\0');
    wd += s.text;
    const uint32_t fcMac = uint32_t(wd.size());
    Put16(wd, 0, s.wIdent);
    Put16(wd, 2, s.nFib);
    Put16(wd, 6, s.lid);
    Put16(wd, 0x0A, uint16_t(s.flags | (s.complex ? 0x0004 : 0)));
    Put32(wd, 0x18, fcMin);
    Put32(wd, 0x1C, fcMac);
    Put32(wd, 0x34, s.ccpText);
    Put32(wd, 0x3C, s.ccpHdd);
    auto pair = [&](int i, uint32_t fc, uint32_t lcb) {
        Put32(wd, 0x58 + 8 * i, fc);
        Put32(wd, 0x58 + 8 * i + 4, lcb);
    };
    if (!s.fontCharsets.empty()) {
        uint32_t fc = uint32_t(wd.size());
        std::string t(2, '\0');
        for (uint8_t chs : s.fontCharsets) {
            std::string e(6, '\0');
            e[4] = char(chs);
            e += "Font";
            e.push_back('\0');
            e[0] = char(e.size() - 1);
            t += e;
        }
        Put16(t, 0, uint16_t(t.size()));
        wd += t;
        pair(15, fc, uint32_t(t.size()));
    }
    if (!s.hdd.empty()) {
        uint32_t fc = uint32_t(wd.size());
        for (uint32_t cp : s.hdd) Put32(wd, wd.size(), cp);
        pair(11, fc, uint32_t(wd.size() - fc));
    }
    {
        uint32_t fc = uint32_t(wd.size());
        wd.push_back('\0');
        wd.push_back(char(s.dopIhdt));
        pair(31, fc, 2);
    }
    if (!s.sed.empty()) {
        std::vector<uint32_t> sepx;
        for (size_t i = 0; i + 1 < s.sed.size(); ++i) {
            int m = i < s.sectionMasks.size() ? s.sectionMasks[i] : -1;
            if (m < 0) {
                sepx.push_back(0xFFFFFFFF);
                continue;
            }
            sepx.push_back(uint32_t(wd.size()));
            // A size byte count, a 2-byte sprm (dxaColumns 144), then 153.
            std::string g("\x90\x34\x12\x99", 4);
            g.push_back(char(m));
            Put16(wd, wd.size(), uint16_t(g.size()));
            wd += g;
        }
        uint32_t fc = uint32_t(wd.size());
        for (uint32_t cp : s.sed) Put32(wd, wd.size(), cp);
        for (uint32_t x : sepx) {
            size_t o = wd.size();
            Put16(wd, o, 0);
            Put32(wd, o + 2, x);
            Put16(wd, o + 6, 0);
            Put32(wd, o + 8, 0);
        }
        pair(6, fc, uint32_t(wd.size() - fc));
    }
    if (s.complex) {
        // Two pieces over the same bytes, split in the middle.
        uint32_t width = (s.wIdent == 0xA5DC) ? 1 : 2;
        uint32_t cps = uint32_t(s.text.size()) / width, half = cps / 2;
        std::string plc;
        Put32(plc, 0, 0);
        Put32(plc, 4, half);
        Put32(plc, 8, cps);
        for (uint32_t k = 0; k < 2; ++k) {
            size_t o = plc.size();
            Put16(plc, o, 0);
            Put32(plc, o + 2, fcMin + (k ? half * width : 0));
            Put16(plc, o + 6, 0);
        }
        uint32_t fc = uint32_t(wd.size());
        wd += '\x02';
        Put32(wd, wd.size(), uint32_t(plc.size()));
        wd += plc;
        pair(33, fc, uint32_t(wd.size() - fc));
    }
    CfbWriter w;
    w.streams.push_back({u"WordDocument", wd});
    return w.Build();
}

}  // namespace pelmora::test
