#include "reader/xml/scan.h"

#include <cstring>
#include <string>
#include <vector>

#include "reader/limits.h"
#include "reader/text/utf8.h"

namespace pelmora::word::fmt {

namespace {

constexpr std::string_view kXmlNs = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlnsNs = "http://www.w3.org/2000/xmlns/";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Length of the well-formed UTF-8 sequence of an XML character at s, or 0.
std::size_t Utf8Char(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = b(0);
    std::size_t n;
    char32_t cp;
    if (c < 0x80) return IsXmlChar(c) ? 1 : 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2, cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3, cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4, cp = c & 0x07;
    } else {
        return 0;
    }
    if (s.size() < n) return 0;
    for (std::size_t i = 1; i < n; ++i) {
        if ((b(i) & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (b(i) & 0x3F);
    }
    const char32_t least = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
    return cp >= least && IsXmlChar(cp) ? n : 0;
}

struct Binding {
    std::string_view prefix;  // empty for the default namespace
    std::string_view uri;     // empty: no namespace
    Ns ns;
};

struct RawAttr {
    std::string_view qname, value;
    int decoded = -1;  // index into the decoded values, when the value needed it
};

struct OpenElem {
    std::string_view qname;
    Ns ns;
    std::string_view local;
    std::size_t bindings;  // bindings in force before it
};

class Scanner {
  public:
    Scanner(std::string_view xml, SaxHandler& handler) : s_(xml), h_(handler) {}

    bool Run() {
        if (s_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
        if (s_.substr(pos_).starts_with("<?xml") && pos_ + 5 < s_.size() && IsSpace(s_[pos_ + 5]))
            if (!Declaration()) return false;
        // Before the root: blanks, comments, processing instructions.
        if (!Misc()) return false;
        if (!At('<')) return false;
        while (true) {
            if (h_.stop) return true;
            if (open_.empty() && started_) return Misc() && pos_ == s_.size();
            if (!At('<')) {
                // Text: not looked at.
                const void* lt = std::memchr(s_.data() + pos_, '<', s_.size() - pos_);
                if (!lt) return false;  // elements left open
                pos_ = static_cast<std::size_t>(static_cast<const char*>(lt) - s_.data());
            }
            if (Next("</")) {
                if (!EndTag()) return false;
            } else if (Next("<!--")) {
                if (!Comment()) return false;
            } else if (Next("<![CDATA[")) {
                if (!open_.size()) return false;
                const std::size_t end = s_.find("]]>", pos_);
                if (end == std::string_view::npos) return false;
                pos_ = end + 3;
            } else if (Next("<?")) {
                if (!Pi()) return false;
            } else if (Next("<!")) {
                return false;  // a DTD or something stranger
            } else {
                ++pos_;
                if (!StartTag()) return false;
            }
        }
    }

  private:
    bool At(char c) const { return pos_ < s_.size() && s_[pos_] == c; }
    bool Next(std::string_view what) const { return s_.substr(pos_).starts_with(what); }
    void Blanks() {
        while (pos_ < s_.size() && IsSpace(s_[pos_])) ++pos_;
    }

    // A name with at most one colon, inside; names outside ASCII are left to expat.
    std::string_view QName() {
        const std::size_t from = pos_;
        if (pos_ >= s_.size() || !IsNameStart(s_[pos_])) return {};
        int colons = 0;
        while (pos_ < s_.size() && (IsNameChar(s_[pos_]) || s_[pos_] == ':')) {
            if (s_[pos_] == ':') {
                if (++colons > 1 || pos_ + 1 >= s_.size() || !IsNameStart(s_[pos_ + 1])) return {};
            }
            ++pos_;
        }
        return s_.substr(from, pos_ - from);
    }

    // Blanks, comments and processing instructions, as before and after the root.
    bool Misc() {
        while (true) {
            Blanks();
            if (Next("<!--")) {
                if (!Comment()) return false;
            } else if (Next("<?")) {
                if (!Pi()) return false;
            } else {
                return true;
            }
        }
    }

    bool Comment() {
        pos_ += 4;
        const std::size_t dashes = s_.find("--", pos_);
        if (dashes == std::string_view::npos || dashes + 2 >= s_.size() || s_[dashes + 2] != '>')
            return false;
        pos_ = dashes + 3;
        return true;
    }

    bool Pi() {
        pos_ += 2;
        const std::string_view target = QName();
        if (target.empty() || target.find(':') != std::string_view::npos) return false;
        if (target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' &&
            (target[2] | 0x20) == 'l')
            return false;
        if (!Next("?>") && !(pos_ < s_.size() && IsSpace(s_[pos_]))) return false;
        const std::size_t end = s_.find("?>", pos_);
        if (end == std::string_view::npos) return false;
        pos_ = end + 2;
        return true;
    }

    // name = "value" (or 'value'), the value raw.
    bool Attribute(std::string_view& name, std::string_view& value) {
        name = QName();
        if (name.empty()) return false;
        Blanks();
        if (!At('=')) return false;
        ++pos_;
        Blanks();
        if (!At('"') && !At('\'')) return false;
        const char quote = s_[pos_++];
        const void* q = std::memchr(s_.data() + pos_, quote, s_.size() - pos_);
        if (!q) return false;
        const auto end = static_cast<std::size_t>(static_cast<const char*>(q) - s_.data());
        value = s_.substr(pos_, end - pos_);
        pos_ = end + 1;
        return true;
    }

    // <?xml version="1.0" encoding="UTF-8" standalone="yes"?>, nothing more.
    bool Declaration() {
        pos_ += 5;
        int seen = 0;
        while (true) {
            const std::size_t before = pos_;
            Blanks();
            if (Next("?>")) {
                pos_ += 2;
                return seen > 0;
            }
            if (pos_ == before) return false;
            std::string_view name, value;
            if (!Attribute(name, value)) return false;
            if (seen == 0 && name == "version" && value == "1.0") {
                seen = 1;
            } else if (seen == 1 && name == "encoding") {
                if (value.size() != 5 || (value[0] | 0x20) != 'u' || (value[1] | 0x20) != 't' ||
                    (value[2] | 0x20) != 'f' || value[3] != '-' || value[4] != '8')
                    return false;
                seen = 2;
            } else if (seen >= 1 && seen < 3 && name == "standalone" &&
                       (value == "yes" || value == "no")) {
                seen = 3;
            } else {
                return false;
            }
        }
    }

    // An attribute value as expat gives it: references replaced, blanks
    // turned to spaces. False for anything it would refuse or we doubt.
    bool Decode(std::string_view raw, std::string& out) {
        out.clear();
        for (std::size_t i = 0; i < raw.size();) {
            const char c = raw[i];
            if (c == '&') {
                const std::size_t semi = raw.find(';', i);
                if (semi == std::string_view::npos) return false;
                const std::string_view ref = raw.substr(i + 1, semi - i - 1);
                i = semi + 1;
                if (ref == "lt") {
                    out += '<';
                } else if (ref == "gt") {
                    out += '>';
                } else if (ref == "amp") {
                    out += '&';
                } else if (ref == "quot") {
                    out += '"';
                } else if (ref == "apos") {
                    out += '\'';
                } else if (ref.size() >= 2 && ref[0] == '#') {
                    const bool hex = ref[1] == 'x';
                    std::string_view digits = ref.substr(hex ? 2 : 1);
                    if (digits.empty() || digits.size() > 8) return false;
                    char32_t cp = 0;
                    for (char d : digits) {
                        int v = d >= '0' && d <= '9'          ? d - '0'
                                : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                                : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                              : -1;
                        if (v < 0) return false;
                        cp = cp * (hex ? 16 : 10) + static_cast<char32_t>(v);
                    }
                    if (!IsXmlChar(cp)) return false;
                    AppendCodePointUtf8(out, cp);
                } else {
                    return false;
                }
            } else if (c == '\r') {
                out += ' ';
                i += i + 1 < raw.size() && raw[i + 1] == '\n' ? 2 : 1;
            } else if (c == '\t' || c == '\n') {
                out += ' ';
                ++i;
            } else {
                const std::size_t n = Utf8Char(raw.substr(i));
                if (n == 0 || c == '<') return false;
                out.append(raw.substr(i, n));
                i += n;
            }
        }
        return true;
    }

    // Where a prefix is bound, innermost first; false when it is not.
    bool Lookup(std::string_view prefix, Binding& out) const {
        for (std::size_t i = bindings_.size(); i-- > 0;)
            if (bindings_[i].prefix == prefix) {
                out = bindings_[i];
                return true;
            }
        if (prefix == "xml") {
            out = {prefix, kXmlNs, Ns::Other};
            return true;
        }
        if (prefix.empty()) {
            out = {prefix, {}, Ns::None};
            return true;
        }
        return false;
    }

    bool StartTag() {
        const std::string_view qname = QName();
        if (qname.empty()) return false;
        bool closed = false;
        if (!ReadAttributes(closed)) return false;
        const std::size_t bindingsBefore = bindings_.size();
        if (!BindNamespaces()) return false;

        Binding b;
        const std::size_t colon = qname.find(':');
        const std::string_view prefix =
            colon == std::string_view::npos ? "" : qname.substr(0, colon);
        if (prefix == "xmlns" || !Lookup(prefix, b)) return false;
        const std::string_view local =
            colon == std::string_view::npos ? qname : qname.substr(colon + 1);
        if (!SplitAttributes()) return false;

        if (open_.size() + 1 > static_cast<std::size_t>(kMaxNesting)) return false;
        started_ = true;
        h_.Start(b.ns, local, XmlAttrs(split_.data(), split_.size()));
        if (closed) {
            if (!h_.stop) h_.End(b.ns, local);
            bindings_.resize(bindingsBefore);
        } else {
            open_.push_back({qname, b.ns, local, bindingsBefore});
        }
        return true;
    }

    // The attributes up to the tag's end, values decoded; `closed` for "/>".
    bool ReadAttributes(bool& closed) {
        attrs_.clear();
        std::size_t decodedCount = 0;
        while (true) {
            const std::size_t before = pos_;
            Blanks();
            if (At('>')) {
                ++pos_;
                break;
            }
            if (Next("/>")) {
                pos_ += 2;
                closed = true;
                break;
            }
            // Attributes are set apart by blanks.
            if (pos_ == before || attrs_.size() >= kMaxScannedAttrs) return false;
            RawAttr a;
            if (!Attribute(a.qname, a.value)) return false;
            bool plain = true;
            for (char c : a.value) {
                const auto u = static_cast<unsigned char>(c);
                if (u < 0x20 || u >= 0x80 || c == '&' || c == '<') {
                    plain = false;
                    break;
                }
            }
            if (!plain) {
                if (decodedCount == decoded_.size()) decoded_.emplace_back();
                if (!Decode(a.value, decoded_[decodedCount])) return false;
                a.decoded = static_cast<int>(decodedCount++);
            }
            attrs_.push_back(a);
        }
        // Decoded values are settled now; views into them stay valid.
        for (std::size_t i = 0; i < attrs_.size(); ++i) {
            RawAttr& a = attrs_[i];
            if (a.decoded >= 0) a.value = decoded_[static_cast<std::size_t>(a.decoded)];
            for (std::size_t j = 0; j < i; ++j)
                if (attrs_[j].qname == a.qname) return false;  // the same attribute twice
        }
        return true;
    }

    // The namespace declarations among the attributes.
    bool BindNamespaces() {
        for (const RawAttr& a : attrs_) {
            std::string_view prefix;
            if (a.qname == "xmlns") {
                prefix = {};
            } else if (a.qname.starts_with("xmlns:")) {
                prefix = a.qname.substr(6);
                if (a.value.empty() || prefix == "xml" || prefix == "xmlns") return false;
            } else {
                continue;
            }
            if (a.value == kXmlNs || a.value == kXmlnsNs) return false;
            bindings_.push_back(
                {prefix, a.value, a.value.empty() ? Ns::None : ClassifyNs(a.value)});
        }
        return true;
    }

    // The other attributes by namespace and local name.
    bool SplitAttributes() {
        split_.clear();
        uris_.clear();
        for (const RawAttr& a : attrs_) {
            if (a.qname == "xmlns" || a.qname.starts_with("xmlns:")) continue;
            const std::size_t c = a.qname.find(':');
            Binding ab{{}, {}, Ns::None};
            if (c != std::string_view::npos && !Lookup(a.qname.substr(0, c), ab)) return false;
            const std::string_view alocal =
                c == std::string_view::npos ? a.qname : a.qname.substr(c + 1);
            // The same expanded name twice is malformed.
            for (std::size_t i = 0; i < split_.size(); ++i)
                if (split_[i].local == alocal && uris_[i] == ab.uri) return false;
            split_.push_back({ab.ns, alocal, a.value});
            uris_.push_back(ab.uri);
        }
        return true;
    }

    bool EndTag() {
        pos_ += 2;
        const std::string_view qname = QName();
        Blanks();
        if (open_.empty() || qname != open_.back().qname || !At('>')) return false;
        ++pos_;
        const OpenElem e = open_.back();
        open_.pop_back();
        bindings_.resize(e.bindings);
        h_.End(e.ns, e.local);
        return true;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    SaxHandler& h_;
    bool started_ = false;
    std::vector<Binding> bindings_;
    std::vector<OpenElem> open_;
    std::vector<RawAttr> attrs_;
    std::vector<std::string> decoded_;
    std::vector<XmlAttr> split_;
    std::vector<std::string_view> uris_;
};

}  // namespace

bool ScanTags(std::string_view xml, SaxHandler& handler) { return Scanner(xml, handler).Run(); }

}  // namespace pelmora::word::fmt
