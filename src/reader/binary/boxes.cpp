// Word 97-2003 text boxes ([MS-DOC] 2.3.6 and the PlcftxbxTxt and PlcSpaMom
// PLCs) and the header the first page shows. Both are read only when asked; every
// count, offset and CP comes from the file and is checked before use.

#include <algorithm>
#include <map>

#include "reader/binary/properties.h"
#include "reader/binary/worddoc.h"
#include "reader/document.h"
#include "reader/io/littleendian.h"
#include "reader/limits.h"
#include "reader/marks.h"
#include "reader/story.h"

namespace pelmora::word {

namespace {

constexpr uint32_t kFspaBytes = 26;    // [MS-DOC] 2.9.253 Spa
constexpr uint32_t kFtxbxsBytes = 22;  // [MS-DOC] 2.9.91 FTXBXS
constexpr uint32_t kFtxbxsReusable = 8;
constexpr uint32_t kFtxbxsLid = 14;
// Far beyond the shapes and boxes of a real document.
constexpr uint32_t kMaxPlcEntries = 1u << 14;

// A PLC ([MS-DOC] 2.2.2) of n + 1 CPs and n entries of `data` bytes read
// whole; nothing when it does not fit where it is said to be.
struct Plc {
    std::vector<unsigned char> raw;
    uint32_t n = 0, data = 0;
    uint32_t Cp(uint32_t i) const { return Le32(raw.data() + 4 * i); }
    const unsigned char* Entry(uint32_t i) const { return raw.data() + 4 * (n + 1) + data * i; }
};

bool ReadPlc(Stream& s, FcLcb at, uint32_t data, Plc& out) {
    if (at.lcb < 4 + 4 + data || (at.lcb - 4) % (4 + data) != 0 || !s.Holds(at.fc, at.lcb))
        return false;
    out.n = (at.lcb - 4) / (4 + data);
    if (out.n > kMaxPlcEntries) return false;
    out.data = data;
    out.raw.resize(at.lcb);
    s.Read(at.fc, out.raw.data(), at.lcb);
    return true;
}

bool HasInk(const std::vector<ParagraphFacts>& paragraphs) {
    for (const auto& p : paragraphs)
        if (std::any_of(p.text.begin(), p.text.end(), InkChar)) return true;
    return false;
}

}  // namespace

std::vector<ParagraphFacts> BinaryDocument::StoryParagraphs(uint32_t from, uint32_t to, size_t max,
                                                            size_t* budget) {
    std::vector<ParagraphFacts> out;
    FieldFilter fields;
    std::vector<uint32_t> cps;
    ParagraphFacts p;
    auto finish = [&](bool marked, uint32_t mark) {
        ParaProps pp;
        bool known = false;
        try {
            known = marked && Describe(p, cps, mark, pp);
        } catch (const WordError&) {
        }
        if (!known) {
            ParagraphFacts bare;
            bare.text = std::move(p.text);
            p = std::move(bare);
        }
        out.push_back(std::move(p));
        p = ParagraphFacts{};
        cps.clear();
    };
    char16_t buf[kChunk];
    uint32_t cp = from;
    size_t seen = 0;
    const size_t cap = budget ? std::min(*budget, kMaxText) : kMaxText;
    try {
        while (cp < to && out.size() < max && seen < cap) {
            const uint32_t at = cp;
            const size_t got = Fetch(cp, to, buf, kChunk);
            if (got == 0) break;
            seen += got;
            for (size_t i = 0; i < got && out.size() < max; ++i) {
                // Word 97 text: one CP per character.
                const uint32_t here = at + uint32_t(i);
                const char16_t c = buf[i];
                if (c == kParagraphMark || c == kCellMark) {
                    p.text += c == kCellMark ? kCellEnd : std::u16string_view(u"\r");
                    finish(true, here);
                } else {
                    const size_t before = p.text.size();
                    fields.Feed(c, &p.text);
                    for (size_t k = before; k < p.text.size(); ++k) cps.push_back(here);
                }
            }
        }
    } catch (const WordError&) {
        // Text past the pieces: what came before it stands.
    }
    if (!p.text.empty() && out.size() < max) {
        p.text += u'\r';
        finish(false, 0);
    }
    if (budget) *budget -= std::min(*budget, seen);
    return out;
}

std::vector<int> BinaryDocument::ParagraphsAt(const std::vector<uint32_t>& cps, int limit) {
    std::vector<int> out(cps.size(), -1);
    // Section ends: only a 0x0C there ends a paragraph.
    std::vector<uint32_t> ends;
    if (HasSections()) {
        Stream& t = TableStream();
        const uint32_t n = std::min<uint32_t>(SectionCount(), kMaxPlcEntries);
        for (uint32_t s = 1; s <= n; ++s) ends.push_back(t.U32(fib_.sed.fc + 4 * s));
        std::sort(ends.begin(), ends.end());
    }
    char16_t buf[kChunk];
    uint32_t cp = 0;
    int para = 0;
    size_t k = 0;
    try {
        while (k < cps.size() && para < limit && cp < fib_.ccpText) {
            const uint32_t at = cp;
            const size_t got = Fetch(cp, fib_.ccpText, buf, kChunk);
            if (got == 0) break;
            for (size_t i = 0; i < got && para < limit; ++i) {
                const uint32_t here = at + uint32_t(i);
                while (k < cps.size() && cps[k] <= here) out[k++] = para;
                const char16_t c = buf[i];
                if (c == kParagraphMark || c == kCellMark ||
                    (c == kPageBreak && std::binary_search(ends.begin(), ends.end(), here + 1)))
                    ++para;
            }
        }
    } catch (const WordError&) {
    }
    return out;
}

std::vector<TextBox> BinaryDocument::LeadingTextBoxes(int maxBoxes) {
    std::vector<TextBox> boxes;
    if (fib_.word6 || fib_.ccpTxbx == 0) return boxes;
    Plc txbx;
    if (!ReadPlc(table_, fib_.txbxTxt, kFtxbxsBytes, txbx)) return boxes;
    // The text box story follows the comments and endnotes.
    const uint64_t base =
        uint64_t(fib_.ccpText) + fib_.ccpFtn + fib_.ccpHdd + fib_.ccpAtn + fib_.ccpEdn;
    if (base + fib_.ccpTxbx > UINT32_MAX) return boxes;

    // Shapes by id, to the CP of their anchor in the main document.
    std::map<uint32_t, uint32_t> anchorOf;
    Plc spa;
    if (ReadPlc(table_, fib_.spaMom, kFspaBytes, spa))
        for (uint32_t j = 0; j < spa.n; ++j)
            if (spa.Cp(j) < fib_.ccpText) anchorOf.emplace(Le32(spa.Entry(j)), spa.Cp(j));

    struct Found {
        uint32_t from, to;
        bool anchored;
        uint32_t anchorCp;
    };
    std::vector<Found> found;
    for (uint32_t i = 0; i < txbx.n; ++i) {
        const uint32_t a = txbx.Cp(i), b = txbx.Cp(i + 1);
        if (a >= b || b > fib_.ccpTxbx) continue;
        const unsigned char* e = txbx.Entry(i);
        if (Le16(e + kFtxbxsReusable) != 0) continue;  // a deleted box's slot
        auto it = anchorOf.find(Le32(e + kFtxbxsLid));
        const bool anchored = it != anchorOf.end();
        found.push_back(
            {uint32_t(base + a), uint32_t(base + b), anchored, anchored ? it->second : UINT32_MAX});
    }
    // Document order; boxes whose shape is not found (inside a group) last.
    std::stable_sort(found.begin(), found.end(),
                     [](const Found& x, const Found& y) { return x.anchorCp < y.anchorCp; });
    std::vector<uint32_t> cps;
    for (const Found& f : found)
        if (f.anchored) cps.push_back(f.anchorCp);
    const std::vector<int> paras = ParagraphsAt(cps, kLeadingParagraphs);

    size_t next = 0;
    size_t budget = kMaxText;  // characters of all boxes together
    for (const Found& f : found) {
        if (boxes.size() >= static_cast<size_t>(maxBoxes) || budget == 0) break;
        int anchor = -1;
        if (f.anchored) {
            anchor = paras[next++];
            if (anchor < 0) continue;  // anchored past the leading paragraphs
        }
        TextBox box;
        box.anchor = anchor;
        box.paragraphs = StoryParagraphs(f.from, f.to, kMaxStoryFacts, &budget);
        // Each box's text ends in a mark of its own after its last paragraph.
        if (box.paragraphs.size() > 1 && box.paragraphs.back().text == u"\r")
            box.paragraphs.pop_back();
        if (HasInk(box.paragraphs)) boxes.push_back(std::move(box));
    }
    return boxes;
}

std::vector<ParagraphFacts> BinaryDocument::FirstPageHeaderParagraphs(int maxParagraphs) {
    const int index = TitlePage() ? 2 : kPrimaryHeaderFooter;
    if (fib_.word6) return SplitStory(StoryText(false, 1, index), maxParagraphs);
    auto range = StoryRange(false, 1, index);
    if (!range) return {};
    std::vector<ParagraphFacts> out =
        StoryParagraphs(range->first, range->second, size_t(maxParagraphs));
    if (out.size() == 1 && out[0].text == u"\r") out.clear();
    return out;
}

}  // namespace pelmora::word
