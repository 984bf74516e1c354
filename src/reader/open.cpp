#include "reader/open.h"

#include <cstring>
#include <memory>
#include <string>

#include "reader/binary/worddoc.h"
#include "reader/openers.h"
#include "reader/text/ascii.h"

namespace pelmora::word {

namespace {

static_assert(kSniffBytes == BlockCache::kBlockSize,
              "the head Sniff judges is the first block the binary reader caches");

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

bool LooksLikeHtml(std::string_view s) {
    // Comments may come first in exported pages.
    for (int guard = 0; guard < 16 && s.starts_with("<!--"); ++guard) {
        std::size_t e = s.find("-->");
        if (e == std::string_view::npos) return false;
        s.remove_prefix(e + 3);
        while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    }
    std::string head = fmt::AsciiLower(s.substr(0, 64));
    if (head.starts_with("<?xml")) {
        // An XHTML page: look for the html element a little further on.
        std::string more = fmt::AsciiLower(s.substr(0, 1024));
        return more.find("<html") != std::string::npos;
    }
    // Web systems that export "Word files" often send a bare fragment.
    for (const char* tag :
         {"<html", "<!doctype html", "<head", "<body", "<meta", "<title", "<div", "<table", "<p>",
          "<p ", "<style", "<h1", "<h2", "<h3", "<font", "<span", "<center"})
        if (head.starts_with(tag)) return true;
    return false;
}

bool LooksLikeMime(std::string_view s) {
    // MHT: RFC 822 headers, one of them MIME-Version, before the first blank line.
    std::size_t end = s.find("\r\n\r\n");
    std::size_t end2 = s.find("\n\n");
    if (end == std::string_view::npos || (end2 != std::string_view::npos && end2 < end)) end = end2;
    std::string headers =
        fmt::AsciiLower(s.substr(0, end == std::string_view::npos ? s.size() : end));
    return headers.starts_with("mime-version:") ||
           headers.find("\nmime-version:") != std::string::npos;
}

}  // namespace

std::size_t TextStart(std::string_view bytes, bool* utf16) {
    bytes = bytes.substr(0, kSniffBytes);
    std::size_t i = 0;
    bool wide = false, bigEndian = false;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        i = 3;
    } else if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        wide = true;
        bigEndian = bytes[0] == '\xFE';
        i = 2;
    }
    if (utf16) *utf16 = wide;
    if (!wide) {
        while (i < bytes.size() && IsBlank(bytes[i])) ++i;
        return i;
    }
    while (i + 1 < bytes.size()) {
        const char lo = bigEndian ? bytes[i + 1] : bytes[i];
        const char hi = bigEndian ? bytes[i] : bytes[i + 1];
        if (hi != '\0' || !IsBlank(lo)) break;
        i += 2;
    }
    return i;
}

