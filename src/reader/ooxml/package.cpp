// Office Open XML word-processing packages (.docx, .docm, .dotx): ZIP through
// zip/package.h, parts streamed through expat so that paragraph 1 costs only the
// start of word/document.xml; the main part's stories are read by body.cpp.

#include "reader/zip/package.h"

#include <climits>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "reader/document.h"
#include "reader/ooxml/wordml.h"
#include "reader/open.h"
#include "reader/openers.h"
#include "reader/story.h"
#include "reader/text/ascii.h"
#include "reader/text/utf8.h"
#include "reader/xml/sax.h"
#include "reader/xml/scan.h"

namespace pelmora::word {

namespace {

using fmt::Ns;
using fmt::SaxHandler;
using fmt::XmlAttrs;
using fmt::XmlStream;

using Package = ZipPackage;

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// ---------------------------------------------------------- relationships

struct Relationship {
    std::string type;
    std::string target;  // resolved part name, empty when external
};

class RelsReader : public SaxHandler {
  public:
    std::map<std::string, Relationship> rels;
    std::string base;  // folder of the source part, "" for the package root

    void Start(Ns ns, std::string_view local, const XmlAttrs& a) override {
        if (ns != Ns::PkgRel || local != "Relationship") return;
        if (rels.size() >= static_cast<std::size_t>(kMaxZipEntries)) return;
        Relationship r;
        r.type = std::string(a.Get(Ns::None, "Type"));
        if (fmt::AsciiLower(a.Get(Ns::None, "TargetMode")) != "external")
            r.target = Resolve(base, a.Get(Ns::None, "Target"));
        rels.emplace(std::string(a.Get(Ns::None, "Id")), std::move(r));
    }
    void End(Ns, std::string_view) override {}
    void Text(std::string_view) override {}

    static std::string Resolve(const std::string& base, std::string_view target) {
        std::vector<std::string> parts;
        auto push = [&](std::string_view path) {
            std::size_t i = 0;
            while (i <= path.size()) {
                std::size_t j = path.find('/', i);
                if (j == std::string_view::npos) j = path.size();
                std::string_view seg = path.substr(i, j - i);
                if (seg == "..") {
                    if (!parts.empty()) parts.pop_back();
                } else if (!seg.empty() && seg != ".") {
                    parts.emplace_back(seg);
                }
                i = j + 1;
            }
        };
        if (target.empty()) return {};
        if (target.front() != '/') push(base);
        push(target);
        std::string out;
        for (const auto& p : parts) {
            if (!out.empty()) out += '/';
            out += p;
        }
        return out;
    }
};

std::string FolderOf(const std::string& part) {
    std::size_t s = part.rfind('/');
    return s == std::string::npos ? std::string() : part.substr(0, s);
}

std::string RelsPartOf(const std::string& part) {
    std::size_t s = part.rfind('/');
    if (s == std::string::npos) return "_rels/" + part + ".rels";
    return part.substr(0, s) + "/_rels/" + part.substr(s + 1) + ".rels";
}

std::map<std::string, Relationship> ReadRels(const Package& pkg, const std::string& sourcePart) {
    RelsReader r;
    r.base = FolderOf(sourcePart);
    ParsePart(pkg, sourcePart.empty() ? "_rels/.rels" : RelsPartOf(sourcePart), r);
    return r.rels;
}

// The main document part: the package's officeDocument relationship, else
// word/document.xml. Empty when the package holds no Word document.
// `coreProperties` gets the core properties part the package names.
std::string FindMainPart(const Package& pkg, std::string* coreProperties = nullptr) {
    std::vector<std::string> candidates;
    try {
        for (const auto& [id, rel] : ReadRels(pkg, "")) {
            if (rel.type.ends_with("/officeDocument") && !rel.target.empty())
                candidates.push_back(rel.target);
            if (coreProperties && rel.type.ends_with("/core-properties") && !rel.target.empty())
                *coreProperties = rel.target;
        }
    } catch (const WordError&) {
        // A damaged _rels/.rels: Word falls back on the usual name too.
    }
    candidates.emplace_back("word/document.xml");
    for (const auto& c : candidates) {
        if (!pkg.Has(c)) continue;
        ooxml::RootCheck check("document");
        try {
            ParsePart(pkg, c, check);
        } catch (const WordError&) {
            if (!check.stop) throw;
        }
        if (check.isDocument) return c;
    }
    return {};
}

class PackageDocument final : public ooxml::WordMlDocument {
  public:
    explicit PackageDocument(std::unique_ptr<Package> pkg) : pkg_(std::move(pkg)) {
        main_ = FindMainPart(*pkg_, &coreProperties_);
        if (main_.empty()) throw WordError("not a Word document: no word/document.xml");
    }

