#include "titles/titlefinder.h"

#include <algorithm>
#include <optional>

#include "reader/marks.h"
#include "titles/lines.h"
#include "titles/text.h"

namespace pelmora {

namespace {

using namespace titletext;
using word::ParagraphFacts;

// At most this many titles are offered.
constexpr size_t kMaxOffered = 5;

// A page break before a paragraph ends the first page just as a break in the
// text does: it is how cover pages usually end in .docx and RTF. Leading
// pages that show nothing do not count. The count of paragraphs on the first
// page.
size_t FirstPageLength(const std::vector<ParagraphFacts>& ps) {
    size_t shownFrom = ps.size();
    for (size_t i = 0; i < ps.size(); ++i) {
        if (i > 0 && ps[i].pageBreakBefore && shownFrom < i) return i;
        if (shownFrom == ps.size() && !Visible(ps[i].text).empty()) shownFrom = i;
    }
    return ps.size();
}

// A value a label cannot have: nothing, a placeholder, a bracketed note,
// another label, running text.
bool NoValue(const TextFeatures& v) {
    return v.compact.empty() || v.placeholder || v.note || v.label.kind != Label::None ||
           v.bodyLike;
}

// A line above the label that stands out more than the label does: then the
// label names something else than the document.
bool ProminentBefore(const Lines& lines, size_t i) {
    const LineFeatures& l = lines[i];
    for (size_t a = 0; a < i; ++a) {
        const LineFeatures& p = lines[a];
        if (!lines.candidate(a) || !p.formatted || p.orgLine || p.placeholder || p.bodyLike ||
            !(p.centered || p.bold) || p.size < l.size)
            continue;
        if ((lines.body.bodySize > 0 && p.size > lines.body.bodySize) || (p.bold && !l.bold) ||
            (p.centered && !l.centered))
            return true;
    }
    return false;
}

TitleCandidate Taken(TitleRule rule, size_t first, const Joined& j) {
    TitleCandidate c;
    c.rule = rule;
    c.title = j.text;
    c.first = int(first);
    c.count = j.count;
    return c;
}

// 1 and 2: an explicit label or subject line names the title, unless a
// paragraph before it carries the Title style. Labels inside the running
// text ("项目名称：" in a notice's body) do not count, nor do those of a
// project in a form's table.
std::optional<TitleCandidate> Labelled(const Lines& lines) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const LineFeatures& line = lines[i];
        if (lines.candidate(i) && ((line.formatted && line.titleStyle) || line.bodyLike)) break;
        const Label& label = line.label;
        if (label.kind == Label::None) continue;
        if (label.kind == Label::Project && line.tableRow > 0) continue;
        if (label.kind != Label::Subject && ProminentBefore(lines, i)) continue;
        const TitleRule rule = label.kind == Label::Subject ? TitleRule::Subject : TitleRule::Label;
        if (!label.bare) {
            std::u16string value = ValueAfterLabel(line.text, label.length);
            if (NoValue(TextFeaturesOf(value))) continue;
            // A long thesis title wraps onto a second line without a label.
            return Taken(rule, i, JoinLines(lines, i, std::move(value)));
        }
        // "题目：" alone, or a label cell: the next line holding text, in
        // another cell than the label's own.
        for (size_t j = i + 1; j < lines.size(); ++j) {
            const LineFeatures& next = lines[j];
            if (lines.skipName(j) == "empty" || lines.skipName(j) == "rule") continue;
            if (line.tableRow > 0 && next.tableRow == line.tableRow &&
                next.tableCell == line.tableCell)
                continue;
            if (!lines.candidate(j) || NoValue(next)) break;
            const Joined value = JoinLines(lines, j, next.text);
            TitleCandidate c = Taken(rule, j, value);
            return c;
        }
    }
    return std::nullopt;
}

struct Scoring {
    std::vector<TitleCandidate> candidates;  // in line order
    std::vector<bool> placeholder;           // the candidate is a template's stand-in
    std::vector<bool> bodyLike;
    std::vector<bool> weak;           // no title by itself: a table cell or a numbered heading
    std::vector<bool> afterContents;  // a table of contents stands before it
};

