#include "reader/text/codepagetable.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace pelmora::word {

namespace {

struct Owned {
    CodePageTable table;
    std::vector<char16_t> pairs;
};

iconv_t OpenFor(unsigned cp) {
    std::vector<std::string> names;
    if (cp == 10000) names = {"MACINTOSH", "MAC"};
    if (cp == 936) names = {"CP936", "GBK"};
    if (cp == 950) names = {"CP950", "BIG5"};
    if (cp == 932) names = {"CP932", "SHIFT_JIS"};
    if (cp == 949) names = {"CP949", "UHC"};
    if (cp == 874) names = {"CP874", "WINDOWS-874", "TIS-620"};
    names.push_back("CP" + std::to_string(cp));
    names.push_back("WINDOWS-" + std::to_string(cp));
    for (const std::string& n : names) {
        iconv_t cd = iconv_open("UTF-16LE", n.c_str());
        if (cd != reinterpret_cast<iconv_t>(-1)) return cd;
    }
    return reinterpret_cast<iconv_t>(-1);
}

// Converts `len` bytes; 1 when they make exactly one UTF-16 unit, 0 when the
// input is an incomplete sequence, -1 otherwise.
int Convert(iconv_t cd, const unsigned char* in, size_t len, char16_t* out) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char inbuf[2] = {static_cast<char>(in[0]), len > 1 ? static_cast<char>(in[1]) : '\0'};
    char* ip = inbuf;
    size_t il = len;
    unsigned char obuf[8];
    char* op = reinterpret_cast<char*>(obuf);
    size_t ol = sizeof obuf;
    size_t r = iconv(cd, &ip, &il, &op, &ol);
    if (r == static_cast<size_t>(-1)) return errno == EINVAL ? 0 : -1;
    if (sizeof obuf - ol != 2) return -1;
    *out = static_cast<char16_t>(obuf[0] | (obuf[1] << 8));
    return 1;
}

std::unique_ptr<Owned> Build(unsigned cp) {
    auto o = std::make_unique<Owned>();
    CodePageTable& t = o->table;
    t.codePage = cp;
    t.pairs = nullptr;
    iconv_t cd = OpenFor(cp);
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    for (unsigned b = 0; b < 256; ++b) {
        unsigned char in = static_cast<unsigned char>(b);
        char16_t c = 0xFFFD;
        int r = b < 0x80 ? (c = static_cast<char16_t>(b), 1) : Convert(cd, &in, 1, &c);
        t.single[b] = r == 1 ? c : char16_t(0xFFFD);
        t.lead[b] = r == 0;
        if (r == 0) t.doubleByte = true;
    }
    if (t.doubleByte) {
        o->pairs.assign(65536, 0xFFFD);
        for (unsigned l = 0x80; l < 256; ++l) {
            if (!t.lead[l]) continue;
            for (unsigned tr = 0x30; tr < 256; ++tr) {
                unsigned char in[2] = {static_cast<unsigned char>(l),
                                       static_cast<unsigned char>(tr)};
                char16_t c;
                if (Convert(cd, in, 2, &c) == 1) o->pairs[(l << 8) | tr] = c;
            }
        }
        t.pairs = o->pairs.data();
    }
    iconv_close(cd);
    return o;
}

}  // namespace

const CodePageTable& CodePageFor(unsigned codePage) {
    static std::mutex mu;
    static std::map<unsigned, std::unique_ptr<Owned>> tables;
    std::lock_guard<std::mutex> lock(mu);
    auto get = [&](unsigned cp) -> const CodePageTable* {
        auto it = tables.find(cp);
        if (it == tables.end()) it = tables.emplace(cp, Build(cp)).first;
        return it->second ? &it->second->table : nullptr;
    };
    if (const CodePageTable* t = get(codePage)) return *t;
    if (const CodePageTable* t = get(1252)) return *t;
    // No iconv conversions at all: Latin-1 is the best guess.
    static const CodePageTable latin1 = [] {
        CodePageTable t;
        t.pairs = nullptr;
        for (unsigned b = 0; b < 256; ++b) {
            t.single[b] = static_cast<char16_t>(b);
            t.lead[b] = false;
        }
        return t;
    }();
    return latin1;
}

unsigned CodePageOfCharset(unsigned charset) {
    switch (charset) {
        case 128:
            return 932;
        case 129:
            return 949;
        case 134:
            return 936;
        case 136:
            return 950;
        case 161:
            return 1253;
        case 162:
            return 1254;
        case 163:
            return 1258;
        case 177:
            return 1255;
        case 178:
            return 1256;
        case 186:
            return 1257;
        case 204:
            return 1251;
        case 222:
            return 874;
        case 238:
            return 1250;
        default:
            return 0;
    }
}

unsigned CodePageOfLanguage(unsigned lid) {
    switch (lid & 0x3FF) {  // primary language
        case 0x19:
        case 0x22:
        case 0x02:
        case 0x23:
        case 0x2F:
            return 1251;
        case 0x15:
        case 0x05:
        case 0x0E:
        case 0x1B:
        case 0x24:
        case 0x18:
            return 1250;
        case 0x1A:
            return (lid == 0x0C1A) ? 1251 : 1250;  // Serbian Cyrillic / Croatian
        case 0x08:
            return 1253;
        case 0x1F:
            return 1254;
        case 0x0D:
            return 1255;
        case 0x01:
            return 1256;
        case 0x25:
        case 0x26:
        case 0x27:
            return 1257;
        case 0x2A:
            return 1258;
        case 0x1E:
            return 874;
        case 0x11:
            return 932;
        case 0x12:
            return 949;
        case 0x04:
            return (lid == 0x0404 || lid == 0x0C04 || lid == 0x1404) ? 950 : 936;
        default:
            return 0;
    }
}

}  // namespace pelmora::word
