#include "reader/text/charset.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <vector>

#include "reader/io/littleendian.h"
#include "reader/text/ascii.h"
#include "reader/text/utf8.h"

namespace pelmora::word::fmt {

std::string CodePageName(int cp) {
    switch (cp) {
        case 874:
        case 932:
        case 936:
        case 949:
        case 950:
            return "CP" + std::to_string(cp);
        case 54936:
            return "GB18030";
        case 65001:
            return "UTF-8";
        case 10000:
            return "MACINTOSH";
        case 437:
            return "CP437";
        case 850:
            return "CP850";
        case 866:
            return "CP866";
        case 20127:
            return "ASCII";
        case 28591:
            return "ISO-8859-1";
        default:
            if (cp >= 1250 && cp <= 1258) return "CP" + std::to_string(cp);
            return {};
    }
}

namespace {

// Names pages use that glibc spells differently, and superset choices made on
// purpose: pages labelled GB2312 routinely hold GBK characters.
std::string IconvName(const std::string& charset) {
    std::string c = AsciiLower(charset);
    if (c == "gb2312" || c == "gb_2312-80" || c == "x-gbk" || c == "cp936" || c == "ms936" ||
        c == "windows-936" || c == "euc-cn")
        return "GBK";
    if (c == "utf8") return "UTF-8";
    if (c == "x-sjis" || c == "ms_kanji") return "SHIFT_JIS";
    if (c == "iso-8859-1" || c == "latin1" || c == "us-ascii" || c == "ascii")
        return "WINDOWS-1252";  // browsers read these labels as windows-1252
    if (c == "unicode") return "UTF-16LE";
    return charset;
}

// Converters are opened once per charset and thread: opening one costs far
// more than a short conversion, and RTF decodes many short byte runs.
struct ConverterCache {
    std::map<std::string, iconv_t> byName;
    ~ConverterCache() {
        for (auto& [name, cd] : byName)
            if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
};

iconv_t Converter(const std::string& from) {
    thread_local ConverterCache cache;
    auto it = cache.byName.find(from);
    if (it == cache.byName.end()) {
        if (cache.byName.size() >= 32) return reinterpret_cast<iconv_t>(-1);
        it = cache.byName.emplace(from, iconv_open("UTF-16LE", from.c_str())).first;
    }
    if (it->second != reinterpret_cast<iconv_t>(-1))
        iconv(it->second, nullptr, nullptr, nullptr, nullptr);
    return it->second;
}

}  // namespace

bool DecodeCharset(std::u16string& out, std::string_view bytes, const std::string& charset) {
    std::string name = IconvName(charset);
    if (AsciiLower(name) == "utf-8") {
        AppendUtf8(out, bytes);
        return true;
    }
    iconv_t cd = Converter(name);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::vector<char> buf(std::min<std::size_t>(16384, bytes.size() * 4 + 16));
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    std::string utf16;
    while (inLeft > 0) {
        char* outp = buf.data();
        std::size_t outLeft = buf.size();
        std::size_t r = iconv(cd, &in, &inLeft, &outp, &outLeft);
        utf16.append(buf.data(), buf.size() - outLeft);
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL (cut-off sequence): replace one byte and go on.
            utf16.append("\xFD\xFF", 2);
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    out.reserve(out.size() + utf16.size() / 2);
    for (std::size_t i = 0; i + 1 < utf16.size(); i += 2)
        out.push_back(
            static_cast<char16_t>(Le16(reinterpret_cast<const unsigned char*>(utf16.data() + i))));
    return true;
}

}  // namespace pelmora::word::fmt