  private:
    void ParseMain(SaxHandler& handler) override { ParsePart(*pkg_, main_, handler); }
    bool ScanMain(SaxHandler& handler) override { return ScanPart(*pkg_, main_, handler); }
    void Prepare(ooxml::StoryReader& r) override {
        r.altChunk = [this](const std::string& id) { return AltChunk(id); };
    }

    // word/styles.xml, read once.
    ooxml::Styles& LoadStyles() override {
        if (stylesLoaded_) return styles_;
        stylesLoaded_ = true;
        // Word names it so beside the main part; other writers say where.
        std::string part = FolderOf(main_) + "/styles.xml";
        if (!pkg_->Has(part)) part = PartOfType("/styles", "word/styles.xml");
        if (part.empty()) return styles_;
        // The fast scanner takes what it can; expat decides the rest.
        std::string bytes;
        bool whole = false;
        try {
            pkg_->Read(part, [&](const char* d, std::size_t n, bool last) {
                if (bytes.size() + n > kMaxScannedStyles) return false;
                bytes.append(d, n);
                whole = last;
                return true;
            });
        } catch (const WordError&) {
            styles_.damaged = true;
            return styles_;
        }
        if (whole) {
            ooxml::StylesReader reader(styles_);
            if (fmt::ScanTags(bytes, reader)) return styles_;
            styles_ = ooxml::Styles{};
        }
        ooxml::StylesReader reader(styles_);
        try {
            ParsePart(*pkg_, part, reader);
        } catch (const WordError&) {
            styles_.damaged = true;
        }
        return styles_;
    }

    // The target of the main part's relationship of that type, else the usual name.
    std::string PartOfType(std::string_view type, const std::string& usual) {
        if (!rels_) Target("");
        for (const auto& [id, rel] : *rels_)
            if (rel.type.ends_with(type) && !rel.target.empty() && pkg_->Has(rel.target))
                return rel.target;
        return pkg_->Has(usual) ? usual : std::string();
    }

    // dc:title of the core properties part.
    std::u16string StoredTitle() override {
        const std::string part =
            coreProperties_.empty() ? std::string("docProps/core.xml") : coreProperties_;
        if (!pkg_->Has(part)) return {};
        struct TitleReader : SaxHandler {
            std::u16string title;
            bool in = false;
            void Start(Ns ns, std::string_view local, const XmlAttrs&) override {
                in = ns == Ns::Dc && local == "title";
            }
            void End(Ns, std::string_view) override {
                if (in) stop = true;
            }
            void Text(std::string_view utf8) override {
                if (in && title.size() < kMaxTitleChars) fmt::AppendUtf8(title, utf8);
            }
        } reader;
        ParsePart(*pkg_, part, reader);
        return reader.title;
    }

    // Section 1 from its w:sectPr alone, found without parsing the body;
    // the full pass of the base when the search cannot tell.
    std::vector<ParagraphFacts> FirstPageHeaderParagraphs(int maxParagraphs) override {
        std::optional<ooxml::SectionRefs> first = FirstSectionRefs();
        if (!first) return WordMlDocument::FirstPageHeaderParagraphs(maxParagraphs);
        const std::string& id = first->header[first->titlePage ? 1 : 0];
        if (id.empty()) return {};
        return HeaderParagraphs("rel:" + id, maxParagraphs);
    }

    // A header part read with formatting.
    std::vector<ParagraphFacts> HeaderParagraphs(const std::string& key,
                                                 int maxParagraphs) override {
        if (!key.starts_with("rel:")) return WordMlDocument::HeaderParagraphs(key, maxParagraphs);
        const std::string target = Target(key.substr(4));
        if (target.empty()) return {};
        ooxml::StoryReader r(static_cast<std::size_t>(maxParagraphs), SIZE_MAX, &LoadStyles());
        try {
            ParsePart(*pkg_, target, r);
        } catch (const WordError&) {
            if (r.paragraphs.empty()) throw;  // else what came before the damage
        }
        if (r.paragraphs.size() == 1 && r.paragraphs[0].text == u"\r") r.paragraphs.clear();
        return std::move(r.paragraphs);
    }