Format Sniff(std::string_view head) {
    head = head.substr(0, kSniffBytes);
    if (head.empty()) return Format::Empty;
    if (head.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return Format::Compound;
    if (head.starts_with("PK\x03\x04") || head.starts_with("PK\x05\x06")) return Format::Zip;
    if (head.starts_with("\xFF\x57\x50\x43")) return Format::WordPerfect;
    // WPS for DOS 1.x-3.x and WPS NT: a 1024-byte header whose first two
    // bytes are the version (1 to 4) and 0xFF.
    if (head.size() >= 2 && head[0] >= 1 && head[0] <= 4 && head[1] == '\xFF')
        return Format::OldWps;
    // wIdent 0xA5DB (Word 2), 0xA59B (Word 1), Word for DOS, Mac Word 4 and 5.
    using namespace std::string_view_literals;
    for (std::string_view sig : {"\xDB\xA5"sv, "\x9B\xA5"sv, "\x31\xBE\x00\x00"sv,
                                 "\xFE\x37\x00\x1C"sv, "\xFE\x37\x00\x23"sv})
        if (head.starts_with(sig)) return Format::Word2OrOlder;

    bool utf16 = false;
    std::string_view s = head.substr(TextStart(head, &utf16));
    std::string narrow;
    if (utf16) {
        // A UTF-16 page: its ASCII letters are enough to judge it.
        for (char c : s)
            if (c != '\0') narrow.push_back(c);
        s = narrow;
    }
    if (!utf16 && s.starts_with("{\\rtf")) return Format::Rtf;
    if (s.starts_with("<?xml") &&
        s.find("schemas.microsoft.com/office/word/2003/wordml") != std::string_view::npos &&
        s.find(":wordDocument") != std::string_view::npos)
        return Format::WordXml;
    if (LooksLikeHtml(s) || LooksLikeMime(s)) return Format::Web;
    if (s.starts_with("<")) return Format::Xml;
    // WPS 97 marks its text block "[WPSTEXT]" (pictures may come first).
    if (head.find("[WPSTEXT]") != std::string_view::npos) return Format::OldWps;
    return Format::Unknown;
}

const char* Reason(Format format) {
    switch (format) {
        case Format::Empty:
            return "empty file";
        case Format::Compound:
        case Format::Zip:
        case Format::Rtf:
        case Format::Web:
        case Format::WordXml:
            return "";
        case Format::Xml:
            return "XML or markup file, not a Word document";
        case Format::Word2OrOlder:
            return "Word 2.0 or older document (not supported)";
        case Format::WordPerfect:
            return "WordPerfect document, not a Word document";
        case Format::OldWps:
            return kOldWpsReason;
        case Format::Unknown:
            break;
    }
    return "not a Word document";
}

namespace {

// One source for two readers in turn.
class SharedSource final : public ByteSource {
  public:
    explicit SharedSource(std::shared_ptr<ByteSource> src) : src_(std::move(src)) {}
    uint64_t Size() const override { return src_->Size(); }
    size_t ReadAt(uint64_t off, void* dst, size_t n) override { return src_->ReadAt(off, dst, n); }
    std::string Path() const override { return src_->Path(); }

  private:
    std::shared_ptr<ByteSource> src_;
};

// A ZIP package: OpenDocument when its mimetype entry comes first, as the
// format asks; else Office Open XML, and OpenDocument after all when the
// package holds no Word document (a mimetype entry elsewhere).
std::unique_ptr<DocumentImpl> OpenPackage(std::unique_ptr<ByteSource> src, std::string_view head) {
    if (IsOpenDocumentHead(head)) {
        if (!IsOpenDocumentTextHead(head))
            throw WordError("OpenDocument file that is not a text document");
        return OpenOdfSource(std::move(src));
    }
    const std::shared_ptr<ByteSource> shared = std::move(src);
    try {
        return OpenOoxmlSource(std::make_unique<SharedSource>(shared));
    } catch (const WordError& word) {
        if (std::string_view(word.what()).find("no word/document.xml") == std::string_view::npos)
            throw;
        try {
            return OpenOdfSource(std::make_unique<SharedSource>(shared));
        } catch (const WordError& odf) {
            if (std::string_view(odf.what()).starts_with("OpenDocument")) throw;
        }
        throw;
    }
}

bool HasWpsName(const std::string& path) {
    if (path.size() < 5) return false;
    const std::string ext = fmt::AsciiLower(std::string_view(path).substr(path.size() - 4));
    return ext == ".wps" || ext == ".wpt";
}

}  // namespace

std::unique_ptr<DocumentImpl> Open(std::unique_ptr<ByteSource> src) {
    // One read of the first block serves the format check and the binary reader.
    unsigned char head[kSniffBytes];
    const size_t n = src->ReadAt(0, head, sizeof head);
    const Format format = Sniff(std::string_view(reinterpret_cast<const char*>(head), n));
    const bool wpsName = HasWpsName(src->Path());
    switch (format) {
        case Format::Compound:
            if (!wpsName) return std::make_unique<BinaryDocument>(std::move(src), head, n);
            try {
                return std::make_unique<BinaryDocument>(std::move(src), head, n);
            } catch (const WordError& e) {
                // A compound file without Word inside: WPS 2000 or Works.
                if (std::string_view(e.what()).find("no WordDocument stream") !=
                    std::string_view::npos)
                    throw WordError(kOldWpsReason);
                throw;
            }
        case Format::Zip:
            return OpenPackage(std::move(src),
                               std::string_view(reinterpret_cast<const char*>(head), n));
        case Format::Rtf:
            return OpenRtfBytes(ReadAll(*src, kMaxRtfBytes));
        case Format::Web: {
            std::string path = src->Path();
            return OpenWebBytes(ReadAll(*src, kMaxWebBytes), std::move(path));
        }
        case Format::WordXml:
            return OpenWordXmlBytes(ReadAll(*src, kMaxPartBytes));
        case Format::Unknown:
            if (wpsName) throw WordError(kOldWpsReason);
            break;
        default:
            break;
    }
    throw WordError(Reason(format));
}

}  // namespace pelmora::word
