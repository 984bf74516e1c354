// Office Open XML word-processing packages (.docx, .docm, .dotx): ZIP through
// libzip, parts streamed through expat so that paragraph 1 costs only the
// start of word/document.xml.

#include <zip.h>

#include <algorithm>
#include <array>
#include <climits>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "reader/document.h"
#include "reader/io/readfile.h"
#include "reader/ooxml/styles.h"
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

// ---------------------------------------------------------------- package

// libzip (1.7) writes its own globals while it opens an archive, so archives
// on several threads are opened one at a time; reading them needs no lock.
std::mutex& OpenMutex() {
    static std::mutex mu;
    return mu;
}

class Package {
  public:
    static std::unique_ptr<Package> FromFile(const std::string& path) {
        int err = 0;
        zip_t* z = nullptr;
        {
            std::lock_guard<std::mutex> lock(OpenMutex());
            z = zip_open(path.c_str(), ZIP_RDONLY, &err);
        }
        if (!z)
            throw WordError(err == ZIP_ER_NOENT || err == ZIP_ER_OPEN ? "cannot open file"
                                                                      : "not a ZIP package");
        return std::unique_ptr<Package>(new Package(z, {}));
    }
    static std::unique_ptr<Package> FromBytes(std::string bytes) {
        auto holder = std::make_shared<std::string>(std::move(bytes));
        zip_error_t ze;
        zip_error_init(&ze);
        zip_source_t* src = zip_source_buffer_create(holder->data(), holder->size(), 0, &ze);
        zip_error_fini(&ze);
        if (!src) throw WordError("out of memory");
        zip_error_init(&ze);
        zip_t* z = nullptr;
        {
            std::lock_guard<std::mutex> lock(OpenMutex());
            z = zip_open_from_source(src, ZIP_RDONLY, &ze);
        }
        zip_error_fini(&ze);
        if (!z) {
            zip_source_free(src);
            throw WordError("not a ZIP package");
        }
        return std::unique_ptr<Package>(new Package(z, std::move(holder)));
    }
    // Reads through the source as libzip asks; the archive owns it.
    static std::unique_ptr<Package> FromSource(std::unique_ptr<ByteSource> source) {
        zip_error_t ze;
        zip_error_init(&ze);
        auto* state = new SourceState{std::move(source), 0, {}};
        zip_error_init(&state->error);
        zip_source_t* src = zip_source_function_create(&SourceCallback, state, &ze);
        zip_error_fini(&ze);
        if (!src) {
            zip_error_fini(&state->error);
            delete state;
            throw WordError("out of memory");
        }
        zip_error_init(&ze);
        zip_t* z = nullptr;
        {
            std::lock_guard<std::mutex> lock(OpenMutex());
            z = zip_open_from_source(src, ZIP_RDONLY, &ze);
        }
        zip_error_fini(&ze);
        if (!z) {
            zip_source_free(src);
            throw WordError("not a ZIP package");
        }
        return std::unique_ptr<Package>(new Package(z, {}));
    }
    ~Package() { zip_discard(zip_); }

    bool Has(const std::string& name) const { return Locate(name) >= 0; }