// 3: every line left, scored. A title set over several lines is scored as
// one, by its first line's look. The title comes before the running text:
// scoring ends at running text, but for one introductory paragraph above
// the first line that could be a title.
Scoring Score(const Lines& lines) {
    Scoring out;
    int rank = 0;
    bool runningText = false, titleSeen = false, contents = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        contents = contents || lines.skipName(i) == "contents";
        if (!lines.candidate(i)) continue;
        // After an introductory paragraph only a line set apart by its look
        // can be the title.
        if (runningText && !LooksLikeTitle(lines[i], lines.body) && !lines[i].bodyLike) continue;
        const Joined joined = JoinLines(lines, i, lines[i].text);
        const size_t head = joined.dropped ? i + 1 : i;
        TextFeatures own;
        if (joined.count > 1 || joined.dropped) own = TextFeaturesOf(joined.text);
        Candidate c{int(i), joined.count, rank++, &lines[head],
                    joined.count > 1 || joined.dropped ? &own : &lines[i]};
        TitleCandidate t = Taken(TitleRule::Scored, i, joined);
        t.score = Score(c, lines.body, &t.parts);
        const bool bodyLike = c.joined->bodyLike;
        out.candidates.push_back(std::move(t));
        out.placeholder.push_back(c.joined->placeholder && !joined.dropped);
        out.bodyLike.push_back(bodyLike);
        out.afterContents.push_back(contents);
        out.weak.push_back((c.head->tableRow > 0 && !c.joined->kindEnding &&
                            !LooksLikeTitle(*c.head, lines.body)) ||
                           c.joined->numberedHeading);
        i += size_t(joined.count - 1);  // the joined lines are not candidates of their own
        if (!bodyLike) {
            titleSeen = true;
        } else if (!runningText && !titleSeen) {
            runningText = true;
        } else {
            break;
        }
    }
    return out;
}

// Best first. Equal best scores go to the line that matches the stored
// Title property, then the file name, then the earlier line; the property is
// read only for such a tie.
std::vector<size_t> Ranked(const std::vector<TitleCandidate>& c, std::u16string_view fileName,
                           const std::function<std::u16string()>& property) {
    std::vector<size_t> order(c.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return c[a].score > c[b].score; });
    size_t tied = 0;
    while (tied < order.size() && c[order[tied]].score == c[order.front()].score) ++tied;
    if (tied > 1) {
        const std::u16string stored = Compact(Visible(property ? property() : u""));
        const std::u16string stem = FileStem(fileName);
        std::vector<int> ties(c.size(), 0);
        for (size_t n = 0; n < tied; ++n) {
            const std::u16string k = Compact(c[order[n]].title);
            ties[order[n]] = (Matches(k, stored) ? 2 : 0) + (Matches(k, stem) ? 1 : 0);
        }
        std::stable_sort(order.begin(), order.begin() + long(tied),
                         [&](size_t a, size_t b) { return ties[a] > ties[b]; });
    }
    return order;
}

// "哈尔滨工业大学（威海）" / "招生新媒体中心" / "工作规章": a bare kind of
// document takes the issuing body set above it in the same bold, centred,
// big type.
std::u16string WithIssuingBody(const Lines& lines, const TitleCandidate& c) {
    const std::u16string k = Compact(c.title);
    if (k.size() > 4 || !TextFeaturesOf(c.title).kindEnding) return c.title;
    std::u16string prefix;
    int empties = 0;
    for (int a = c.first - 1; a >= 0 && a >= c.first - 4; --a) {
        const LineFeatures& l = lines[size_t(a)];
        if (lines.skipName(size_t(a)) == "empty") {
            if (++empties > 1) break;
            continue;
        }
        if (!lines.candidate(size_t(a)) || !l.formatted || !l.centered || !l.bold ||
            l.size <= lines.body.bodySize)
            break;
        prefix = l.text + prefix;
    }
    return prefix + c.title;
}

// A log kept under dated headings ("2021", "03/02 例会") has no title.
bool IsDatedLog(const Lines& lines, const TitleCandidate& c) {
    const LineFeatures& head = lines[size_t(c.first)];
    if (head.headingLevel == 0 || !head.datedHeading) return false;
    int dated = 0;
    for (const LineFeatures& l : lines.features) dated += l.headingLevel > 0 && l.datedHeading;
    return dated >= 2;
}

