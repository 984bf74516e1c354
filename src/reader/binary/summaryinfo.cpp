#include "reader/binary/summaryinfo.h"

#include <cstdint>
#include <vector>

#include "reader/binary/cfb.h"
#include "reader/io/littleendian.h"
#include "reader/limits.h"
#include "reader/text/codepagetable.h"

namespace pelmora::word {

namespace {

constexpr uint32_t kPidCodePage = 1;
constexpr uint32_t kPidTitle = 2;
constexpr uint16_t kVtI2 = 2;
constexpr uint16_t kVtLpstr = 0x1E;
constexpr uint16_t kVtLpwstr = 0x1F;
// More properties than any writer stores; titles far shorter than this.

std::u16string Decode8(const std::vector<unsigned char>& b, unsigned codePage) {
    std::u16string out;
    if (codePage == 65001) {
        // UTF-8, as some writers declare; bad sequences become U+FFFD.
        for (size_t i = 0; i < b.size();) {
            unsigned c = b[i];
            int extra = c < 0x80         ? 0
                        : (c >> 5) == 6  ? 1
                        : (c >> 4) == 14 ? 2
                        : (c >> 3) == 30 ? 3
                                         : -1;
            if (extra < 0 || i + size_t(extra) >= b.size()) {
                out.push_back(u'\uFFFD');
                ++i;
                continue;
            }
            uint32_t v = extra == 0 ? c : c & (0x3F >> extra);
            bool bad = false;
            for (int k = 1; k <= extra; ++k) {
                if ((b[i + k] & 0xC0) != 0x80) bad = true;
                v = (v << 6) | (b[i + k] & 0x3F);
            }
            if (bad || v > 0x10FFFF) {
                out.push_back(u'\uFFFD');
                ++i;
                continue;
            }
            i += size_t(extra) + 1;
            if (v >= 0x10000) {
                v -= 0x10000;
                out.push_back(char16_t(0xD800 + (v >> 10)));
                out.push_back(char16_t(0xDC00 + (v & 0x3FF)));
            } else {
                out.push_back(char16_t(v));
            }
        }
        return out;
    }
    const CodePageTable& t = CodePageFor(codePage ? codePage : 1252);
    for (size_t i = 0; i < b.size(); ++i) {
        unsigned char c = b[i];
        if (t.doubleByte && t.lead[c] && i + 1 < b.size()) {
            out.push_back(t.pairs[(unsigned(c) << 8) | b[i + 1]]);
            ++i;
        } else {
            out.push_back(t.single[c]);
        }
    }
    return out;
}

}  // namespace

std::u16string ReadTitleProperty(Stream& s) {
    // PropertySetStream: byte order, version, system, CLSID, the set count,
    // then (FMTID, offset) of the first set.
    if (!s.Holds(0, 48) || s.U16(0) != 0xFFFE) return {};
    if (s.U32(24) < 1) return {};
    const uint32_t set = s.U32(44);
    if (!s.Holds(set, 8)) return {};
    const uint32_t size = s.U32(set);
    const uint32_t count = s.U32(set + 4);
    if (size < 8 || !s.Holds(set, size) || count > kMaxProperties || 8ull + 8ull * count > size)
        return {};
    uint32_t titleAt = 0, codePage = 1252;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t id = s.U32(set + 8 + 8 * i);
        uint32_t off = s.U32(set + 8 + 8 * i + 4);
        if (off < 8 || off > size - 8) continue;
        if (id == kPidTitle) titleAt = off;
        if (id == kPidCodePage && s.U16(set + off) == kVtI2) codePage = s.U16(set + off + 4);
    }
    if (titleAt == 0) return {};
    const uint32_t at = set + titleAt;
    const uint16_t type = s.U16(at);
    const uint32_t n = s.U32(at + 4);
    const uint32_t room = size - titleAt - 8;
    std::u16string title;
    if (type == kVtLpwstr || (type == kVtLpstr && codePage == 1200)) {
        // Characters (VT_LPWSTR) or bytes (VT_LPSTR in UTF-16) with the zero.
        uint64_t bytes = type == kVtLpwstr ? uint64_t(n) * 2 : n;
        if (bytes > room || bytes > kMaxTitleBytes) return {};
        std::vector<unsigned char> b(static_cast<size_t>(bytes));
        s.Read(at + 8, b.data(), b.size());
        for (size_t i = 0; i + 1 < b.size(); i += 2) title.push_back(char16_t(Le16(b.data() + i)));
    } else if (type == kVtLpstr) {
        if (n > room || n > kMaxTitleBytes) return {};
        std::vector<unsigned char> b(n);
        s.Read(at + 8, b.data(), b.size());
        while (!b.empty() && b.back() == 0) b.pop_back();
        title = Decode8(b, codePage);
    } else {
        return {};
    }
    while (!title.empty() && title.back() == 0) title.pop_back();
    if (size_t z = title.find(u'\0'); z != std::u16string::npos) title.resize(z);
    return title;
}

}  // namespace pelmora::word
