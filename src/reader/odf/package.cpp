// OpenDocument text packages (.odt, .ott; ODF 1.2 Part 3): the mimetype
// entry says what the package is; content.xml holds the body and its
// automatic styles, styles.xml the common styles and the page styles with
// their headers and footers, meta.xml the title. Parts are streamed through
// expat, so paragraph 1 costs the start of content.xml and styles.xml.

#include "reader/zip/package.h"

#include <functional>
#include <memory>

#include "reader/document.h"
#include "reader/limits.h"
#include "reader/odf/odf.h"
#include "reader/openers.h"
#include "reader/text/utf8.h"
#include "reader/xml/sax.h"
#include "reader/xml/scan.h"

namespace pelmora::word {

namespace {

using fmt::Ns;
using fmt::SaxHandler;
using fmt::XmlAttrs;

constexpr std::string_view kMimePrefix = "application/vnd.oasis.opendocument.";

// content.xml: its automatic styles into the sheet, then the body's text.
class ContentHandler : public SaxHandler {
  public:
    ContentHandler(odf::StyleSheet* sheet, std::size_t wantParas, std::size_t wantSections,
                   bool facts)
        : text(wantParas, sheet, facts),
          styles_(sheet ? std::make_unique<odf::StyleReader>(*sheet, true, false) : nullptr),
          wantSections_(wantSections) {}

    odf::TextReader text;
    bool sawText = false;  // an office:text body
    bool notText = false;  // a body of another kind (spreadsheet, drawing...)
    bool ended = false;    // the body was read to its end

    void Start(Ns ns, std::string_view local, const XmlAttrs& a) override {
        ++depth_;
        if (bodyDepth_) {
            if (textDepth_) {
                text.Start(ns, local, a);
                if (text.full && text.sections.size() >= wantSections_) stop = true;
            } else if (ns == Ns::Office && depth_ == bodyDepth_ + 1) {
                // Handlers never throw through expat: the kind is judged after.
                if (local != "text") {
                    notText = true;
                    stop = true;
                    return;
                }
                sawText = true;
                textDepth_ = depth_;
            }
            return;
        }
        if (ns == Ns::Office && local == "body") {
            bodyDepth_ = depth_;
            return;
        }
        if (styles_) styles_->Start(ns, local, a);
    }
    void End(Ns ns, std::string_view local) override {
        if (textDepth_ && depth_ == textDepth_) {
            text.Done();
            ended = true;
            textDepth_ = 0;
        } else if (textDepth_) {
            text.End(ns, local);
        } else if (!bodyDepth_ && styles_) {
            styles_->End(ns, local);
        }
        --depth_;
    }
    void Text(std::string_view utf8) override {
        if (textDepth_) text.Text(utf8);
    }

  private:
    std::unique_ptr<odf::StyleReader> styles_;
    std::size_t wantSections_;
    int depth_ = 0, bodyDepth_ = 0, textDepth_ = 0;
};

// meta.xml: office:meta's dc:title.
class MetaReader : public SaxHandler {
  public:
    std::u16string title;
    void Start(Ns ns, std::string_view local, const XmlAttrs&) override {
        in_ = ns == Ns::Dc && local == "title";
    }
    void End(Ns, std::string_view) override {
        if (in_) stop = true;
        in_ = false;
    }
    void Text(std::string_view utf8) override {
        if (in_ && title.size() < kMaxTitleChars) fmt::AppendUtf8(title, utf8);
    }

  private:
    bool in_ = false;
};

// META-INF/manifest.xml: whether any part is encrypted.
class ManifestReader : public SaxHandler {
  public:
    bool encrypted = false;
    void Start(Ns ns, std::string_view local, const XmlAttrs&) override {
        if (ns == Ns::Manifest && local == "encryption-data") encrypted = true, stop = true;
    }
    void End(Ns, std::string_view) override {}
    void Text(std::string_view) override {}
};

// A header or footer story by page style, 'h' or 'f', and kind (0 to 2).
std::string StoryKey(const std::string& master, char part, std::size_t kind) {
    return master + '\x01' + part + static_cast<char>('0' + kind);
}

class OdfDocument final : public StoryDocument {
  public:
    // The kind of document is the body's (office:text); a package without
    // content.xml is none.
    explicit OdfDocument(std::unique_ptr<ZipPackage> pkg) : pkg_(std::move(pkg)) {
        if (!pkg_->Has("content.xml")) throw WordError("not a Word document: no content.xml");
    }

