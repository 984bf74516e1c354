// Web pages: HTML and MHT (MIME) archives. The page is decoded in its
// declared charset, tokenised, and its block elements become paragraphs the
// way Word lays them out on import: table cells end in "\r\a", each row adds
// a row-end mark, <br> is a line break. Word's own header/footer markup
// (div style="mso-element:header" referenced from an @page rule) supplies
// headers and footers; nothing else does.

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/doc/fmtcommon.h"
#include "platform/doc/format.h"
#include "platform/doc/formats.h"
#include "platform/doc/objectmodel.h"

namespace pelmora::word {

namespace {

using fmt::AsciiLower;

constexpr std::size_t kMaxSideFileBytes = 16u << 20;  // a header file beside a page
constexpr int kMaxMimeDepth = 8;

bool StartsWithNoCase(std::string_view s, std::string_view p) {
    return s.size() >= p.size() && AsciiLower(s.substr(0, p.size())) == p;
}

std::string_view TrimAscii(std::string_view s) {
    while (!s.empty() &&
           (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

// ------------------------------------------------------------------ MIME

struct MimeHeaders {
    std::map<std::string, std::string> fields;  // lower-case names, unfolded values
    std::string Get(const std::string& name) const {
        auto it = fields.find(name);
        return it == fields.end() ? std::string() : it->second;
    }
};

// Splits headers from body at the first empty line.
std::pair<MimeHeaders, std::string_view> SplitMime(std::string_view s) {
    MimeHeaders h;
    std::string last;
    std::size_t pos = 0;
    while (pos < s.size()) {
        std::size_t eol = s.find('\n', pos);
        std::size_t next = eol == std::string_view::npos ? s.size() : eol + 1;
        std::string_view line =
            s.substr(pos, (eol == std::string_view::npos ? s.size() : eol) - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos = next;
        if (line.empty()) break;
        if ((line.front() == ' ' || line.front() == '\t') && !last.empty()) {
            h.fields[last] += " " + std::string(TrimAscii(line));
            continue;
        }
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        last = AsciiLower(TrimAscii(line.substr(0, colon)));
        if (h.fields.size() < 256) h.fields[last] = std::string(TrimAscii(line.substr(colon + 1)));
    }
    return {h, s.substr(std::min(pos, s.size()))};
}

// A parameter of a header value: `type/sub; name="value"`.
std::string HeaderParam(const std::string& value, std::string_view name) {
    std::string lower = AsciiLower(value);
    std::size_t pos = 0;
    while ((pos = lower.find(name, pos)) != std::string::npos) {
        bool boundaryOk =
            pos == 0 || lower[pos - 1] == ';' || lower[pos - 1] == ' ' || lower[pos - 1] == '\t';
        std::size_t p = pos + name.size();
        while (p < lower.size() && lower[p] == ' ') ++p;
        if (!boundaryOk || p >= lower.size() || lower[p] != '=') {
            pos += name.size();
            continue;
        }
        ++p;
        while (p < lower.size() && lower[p] == ' ') ++p;
        if (p < value.size() && (value[p] == '"' || value[p] == '\'')) {
            char q = value[p];
            std::size_t e = value.find(q, p + 1);
            return value.substr(p + 1, (e == std::string::npos ? value.size() : e) - p - 1);
        }
        std::size_t e = p;
        while (e < value.size() && value[e] != ';' && value[e] != ' ' && value[e] != '\t') ++e;
        return value.substr(p, e - p);
    }
    return {};
}

std::string DecodeQuotedPrintable(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c != '=') {
            out += c;
            continue;
        }
        if (i + 1 < s.size() && s[i + 1] == '\n') {
            ++i;
            continue;
        }  // soft line break
        if (i + 2 < s.size() && s[i + 1] == '\r' && s[i + 2] == '\n') {
            i += 2;
            continue;
        }
        int hi = i + 1 < s.size() ? hex(s[i + 1]) : -1;
        int lo = i + 2 < s.size() ? hex(s[i + 2]) : -1;
        if (hi >= 0 && lo >= 0) {
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

std::string DecodeBase64(std::string_view s) {
    std::string out;
    out.reserve(s.size() / 4 * 3);
    unsigned buf = 0;
    int bits = 0;
    for (char c : s) {
        int v;
        if (c >= 'A' && c <= 'Z')
            v = c - 'A';
        else if (c >= 'a' && c <= 'z')
            v = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            v = c - '0' + 52;
        else if (c == '+')
            v = 62;
        else if (c == '/')
            v = 63;
        else if (c == '=')
            break;
        else
            continue;
        buf = (buf << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((buf >> bits) & 0xFF);
        }
    }
    return out;
}

struct MimePart {
    std::string type;      // lower-case media type
    std::string charset;   // declared, may be empty
    std::string location;  // Content-Location
    std::string body;      // transfer-decoded bytes
};

void CollectParts(std::string_view s, int depth, std::vector<MimePart>& parts) {
    if (depth > kMaxMimeDepth || parts.size() > 4096) return;
    auto [h, body] = SplitMime(s);
    std::string ctype = h.Get("content-type");
    std::string type = AsciiLower(TrimAscii(ctype.substr(0, ctype.find(';'))));
    if (StartsWithNoCase(type, "multipart/")) {
        std::string boundary = HeaderParam(ctype, "boundary");
        if (boundary.empty()) return;
        const std::string delim = "--" + boundary;
        std::size_t pos = body.find(delim);
        while (pos != std::string_view::npos) {
            std::size_t start = pos + delim.size();
            if (body.substr(start, 2) == "--") break;  // closing delimiter
            std::size_t lineEnd = body.find('\n', start);
            if (lineEnd == std::string_view::npos) break;
            std::size_t next = body.find(delim, lineEnd + 1);
            std::string_view part = body.substr(
                lineEnd + 1, (next == std::string_view::npos ? body.size() : next) - lineEnd - 1);
            if (part.size() >= 2 && part.substr(part.size() - 2) == "\r\n")
                part.remove_suffix(2);
            else if (!part.empty() && part.back() == '\n')
                part.remove_suffix(1);
            CollectParts(part, depth + 1, parts);
            pos = next;
        }
        return;
    }
    MimePart p;
    p.type = type.empty() ? "text/plain" : type;
    p.charset = HeaderParam(ctype, "charset");
    p.location = h.Get("content-location");
    std::string enc = AsciiLower(TrimAscii(h.Get("content-transfer-encoding")));
    if (enc == "quoted-printable")
        p.body = DecodeQuotedPrintable(body);
    else if (enc == "base64")
        p.body = DecodeBase64(body);
    else
        p.body = std::string(body);
    parts.push_back(std::move(p));
}

// ---------------------------------------------------------------- charset

// The charset a page declares in <meta> or an XML declaration.
std::string DeclaredCharset(std::string_view bytes) {
    std::string head = AsciiLower(bytes.substr(0, 65536));
    if (head.compare(0, 5, "<?xml") == 0) {
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

// Declared charset first; else UTF-8 when the bytes are valid UTF-8, else
// GB18030 (a superset of GBK, which undeclared pages for Chinese readers
// use far more often than windows-1252).
std::u16string DecodePage(std::string_view bytes, std::string charset) {
    std::u16string out;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return fmt::Utf8ToUtf16(bytes.substr(3));
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        fmt::DecodeCharset(out, bytes.substr(2), "UTF-16LE");
        return out;
    }
    if (bytes.substr(0, 2) == "\xFE\xFF") {
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

// ------------------------------------------------------------ paragraphs

// Lays out one story: block boundaries make paragraphs, tables make cells
// and rows.
class Flow {
  public:
    std::vector<std::u16string> paragraphs;

    void Text(std::u16string_view t, bool pre) {
        for (char16_t c : t) {
            if (pre) {
                if (c == u'\r') continue;
                if (c == u'\n') {
                    EndParagraph(true);
                    continue;
                }
                Char(c);
                continue;
            }
            if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f') {
                if (!buf_.empty() && buf_.back() != u'\v') space_ = true;
                continue;
            }
            Char(c);
        }
    }
    void Char(char16_t c) {
        if (space_) buf_ += u' ';
        space_ = false;
        buf_ += c;
    }
    void LineBreak() {
        space_ = false;
        buf_ += u'\v';
        open_ = true;
    }
    // A paragraph element starts: whatever came before is a paragraph of its own.
    void BlockStart(bool paragraphElement) {
        if (!buf_.empty()) EndParagraph(true);
        if (paragraphElement) open_ = true;
    }
    void BlockEnd() {
        if (open_ || !buf_.empty()) EndParagraph(true);
    }
    void EndParagraph(bool) {
        Emit(buf_);
        buf_.clear();
        space_ = false;
        open_ = false;
    }

    void TableStart() {
        BlockEnd();
        if (!cont_.empty() && cont_.back().cell && cont_.back().hasPending) {
            paragraphs.push_back(cont_.back().pending + u'\r');
            cont_.back().hasPending = false;
        }
        if (cont_.size() < static_cast<std::size_t>(kMaxNesting)) cont_.push_back({});
    }
    void RowStart() {
        if (InCell()) CellEnd();
        if (InTable() && cont_.back().rowOpen) RowEnd();
        if (InTable()) cont_.back().rowOpen = true;
    }
    void CellStart() {
        if (InCell()) CellEnd();
        if (!InTable()) return;
        if (!cont_.back().rowOpen) cont_.back().rowOpen = true;
        cont_.push_back(Container{true, false, false, {}});
    }
    void CellEnd() {
        if (!InCell()) return;
        BlockEnd();
        Container c = std::move(cont_.back());
        cont_.pop_back();
        paragraphs.push_back((c.hasPending ? c.pending : std::u16string()) + u"\r\a");
    }
    void RowEnd() {
        if (InCell()) CellEnd();
        if (InTable() && cont_.back().rowOpen) {
            paragraphs.push_back(u"\r\a");
            cont_.back().rowOpen = false;
        }
    }
    void TableEnd() {
        if (InCell()) CellEnd();
        if (!InTable()) return;
        RowEnd();
        cont_.pop_back();
    }
    void Finish() {
        while (!cont_.empty()) InCell() ? CellEnd() : TableEnd();
        if (!buf_.empty()) EndParagraph(true);
    }

  private:
    struct Container {
        bool cell = false;
        bool rowOpen = false;
        bool hasPending = false;
        std::u16string pending;
    };
    bool InCell() const { return !cont_.empty() && cont_.back().cell; }
    bool InTable() const { return !cont_.empty() && !cont_.back().cell; }
    void Emit(std::u16string text) {
        while (!text.empty() && text.back() == u' ') text.pop_back();
        // A <br> that ends a block adds no line of its own.
        if (!text.empty() && text.back() == u'\v') text.pop_back();
        if (InCell()) {
            Container& c = cont_.back();
            if (c.hasPending) paragraphs.push_back(c.pending + u'\r');
            c.pending = std::move(text);
            c.hasPending = true;
        } else {
            paragraphs.push_back(text + u'\r');
        }
    }

    std::u16string buf_;
    bool space_ = false, open_ = false;
    std::vector<Container> cont_;
};

// ------------------------------------------------------------------ HTML

enum TagFlag : unsigned {
    kVoid = 1,
    kParagraph = 2,  // a paragraph of its own, even when empty
    kBlock = 4,
    kDropped = 8,  // content is never text
};

unsigned TagFlags(std::string_view t) {
    static const std::map<std::string_view, unsigned> kFlags = [] {
        std::map<std::string_view, unsigned> m;
        for (std::string_view v : {"br", "img", "hr", "meta", "link", "input", "area", "base",
                                   "col", "embed", "param", "source", "track", "wbr", "basefont"})
            m[v] |= kVoid;
        for (std::string_view v : {"p", "h1", "h2", "h3", "h4", "h5", "h6", "li", "pre", "dt", "dd",
                                   "address", "caption", "listing", "xmp"})
            m[v] |= kParagraph | kBlock;
        for (std::string_view v :
             {"div",  "ul",      "ol",         "dl",      "blockquote", "center",  "body",
              "html", "section", "article",    "header",  "footer",     "nav",     "aside",
              "main", "figure",  "figcaption", "form",    "fieldset",   "legend",  "hr",
              "dir",  "menu",    "details",    "summary", "hgroup",     "noframes"})
            m[v] |= kBlock;
        for (std::string_view v :
             {"head", "script", "style", "title", "template", "xml", "object", "applet", "iframe",
              "select", "textarea", "svg", "noscript", "frameset", "map"})
            m[v] |= kDropped;
        return m;
    }();
    auto it = kFlags.find(t);
    return it == kFlags.end() ? 0u : it->second;
}
bool IsVoid(std::string_view t) { return TagFlags(t) & kVoid; }
bool IsParagraphElement(std::string_view t) { return TagFlags(t) & kParagraph; }
bool IsBlock(std::string_view t) { return TagFlags(t) & kBlock; }
bool IsDropped(std::string_view t) { return TagFlags(t) & kDropped; }

struct Tag {
    std::string name;  // lower-case
    bool end = false;
    bool selfClosing = false;
    std::map<std::string, std::u16string> attrs;
};

std::string LowerAscii16(std::u16string_view s) {
    std::string r;
    for (char16_t c : s)
        r += c < 0x80 ? static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) : '?';
    return r;
}

// The header and footer stories a page defines, by element id.
struct PageStories {
    std::map<std::string, Flow> byId;
};

class HtmlReader {
  public:
    HtmlReader(Flow* body, PageStories* stories) : body_(body), stories_(stories) {}

    std::u16string css;  // every <style> element's text

    void Run(std::u16string_view s) {
        std::size_t i = 0;
        std::size_t textStart = 0;
        while (i < s.size()) {
            if (s[i] != u'<') {
                ++i;
                continue;
            }
            if (i > textStart) Text(s.substr(textStart, i - textStart));
            i = Markup(s, i);
            textStart = i;
        }
        if (textStart < s.size()) Text(s.substr(textStart));
        body_->Finish();
        for (auto& [id, f] : stories_->byId) f.Finish();
    }

  private:
    struct Open {
        std::string name;
        Flow* flow;
        bool dropped;
        bool pre;
    };

    Flow* Cur() { return stack_.empty() ? body_ : stack_.back().flow; }
    bool Dropped() const { return !stack_.empty() && stack_.back().dropped; }
    bool Pre() const { return !stack_.empty() && stack_.back().pre; }

    void Text(std::u16string_view t) {
        if (Dropped() || !Cur()) return;
        if (!stack_.empty() && stack_.back().name == "o:p") {
            // Word marks an empty paragraph with <o:p>&nbsp;</o:p>.
            std::u16string d = DecodeEntities(t);
            if (std::all_of(d.begin(), d.end(), [](char16_t c) {
                    return c == u'\u00A0' || c == u' ' || c == u'\n' || c == u'\r';
                }))
                return;
        }
        Cur()->Text(DecodeEntities(t), Pre());
    }

    std::size_t Markup(std::u16string_view s, std::size_t i) {
        std::u16string_view rest = s.substr(i);
        if (rest.substr(0, 4) == u"<!--") {
            std::size_t e = s.find(u"-->", i + 4);
            return e == std::u16string_view::npos ? s.size() : e + 3;
        }
        if (rest.substr(0, 5) == u"<![if" || rest.substr(0, 6) == u"<![ if") {
            // Downlevel-revealed conditionals ("<![if !supportLists]>") hold
            // the stand-ins Word writes for browsers: list numbers, VML
            // fallbacks. Word itself skips them.
            std::size_t e = s.find(u"<![endif]>", i);
            return e == std::u16string_view::npos ? s.size() : e + 10;
        }
        if (rest.substr(0, 2) == u"<!" || rest.substr(0, 2) == u"<?") {
            std::size_t e = s.find(u'>', i);
            return e == std::u16string_view::npos ? s.size() : e + 1;
        }
        bool end = rest.size() > 1 && rest[1] == u'/';
        std::size_t p = i + (end ? 2 : 1);
        if (p >= s.size() || !((s[p] >= u'a' && s[p] <= u'z') || (s[p] >= u'A' && s[p] <= u'Z'))) {
            // A lone "<" is text.
            if (!Dropped() && Cur()) Cur()->Text(u"<", Pre());
            return i + 1;
        }
        Tag tag;
        tag.end = end;
        std::size_t n = p;
        while (n < s.size() && s[n] != u'>' && s[n] != u'/' && s[n] != u' ' && s[n] != u'\t' &&
               s[n] != u'\n' && s[n] != u'\r' && s[n] != u'\f')
            ++n;
        tag.name = LowerAscii16(s.substr(p, n - p));
        // Attributes.
        while (n < s.size() && s[n] != u'>') {
            char16_t c = s[n];
            if (c == u'/') {
                tag.selfClosing = n + 1 < s.size() && s[n + 1] == u'>';
                ++n;
                continue;
            }
            if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f') {
                ++n;
                continue;
            }
            std::size_t a = n;
            while (n < s.size() && s[n] != u'=' && s[n] != u'>' && s[n] != u' ' && s[n] != u'\t' &&
                   s[n] != u'\n' && s[n] != u'\r' && s[n] != u'/')
                ++n;
            std::string name = LowerAscii16(s.substr(a, n - a));
            if (n == a) ++n;
            std::u16string value;
            std::size_t q = n;
            while (q < s.size() &&
                   (s[q] == u' ' || s[q] == u'\n' || s[q] == u'\r' || s[q] == u'\t'))
                ++q;
            if (q < s.size() && s[q] == u'=') {
                n = q + 1;
                while (n < s.size() &&
                       (s[n] == u' ' || s[n] == u'\n' || s[n] == u'\r' || s[n] == u'\t'))
                    ++n;
                if (n < s.size() && (s[n] == u'"' || s[n] == u'\'')) {
                    char16_t quote = s[n];
                    std::size_t e = s.find(quote, n + 1);
                    if (e == std::u16string_view::npos) e = s.size();
                    value = DecodeEntities(s.substr(n + 1, e - n - 1));
                    n = e == s.size() ? e : e + 1;
                } else {
                    std::size_t e = n;
                    while (e < s.size() && s[e] != u'>' && s[e] != u' ' && s[e] != u'\t' &&
                           s[e] != u'\n' && s[e] != u'\r')
                        ++e;
                    value = DecodeEntities(s.substr(n, e - n));
                    n = e;
                }
            }
            if (!name.empty() && tag.attrs.size() < 64) tag.attrs.emplace(name, std::move(value));
        }
        std::size_t after = n < s.size() ? n + 1 : s.size();
        if (tag.end) {
            EndTag(tag.name);
            return after;
        }
        StartTag(tag);
        if (tag.name == "pre" || tag.name == "listing") {
            // The line break right after <pre> belongs to the markup.
            if (after < s.size() && s[after] == u'\r') ++after;
            if (after < s.size() && s[after] == u'\n') ++after;
        }
        // Raw text: nothing inside is markup.
        static constexpr std::string_view kRaw[] = {"script", "style", "textarea", "title", "xmp"};
        if (std::find(std::begin(kRaw), std::end(kRaw), tag.name) != std::end(kRaw) &&
            !tag.selfClosing) {
            std::size_t e = after;
            while ((e = s.find(u"</", e)) != std::u16string_view::npos) {
                if (LowerAscii16(s.substr(e + 2, tag.name.size())) == tag.name) break;
                e += 2;
            }
            std::u16string_view raw =
                s.substr(after, (e == std::u16string_view::npos ? s.size() : e) - after);
            if (tag.name == "style" && css.size() < (1u << 20)) css += raw;
            if (tag.name == "xmp" && !Dropped() && Cur()) Cur()->Text(raw, true);
            if (e == std::u16string_view::npos) return s.size();
            EndTag(tag.name);
            std::size_t gt = s.find(u'>', e);
            return gt == std::u16string_view::npos ? s.size() : gt + 1;
        }
        return after;
    }

    void StartTag(const Tag& tag) {
        const std::string& t = tag.name;
        if (t == "body") {
            // Whatever <head> left open ends here.
            while (!stack_.empty() && stack_.back().name != "html") Pop();
        }
        if ((t == "p" || IsBlock(t) || t == "table") && !stack_.empty() &&
            stack_.back().name == "p")
            EndTag("p");
        if ((t == "li" || t == "dt" || t == "dd") && !stack_.empty() && stack_.back().name == t)
            EndTag(t);
        bool dropped = Dropped();
        Flow* flow = Cur();
        if (!dropped && flow) {
            if (t == "br")
                flow->LineBreak();
            else if (t == "img")
                flow->Char(u'\x01');  // an inline picture's anchor
            else if (t == "table")
                flow->TableStart();
            else if (t == "tr")
                flow->RowStart();
            else if (t == "td" || t == "th")
                flow->CellStart();
            else if (IsBlock(t))
                flow->BlockStart(IsParagraphElement(t));
        }
        if (IsVoid(t) || tag.selfClosing) {
            if (!dropped && flow && IsBlock(t)) flow->BlockEnd();
            return;
        }
        if (stack_.size() >= static_cast<std::size_t>(kMaxNesting)) return;
        Open o{t, flow, dropped || IsDropped(t),
               (!stack_.empty() && stack_.back().pre) || t == "pre" || t == "listing"};
        auto style = tag.attrs.find("style");
        if (style != tag.attrs.end()) {
            std::string st = LowerAscii16(style->second);
            st.erase(std::remove_if(
                         st.begin(), st.end(),
                         [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }),
                     st.end());
            std::size_t m = st.find("mso-element:");
            if (m != std::string::npos) {
                // Word's own parts of a page: headers and footers go to their
                // own stories, footnotes and the like out of the body.
                std::string kind = st.substr(m + 12, st.find(';', m) == std::string::npos
                                                         ? std::string::npos
                                                         : st.find(';', m) - m - 12);
                auto id = tag.attrs.find("id");
                if ((kind == "header" || kind == "footer") && id != tag.attrs.end()) {
                    o.flow = &stories_->byId[LowerAscii16(id->second)];
                    o.dropped = false;
                } else if (kind.rfind("field-", 0) != 0) {
                    o.dropped = true;
                }
            }
            std::size_t tabs = st.find("mso-tab-count:");
            if (tabs != std::string::npos) {
                // Word's tab: the span's spaces stand in for the tab characters.
                int count = 0;
                for (std::size_t k = tabs + 14;
                     k < st.size() && st[k] >= '0' && st[k] <= '9' && count < 100; ++k)
                    count = count * 10 + (st[k] - '0');
                if (!dropped && flow)
                    for (int k = 0; k < std::min(count, 100); ++k) flow->Char(u'\t');
                o.dropped = true;
            }
            if (st.find("display:none") != std::string::npos ||
                st.find("mso-hide:all") != std::string::npos ||
                st.find("mso-list:ignore") != std::string::npos)  // list numbers Word draws itself
                o.dropped = true;
        }
        stack_.push_back(o);
    }

    void Pop() {
        Open o = stack_.back();
        stack_.pop_back();
        if (o.dropped || !o.flow) return;
        const std::string& t = o.name;
        if (t == "table")
            o.flow->TableEnd();
        else if (t == "tr")
            o.flow->RowEnd();
        else if (t == "td" || t == "th")
            o.flow->CellEnd();
        else if (IsBlock(t))
            o.flow->BlockEnd();
        // Leaving a header div: the body's flow continues.
        if (!stack_.empty() && stack_.back().flow != o.flow) o.flow->Finish();
    }

    void EndTag(const std::string& name) {
        if (name == "br") {
            // "</br>" is read as <br> by browsers and Word alike.
            if (!Dropped() && Cur()) Cur()->LineBreak();
            return;
        }
        if (name == "p" && std::none_of(stack_.begin(), stack_.end(),
                                        [](const Open& o) { return o.name == "p"; })) {
            // A stray </p> makes an empty paragraph.
            if (!Dropped() && Cur()) Cur()->BlockStart(true), Cur()->BlockEnd();
            return;
        }
        for (std::size_t k = stack_.size(); k-- > 0;) {
            if (stack_[k].name == name) {
                while (stack_.size() > k) Pop();
                return;
            }
            // End tags do not reach out of a table cell or table.
            if ((stack_[k].name == "td" || stack_[k].name == "th" || stack_[k].name == "table") &&
                name != "tr" && name != "table" && name != "td" && name != "th")
                return;
        }
    }

    Flow* body_;
    PageStories* stories_;
    std::vector<Open> stack_;
};

// The header/footer ids of each section from Word's @page rules.
struct SectionRefs {
    std::array<std::string, 3> header, footer;  // primary, first page, even pages
    std::array<std::string, 3> headerUrl, footerUrl;
};

std::map<int, SectionRefs> ParsePageRules(const std::string& css) {
    std::map<int, SectionRefs> out;
    std::size_t pos = 0;
    int guard = 0;
    while ((pos = css.find("@page", pos)) != std::string::npos && ++guard < 1000) {
        std::size_t brace = css.find('{', pos);
        if (brace == std::string::npos) break;
        std::string_view sel = TrimAscii(std::string_view(css).substr(pos + 5, brace - pos - 5));
        std::size_t close = css.find('}', brace);
        std::string body =
            css.substr(brace + 1, (close == std::string::npos ? css.size() : close) - brace - 1);
        pos = close == std::string::npos ? css.size() : close;
        // "@page WordSection2" is section 2; an unnamed rule serves section 1.
        int section = 1;
        if (!sel.empty()) {
            if (sel.find(':') != std::string_view::npos) continue;
            std::size_t d = sel.size();
            while (d > 0 && sel[d - 1] >= '0' && sel[d - 1] <= '9') --d;
            if (d == sel.size() || sel.size() - d > 4) continue;
            section = std::stoi(std::string(sel.substr(d)));
            if (section < 1) continue;
        } else if (out.count(1)) {
            continue;
        }
        SectionRefs& refs = out[section];
        static constexpr std::array<std::string_view, 3> kPrefix = {"mso-", "mso-first-",
                                                                    "mso-even-"};
        for (int kind = 0; kind < 3; ++kind) {
            for (int f = 0; f < 2; ++f) {
                std::string prop = std::string(kPrefix[static_cast<std::size_t>(kind)]) +
                                   (f ? "footer:" : "header:");
                std::size_t p = body.find(prop);
                if (p == std::string::npos) continue;
                std::size_t e = body.find(';', p);
                std::string value(TrimAscii(std::string_view(body).substr(
                    p + prop.size(),
                    (e == std::string::npos ? body.size() : e) - p - prop.size())));
                std::string url;
                std::size_t u = value.find("url(");
                if (u != std::string::npos) {
                    std::size_t ue = value.find(')', u);
                    url =
                        value.substr(u + 4, (ue == std::string::npos ? value.size() : ue) - u - 4);
                    url.erase(std::remove(url.begin(), url.end(), '"'), url.end());
                    url.erase(std::remove(url.begin(), url.end(), '\''), url.end());
                    value = ue == std::string::npos ? std::string() : value.substr(ue + 1);
                }
                std::string id(TrimAscii(value));
                std::size_t sp = id.find_last_of(" \t");
                if (sp != std::string::npos) id = id.substr(sp + 1);
                (f ? refs.footer : refs.header)[static_cast<std::size_t>(kind)] = id;
                (f ? refs.footerUrl : refs.headerUrl)[static_cast<std::size_t>(kind)] =
                    std::string(TrimAscii(url));
            }
        }
    }
    return out;
}

class WebDocument : public DocumentImpl {
  public:
    WebDocument(std::string bytes, std::string path) : path_(std::move(path)) {
        std::string charset;
        std::string page;
        if (Sniff(bytes) != Format::Web) throw WordError("not a web page");
        bool utf16 = false;
        const std::size_t firstByte = TextStart(bytes, &utf16);
        // Markup first means a page, even if a MIME-like line follows.
        const bool markupFirst = (firstByte < bytes.size() && bytes[firstByte] == '<') ||
                                 bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
        if (!utf16 && !markupFirst &&
            !SplitMime(std::string_view(bytes).substr(0, 65536))
                 .first.Get("mime-version")
                 .empty()) {
            CollectParts(bytes, 0, parts_);
            const MimePart* html = nullptr;
            for (const MimePart& p : parts_)
                if (p.type == "text/html") {
                    html = &p;
                    break;
                }
            if (!html) throw WordError("no web page in the MIME archive");
            page = html->body;
            charset = html->charset;
        } else {
            page = std::move(bytes);
        }
        std::u16string text = DecodePage(page, charset);
        HtmlReader reader(&body_, &stories_);
        reader.Run(text);
        rules_ = ParsePageRules(LowerAscii16(reader.css));
    }

    std::u16string ParagraphText(int n) override {
        if (n < 1 || static_cast<std::size_t>(n) > body_.paragraphs.size())
            throw WordError("no such paragraph");
        return body_.paragraphs[static_cast<std::size_t>(n) - 1];
    }
    std::u16string HeaderText(int section, int index) override {
        return Story(section, index, true);
    }
    std::u16string FooterText(int section, int index) override {
        return Story(section, index, false);
    }

  private:
    std::u16string Story(int section, int index, bool header) {
        if (section < 1 || index < 1 || index > 3) throw WordError("no such header or footer");
        int sections = rules_.empty() ? 1 : std::max(1, rules_.rbegin()->first);
        if (section > sections) throw WordError("no such section");
        static constexpr int kKind[4] = {0, 0, 1, 2};
        const std::size_t kind = static_cast<std::size_t>(kKind[index]);
        for (int s = section; s >= 1; --s) {
            auto it = rules_.find(s);
            if (it == rules_.end()) continue;
            const std::string& id = (header ? it->second.header : it->second.footer)[kind];
            if (id.empty()) continue;
            const std::string& url = (header ? it->second.headerUrl : it->second.footerUrl)[kind];
            const Flow* flow = FindStory(id, url);
            if (!flow) return u"\r";
            std::u16string text;
            for (const auto& p : flow->paragraphs) text += p;
            return text.empty() ? u"\r" : text;
        }
        return u"\r";
    }

    const Flow* FindStory(const std::string& id, const std::string& url) {
        auto it = stories_.byId.find(id);
        if (it != stories_.byId.end()) return &it->second;
        if (url.empty()) return nullptr;
        auto loaded = side_.find(url);
        if (loaded == side_.end()) loaded = side_.emplace(url, LoadSide(url)).first;
        auto jt = loaded->second.byId.find(id);
        return jt == loaded->second.byId.end() ? nullptr : &jt->second;
    }

    // Word keeps headers and footers of a saved page in a file of its own
    // ("page_files/header.htm"): a part of the MHT, or a file beside the page.
    PageStories LoadSide(const std::string& url) {
        PageStories stories;
        std::string bytes, charset;
        std::string name =
            url.substr(url.find_last_of('/') == std::string::npos ? 0 : url.find_last_of('/') + 1);
        if (!parts_.empty()) {
            for (const MimePart& p : parts_) {
                std::string loc = p.location;
                std::string base = loc.substr(
                    loc.find_last_of('/') == std::string::npos ? 0 : loc.find_last_of('/') + 1);
                if (!name.empty() && AsciiLower(base) == AsciiLower(name) &&
                    p.type == "text/html") {
                    bytes = p.body;
                    charset = p.charset;
                    break;
                }
            }
        } else if (!path_.empty() && url.find("..") == std::string::npos &&
                   url.find(':') == std::string::npos && !url.empty() && url[0] != '/') {
            std::size_t slash = path_.find_last_of('/');
            std::string file =
                (slash == std::string::npos ? std::string() : path_.substr(0, slash + 1)) + url;
            try {
                bytes = fmt::ReadFileCapped(file, kMaxSideFileBytes);
            } catch (const WordError&) {
                bytes.clear();
            }
        }
        if (bytes.empty()) return stories;
        Flow ignored;
        HtmlReader reader(&ignored, &stories);
        reader.Run(DecodePage(bytes, charset));
        return stories;
    }

    std::string path_;
    std::vector<MimePart> parts_;
    Flow body_;
    PageStories stories_;
    std::map<int, SectionRefs> rules_;
    std::map<std::string, PageStories> side_;
};

}  // namespace

std::unique_ptr<DocumentImpl> OpenWebBytes(std::string bytes, std::string path) {
    return std::make_unique<WebDocument>(std::move(bytes), std::move(path));
}

std::unique_ptr<DocumentImpl> OpenWebDocument(const std::string& path) {
    return std::make_unique<WebDocument>(fmt::ReadFileCapped(path, kMaxWebBytes), path);
}

}  // namespace pelmora::word