    // Streams a part in chunks; `sink` returns false to stop early. Returns
    // false when the part does not exist.
    bool Read(const std::string& name,
              const std::function<bool(const char*, std::size_t, bool)>& sink) const {
        zip_int64_t idx = Locate(name);
        if (idx < 0) return false;
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip_, static_cast<zip_uint64_t>(idx), 0, &st) != 0)
            throw WordError("cannot read " + name);
        if ((st.valid & ZIP_STAT_SIZE) && st.size > kMaxPartBytes)
            throw WordError(name + " is too large");
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            throw WordError("encrypted package");
        zip_file_t* f = zip_fopen_index(zip_, static_cast<zip_uint64_t>(idx), 0);
        if (!f) throw WordError("cannot read " + name);
        struct Closer {
            zip_file_t* f;
            ~Closer() { zip_fclose(f); }
        } closer{f};
        // Left unfilled: every document reads a few parts, each through it.
        constexpr std::size_t kChunk = 1 << 16;
        auto buf = std::make_unique_for_overwrite<char[]>(kChunk);
        std::size_t total = 0;
        while (true) {
            zip_int64_t got = zip_fread(f, buf.get(), kChunk);
            if (got < 0) throw WordError("damaged ZIP data in " + name);
            total += static_cast<std::size_t>(got);
            if (total > kMaxPartBytes) throw WordError(name + " is too large");
            bool last = got == 0;
            if (!sink(buf.get(), static_cast<std::size_t>(got), last) || last) return true;
        }
    }

  private:
    struct SourceState {
        std::unique_ptr<ByteSource> src;
        zip_uint64_t pos;
        zip_error_t error;
    };

    static zip_int64_t SourceCallback(void* ud, void* data, zip_uint64_t len,
                                      zip_source_cmd_t cmd) {
        auto* s = static_cast<SourceState*>(ud);
        switch (cmd) {
            case ZIP_SOURCE_OPEN:
                s->pos = 0;
                return 0;
            case ZIP_SOURCE_READ:
                try {
                    const size_t got = s->src->ReadAt(s->pos, data, static_cast<size_t>(len));
                    s->pos += got;
                    return static_cast<zip_int64_t>(got);
                } catch (const WordError&) {
                    zip_error_set(&s->error, ZIP_ER_READ, 0);
                    return -1;
                }
            case ZIP_SOURCE_CLOSE:
                return 0;
            case ZIP_SOURCE_STAT: {
                auto* st = static_cast<zip_stat_t*>(data);
                if (len < sizeof *st) return -1;
                zip_stat_init(st);
                st->size = s->src->Size();
                st->valid |= ZIP_STAT_SIZE;
                return sizeof *st;
            }
            case ZIP_SOURCE_ERROR:
                return zip_error_to_data(&s->error, data, len);
            case ZIP_SOURCE_FREE:
                zip_error_fini(&s->error);
                delete s;
                return 0;
            case ZIP_SOURCE_SEEK: {
                const zip_int64_t to =
                    zip_source_seek_compute_offset(s->pos, s->src->Size(), data, len, &s->error);
                if (to < 0) return -1;
                s->pos = static_cast<zip_uint64_t>(to);
                return 0;
            }
            case ZIP_SOURCE_TELL:
                return static_cast<zip_int64_t>(s->pos);
            case ZIP_SOURCE_SUPPORTS:
                return zip_source_make_command_bitmap(
                    ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                    ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                    ZIP_SOURCE_SUPPORTS, -1);
            default:
                zip_error_set(&s->error, ZIP_ER_OPNOTSUPP, 0);
                return -1;
        }
    }

    Package(zip_t* z, std::shared_ptr<std::string> holder) : zip_(z), holder_(std::move(holder)) {
        zip_int64_t n = zip_get_num_entries(zip_, 0);
        if (n < 0 || n > kMaxZipEntries) {
            zip_discard(zip_);
            throw WordError("too many entries in ZIP package");
        }
    }
    zip_int64_t Locate(const std::string& name) const {
        // Part names compare without case (OPC); ZIP_FL_ENC_RAW keeps the bytes.
        return zip_name_locate(zip_, name.c_str(), ZIP_FL_NOCASE | ZIP_FL_ENC_RAW);
    }

    zip_t* zip_;
    std::shared_ptr<std::string> holder_;
};

void ParsePart(const Package& pkg, const std::string& name, SaxHandler& handler,
               bool* found = nullptr) {
    XmlStream xml(handler, name);
    bool ok = pkg.Read(
        name, [&](const char* d, std::size_t n, bool last) { return xml.Feed(d, n, last); });
    if (found) *found = ok;
}

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

// Checks that a part's root element is w:document.
class RootCheck : public SaxHandler {
  public:
    explicit RootCheck(std::string_view root = "document") : root_(root) {}
    bool isDocument = false;
    void Start(Ns ns, std::string_view local, const XmlAttrs&) override {
        isDocument = ns == Ns::W && local == root_;
        stop = true;
    }
    void End(Ns, std::string_view) override {}
    void Text(std::string_view) override {}