    // The first w:sectPr of the main part, cut out of its bytes by a plain
    // search (markup never holds a '<' in text or attribute values, so the
    // first "<w:sectPr" is an element) and parsed on its own under the
    // root element's namespace declarations. Nothing when unsure: a prefix
    // that is not declared on the root, another encoding, no end found;
    // WordError when the part is damaged before it.
    std::optional<ooxml::SectionRefs> FirstSectionRefs() {
        constexpr std::size_t kMaxRoot = 64 * 1024, kMaxSectPr = 1u << 20;
        std::string window, root, rootName, open, close, sect;
        enum { Root, Search, Collect, Found, Unsure } state = Root;
        auto step = [&]() {
            if (state == Root) {
                std::size_t lt = 0;
                // Past the declaration, comments and processing instructions.
                while ((lt = window.find('<', lt)) != std::string::npos && lt + 1 < window.size() &&
                       (window[lt + 1] == '?' || window[lt + 1] == '!'))
                    ++lt;
                if (lt == std::string::npos || lt + 1 >= window.size()) {
                    if (window.size() > kMaxRoot) state = Unsure;
                    return;
                }
                const std::size_t gt = window.find('>', lt);
                if (gt == std::string::npos) {
                    if (window.size() > kMaxRoot) state = Unsure;
                    return;
                }
                root = window.substr(lt, gt + 1 - lt);
                std::size_t nameEnd = 1;
                while (nameEnd < root.size() && !IsXmlSpace(root[nameEnd]) &&
                       root[nameEnd] != '>' && root[nameEnd] != '/')
                    ++nameEnd;
                rootName = root.substr(1, nameEnd - 1);
                const std::optional<std::string> prefix = WordPrefix(root);
                if (!prefix || root.ends_with("/>")) return void(state = Unsure);
                const std::string q = prefix->empty() ? "sectPr" : *prefix + ":sectPr";
                open = "<" + q;
                close = "</" + q + ">";
                window.erase(0, gt + 1);
                state = Search;
            }
            if (state == Search) {
                for (std::size_t at = 0; (at = window.find(open, at)) != std::string::npos; ++at) {
                    const std::size_t after = at + open.size();
                    if (after >= window.size()) {
                        window.erase(0, at);  // decide with the next chunk
                        return;
                    }
                    const char c = window[after];
                    if (c == '>' || c == '/' || IsXmlSpace(c)) {
                        window.erase(0, at);
                        state = Collect;
                        break;
                    }
                }
                if (state == Search) {
                    const std::size_t keep = std::min(window.size(), open.size());
                    window.erase(0, window.size() - keep);
                    return;
                }
            }
            if (state == Collect) {
                const std::size_t gt = window.find('>');
                if (gt != std::string::npos && window[gt - 1] == '/') {
                    sect = window.substr(0, gt + 1);
                    state = Found;
                    return;
                }
                const std::size_t end = window.find(close);
                if (end != std::string::npos) {
                    sect = window.substr(0, end + close.size());
                    state = Found;
                } else if (window.size() > kMaxSectPr) {
                    state = Unsure;
                }
            }
        };
        // Damage before the first w:sectPr ends the full pass there too, so
        // the part is not read a second time for the same answer.
        pkg_->Read(main_, [&](const char* d, std::size_t n, bool) {
            window.append(d, n);
            step();
            return state != Found && state != Unsure;
        });
        if (state != Found) return std::nullopt;
        ooxml::StoryReader r(0, 1);
        try {
            ooxml::ParseBytes(root + sect + "</" + rootName + ">", r, main_);
        } catch (const WordError&) {
            return std::nullopt;
        }
        if (r.sections.empty()) return std::nullopt;
        return r.sections.front();
    }

