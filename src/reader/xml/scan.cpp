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

// Where the characters from raw[i] that stand as they are end: at the
// first '&', '<', control character, or for text, where tabs and newlines
// stand but "]]>" is refused, ']'; in a value, at a tab or newline too.
// npos for broken UTF-8 or a character XML refuses.
std::size_t PlainEnd(std::string_view raw, std::size_t i, bool text) {
    while (i < raw.size()) {
        const auto c = static_cast<unsigned char>(raw[i]);
        if (c >= 0x80) {
            const std::size_t n = Utf8Char(raw.substr(i));
            if (n == 0) return std::string_view::npos;
            i += n;
        } else if (text && (c == '\t' || c == '\n')) {
            ++i;
        } else if (c < 0x20 || c == '&' || c == '<' || (text && c == ']')) {
            return i;
        } else {
            ++i;
        }
    }
    return i;
}

struct Binding {
    std::string prefix;  // empty for the default namespace
    std::string uri;     // empty: no namespace
    Ns ns;
};

struct RawAttr {
    std::string_view qname, value;
    int decoded = -1;  // index into the decoded values, when the value needed it
};

// Owned: the bytes it came from may be gone when its end tag comes.
struct OpenElem {
    std::string qname;
    std::size_t localAt;
    Ns ns;
    std::size_t bindings;  // bindings in force before it
};

using Result = MarkupScanner::Result;

}  // namespace

// One part, in as many pieces as it comes in. A token cut by the end of a
// piece waits, with what follows it, for the next piece.
class MarkupScanner::Scanner {
  public:
    Scanner(SaxHandler& handler, bool text) : h_(handler), text_(text) {}

    Result Feed(std::string_view piece, bool last) {
        if (state_ != Result::More) return state_;
        // A token cut short stays so until the character that ends it comes.
        if (wait_ && !last && !std::memchr(piece.data(), wait_, piece.size())) {
            tail_.append(piece);
            if (tail_.size() > kMaxHeldBytes) state_ = Result::GaveUp;
            return state_;
        }
        wait_ = 0;
        const bool held = !tail_.empty();
        std::string_view all = piece;
        if (held) {
            tail_.append(piece);
            all = tail_;
        }
        s_ = all;
        pos_ = 0;
        last_ = last;
        state_ = Run();
        if (state_ == Result::More) {
            // A token read again and again (a value full of '>') goes to expat.
            stalls_ = held && pos_ == 0 ? stalls_ + 1 : 0;
            if (last || stalls_ > kMaxStalls || all.size() - pos_ > kMaxHeldBytes)
                return state_ = Result::GaveUp;
            if (tail_.empty())
                tail_.assign(all.substr(pos_));
            else
                tail_.erase(0, pos_);
        } else {
            tail_.clear();
        }
        return state_;
    }

  private:
    // A token longer than this is left to expat, which reads it in pieces.
    // (Word keeps a drawing's preview in one attribute: a megabyte or more.)
    static constexpr std::size_t kMaxHeldBytes = 4u << 20;
    static constexpr int kMaxStalls = 64;
    enum class Phase { Begin, Declaration, Prolog, Body, Epilog };