  private:
    std::string_view root_;
};

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
        RootCheck check;
        try {
            ParsePart(pkg, c, check);
        } catch (const WordError&) {
            if (!check.stop) throw;
        }
        if (check.isDocument) return c;
    }
    return {};
}

// ------------------------------------------------------------ body text

struct SectionRefs {
    // Relationship ids by kind: 0 default, 1 first page, 2 even pages.
    std::array<std::string, 3> header, footer;
    // Word 2003 XML keeps header and footer text inside the section properties.
    std::array<std::optional<std::u16string>, 3> headerText, footerText;
};

int RefKind(std::string_view type) {
    if (type == "first") return 1;
    if (type == "even") return 2;
    return 0;  // "default", Word 2003's "odd", and anything unknown
}

// Turns the WordprocessingML of a story (body, header or footer) into the
// paragraph texts Word gives and, given styles, the paragraphs' formatting.
class StoryReader : public SaxHandler {
  public:
    StoryReader(std::size_t wantParas, std::size_t wantSections, ooxml::Styles* styles = nullptr)
        : wantParas_(wantParas),
          wantSections_(wantSections),
          cells_([this](ParagraphFacts p) { Emit(std::move(p)); }),
          styles_(styles) {}

    // Paragraphs of an imported chunk (w:altChunk: HTML, MHT or RTF that
    // Word converts where it stands), by relationship id.
    std::function<std::vector<std::u16string>(const std::string&)> altChunk;

    std::vector<ParagraphFacts> paragraphs;  // the first wantParas of them
    std::size_t count = 0;                   // all paragraphs seen
    std::vector<SectionRefs> sections;
    bool sawRoot = false, rootIsStory = false;
    std::u16string titleProperty;  // Word 2003 XML's o:Title

    std::vector<std::u16string> Texts() const {
        std::vector<std::u16string> texts;
        for (const auto& p : paragraphs) texts.push_back(p.text);
        return texts;
    }

