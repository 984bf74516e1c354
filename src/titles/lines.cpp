#include "titles/lines.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "titles/text.h"

namespace pelmora {

namespace {

using namespace titletext;

// What "bigger" is measured by: the size most of the running text has; on a
// page without running text (a cover), the smallest size that holds a fair
// share of its characters, since the title there may well be the longest line.
int BodySize(const std::vector<LineFeatures>& lines) {
    std::map<int, size_t> running, all;
    size_t runningChars = 0, allChars = 0;
    for (const LineFeatures& l : lines) {
        if (!l.formatted || l.size <= 0) continue;
        all[l.size] += l.compact.size();
        allChars += l.compact.size();
        if (l.bodyLike) {
            running[l.size] += l.compact.size();
            runningChars += l.compact.size();
        }
    }
    if (runningChars >= 20) {
        int best = 0;
        size_t bestWeight = 0;
        for (const auto& [size, w] : running) {
            if (w > bestWeight) {
                best = size;
                bestWeight = w;
            }
        }
        return best;
    }
    for (const auto& [size, w] : all) {
        if (w * 100 >= allChars * 15) return size;
    }
    return 0;
}

// A table whose first row holds three short cells or more heads columns:
// those cells are no title ("作者 | 作品 | 译者").
void MarkColumnHeaders(std::vector<LineFeatures>& lines) {
    size_t i = 0;
    while (i < lines.size()) {
        if (lines[i].tableRow == 0) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < lines.size() && lines[end].tableRow != 0) ++end;
        int filled = 0, lastCell = -1;
        bool allShort = true;
        for (size_t j = i; j < end; ++j) {
            const LineFeatures& l = lines[j];
            if (l.tableRow != 1 || l.compact.empty() || l.tableCell == lastCell) continue;
            ++filled;
            lastCell = l.tableCell;
            if (l.compact.size() > 8 || l.kindEnding) allShort = false;
        }
        if (filled >= 3 && allShort) {
            for (size_t j = i; j < end; ++j) lines[j].columnHeader = lines[j].tableRow == 1;
        }
        i = end;
    }
}

bool LooksSetApart(const LineFeatures& l, const BodyContext& b) {
    return l.titleStyle || l.headingLevel > 0 || l.centered || l.bold ||
           (b.bodySize > 0 && l.size > b.bodySize);
}

bool SamePlace(const LineFeatures& a, const LineFeatures& b) {
    return a.tableRow == b.tableRow && a.tableCell == b.tableCell;
}

// A line that says only what kind of document this is: "验收报告",
// "招 标 文 件", "Test Strategy Document".
bool IsKindLine(const LineFeatures& l) {
    return l.kindEnding && !l.about && l.compact.size() <= (l.latin ? 40u : 12u);
}

// Does `next` go on with the title `sofar` whose last line is `cur`?
// "OF THE COMPUTER SCIENCE STUDENTS ASSOCIATION" goes on with the line above
// whatever that line ended in.
bool StartsAsContinuation(const LineFeatures& l) {
    if (!l.latin) return l.compact.starts_with(u"的");
    size_t e = 0;
    while (e < l.text.size() && !IsBlank(l.text[e])) ++e;
    const std::u16string_view w(l.text.data(), e);
    return EqualsNoCase(w, u"of") || EqualsNoCase(w, u"for") || EqualsNoCase(w, u"and") ||
           EqualsNoCase(w, u"on") || EqualsNoCase(w, u"in") || EqualsNoCase(w, u"to");
}

bool GoesOn(const Lines& lines, const LineFeatures& cur, const LineFeatures& next,
            const TextFeatures& sofar) {
    const bool ended = sofar.kindEnding && !next.compact.starts_with(u"（") &&
                       !next.compact.starts_with(u"(") && !StartsAsContinuation(next);
    if (cur.formatted && next.formatted) {
        // "The Constitution of the" / "Computer Science … Club": wrapped, whatever
        // the alignment.
        if (sofar.continues && cur.size == next.size && cur.titleStyle == next.titleStyle &&
            cur.headingLevel == next.headingLevel && SamePlace(cur, next))
            return true;
        if (!LooksSetApart(cur, lines.body)) return false;
        if (SameLook(cur, next) && !ended) return true;
        // A name, then its kind of document on the next line, in another style
        // or a little smaller: "城见匿名聊天网站" / "测试分析报告". A Title-styled
        // line after a plain one is a title of its own.
        if (next.kindEnding && !sofar.kindEnding && !(next.titleStyle && !cur.titleStyle) &&
            SamePlace(cur, next)) {
            if (cur.size == next.size && cur.bold == next.bold && cur.centered == next.centered)
                return true;
            if (cur.centered && next.centered && cur.bold && next.bold &&
                std::abs(cur.size - next.size) <= 8)
                return true;
            // A cover's name, then a smaller line that only says the kind of
            // document: "Berth Allocation System" / "Software Requirements
            // Specification".
            if (cur.centered && next.centered && next.size <= cur.size && IsKindLine(next) &&
                !cur.orgLine)
                return true;
        }
        return false;
    }
    // Text only: "关于…" finished by its kind, or a line that breaks off.
    const std::u16string& k = sofar.compact;
    if (!ended && next.kindEnding && next.compact.size() <= 30 &&
        (k.starts_with(u"关于") || (!sofar.latin && sofar.continues)))
        return true;
    return sofar.latin && sofar.continues && !next.bodyLike;
}

}  // namespace