    // The tokens of this piece, as far as they are whole.
    Result Run() {
        while (true) {
            if (h_.stop) return Result::Done;
            if (phase_ == Phase::Begin) {
                if (!Whole(6)) return Result::More;
                if (Next("\xEF\xBB\xBF")) pos_ += 3;
                phase_ = Phase::Declaration;
            }
            if (phase_ == Phase::Declaration) {
                if (!Whole(6)) return Result::More;
                if (Next("<?xml") && pos_ + 5 < s_.size() && IsSpace(s_[pos_ + 5])) {
                    if (s_.find("?>", pos_) == std::string_view::npos) return Cut();
                    if (!Declaration()) return Result::GaveUp;
                }
                phase_ = Phase::Prolog;
            }
            if (phase_ != Phase::Body) {
                // Before and after the root: blanks, comments, processing instructions.
                Blanks();
                if (pos_ == s_.size()) {
                    if (!last_) return Result::More;
                    return phase_ == Phase::Epilog ? Result::Done : Result::GaveUp;
                }
                if (!At('<')) return Result::GaveUp;
                if (!Whole(4)) return Result::More;
                if (Next("<!--")) {
                    if (const Result r = Comment(); r != Result::Done) return r;
                } else if (Next("<?")) {
                    if (const Result r = Pi(); r != Result::Done) return r;
                } else if (phase_ == Phase::Epilog || Next("<!")) {
                    return Result::GaveUp;  // a second root, a DTD or something stranger
                } else if (const Result r = StartTag(); r != Result::Done) {
                    return r;
                }
                continue;
            }
            if (!At('<')) {
                if (const Result r = Text(); r != Result::Done) return r;
                continue;
            }
            if (!Whole(9)) return Result::More;  // enough to tell "<![CDATA[" and "<!--"
            Result r;
            if (Next("</")) {
                r = EndTag();
            } else if (Next("<!--")) {
                r = Comment();
            } else if (Next("<![CDATA[")) {
                r = Cdata();
            } else if (Next("<?")) {
                r = Pi();
            } else if (Next("<!")) {
                r = Result::GaveUp;  // a DTD or something stranger
            } else {
                r = StartTag();
            }
            if (r != Result::Done) return r;
        }
    }

    // Whether n bytes from here are in, or all there will be.
    bool Whole(std::size_t n) const { return last_ || s_.size() - pos_ >= n; }
    // A token that runs on past the end of what came: more, unless nothing
    // more comes. All but text end in '>'.
    Result Cut(char ends = '>') {
        wait_ = ends;
        return last_ ? Result::GaveUp : Result::More;
    }
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

    Result Comment() {
        const std::size_t dashes = s_.find("--", pos_ + 4);
        if (dashes == std::string_view::npos || dashes + 2 >= s_.size()) return Cut();
        if (s_[dashes + 2] != '>') return Result::GaveUp;
        pos_ = dashes + 3;
        return Result::Done;
    }

    Result Pi() {
        const std::size_t end = s_.find("?>", pos_ + 2);
        if (end == std::string_view::npos) return Cut();
        pos_ += 2;
        const std::string_view target = QName();
        if (target.empty() || target.find(':') != std::string_view::npos) return Result::GaveUp;
        if (target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' &&
            (target[2] | 0x20) == 'l')
            return Result::GaveUp;
        if (!Next("?>") && !(pos_ < s_.size() && IsSpace(s_[pos_]))) return Result::GaveUp;
        pos_ = end + 2;
        return Result::Done;
    }

    Result Cdata() {
        const std::size_t end = s_.find("]]>", pos_ + 9);
        if (end == std::string_view::npos) return Cut();
        const std::string_view content = s_.substr(pos_ + 9, end - pos_ - 9);
        pos_ = end + 3;
        if (!text_) return Result::Done;
        // Taken as it stands: no references here.
        text_buffer_.clear();
        for (std::size_t i = 0; i < content.size();) {
            if (content[i] == '\r') {
                LineEnd(content, i, text_buffer_);
                continue;
            }
            const std::size_t n = Utf8Char(content.substr(i));
            if (n == 0) return Result::GaveUp;
            text_buffer_.append(content.substr(i, n));
            i += n;
        }
        if (!text_buffer_.empty()) h_.Text(text_buffer_);
        return Result::Done;
    }

    // A line end in text as expat gives it: "\r\n" and a lone "\r" are "\n".
    static void LineEnd(std::string_view raw, std::size_t& i, std::string& out) {
        out += '\n';
        i += i + 1 < raw.size() && raw[i + 1] == '\n' ? 2 : 1;
    }