    void Start(Ns ns, std::string_view local, const XmlAttrs& a) override {
        const bool first = stack_.empty();
        stack_.push_back({ns, std::string(local)});
        if (inline_) return inline_->Start(ns, local, a);
        if (inlineStyles_) {
            if (ns == Ns::W && local == "body") {
                // Styles that never closed: the body is read as ever, the
                // formatting not at all.
                styles_->damaged = true;
                inlineStyles_.reset();
            } else {
                // Seen by both: the text must not depend on formatting being asked.
                inlineStyles_->Start(ns, local, a);
            }
        }
        if (first) {
            sawRoot = true;
            rootIsStory = ns == Ns::W && (local == "document" || local == "hdr" || local == "ftr");
        }
        if (skipDepth_) return;
        if (styles_ && ns == Ns::O && local == "Title" && Parent(1, Ns::O, "DocumentProperties"))
            inTitle_ = true;
        if (styles_ && ns == Ns::W && local == "styles" && Parent(1, Ns::W, "wordDocument")) {
            // Word 2003 XML keeps its styles in the document itself.
            inlineStyles_ = std::make_unique<ooxml::StylesReader>(*styles_);
            inlineStylesDepth_ = stack_.size();
            inlineStyles_->Start(ns, local, a);
        }
        if (ns == Ns::Mc) {
            if (local == "Fallback") Skip();
            return;
        }
        if (ns == Ns::Wp) {
            // A drawing's anchor: inline pictures show as U+0001, floating
            // ones as U+0008, the characters Word keeps in their place.
            if (local == "inline")
                Put(u'\x01'), Skip();
            else if (local == "anchor")
                Put(u'\x08'), Skip();
            return;
        }
        if (ns == Ns::M) {
            if (local == "t" && Parent(1, Ns::M, "r")) inText_ = true;
            return;
        }
        if (ns != Ns::W) return;
        if (sectDepth_) {
            if (local == "headerReference" || local == "footerReference") {
                int k = RefKind(a.Get(Ns::W, "type"));
                std::string id(a.Get(Ns::R, "id"));
                (local == "headerReference" ? curSect_.header
                                            : curSect_.footer)[static_cast<std::size_t>(k)] = id;
            } else if ((local == "hdr" || local == "ftr") && !skipDepth_) {
                inline_ = std::make_unique<StoryReader>(SIZE_MAX, SIZE_MAX);
                inlineDepth_ = stack_.size();
                inlineKind_ = RefKind(a.Get(Ns::W, "type")) + (local == "ftr" ? 3 : 0);
            } else if (local.ends_with("Change")) {
                Skip();
            }
            return;
        }
        if (styles_ && Parent(1, Ns::W, "pPr") && Parent(2, Ns::W, "p")) {
            if (ooxml::ReadParaProp(local, a, pPr_, &pStyle_)) return;
        }
        if (styles_ && Parent(1, Ns::W, "rPr") && Parent(2, Ns::W, "r")) {
            if (local == "rStyle") {
                rStyle_ = std::string(a.Get(Ns::W, "val"));
                runKnown_ = false;
                return;
            }
            if (ooxml::ReadRunProp(local, a, rPr_)) {
                runKnown_ = false;
                return;
            }
        }
        if (local == "p") {
            para_.clear();
            if (!carry_.empty())
                para_.swap(carry_);
            else
                tally_.Clear();
            markDeleted_ = false;
            sectBreak_ = false;
            pPr_ = {};
            pStyle_.clear();
        } else if (local == "r") {
            rPr_ = {};
            rStyle_.clear();
            runKnown_ = false;
        } else if (local == "t") {
            if (Parent(1, Ns::W, "r")) inText_ = true;
        } else if (local == "tab" || local == "ptab") {
            if (Parent(1, Ns::W, "r")) Put(u'\t');
        } else if (local == "br") {
            if (Parent(1, Ns::W, "r")) {
                std::string_view type = a.Get(Ns::W, "type");
                // A page break stays in the paragraph as U+000C and a column
                // break as U+000E, as in Word's own text.
                Put(type == "page" ? u'\f' : type == "column" ? u'\x0E' : u'\v');
            }
        } else if (local == "cr") {
            Put(u'\v');
        } else if (local == "noBreakHyphen") {
            Put(u'\x1E');
        } else if (local == "softHyphen") {
            Put(u'\x1F');
        } else if (local == "sym") {
            // Word keeps "(" as the placeholder of a symbol-font character.
            Put(u'(');
        } else if (local == "footnoteReference" || local == "endnoteReference") {
            Put(u'\x02');
        } else if (local == "commentReference") {
            Put(u'\x05');
        } else if (local == "fldChar") {
            std::string_view type = a.Get(Ns::W, "fldCharType");
            if (type == "begin") {
                fields_.push_back(false);
                ++inCode_;
            } else if (type == "separate") {
                if (!fields_.empty() && !fields_.back()) fields_.back() = true, --inCode_;
            } else if (type == "end") {
                if (!fields_.empty()) {
                    if (!fields_.back()) --inCode_;
                    fields_.pop_back();
                }
            }
        } else if (local == "del" || local == "moveFrom") {
            if (Parent(1, Ns::W, "rPr")) {
                if (Parent(2, Ns::W, "pPr")) markDeleted_ = true;
            } else {
                Skip();
            }
        } else if (local == "instrText" || local == "delInstrText" || local == "delText" ||
                   local == "txbxContent" || local == "sdtPr" || local == "sdtEndPr" ||
                   local == "tblPr" || local == "tblGrid" || local == "trPr" || local == "tcPr" ||
                   local == "customXmlPr" || local == "smartTagPr" || local == "pict" ||
                   local == "object" || local.ends_with("Change")) {
            if (local == "pict" || local == "object") Put(u'\x01');
            Skip();
        } else if (local == "altChunk") {
            // Only where paragraphs stand on their own: in the body, not in a table cell.
            if (altChunk && cells_.Depth() == 0 && Visible())
                for (auto& p : altChunk(std::string(a.Get(Ns::R, "id")))) {
                    ParagraphFacts imported;  // formatting of imported pages is not read
                    imported.text = std::move(p);
                    Emit(std::move(imported));
                }
            Skip();
        } else if (local == "sectPr") {
            sectDepth_ = stack_.size();
            curSect_ = SectionRefs{};
            if (Parent(1, Ns::W, "pPr")) sectBreak_ = true;
        } else if (local == "tbl") {
            cells_.TableStart();
        } else if (local == "tr") {
            cells_.RowStart();
        } else if (local == "tc") {
            cells_.CellStart();
        }
    }

