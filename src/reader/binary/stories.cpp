#include <bit>

#include "reader/binary/properties.h"
#include "reader/binary/worddoc.h"
#include "reader/marks.h"

namespace pelmora::word {

namespace {

// Operand size of a Word 6 section sprm (one-byte opcodes); -1 when unknown,
// -2 when the operand carries its own length byte.
int Word6SectionSprmSize(unsigned op) {
    switch (op) {
        case 131:
        case 132:
        case 138:
        case 139:
        case 142:
        case 143:
        case 146:
        case 147:
        case 150:
        case 151:
        case 152:
        case 153:
        case 158:
        case 159:
        case 162:
            return 1;
        case 140:
        case 141:
        case 144:
        case 145:
        case 148:
        case 149:
        case 154:
        case 155:
        case 156:
        case 157:
        case 160:
        case 161:
        case 164:
        case 165:
        case 166:
        case 167:
        case 168:
        case 169:
        case 170:
        case 171:
            return 2;
        case 136:
        case 137:
            return 3;
        case 163:
            return 0;
        case 133:
            return -2;
        default:
            return -1;
    }
}

constexpr unsigned kSprmSGprfIhdt = 153;
constexpr unsigned kSprmSFTitlePage6 = 143;

// Last operand's first byte of the Word 6 section sprm `want` in a grpprl,
// or -1. Stops at the first opcode whose size is unknown.
int FindWord6Sprm(Stream& s, uint32_t pos, uint32_t end, unsigned want) {
    int mask = -1;
    while (pos < end) {
        unsigned op = s.U8(pos);
        int size = Word6SectionSprmSize(op);
        if (size == -1) break;
        uint32_t opnd = pos + 1;
        if (size == -2) {
            if (opnd >= end) break;
            size = 1 + s.U8(opnd);
        }
        if (opnd + uint32_t(size) > end) break;
        if (op == want && size > 0) mask = s.U8(opnd);
        pos = opnd + uint32_t(size);
    }
    return mask;
}
}  // namespace

// ---- headers and footers ([MS-DOC] 2.3.3, 2.8.22 Plcfhdd) -------------------

std::optional<std::pair<uint32_t, uint32_t>> BinaryDocument::HddStory(uint32_t k) {
    Stream& t = TableStream();
    if (fib_.ccpHdd == 0 || fib_.hdd.lcb < 8 || fib_.hdd.lcb % 4 != 0 ||
        !t.Holds(fib_.hdd.fc, fib_.hdd.lcb))
        return std::nullopt;
    uint32_t count = fib_.hdd.lcb / 4;
    // The last two CPs only close the last story (Word 6 files too).
    uint32_t stories = count - 2;
    if (k >= stories) return std::nullopt;
    uint32_t a = t.U32(fib_.hdd.fc + 4 * k), b = t.U32(fib_.hdd.fc + 4 * (k + 1));
    if (a >= b || b > fib_.ccpHdd) return std::nullopt;
    return std::make_pair(a, b);
}

bool BinaryDocument::HasSections() {
    return fib_.sed.lcb >= 20 && (fib_.sed.lcb - 4) % 16 == 0 &&
           TableStream().Holds(fib_.sed.fc, fib_.sed.lcb);
}

unsigned BinaryDocument::Word6SectionMask(uint32_t s) {
    // grpfIhdt of section s (0-based): sprm 153 in its SEPX, then in the Prc
    // of the piece holding the section's last character (fast-saved files).
    Stream& wd = wordDoc_;
    if (!HasSections()) return 0;
    uint32_t n = SectionCount();
    if (s >= n) return 0;
    int mask = -1;
    uint32_t sed = fib_.sed.fc + 4 * (n + 1) + 12 * s;
    uint32_t fcSepx = wd.U32(sed + 2);
    if (fcSepx != 0xFFFFFFFF && wd.Holds(fcSepx, 2)) {
        uint32_t cb = wd.U16(fcSepx);
        if (wd.Holds(fcSepx + 2, cb))
            mask = FindWord6Sprm(wd, fcSepx + 2, fcSepx + 2 + cb, kSprmSGprfIhdt);
    }
    uint32_t last = wd.U32(fib_.sed.fc + 4 * (s + 1));
    if (last > 0 && last - 1 < pieces_.back().cp) {
        const Piece& p = pieces_[PieceAt(last - 1)];
        if ((p.prm & 1) && size_t(p.prm >> 1) < prcs_.size()) {
            auto [pos, size] = prcs_[p.prm >> 1];
            int m = FindWord6Sprm(wd, pos, pos + size, kSprmSGprfIhdt);
            if (m >= 0) mask = m;
        }
    }
    return mask < 0 ? 0u : unsigned(mask);
}

bool BinaryDocument::TitlePage() {
    // sprmSFTitlePage of section 1: its SEPX in WordDocument, then the Prc
    // of the piece holding the section's last character (fast-saved files).
    if (!HasSections()) return false;
    Stream& t = TableStream();
    const uint32_t n = SectionCount();
    const uint32_t fcSepx = t.U32(fib_.sed.fc + 4 * (n + 1) + 2);
    bool title = false;
    if (fcSepx != 0xFFFFFFFF && wordDoc_.Holds(fcSepx, 2)) {
        const uint32_t cb = wordDoc_.U16(fcSepx);
        if (wordDoc_.Holds(fcSepx + 2, cb)) {
            if (fib_.word6) {
                const int v =
                    FindWord6Sprm(wordDoc_, fcSepx + 2, fcSepx + 2 + cb, kSprmSFTitlePage6);
                if (v >= 0) title = v != 0;
            } else {
                std::vector<unsigned char> grpprl(cb);
                wordDoc_.Read(fcSepx + 2, grpprl.data(), cb);
                FindTitlePage(grpprl.data(), cb, title);
            }
        }
    }
    const uint32_t last = t.U32(fib_.sed.fc + 4);
    if (last > 0 && pieces_.size() > 1 && last - 1 < pieces_.back().cp) {
        const Piece& p = pieces_[PieceAt(last - 1)];
        if ((p.prm & 1) && size_t(p.prm >> 1) < prcs_.size()) {
            auto [pos, size] = prcs_[p.prm >> 1];
            if (fib_.word6) {
                const int v = FindWord6Sprm(wordDoc_, pos, pos + size, kSprmSFTitlePage6);
                if (v >= 0) title = v != 0;
            } else {
                std::vector<unsigned char> grpprl(size);
                table_.Read(pos, grpprl.data(), size);
                FindTitlePage(grpprl.data(), size, title);
            }
        }
    }
    return title;
}

std::optional<std::pair<uint32_t, uint32_t>> BinaryDocument::StoryRange(bool footer, int section,
                                                                        int index) {
    if (section < 1 || uint32_t(section) > SectionCount())
        throw WordError("no section " + std::to_string(section));
    if (index < 1 || index > 3) throw WordError("no header or footer " + std::to_string(index));
    // Story j of a section: 0 even header, 1 odd (primary) header, 2 even
    // footer, 3 odd footer, 4 first-page header, 5 first-page footer.
    static const int kHeaderStory[4] = {0, 1, 4, 0};
    static const int kFooterStory[4] = {0, 3, 5, 2};
    const int j = footer ? kFooterStory[index] : kHeaderStory[index];
    std::optional<std::pair<uint32_t, uint32_t>> story;
    if (fib_.word6) {
        // Word 6/95 store only the stories that exist, in the order of the
        // bits of the separator mask (DOP), then of each section's mask. A
        // section without the story follows the previous one.
        static const unsigned kHeaderBit[4] = {0, 0x02, 0x10, 0x01};
        static const unsigned kFooterBit[4] = {0, 0x08, 0x20, 0x04};
        const unsigned bit = footer ? kFooterBit[index] : kHeaderBit[index];
        int k = 0;
        if (fib_.dop.lcb >= 2 && wordDoc_.Holds(fib_.dop.fc, 2))
            k += std::popcount(wordDoc_.U8(fib_.dop.fc + 1) & 0x3Fu);
        for (int s = 1; s <= section; ++s) {
            unsigned mask = Word6SectionMask(uint32_t(s - 1));
            if (mask & bit) {
                auto here = HddStory(uint32_t(k + std::popcount(mask & (bit - 1))));
                if (here) story = here;
            }
            k += std::popcount(mask);
        }
    } else {
        // An empty story follows the previous section's ("link to previous").
        for (int s = section; s >= 1 && !story; --s)
            story = HddStory(uint32_t(6 + 6 * (s - 1) + j));
    }
    if (!story) return std::nullopt;
    // The story's last 0x0D is a guard, not content.
    uint64_t base = uint64_t(fib_.ccpText) + fib_.ccpFtn;
    uint64_t from = base + story->first, to = base + story->second - 1;
    if (to > UINT32_MAX) Damaged("header outside the text");
    return std::make_pair(uint32_t(from), uint32_t(to));
}

std::u16string BinaryDocument::StoryText(bool footer, int section, int index) {
    auto range = StoryRange(footer, section, index);
    if (!range) return u"\r";
    std::u16string text;
    FieldFilter fields;
    char16_t buf[kChunk];
    uint32_t cp = range->first;
    while (cp < range->second && text.size() < kMaxText) {
        size_t got = Fetch(cp, range->second, buf, kChunk);
        if (got == 0) break;
        for (size_t i = 0; i < got; ++i) {
            char16_t c = buf[i];
            if (c == kCellMark) {
                if (!fields.Hidden()) text += kCellEnd;
            } else {
                fields.Feed(c, &text);
            }
        }
    }
    // A header whose content is only a field code still has its paragraph.
    if (text.empty()) text.push_back(u'\r');
    return text;
}

std::u16string BinaryDocument::HeaderText(int section, int index) {
    return StoryText(false, section, index);
}

std::u16string BinaryDocument::FooterText(int section, int index) {
    return StoryText(true, section, index);
}

}  // namespace pelmora::word