  private:
    // Formatting and sections need every style; the texts alone need only
    // to know where page styles change, which styles.xml seldom says.
    void Learn(std::size_t paragraphs, std::size_t sections) override {
        if (wantFacts_ || sections > 0)
            ReadStyles();
        else
            PeekStyles();
        const auto make = [&] {
            return std::make_unique<ContentHandler>(&sheet_, paragraphs,
                                                    std::max<std::size_t>(sections, 1), full_);
        };
        std::unique_ptr<ContentHandler> handler = make();
        try {
            ParseContent(handler, make);
        } catch (const WordError&) {
            if (Encrypted()) throw WordError("encrypted document");
            Keep(std::move(handler->text.paragraphs), {});
            throw;
        }
        ContentHandler& content = *handler;
        if (content.notText) throw WordError("OpenDocument file that is not a text document");
        if (!content.sawText) throw WordError("OpenDocument file without a text body");
        if (content.ended) {
            paragraphCount_ = content.text.count;
            sectionsComplete_ = full_;
        }
        Keep(std::move(content.text.paragraphs), SectionsLearnt(content.text.sections));
    }

    // content.xml through the fast scanner; where it is unsure, what comes
    // before the body (automatic styles, fonts) through the tag scanner and
    // the body through expat; all of it through expat where that too fails.
    void ParseContent(std::unique_ptr<ContentHandler>& content,
                      const std::function<std::unique_ptr<ContentHandler>()>& make) {
        if (ScanPart(*pkg_, "content.xml", *content)) return;
        content = make();
        std::unique_ptr<fmt::XmlStream> xml;
        std::string pending;
        pkg_->Read("content.xml", [&](const char* d, std::size_t n, bool last) {
            if (xml) return xml->Feed(d, n, last);
            pending.append(d, n);
            const std::size_t body = pending.find("<office:body");
            if (body == std::string::npos && !last && pending.size() <= kMaxScannedStyles)
                return true;
            const std::size_t root = pending.find("<office:document-content");
            const std::size_t rootEnd = root == std::string::npos ? root : pending.find('>', root);
            if (body != std::string::npos && rootEnd != std::string::npos && rootEnd < body) {
                const std::string prolog = pending.substr(0, body) + "</office:document-content>";
                if (fmt::ScanTags(prolog, *content)) {
                    xml = std::make_unique<fmt::XmlStream>(*content, "content.xml");
                    if (!xml->Feed(pending.data(), rootEnd + 1, false)) return false;
                    return xml->Feed(pending.data() + body, pending.size() - body, last);
                }
                content = make();  // what the scanner gave goes
            }
            xml = std::make_unique<fmt::XmlStream>(*content, "content.xml");
            return xml->Feed(pending.data(), pending.size(), last);
        });
    }

    // Sections are known once the page styles are.
    std::vector<Section> SectionsLearnt(const std::vector<std::string>& masters) {
        return full_ ? Sections(masters) : std::vector<Section>{};
    }

    // The page styles' sections; a body that names none shows "Standard",
    // or the first page style where there is no "Standard".
    std::vector<Section> Sections(const std::vector<std::string>& masters) {
        std::vector<Section> out;
        std::vector<std::string> names = masters;
        if (names.empty()) names.emplace_back();
        for (std::string& name : names) {
            if (name.empty() || !sheet_.masters.contains(name))
                name = sheet_.masters.contains("Standard") || sheet_.masterOrder.empty()
                           ? "Standard"
                           : sheet_.masterOrder.front();
            Section s;
            for (std::size_t k = 0; k < 3; ++k) {
                s.header[k] = StoryKey(name, 'h', k);
                s.footer[k] = StoryKey(name, 'f', k);
            }
            out.push_back(std::move(s));
        }
        return out;
    }