    void End(Ns ns, std::string_view local) override {
        const std::size_t depth = stack_.size();
        if (!stack_.empty()) stack_.pop_back();
        if (inline_) {
            if (depth != inlineDepth_) return inline_->End(ns, local);
            std::u16string text;
            for (const auto& p : inline_->paragraphs) text += p.text;
            auto& slot = inlineKind_ < 3 ? curSect_.headerText : curSect_.footerText;
            slot[static_cast<std::size_t>(inlineKind_ % 3)] = text.empty() ? u"\r" : text;
            inline_.reset();
            return;
        }
        if (inlineStyles_) {
            inlineStyles_->End(ns, local);
            if (depth == inlineStylesDepth_) inlineStyles_.reset();
        }
        if (ns == Ns::O && local == "Title") inTitle_ = false;
        if (skipDepth_) {
            if (depth == skipDepth_) skipDepth_ = 0;
            return;
        }
        if (ns == Ns::M && local == "t") inText_ = false;
        if (ns != Ns::W) return;
        if (sectDepth_) {
            if (depth == sectDepth_) {
                sectDepth_ = 0;
                sections.push_back(curSect_);
                CheckDone();
            }
            return;
        }
        if (local == "t") {
            inText_ = false;
        } else if (local == "p") {
            EndParagraph();
        } else if (local == "tc") {
            cells_.CellEnd();
        } else if (local == "tr") {
            cells_.RowEnd();
        } else if (local == "tbl") {
            cells_.TableEnd();
        } else if (local == "body" || local == "hdr" || local == "ftr") {
            if (!carry_.empty()) {
                ParagraphFacts last;
                last.text = carry_ + u'\r';
                carry_.clear();
                Emit(std::move(last));
            }
        }
    }

    void Text(std::string_view utf8) override {
        if (inline_) return inline_->Text(utf8);
        if (inTitle_ && titleProperty.size() < kMaxTitleChars) fmt::AppendUtf8(titleProperty, utf8);
        if (!inText_ || skipDepth_ || !Visible()) return;
        const std::size_t from = para_.size();
        fmt::AppendUtf8(para_, utf8);
        if (styles_) Count(std::u16string_view(para_).substr(from));
    }

  private:
    struct Elem {
        Ns ns;
        std::string local;
    };

    bool Parent(std::size_t up, Ns ns, std::string_view local) const {
        // stack_.back() is the element itself.
        if (stack_.size() < up + 1) return false;
        const Elem& e = stack_[stack_.size() - 1 - up];
        return e.ns == ns && e.local == local;
    }
    void Skip() { skipDepth_ = stack_.size(); }
    // Only a field's result shows; its code and anything nested in the code does not.
    bool Visible() const { return inCode_ == 0; }
    void Put(char16_t c) {
        if (!Visible()) return;
        para_.push_back(c);
        if (styles_ && InkChar(c)) Count(std::u16string_view(&c, 1));
    }
    // Counts visible text under the current run's properties.
    void Count(std::u16string_view text) {
        if (!runKnown_) {
            run_ = rPr_;
            run_.Over(styles_->CharacterStyle(rStyle_));
            run_.Over(styles_->ParagraphStyle(pStyle_).r);
            runKnown_ = true;
        }
        if (run_.damaged) return tally_.Spoil();
        if (run_.vanish.value_or(false)) return;  // hidden text shows no ink
        tally_.Add(text, *run_.halfPoints, *run_.bold, *run_.color);
    }
    ParagraphFacts Facts(std::u16string text) {
        ParagraphFacts f;
        f.text = std::move(text);
        if (!styles_ || styles_->damaged || pPr_.damaged) return f;
        const ooxml::Styles::Paragraph& style = styles_->ParagraphStyle(pStyle_);
        ooxml::ParaProps pp = pPr_;
        pp.Over(style.p);
        if (pp.damaged || !tally_.Into(f)) {
            ParagraphFacts bare;
            bare.text = std::move(f.text);
            return bare;
        }
        f.formatted = true;
        f.styleId = style.styleId;
        f.styleName = style.name;
        f.outlineLevel = *pp.outlineLevel;
        f.centered = *pp.centered;
        f.pageBreakBefore = *pp.pageBreakBefore;
        f.breakAfter = sectBreak_;
        return f;
    }
    void EndParagraph() {
        if (markDeleted_ && !sectBreak_ && !cells_.InCell()) {
            // A deleted paragraph mark joins this paragraph to the next.
            carry_ = std::move(para_);
            para_.clear();
            return;
        }
        // A paragraph that ends a section ends in the section mark.
        cells_.Paragraph(Facts(std::move(para_)), sectBreak_ ? u'\f' : u'\r');
        para_.clear();
    }
    void Emit(ParagraphFacts p) {
        ++count;
        // Formatting is asked for the leading paragraphs only: the first
        // break ends them.
        if (styles_ && p.text.find(u'\f') != std::u16string::npos) stop = true;
        if (paragraphs.size() < wantParas_) paragraphs.push_back(std::move(p));
        CheckDone();
    }
    void CheckDone() {
        if (count >= wantParas_ && sections.size() >= wantSections_) stop = true;
    }