// The first line of the page header that can be a title: no page number,
// date, placeholder, genre or organisation line; its bracketed placeholders
// and a trailing colon dropped.
std::optional<std::u16string> HeaderTitle(const std::vector<ParagraphFacts>& header) {
    for (const ParagraphFacts& p : header) {
        std::u16string kept;
        int depth = 0;
        for (char16_t c : Visible(p.text)) {
            if (c == u'[') {
                ++depth;
            } else if (c == u']') {
                if (depth > 0) --depth;
            } else if (depth == 0) {
                kept += c;
            }
        }
        std::u16string t(Trim(kept));
        while (!t.empty() && (IsColon(t.back()) || IsBlank(t.back()) || t.back() == u'|'))
            t.pop_back();
        const TextFeatures f = TextFeaturesOf(t);
        const std::u16string& k = f.compact;
        if (k.empty() || f.date || f.placeholder || f.genre || f.orgLine || f.docNumber || f.mark ||
            f.contact || f.letterheadText)
            continue;
        // Page numbers: "45", "·1·", "- 3 -", "第3页", "Page 4 of 11".
        const bool words = std::any_of(k.begin(), k.end(), [](char16_t c) {
            return (IsHan(c) && c != 0x00B7 && c != 0x30FB && !(c >= 0xFF01 && c <= 0xFF20)) ||
                   IsAsciiLetter(c);
        });
        if (!words || (k.starts_with(u"第") && k.ends_with(u"页")) || StartsWithNoCase(k, u"page"))
            continue;
        if (k.size() > 40 || f.bodyLike) return std::nullopt;
        return t;
    }
    return std::nullopt;
}

// Boxes that are the labels of a drawing (a flow chart, a work breakdown, a
// circuit): many boxes of one line each, most of them as big as the biggest,
// so no box stands out as a title would.
bool BoxesOfADrawing(const std::vector<word::TextBox>& boxes) {
    constexpr size_t kManyBoxes = 8;
    if (boxes.size() < kManyBoxes) return false;
    int biggest = 0;
    std::vector<int> sizes;
    for (const word::TextBox& box : boxes) {
        int lines = 0, size = 0;
        for (const ParagraphFacts& p : box.paragraphs) {
            if (Trim(Visible(p.text)).empty()) continue;
            ++lines;
            size = std::max(size, p.mainHalfPoints);
        }
        if (lines > 1) return false;
        sizes.push_back(size);
        biggest = std::max(biggest, size);
    }
    const auto asBig = std::count(sizes.begin(), sizes.end(), biggest);
    return size_t(asBig) * 2 >= sizes.size();
}

// The title of the text boxes, scored as a body of their own.
std::optional<TitleCandidate> TextBoxTitle(const std::vector<word::TextBox>& boxes,
                                           std::u16string_view fileName,
                                           const std::function<std::u16string()>& property) {
    if (boxes.empty() || BoxesOfADrawing(boxes)) return std::nullopt;
    std::vector<ParagraphFacts> paragraphs;
    for (const word::TextBox& box : boxes) {
        for (const ParagraphFacts& p : box.paragraphs) {
            if (paragraphs.size() >= size_t(word::kLeadingParagraphs)) break;
            paragraphs.push_back(p);
        }
    }
    const Lines lines = ReadLines(paragraphs);
    if (std::optional<TitleCandidate> labelled = Labelled(lines)) return labelled;
    const Scoring s = Score(lines);
    const std::vector<size_t> order = Ranked(s.candidates, fileName, property);
    if (order.empty()) return std::nullopt;
    const size_t best = order.front();
    if (s.bodyLike[best] || s.placeholder[best] || s.weak[best]) return std::nullopt;
    TitleCandidate c = s.candidates[best];
    c.rule = TitleRule::TextBox;
    return c;
}

// The first line of the header the first page shows that can be a title.
std::optional<TitleCandidate> HeaderCandidate(const TitleSources& sources) {
    if (!sources.firstPageHeader) return std::nullopt;
    std::optional<std::u16string> h = HeaderTitle(sources.firstPageHeader());
    if (!h) return std::nullopt;
    TitleCandidate c;
    c.rule = TitleRule::Header;
    c.title = std::move(*h);
    return c;
}

