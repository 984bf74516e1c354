#include "reader/web/text.h"

#include <algorithm>

#include "reader/text/ascii.h"
#include "reader/text/charset.h"
#include "reader/text/utf8.h"
#include "reader/web/mime.h"

namespace pelmora::word::web {

using fmt::AsciiLower;

namespace {

// The charset a page declares in <meta> or an XML declaration.
std::string DeclaredCharset(std::string_view bytes) {
    std::string head = AsciiLower(bytes.substr(0, 65536));
    if (head.starts_with("<?xml")) {
        std::size_t e = head.find("?>");
        std::string decl = head.substr(0, e);
        std::string enc = HeaderParam(decl, "encoding");
        if (!enc.empty()) return enc;
    }
    std::size_t pos = 0;
    while ((pos = head.find("<meta", pos)) != std::string::npos) {
        std::size_t end = head.find('>', pos);
        std::string tag =
            head.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos += 5;
        std::size_t c = tag.find("charset");
        if (c == std::string::npos) continue;
        std::string v = HeaderParam(tag.substr(c), "charset");
        // content="text/html; charset=gbk": the value may run into the closing quote.
        while (!v.empty() && (v.back() == '"' || v.back() == '\'' || v.back() == '/')) v.pop_back();
        if (!v.empty()) return v;
    }
    return {};
}

bool IsValidUtf8(std::string_view s) {
    std::u16string tmp = fmt::Utf8ToUtf16(s);
    return std::find(tmp.begin(), tmp.end(), u'\uFFFD') == tmp.end() ||
           s.find("\xEF\xBF\xBD") != std::string_view::npos;
}

}  // namespace

// Declared charset first; else UTF-8 when the bytes are valid UTF-8, else
// GB18030 (a superset of GBK, which undeclared pages for Chinese readers
// use far more often than windows-1252).
std::u16string DecodePage(std::string_view bytes, std::string charset) {
    std::u16string out;
    if (bytes.starts_with("\xEF\xBB\xBF")) return fmt::Utf8ToUtf16(bytes.substr(3));
    if (bytes.starts_with("\xFF\xFE")) {
        fmt::DecodeCharset(out, bytes.substr(2), "UTF-16LE");
        return out;
    }
    if (bytes.starts_with("\xFE\xFF")) {
        fmt::DecodeCharset(out, bytes.substr(2), "UTF-16BE");
        return out;
    }
    // The transport's charset (MIME) first, as browsers do, then the page's own.
    if (!charset.empty() && fmt::DecodeCharset(out, bytes, charset)) return out;
    std::string declared = DeclaredCharset(bytes);
    if (!declared.empty() && fmt::DecodeCharset(out, bytes, declared)) return out;
    if (IsValidUtf8(bytes)) return fmt::Utf8ToUtf16(bytes);
    fmt::DecodeCharset(out, bytes, "GB18030");
    return out;
}

// --------------------------------------------------------------- entities

namespace {

char16_t NamedEntity(std::u16string_view name) {
    struct E {
        const char16_t* name;
        char16_t c;
    };
    static const E kTable[] = {
        {u"nbsp", 0xA0},     {u"amp", '&'},       {u"lt", '<'},        {u"gt", '>'},
        {u"quot", '"'},      {u"apos", '\''},     {u"copy", 0xA9},     {u"reg", 0xAE},
        {u"trade", 0x2122},  {u"hellip", 0x2026}, {u"mdash", 0x2014},  {u"ndash", 0x2013},
        {u"lsquo", 0x2018},  {u"rsquo", 0x2019},  {u"ldquo", 0x201C},  {u"rdquo", 0x201D},
        {u"sbquo", 0x201A},  {u"bdquo", 0x201E},  {u"bull", 0x2022},   {u"middot", 0xB7},
        {u"times", 0xD7},    {u"divide", 0xF7},   {u"deg", 0xB0},      {u"plusmn", 0xB1},
        {u"para", 0xB6},     {u"sect", 0xA7},     {u"laquo", 0xAB},    {u"raquo", 0xBB},
        {u"cent", 0xA2},     {u"pound", 0xA3},    {u"yen", 0xA5},      {u"euro", 0x20AC},
        {u"ensp", 0x2002},   {u"emsp", 0x2003},   {u"thinsp", 0x2009}, {u"zwnj", 0x200C},
        {u"zwj", 0x200D},    {u"lrm", 0x200E},    {u"rlm", 0x200F},    {u"iexcl", 0xA1},
        {u"iquest", 0xBF},   {u"shy", 0xAD},      {u"frac12", 0xBD},   {u"frac14", 0xBC},
        {u"frac34", 0xBE},   {u"sup1", 0xB9},     {u"sup2", 0xB2},     {u"sup3", 0xB3},
        {u"micro", 0xB5},    {u"not", 0xAC},      {u"ordf", 0xAA},     {u"ordm", 0xBA},
        {u"acute", 0xB4},    {u"cedil", 0xB8},    {u"uml", 0xA8},      {u"macr", 0xAF},
        {u"brvbar", 0xA6},   {u"curren", 0xA4},   {u"dagger", 0x2020}, {u"Dagger", 0x2021},
        {u"permil", 0x2030}, {u"prime", 0x2032},  {u"larr", 0x2190},   {u"rarr", 0x2192},
        {u"uarr", 0x2191},   {u"darr", 0x2193},   {u"le", 0x2264},     {u"ge", 0x2265},
        {u"ne", 0x2260},     {u"infin", 0x221E},  {u"alpha", 0x3B1},   {u"beta", 0x3B2},
        {u"gamma", 0x3B3},   {u"delta", 0x3B4},   {u"pi", 0x3C0},      {u"mu", 0x3BC},
        {u"sigma", 0x3C3},   {u"omega", 0x3C9},   {u"szlig", 0xDF},
    };
    for (const E& e : kTable)
        if (name == e.name) return e.c;
    // Latin-1 letters: &Agrave; ... &yuml;
    static const char16_t* kLatin[] = {
        u"Agrave", u"Aacute", u"Acirc",  u"Atilde", u"Auml",   u"Aring",  u"AElig", u"Ccedil",
        u"Egrave", u"Eacute", u"Ecirc",  u"Euml",   u"Igrave", u"Iacute", u"Icirc", u"Iuml",
        u"ETH",    u"Ntilde", u"Ograve", u"Oacute", u"Ocirc",  u"Otilde", u"Ouml",  nullptr,
        u"Oslash", u"Ugrave", u"Uacute", u"Ucirc",  u"Uuml",   u"Yacute", u"THORN", nullptr,
        u"agrave", u"aacute", u"acirc",  u"atilde", u"auml",   u"aring",  u"aelig", u"ccedil",
        u"egrave", u"eacute", u"ecirc",  u"euml",   u"igrave", u"iacute", u"icirc", u"iuml",
        u"eth",    u"ntilde", u"ograve", u"oacute", u"ocirc",  u"otilde", u"ouml",  nullptr,
        u"oslash", u"ugrave", u"uacute", u"ucirc",  u"uuml",   u"yacute", u"thorn", u"yuml"};
    for (std::size_t i = 0; i < std::size(kLatin); ++i)
        if (kLatin[i] && name == kLatin[i]) return static_cast<char16_t>(0xC0 + i);
    return 0;
}

}  // namespace

// Decodes character references in [s, end) of a text run or attribute value.
std::u16string DecodeEntities(std::u16string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != u'&') {
            out += s[i];
            continue;
        }
        std::size_t j = i + 1;
        if (j < s.size() && s[j] == u'#') {
            ++j;
            bool hex = j < s.size() && (s[j] == u'x' || s[j] == u'X');
            if (hex) ++j;
            std::size_t start = j;
            char32_t v = 0;
            while (j < s.size() && j - start < 8) {
                char16_t c = s[j];
                int d = c >= u'0' && c <= u'9'          ? c - u'0'
                        : hex && c >= u'a' && c <= u'f' ? c - u'a' + 10
                        : hex && c >= u'A' && c <= u'F' ? c - u'A' + 10
                                                        : -1;
                if (d < 0) break;
                v = v * (hex ? 16 : 10) + static_cast<char32_t>(d);
                ++j;
            }
            if (j == start) {
                out += s[i];
                continue;
            }
            if (j < s.size() && s[j] == u';') ++j;
            if (v >= 0x80 && v <= 0x9F) {
                // Pages write windows-1252 code points as references.
                std::u16string m;
                char b = static_cast<char>(v);
                fmt::DecodeCharset(m, std::string_view(&b, 1), "CP1252");
                if (m.size() == 1 && m[0] != 0xFFFD) v = m[0];
            }
            if (v == 0) v = 0xFFFD;
            fmt::AppendCodePoint(out, v);
            i = j - 1;
            continue;
        }
        std::size_t semi = s.find(u';', j);
        if (semi != std::u16string_view::npos && semi - j <= 10) {
            char16_t c = NamedEntity(s.substr(j, semi - j));
            if (c) {
                out += c;
                i = semi;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

}  // namespace pelmora::word::web