    std::size_t wantParas_, wantSections_;
    std::vector<Elem> stack_;
    std::size_t skipDepth_ = 0;
    std::size_t sectDepth_ = 0;
    SectionRefs curSect_;
    std::vector<bool> fields_;  // per open field: past its separator
    std::size_t inCode_ = 0;    // open fields still in their code
    CellLayout cells_;
    std::u16string para_, carry_;
    bool inText_ = false, markDeleted_ = false, sectBreak_ = false;
    std::unique_ptr<StoryReader> inline_;  // a Word 2003 header or footer being read
    std::size_t inlineDepth_ = 0;
    int inlineKind_ = 0;
    // Formatting, when asked for.
    ooxml::Styles* styles_;
    std::unique_ptr<ooxml::StylesReader> inlineStyles_;
    std::size_t inlineStylesDepth_ = 0;
    ooxml::ParaProps pPr_;
    std::string pStyle_, rStyle_;
    ooxml::RunProps rPr_, run_;
    bool runKnown_ = false, inTitle_ = false;
    RunTally tally_;
};

class OoxmlDocument : public StoryDocument {
  public:
    explicit OoxmlDocument(std::unique_ptr<Package> pkg) : pkg_(std::move(pkg)) {
        main_ = FindMainPart(*pkg_, &coreProperties_);
        if (main_.empty()) throw WordError("not a Word document: no word/document.xml");
    }
    // A Word 2003 XML document: one file, no package.
    explicit OoxmlDocument(std::string flat) : flat_(std::move(flat)) {
        RootCheck check("wordDocument");
        try {
            ParseMain(check);
        } catch (const WordError&) {
            if (!check.stop) throw;
        }
        if (!check.isDocument) throw WordError("not a Word XML document");
    }

  private:
    // Parses word/document.xml from the start as far as the question needs;
    // keeps the longest prefix of paragraphs and sections learnt so far.
    void Learn(std::size_t wantParas, std::size_t wantSections) override {
        StoryReader r(wantParas, wantSections, wantFacts_ ? &LoadStyles() : nullptr);
        r.altChunk = [this](const std::string& id) { return AltChunk(id); };
        bool reachedEnd = false;
        std::exception_ptr damage;
        try {
            ParseMain(r);
            reachedEnd = !r.stop;
        } catch (const WordError&) {
            // Damaged XML after what was asked for still answers the question;
            // before it, the paragraphs read so far are kept all the same.
            if (!r.stop) damage = std::current_exception();
        }
        if (wantFacts_ && !pkg_) flatTitle_ = r.titleProperty;
        std::vector<ParagraphFacts> paragraphs = std::move(r.paragraphs);
        std::vector<Section> sections(r.sections.size());
        for (std::size_t s = 0; s < sections.size(); ++s)
            for (std::size_t k = 0; k < 3; ++k) {
                const std::string at = std::to_string(s) + ":" + std::to_string(k);
                sections[s].header[k] =
                    Key(r.sections[s].headerText[k], r.sections[s].header[k], "h" + at);
                sections[s].footer[k] =
                    Key(r.sections[s].footerText[k], r.sections[s].footer[k], "f" + at);
            }
        Keep(std::move(paragraphs), std::move(sections));
        if (damage) std::rethrow_exception(damage);
        if (reachedEnd) paragraphCount_ = r.count, sectionsComplete_ = true;
    }