// Lines after the running text that ends the search are not read further.
constexpr SkipRule kPastRunningText{"after-running-text",
                                    [](const LineFeatures&, const BodyContext&) { return true; }};

Lines ReadLines(std::span<const word::ParagraphFacts> ps) {
    Lines lines;
    lines.features.reserve(ps.size());
    for (const word::ParagraphFacts& p : ps) lines.features.push_back(LineFeaturesOf(p, false));
    MarkColumnHeaders(lines.features);
    lines.body.bodySize = BodySize(lines.features);
    lines.skipped.reserve(ps.size());
    // The search ends at the second paragraph of running text at the latest.
    int running = 0;
    for (LineFeatures& f : lines.features) {
        if (running >= 2) {
            lines.skipped.push_back(&kPastRunningText);
            continue;
        }
        CompleteFeatures(f);
        lines.skipped.push_back(SkipRuleFor(f, lines.body));
        if (!lines.skipped.back() && f.bodyLike) ++running;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines.candidate(i) && lines[i].formatted)
            lines.body.largest = std::max(lines.body.largest, lines[i].size);
    }
    return lines;
}

Joined JoinLines(const Lines& lines, size_t first, std::u16string text) {
    Joined out;
    out.text = std::move(text);
    const LineFeatures& head = lines[first];
    // A template's "<Project Name>" above the title it belongs with.
    if (head.placeholder && first + 1 < lines.size() && lines.candidate(first + 1) &&
        !lines[first + 1].placeholder && SameFace(head, lines[first + 1])) {
        Joined rest = JoinLines(lines, first + 1, lines[first + 1].text);
        rest.count += 1;
        rest.dropped = true;
        return rest;
    }
    if (head.placeholder) return out;
    // "工" / "作" / "规" / "章": a title set one character to a line.
    if (head.compact.size() == 1) {
        for (size_t j = first + 1; j < lines.size() && j < first + 16; ++j) {
            if (!lines.candidate(j) || lines[j].compact.size() != 1 ||
                !SameLook(lines[j - 1], lines[j]))
                break;
            out.text += lines[j].text;
            out.count = int(j - first + 1);
        }
        return out;
    }
    size_t last = first;
    // The facts of the title so far: the head's own, until a line is joined.
    TextFeatures joined;
    const TextFeatures* sofarFacts = &head;
    if (out.text != head.text) {
        joined = JoinFactsOf(out.text);
        sofarFacts = &joined;
    }
    for (size_t j = first + 1; j < lines.size() && j <= first + 2; ++j) {
        const LineFeatures& cur = lines[last];
        const LineFeatures& next = lines[j];
        const TextFeatures& sofar = *sofarFacts;
        if (lines.skipName(j) == "empty") {
            // A cover's name, empty lines, then its kind of document in the same
            // alignment: "某某系统" … "验收报告".
            size_t k = j;
            while (k < lines.size() && k < j + 3 && lines.skipName(k) == "empty") ++k;
            if (k < lines.size() && lines.candidate(k) && last == first && !sofar.kindEnding &&
                !cur.orgLine && cur.formatted && lines[k].formatted && cur.centered &&
                lines[k].centered && LooksSetApart(cur, lines.body) && IsKindLine(lines[k]) &&
                lines[k].size >= lines.body.bodySize && sofar.latin == lines[k].latin &&
                SamePlace(cur, lines[k])) {
                out.text = Join(std::move(out.text), lines[k].text);
                out.count = int(k - first + 1);
            }
            break;
        }
        // "（征求意见稿）", "(Draft)" under the title it qualifies.
        // A date in brackets ("（2005年12月修订）") is no part of the title.
        const bool bracketed =
            (next.compact.starts_with(u"（") || next.compact.starts_with(u"(")) &&
            (next.note || lines.skipName(j) == "mark") && next.compact.size() <= 12 &&
            std::none_of(next.compact.begin(), next.compact.end(), IsDigit);
        if (bracketed && (!cur.formatted || !next.formatted ||
                          (next.centered == cur.centered && next.size <= cur.size))) {
            out.text = Join(std::move(out.text), next.text);
            out.count = int(j - first + 1);
            break;
        }
        // An organisation's line is no part of the title above it, unless the
        // title breaks off into it ("The Constitution of the" / "… Association").
        const bool org = next.orgLine && !sofar.continues && !StartsAsContinuation(next);
        if (!lines.candidate(j) || next.placeholder || next.bodyLike || next.numberedHeading ||
            org || next.compact.size() > (next.latin ? 120u : 40u))
            break;
        if (sofar.bodyLike ||
            sofar.compact.size() + next.compact.size() > (sofar.latin ? 200u : 60u))
            break;
        // A Chinese title and its English translation are two titles.
        if (sofar.latin != next.latin) break;
        // The author's name under the title is no part of it.
        if (next.personName && !sofar.continues) break;
        if (!GoesOn(lines, cur, next, sofar)) break;
        out.text = Join(std::move(out.text), next.text);
        out.count = int(j - first + 1);
        last = j;
        joined = JoinFactsOf(out.text);
        sofarFacts = &joined;
    }
    return out;
}

}  // namespace pelmora