    // A pass of its own with formatting, frames' text boxes entered.
    std::vector<TextBox> LeadingTextBoxes(int maxBoxes) override {
        ReadStyles();
        std::vector<TextBox> boxes;
        const auto make = [&] {
            auto h = std::make_unique<ContentHandler>(&sheet_, kLeadingParagraphs, 1, true);
            h->text.boxes = &boxes;
            h->text.maxBoxes = static_cast<std::size_t>(std::max(maxBoxes, 0));
            return h;
        };
        std::unique_ptr<ContentHandler> handler = make();
        try {
            ParseContent(handler, make);
        } catch (const WordError&) {
            // Damage further on: the boxes before it stand.
        }
        std::erase_if(boxes, [](const TextBox& b) { return b.anchor >= kLeadingParagraphs; });
        return boxes;
    }

    // The first page shows its page style's style:header-first where it
    // has one, else its style:header.
    std::vector<ParagraphFacts> FirstPageHeaderParagraphs(int maxParagraphs) override {
        const Section* section = FirstSection();
        if (!section) return {};
        if (!storiesRead_) ReadStories();
        const Section& first = *section;
        return HeaderParagraphs(StoryOf(first.header[1]) ? first.header[1] : first.header[0],
                                maxParagraphs);
    }

    // The story a key names, when its page style has it.
    const std::optional<std::vector<std::u16string>>* StoryOf(const std::string& key) {
        const std::size_t sep = key.find('\x01');
        if (sep == std::string::npos || sep + 3 != key.size()) return nullptr;
        auto it = sheet_.masters.find(key.substr(0, sep));
        if (it == sheet_.masters.end()) return nullptr;
        const std::size_t k = static_cast<std::size_t>(key[sep + 2] - '0');
        if (k > 2) return nullptr;
        const auto& story = (key[sep + 1] == 'h' ? it->second.header : it->second.footer)[k];
        return story ? &story : nullptr;
    }

    std::u16string StoryText(const std::string& key) override {
        if (!storiesRead_) ReadStories();
        const std::size_t sep = key.find('\x01');
        if (sep == std::string::npos || sep + 3 != key.size()) return u"\r";
        auto it = sheet_.masters.find(key.substr(0, sep));
        if (it == sheet_.masters.end()) return u"\r";
        const std::size_t k = static_cast<std::size_t>(key[sep + 2] - '0');
        if (k > 2) return u"\r";
        return odf::StoryText((key[sep + 1] == 'h' ? it->second.header : it->second.footer)[k]);
    }

    std::u16string StoredTitle() override {
        MetaReader meta;
        ParsePart(*pkg_, "meta.xml", meta);
        return meta.title;
    }

    // styles.xml, held when small enough. For the texts alone it is enough
    // to know that no common style starts a page style or breaks a page,
    // as is the rule: then it is not read at all.
    void PeekStyles() {
        if (full_ || peeked_) return;
        peeked_ = true;
        PeekStylesBytes();
        for (std::string_view says : {"master-page-name", "break-before", "break-after"})
            if (styles_.empty() || styles_.find(says) != std::string::npos) return ReadStyles();
    }

    // Common and default styles and the page styles' names, through the tag
    // scanner, which expat stands in for wherever it is unsure; the headers
    // and footers only when asked (ReadStories). A damaged part leaves the
    // formatting unknown.
    void ReadStyles() {
        if (full_) return;
        full_ = true;
        if (!peeked_) {
            peeked_ = true;
            PeekStylesBytes();
        }
        // What a texts-only pass resolved without the common styles goes.
        sheet_ = odf::StyleSheet{};
        if (!styles_.empty()) {
            odf::StyleReader scanned(sheet_, false, false);
            if (fmt::ScanTags(styles_, scanned)) return;
            sheet_ = odf::StyleSheet{};
        }
        odf::StyleReader reader(sheet_, false, false);
        try {
            ParsePart(*pkg_, "styles.xml", reader);
        } catch (const WordError&) {
            sheet_.damaged = true;
        }
    }