    // word/styles.xml, read once; Word 2003 XML fills it as the main part goes by.
    ooxml::Styles& LoadStyles() {
        if (stylesLoaded_ || !pkg_) return styles_;
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
        if (!pkg_) return flatTitle_;
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

    // Word 2003 XML keeps a story's text in the section itself; a package
    // names the part by relationship id.
    std::string Key(std::optional<std::u16string>& text, const std::string& id,
                    const std::string& where) {
        if (text) {
            std::string key = "text:" + where;
            inlineTexts_.emplace(key, std::move(*text));
            return key;
        }
        return id.empty() ? std::string() : "rel:" + id;
    }

    std::u16string StoryText(const std::string& key) override {
        auto inlined = inlineTexts_.find(key);
        if (inlined != inlineTexts_.end()) return inlined->second;
        if (!key.starts_with("rel:") || !pkg_) return u"\r";
        const std::string target = Target(key.substr(4));
        if (target.empty()) return u"\r";
        StoryReader r(SIZE_MAX, SIZE_MAX);
        ParsePart(*pkg_, target, r);
        return Joined(r.Texts());
    }

    // The part a relationship of the main part points to; empty when none.
    std::string Target(const std::string& id) {
        if (!pkg_) return {};
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

    void ParseMain(SaxHandler& handler) {
        if (pkg_) return ParsePart(*pkg_, main_, handler);
        XmlStream xml(handler, "the XML document");
        const std::size_t chunk = 1 << 16;
        for (std::size_t pos = 0;; pos += chunk) {
            bool last = pos + chunk >= flat_.size();
            if (!xml.Feed(flat_.data() + std::min(pos, flat_.size()),
                          last ? flat_.size() - std::min(pos, flat_.size()) : chunk, last) ||
                last)
                return;
        }
    }

    std::unique_ptr<Package> pkg_;
    std::string flat_;
    std::string main_;
    std::map<std::string, std::u16string> inlineTexts_;
    std::optional<std::map<std::string, Relationship>> rels_;
    std::map<std::string, std::vector<std::u16string>> chunks_;
    std::map<std::string, std::string> chunkErrors_;  // chunks that could not be read
    std::size_t chunkBytes_ = 0;
    std::string coreProperties_;  // the part the package's relationships name
    ooxml::Styles styles_;
    bool stylesLoaded_ = false;
    std::u16string flatTitle_;
};

}  // namespace

std::unique_ptr<DocumentImpl> OpenOoxmlDocument(const std::string& path) {
    return std::make_unique<OoxmlDocument>(Package::FromFile(path));
}

std::unique_ptr<DocumentImpl> OpenOoxmlSource(std::unique_ptr<ByteSource> src) {
    return std::make_unique<OoxmlDocument>(Package::FromSource(std::move(src)));
}

std::unique_ptr<DocumentImpl> OpenOoxmlBytes(std::string bytes) {
    return std::make_unique<OoxmlDocument>(Package::FromBytes(std::move(bytes)));
}

std::unique_ptr<DocumentImpl> OpenWordXmlBytes(std::string bytes) {
    return std::make_unique<OoxmlDocument>(std::move(bytes));
}

std::unique_ptr<DocumentImpl> OpenWordXmlDocument(const std::string& path) {
    return OpenWordXmlBytes(fmt::ReadFileCapped(path, kMaxPartBytes));
}

bool IsWordPackage(const std::string& path) {
    try {
        return !FindMainPart(*Package::FromFile(path)).empty();
    } catch (const WordError&) {
        return false;
    }
}

}  // namespace pelmora::word