    // The prefix the root tag binds to the WordprocessingML namespace, ""
    // for the default one; nothing when it binds none.
    static std::optional<std::string> WordPrefix(std::string_view root) {
        for (std::size_t at = 0; (at = root.find("xmlns", at)) != std::string_view::npos; ++at) {
            std::size_t i = at + 5;
            std::string prefix;
            if (i < root.size() && root[i] == ':') {
                const std::size_t start = ++i;
                while (i < root.size() && root[i] != '=' && !IsXmlSpace(root[i])) ++i;
                prefix = std::string(root.substr(start, i - start));
            }
            while (i < root.size() && IsXmlSpace(root[i])) ++i;
            if (i >= root.size() || root[i] != '=') continue;
            ++i;
            while (i < root.size() && IsXmlSpace(root[i])) ++i;
            if (i >= root.size() || (root[i] != '"' && root[i] != '\'')) continue;
            const char quote = root[i];
            const std::size_t end = root.find(quote, i + 1);
            if (end == std::string_view::npos) return std::nullopt;
            if (fmt::ClassifyNs(root.substr(i + 1, end - i - 1)) == Ns::W) return prefix;
        }
        return std::nullopt;
    }

    std::u16string PartStory(const std::string& id) override {
        const std::string target = Target(id);
        if (target.empty()) return u"\r";
        ooxml::StoryReader r(SIZE_MAX, SIZE_MAX);
        ParsePart(*pkg_, target, r);
        return Joined(r.Texts());
    }

    // The part a relationship of the main part points to; empty when none.
    std::string Target(const std::string& id) {
        if (!rels_) {
            try {
                rels_ = ReadRels(*pkg_, main_);
            } catch (const WordError&) {
                rels_.emplace();
            }
        }
        auto it = rels_->find(id);
        return it == rels_->end() ? std::string() : it->second.target;
    }

    std::vector<std::u16string> AltChunk(const std::string& id) {
        auto failed = chunkErrors_.find(id);
        if (failed != chunkErrors_.end()) throw WordError(failed->second);
        auto cached = chunks_.find(id);
        if (cached != chunks_.end()) return cached->second;
        const std::string target = Target(id);
        if (target.empty()) return chunks_[id];
        std::string bytes;
        try {
            pkg_->Read(target, [&](const char* d, std::size_t n, bool) {
                // All chunks of a document together stay within one part's cap.
                chunkBytes_ += n;
                if (chunkBytes_ > kMaxPartBytes) throw WordError("imported chunks are too large");
                bytes.append(d, n);
                return true;
            });
        } catch (const WordError& e) {
            // Every later pass fails alike, whatever it asks.
            chunkErrors_.emplace(id, e.what());
            throw;
        }
        std::vector<std::u16string>& out = chunks_[id];
        std::unique_ptr<DocumentImpl> chunk;
        try {
            // Nested packages, documents and plain text are left out.
            const Format format = Sniff(bytes);
            if (format != Format::Rtf && format != Format::Web) return out;
            chunk = Open(std::make_unique<OwnedSource>(std::move(bytes)));
            try {
                chunk->ParagraphText(1 << 20);  // reads the whole chunk once
            } catch (const WordError&) {
            }
            for (int n = 1;; ++n) out.push_back(chunk->ParagraphText(n));
        } catch (const WordError&) {
        }
        return out;
    }

    std::unique_ptr<Package> pkg_;
    std::string main_;
    std::optional<std::map<std::string, Relationship>> rels_;
    std::map<std::string, std::vector<std::u16string>> chunks_;
    std::map<std::string, std::string> chunkErrors_;  // chunks that could not be read
    std::size_t chunkBytes_ = 0;
    std::string coreProperties_;  // the part the package's relationships name
    ooxml::Styles styles_;
    bool stylesLoaded_ = false;
};

}  // namespace

std::unique_ptr<DocumentImpl> OpenOoxmlDocument(const std::string& path) {
    return std::make_unique<PackageDocument>(Package::FromFile(path));
}

std::unique_ptr<DocumentImpl> OpenOoxmlSource(std::unique_ptr<ByteSource> src) {
    return std::make_unique<PackageDocument>(Package::FromSource(std::move(src)));
}

std::unique_ptr<DocumentImpl> OpenOoxmlBytes(std::string bytes) {
    return std::make_unique<PackageDocument>(Package::FromBytes(std::move(bytes)));
}

bool IsWordPackage(const std::string& path) {
    try {
        return !FindMainPart(*Package::FromFile(path)).empty();
    } catch (const WordError&) {
        return false;
    }
}

}  // namespace pelmora::word