TitleExplanation Explain(const word::LeadingBody& whole, std::u16string_view fileName,
                         const TitleSources& sources, bool explain) {
    TitleExplanation out;
    TitleChoice& choice = out.choice;
    const std::function<std::u16string()> property =
        sources.titleProperty
            ? sources.titleProperty
            : std::function<std::u16string()>([&] { return whole.titleProperty; });
    const size_t firstPage = FirstPageLength(whole.paragraphs);
    const std::span<const ParagraphFacts> ps(whole.paragraphs.data(), firstPage);
    const Lines lines = ReadLines(ps);
    out.body = lines.body;

    // 5: nothing better: paragraph 1's text, unless it is a line that is
    // never a title (a picture, a table of contents' heading, a date...).
    if (!ps.empty() && (lines.candidate(0) || lines.skipName(0) == "field") &&
        !lines[0].placeholder)
        choice.title = lines[0].droppedLead.empty() ? Visible(ps[0].text) : lines[0].text;

    const std::optional<TitleCandidate> labelled = Labelled(lines);
    const Scoring scoring = Score(lines);
    const std::vector<TitleCandidate>& scored = scoring.candidates;
    const std::vector<size_t> order = Ranked(scored, fileName, property);

    std::optional<TitleCandidate> taken;
    if (labelled) {
        taken = labelled;
    } else if (!order.empty()) {
        const size_t best = order.front();
        const bool weak = scoring.bodyLike[best] || scoring.weak[best] ||
                          (scoring.placeholder[best] &&
                           !LooksLikeTitle(lines[size_t(scored[best].first)], lines.body));
        if (scoring.placeholder[best] && !weak) {
            choice.title.clear();
            choice.rule = TitleRule::Template;
        } else if (!weak && !IsDatedLog(lines, scored[best])) {
            taken = scored[best];
            taken->title = WithIssuingBody(lines, scored[best]);
        }
        // 4: the body holds no title: the header. Not the text boxes: beside
        // a body of text they are a drawing's labels (a flow chart's steps).
        if (weak) {
            taken = HeaderCandidate(sources);
            // A table cell or a numbered heading is still better than nothing,
            // but a chapter heading after the table of contents is no title.
            if (!taken && scoring.weak[best] && !scoring.bodyLike[best] &&
                scored[best].score >= 0 && !scoring.afterContents[best])
                taken = scored[best];
        }
    } else if (ps.empty() || lines.size() == 0 ||
               std::all_of(lines.skipped.begin(), lines.skipped.end(),
                           [](const SkipRule* r) { return r != nullptr; })) {
        // The boxes cost a pass over the body: only where one is anchored.
        const bool anchored = std::any_of(ps.begin(), ps.end(), [](const ParagraphFacts& p) {
            return p.text.find(word::kDrawingMark) != std::u16string::npos;
        });
        if (anchored && sources.textBoxes)
            taken = TextBoxTitle(sources.textBoxes(), fileName, property);
        if (!taken) taken = HeaderCandidate(sources);
    }
    if (taken) {
        choice.title = taken->title;
        choice.rule = taken->rule;
        choice.first = taken->first;
        choice.count = taken->count;
        choice.candidates.push_back(*taken);
    }
    // The others worth offering, by score: no running text, no placeholders.
    for (size_t i : order) {
        if (choice.candidates.size() >= kMaxOffered) break;
        if (scoring.bodyLike[i] || scoring.placeholder[i]) continue;
        const TitleCandidate& c = scored[i];
        const bool same = std::any_of(
            choice.candidates.begin(), choice.candidates.end(),
            [&](const TitleCandidate& o) { return Compact(o.title) == Compact(c.title); });
        if (!same) choice.candidates.push_back(c);
    }

    if (explain) {
        for (size_t i = 0; i < whole.paragraphs.size(); ++i) {
            ExplainedLine e;
            e.index = int(i);
            if (i >= lines.size()) {
                e.features = LineFeaturesOf(whole.paragraphs[i]);
                e.pastFirstPage = true;
            } else {
                e.features = lines[i];
                e.skippedBy = lines.skipName(i);
            }
            out.lines.push_back(std::move(e));
        }
        for (size_t n = 0; n < scored.size(); ++n) {
            const TitleCandidate& c = scored[n];
            out.lines[size_t(c.first)].candidate = int(n);
            for (int j = 1; j < c.count; ++j) out.lines[size_t(c.first + j)].joined = true;
        }
        out.scored = scored;
    }
    return out;
}

}  // namespace

TitleChoice ChooseTitle(const word::LeadingBody& body, std::u16string_view fileName,
                        const TitleSources& sources) {
    return Explain(body, fileName, sources, false).choice;
}

TitleChoice ChooseTitle(const word::LeadingBody& body, std::u16string_view fileName,
                        const std::function<std::u16string()>& titleProperty) {
    TitleSources sources;
    sources.titleProperty = titleProperty;
    return ChooseTitle(body, fileName, sources);
}

std::u16string FindTitle(const word::LeadingBody& body, std::u16string_view fileName,
                         const TitleSources& sources) {
    return ChooseTitle(body, fileName, sources).title;
}

std::u16string FindTitle(const word::LeadingBody& body, std::u16string_view fileName,
                         const std::function<std::u16string()>& titleProperty) {
    return ChooseTitle(body, fileName, titleProperty).title;
}

TitleExplanation ExplainTitle(const word::LeadingBody& body, std::u16string_view fileName,
                              const TitleSources& sources) {
    return Explain(body, fileName, sources, true);
}

}  // namespace pelmora