    // Text up to the next tag; given to the handler when text is asked for.
    Result Text() {
        const void* lt = std::memchr(s_.data() + pos_, '<', s_.size() - pos_);
        if (!lt) return Cut('<');  // at the end: elements left open
        const auto end = static_cast<std::size_t>(static_cast<const char*>(lt) - s_.data());
        const std::string_view raw = s_.substr(pos_, end - pos_);
        pos_ = end;
        if (!text_) return Result::Done;
        const std::size_t plain = PlainEnd(raw, 0, true);
        if (plain == std::string_view::npos) return Result::GaveUp;
        if (plain == raw.size()) {
            if (!raw.empty()) h_.Text(raw);
            return Result::Done;
        }
        // References and line ends: the text decoded as a whole.
        if (!Decode(raw, text_buffer_, true)) return Result::GaveUp;
        if (!text_buffer_.empty()) h_.Text(text_buffer_);
        return Result::Done;
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

    // A reference at raw[i] ('&'), appended to out as expat gives it; i
    // moves past it. False for anything it would refuse or we doubt.
    static bool Reference(std::string_view raw, std::size_t& i, std::string& out) {
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
        return true;
    }

    // A value (or with `text`, text) as expat gives it: references
    // replaced; in a value, blanks turned to spaces; in text, line ends made
    // "\n" and the rest as it stands.
    static bool Decode(std::string_view raw, std::string& out, bool text) {
        out.clear();
        for (std::size_t i = 0; i < raw.size();) {
            const std::size_t plain = PlainEnd(raw, i, text);
            if (plain == std::string_view::npos) return false;
            out.append(raw.substr(i, plain - i));
            i = plain;
            if (i == raw.size()) break;
            const char c = raw[i];
            if (c == '&') {
                if (!Reference(raw, i, out)) return false;
            } else if (c == '\r' && text) {
                LineEnd(raw, i, out);
            } else if (c == '\r') {
                out += ' ';
                i += i + 1 < raw.size() && raw[i + 1] == '\n' ? 2 : 1;
            } else if ((c == '\t' || c == '\n') && !text) {
                out += ' ';
                ++i;
            } else if (c == ']' && text && !raw.substr(i).starts_with("]]>")) {
                out += c;
                ++i;
            } else {
                return false;  // '<', "]]>" or a control character
            }
        }
        return true;
    }

    // Where a prefix is bound, innermost first; null when it is not.
    const Binding* Lookup(std::string_view prefix) const {
        static const Binding kXml{"xml", std::string(kXmlNs), Ns::Other};
        static const Binding kNone{{}, {}, Ns::None};
        for (std::size_t i = bindings_.size(); i-- > 0;)
            if (bindings_[i].prefix == prefix) return &bindings_[i];
        if (prefix == "xml") return &kXml;
        if (prefix.empty()) return &kNone;
        return nullptr;
    }

    // A start tag; where it is cut short, nothing is bound or reported yet.
    Result StartTag() {
        const std::size_t from = pos_;
        const std::size_t bindingsBefore = bindings_.size();
        ++pos_;
        const Result r = ReadStartTag(bindingsBefore);
        if (r == Result::Done) return r;
        bindings_.resize(bindingsBefore);
        pos_ = from;
        return TagCut(from) ? Cut() : Result::GaveUp;
    }

    Result ReadStartTag(std::size_t bindingsBefore) {
        const std::string_view qname = QName();
        if (qname.empty()) return Result::GaveUp;
        bool closed = false;
        if (!ReadAttributes(closed) || !BindNamespaces()) return Result::GaveUp;

        const std::size_t colon = qname.find(':');
        const std::string_view prefix =
            colon == std::string_view::npos ? "" : qname.substr(0, colon);
        const Binding* b = prefix == "xmlns" ? nullptr : Lookup(prefix);
        if (!b) return Result::GaveUp;
        const std::size_t localAt = colon == std::string_view::npos ? 0 : colon + 1;
        const std::string_view local = qname.substr(localAt);
        if (!SplitAttributes()) return Result::GaveUp;

        if (open_.size() + 1 > static_cast<std::size_t>(kMaxNesting)) return Result::GaveUp;
        const Ns ns = b->ns;
        h_.Start(ns, local, XmlAttrs(split_.data(), split_.size()));
        if (closed) {
            if (!h_.stop) h_.End(ns, local);
            bindings_.resize(bindingsBefore);
            if (open_.empty()) phase_ = Phase::Epilog;
        } else {
            open_.push_back({std::string(qname), localAt, ns, bindingsBefore});
            phase_ = Phase::Body;
        }
        return Result::Done;
    }

    // Whether the tag at `from` runs on past what came: no '>' outside quotes.
    bool TagCut(std::size_t from) const {
        for (std::size_t i = from + 1; i < s_.size(); ++i) {
            const char c = s_[i];
            if (c == '>') return false;
            if (c == '"' || c == '\'') {
                const std::size_t q = s_.find(c, i + 1);
                if (q == std::string_view::npos) return true;
                i = q;
            }
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
            const std::size_t plain = PlainEnd(a.value, 0, false);
            if (plain == std::string_view::npos) return false;
            if (plain < a.value.size()) {
                if (decodedCount == decoded_.size()) decoded_.emplace_back();
                if (!Decode(a.value, decoded_[decodedCount], false)) return false;
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
            bindings_.push_back({std::string(prefix), std::string(a.value),
                                 a.value.empty() ? Ns::None : ClassifyNs(a.value)});
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
            const Binding* ab =
                c == std::string_view::npos ? nullptr : Lookup(a.qname.substr(0, c));
            if (c != std::string_view::npos && !ab) return false;
            const std::string_view uri = ab ? std::string_view(ab->uri) : std::string_view();
            const std::string_view alocal =
                c == std::string_view::npos ? a.qname : a.qname.substr(c + 1);
            // The same expanded name twice is malformed.
            for (std::size_t i = 0; i < split_.size(); ++i)
                if (split_[i].local == alocal && uris_[i] == uri) return false;
            split_.push_back({ab ? ab->ns : Ns::None, alocal, a.value});
            uris_.push_back(uri);
        }
        return true;
    }

    Result EndTag() {
        const std::size_t from = pos_;
        pos_ += 2;
        const std::string_view qname = QName();
        Blanks();
        if (!At('>')) {
            pos_ = from;
            return std::memchr(s_.data() + from, '>', s_.size() - from) ? Result::GaveUp : Cut();
        }
        if (open_.empty() || qname != open_.back().qname) return Result::GaveUp;
        ++pos_;
        const OpenElem e = std::move(open_.back());
        open_.pop_back();
        bindings_.resize(e.bindings);
        if (open_.empty()) phase_ = Phase::Epilog;
        h_.End(e.ns, std::string_view(e.qname).substr(e.localAt));
        return Result::Done;
    }

    SaxHandler& h_;
    const bool text_;
    Result state_ = Result::More;
    Phase phase_ = Phase::Begin;
    std::string tail_;  // what of the last piece waits for the next
    char wait_ = 0;     // what ends the token cut short there
    int stalls_ = 0;    // pieces that came and did not end it
    std::string_view s_;
    std::size_t pos_ = 0;
    bool last_ = false;
    std::vector<Binding> bindings_;
    std::vector<OpenElem> open_;
    std::vector<RawAttr> attrs_;
    std::vector<std::string> decoded_;
    std::string text_buffer_;
    std::vector<XmlAttr> split_;
    std::vector<std::string_view> uris_;
};

MarkupScanner::MarkupScanner(SaxHandler& handler)
    : scanner_(std::make_unique<Scanner>(handler, true)) {}
MarkupScanner::~MarkupScanner() = default;

MarkupScanner::Result MarkupScanner::Feed(std::string_view piece, bool last) {
    return scanner_->Feed(piece, last);
}

bool ScanTags(std::string_view xml, SaxHandler& handler) {
    return MarkupScanner::Scanner(handler, false).Feed(xml, true) == MarkupScanner::Result::Done;
}

}  // namespace pelmora::word::fmt