    // styles.xml whole into styles_, or nothing when it is too big to hold.
    void PeekStylesBytes() {
        bool whole = false;
        try {
            pkg_->Read("styles.xml", [&](const char* d, std::size_t n, bool last) {
                if (styles_.size() + n > kMaxScannedStyles) return false;
                styles_.append(d, n);
                whole = last;
                return true;
            });
        } catch (const WordError&) {
            whole = false;
        }
        if (!whole) styles_.clear();
    }

    // The page styles' header and footer texts: office:master-styles alone
    // through expat, under the part's own root element (which declares the
    // namespaces), or the whole part where that cannot be cut out.
    void ReadStories() {
        storiesRead_ = true;
        ReadStyles();
        odf::StyleReader reader(sheet_, false, true);
        const std::size_t masters = styles_.find("<office:master-styles");
        const std::size_t root = styles_.find("<office:document-styles");
        const std::size_t rootEnd = root == std::string::npos ? root : styles_.find('>', root);
        if (masters != std::string::npos && rootEnd != std::string::npos && rootEnd < masters) {
            std::string part = styles_.substr(0, rootEnd + 1);
            const std::size_t end = styles_.find("</office:master-styles>", masters);
            if (end != std::string::npos) {
                part.append(styles_, masters, end + 23 - masters);
                part += "</office:document-styles>";
                try {
                    fmt::XmlStream xml(reader, "styles.xml");
                    xml.Feed(part.data(), part.size(), true);
                    return;
                } catch (const WordError&) {
                    // The whole part decides.
                }
            }
        }
        try {
            ParsePart(*pkg_, "styles.xml", reader);
        } catch (const WordError&) {
            sheet_.damaged = true;
        }
    }

    bool Encrypted() {
        ManifestReader manifest;
        try {
            ParsePart(*pkg_, "META-INF/manifest.xml", manifest);
        } catch (const WordError&) {
        }
        return manifest.encrypted;
    }

    std::unique_ptr<ZipPackage> pkg_;
    odf::StyleSheet sheet_;
    bool peeked_ = false;       // styles.xml read into styles_ (when small enough)
    bool full_ = false;         // its styles are in the sheet
    bool storiesRead_ = false;  // ... and its headers and footers
    std::string styles_;        // styles.xml when it is small enough to hold
};

}  // namespace

namespace {

// The text of the first entry when it is "mimetype", stored (ODF 1.2 Part
// 3, 3.3): after the local header, the name and any extra field.
std::string_view HeadMime(std::string_view head) {
    if (head.size() < 30 || !head.starts_with("PK\x03\x04")) return {};
    const auto u16 = [&](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(head[at])) |
               static_cast<std::size_t>(static_cast<unsigned char>(head[at + 1])) << 8;
    };
    const std::size_t name = u16(26), extra = u16(28), size = u16(18);
    if (u16(8) != 0 || name != 8 || head.substr(30, 8) != "mimetype") return {};
    return head.substr(std::min(head.size(), 30 + name + extra), size);
}

}  // namespace

bool IsOpenDocumentHead(std::string_view head) { return HeadMime(head).starts_with(kMimePrefix); }

bool IsOpenDocumentTextHead(std::string_view head) {
    const std::string_view mime = HeadMime(head);
    return mime == "application/vnd.oasis.opendocument.text" ||
           mime == "application/vnd.oasis.opendocument.text-template" ||
           mime == "application/vnd.oasis.opendocument.text-master";
}

std::unique_ptr<DocumentImpl> OpenOdfSource(std::unique_ptr<ByteSource> src) {
    return std::make_unique<OdfDocument>(ZipPackage::FromSource(std::move(src)));
}

std::unique_ptr<DocumentImpl> OpenOdfBytes(std::string bytes) {
    return std::make_unique<OdfDocument>(ZipPackage::FromBytes(std::move(bytes)));
}

std::unique_ptr<DocumentImpl> OpenOdfDocument(const std::string& path) {
    return std::make_unique<OdfDocument>(ZipPackage::FromFile(path));
}

}  // namespace pelmora::word
