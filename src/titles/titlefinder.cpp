#include "titles/titlefinder.h"

#include <algorithm>
#include <map>
#include <optional>

#include "titles/text.h"

namespace pelmora {

namespace {

using namespace titletext;
using word::ParagraphFacts;

// At most this many titles are offered.
constexpr size_t kMaxOffered = 5;

// A page break before a paragraph ends the first page just as a break in the
// text does: it is how cover pages usually end in .docx and RTF. The count
// of paragraphs on the first page.
size_t FirstPageLength(const std::vector<ParagraphFacts>& ps) {
    for (size_t i = 1; i < ps.size(); ++i) {
        if (!ps[i].pageBreakBefore) continue;
        for (size_t j = 0; j < i; ++j) {
            if (!Visible(ps[j].text).empty()) return i;
        }
        break;
    }
    return ps.size();
}

// The font size most of the formatted text has: what "bigger" is measured by.
int BodySize(const std::vector<ParagraphFacts>& ps, const std::vector<LineFeatures>& lines) {
    std::map<int, size_t> weight;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (ps[i].formatted && ps[i].mainHalfPoints > 0)
            weight[ps[i].mainHalfPoints] += lines[i].compact.size();
    }
    int best = 0;
    size_t bestWeight = 0;
    for (const auto& [size, w] : weight) {
        if (w > bestWeight) {
            best = size;
            bestWeight = w;
        }
    }
    return best;
}

struct Lines {
    const std::vector<ParagraphFacts>& ps;
    std::vector<LineFeatures> features;
    std::vector<const SkipRule*> skipped;
    BodyContext body;

    size_t size() const { return features.size(); }
    bool candidate(size_t i) const { return skipped[i] == nullptr; }
};

// How many lines from `first` make one title, with their joined text in
// `text`: the following lines that look the same (formatted), or that finish
// a "关于…" title with its kind (text only).
int JoinedLines(const Lines& lines, size_t first, std::u16string& text) {
    int count = 1;
    for (size_t j = first + 1; j < lines.size() && j <= first + 2; ++j) {
        const LineFeatures& next = lines.features[j];
        const ParagraphFacts& cur = lines.ps[j - 1];
        if (!lines.candidate(j) || next.bodyLike || next.numberedHeading || next.orgLine ||
            next.compact.size() > 40)
            break;
        const TextFeatures sofar = TextFeaturesOf(text);
        if (sofar.bodyLike || sofar.compact.size() + next.compact.size() > 60) break;
        // A Chinese title and its English translation are two titles.
        if (sofar.latin != next.latin) break;
        const bool ended =
            sofar.kindEnding && !next.compact.starts_with(u"（") && !next.compact.starts_with(u"(");
        bool join = false;
        if (cur.formatted && lines.ps[j].formatted) {
            const LineFeatures& c = lines.features[j - 1];
            const bool looksTitle = c.titleStyle || c.headingLevel > 0 || c.centered || c.bold ||
                                    (lines.body.bodySize > 0 && c.size > lines.body.bodySize);
            join = looksTitle && SameLook(cur, lines.ps[j]) && !ended;
        } else {
            const std::u16string& k = sofar.compact;
            join = !ended && next.kindEnding && next.compact.size() <= 30 &&
                   (k.starts_with(u"关于") || k.ends_with(u"的") || k.ends_with(u"和") ||
                    k.ends_with(u"与") || k.ends_with(u"及"));
        }
        if (!join) break;
        text = Join(std::move(text), next.text);
        ++count;
    }
    return count;
}

// 1 and 2: an explicit label or subject line names the title, unless a
// paragraph before it carries the Title style. Labels inside the running
// text ("项目名称：" in a notice's body) do not count.
std::optional<TitleCandidate> Labelled(const Lines& lines) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const LineFeatures& line = lines.features[i];
        if (lines.candidate(i) && ((line.formatted && line.titleStyle) || line.bodyLike)) break;
        const size_t label = line.labelLength;
        const size_t subject = label ? 0 : line.subjectLength;
        if (label == 0 && subject == 0) continue;
        TitleCandidate c;
        c.rule = label ? TitleRule::Label : TitleRule::Subject;
        c.title = ValueAfterLabel(line.text, label ? label : subject);
        if (!c.title.empty()) {
            // A long thesis title wraps onto a second line without a label.
            c.first = int(i);
            c.count = JoinedLines(lines, i, c.title);
            return c;
        }
        if (!label) continue;
        // "题目：" alone (or a label cell): the next line holding text.
        for (size_t j = i + 1; j < lines.size(); ++j) {
            const std::string_view skip = lines.skipped[j] ? lines.skipped[j]->name : "";
            if (skip == "empty" || skip == "rule") continue;
            if (!lines.candidate(j)) break;
            c.title = lines.features[j].text;
            c.first = int(j);
            return c;
        }
    }
    return std::nullopt;
}

// 3: every line left, scored. A title set over two or three lines is
// scored as one, by its first line's look. The title comes before the
// running text: scoring ends at the first candidate that reads as running
// text.
std::vector<TitleCandidate> Scored(const Lines& lines) {
    std::vector<TitleCandidate> out;
    int rank = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines.candidate(i)) continue;
        const LineFeatures& head = lines.features[i];
        std::u16string text = head.text;
        const int count = JoinedLines(lines, i, text);
        Candidate c{int(i), count, rank++, &head,
                    count > 1 ? TextFeaturesOf(text) : static_cast<const TextFeatures&>(head)};
        TitleCandidate t;
        t.title = std::move(text);
        t.first = c.first;
        t.count = count;
        t.score = Score(c, lines.body, &t.parts);
        const bool bodyLike = c.joined.bodyLike;
        out.push_back(std::move(t));
        i += size_t(count - 1);  // the joined lines are not candidates of their own
        if (bodyLike) break;
    }
    return out;
}

TitleExplanation Explain(const word::LeadingBody& whole, std::u16string_view fileName,
                         const std::function<std::u16string()>& titleProperty, bool explain) {
    TitleExplanation out;
    TitleChoice& choice = out.choice;
    if (!whole.paragraphs.empty()) choice.title = whole.paragraphs.front().text;  // mode 0's
    const size_t firstPage = FirstPageLength(whole.paragraphs);
    const std::vector<ParagraphFacts> ps(whole.paragraphs.begin(),
                                         whole.paragraphs.begin() + long(firstPage));
    if (ps.empty()) return out;

    Lines lines{ps, {}, {}, {}};
    lines.features.reserve(ps.size());
    for (const ParagraphFacts& p : ps) lines.features.push_back(LineFeaturesOf(p));
    lines.body.bodySize = BodySize(ps, lines.features);
    lines.skipped.reserve(ps.size());
    for (const LineFeatures& f : lines.features)
        lines.skipped.push_back(SkipRuleFor(f, lines.body));
    for (size_t i = 0; i < ps.size(); ++i) {
        if (lines.candidate(i) && lines.features[i].formatted)
            lines.body.largest = std::max(lines.body.largest, lines.features[i].size);
    }
    out.body = lines.body;

    const std::optional<TitleCandidate> labelled = Labelled(lines);
    std::vector<TitleCandidate> scored = Scored(lines);

    // Best first. Equal best scores go to the line that matches the stored
    // Title property, then the file name, then the earlier line; the
    // property is read only for such a tie.
    std::vector<size_t> order(scored.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return scored[a].score > scored[b].score; });
    size_t tied = 0;
    while (tied < order.size() && scored[order[tied]].score == scored[order.front()].score) ++tied;
    if (tied > 1) {
        const std::u16string property =
            Compact(Visible(titleProperty ? titleProperty() : whole.titleProperty));
        const std::u16string stem = FileStem(fileName);
        auto tieOf = [&](size_t i) {
            const std::u16string k = Compact(scored[i].title);
            return (Matches(k, property) ? 2 : 0) + (Matches(k, stem) ? 1 : 0);
        };
        std::vector<int> ties(scored.size(), 0);
        for (size_t n = 0; n < tied; ++n) ties[order[n]] = tieOf(order[n]);
        std::stable_sort(order.begin(), order.begin() + long(tied),
                         [&](size_t a, size_t b) { return ties[a] > ties[b]; });
    }

    auto offered = [&](const TitleCandidate& c) {
        return !Compact(c.title).empty() && !TextFeaturesOf(c.title).bodyLike;
    };
    if (labelled) {
        choice.title = labelled->title;
        choice.rule = labelled->rule;
        choice.first = labelled->first;
        choice.count = labelled->count;
        choice.candidates.push_back(*labelled);
    } else if (!order.empty() && offered(scored[order.front()])) {
        const TitleCandidate& best = scored[order.front()];
        choice.title = best.title;
        choice.rule = TitleRule::Scored;
        choice.first = best.first;
        choice.count = best.count;
    }
    // 4: nothing but running text: no title, paragraph 1 as mode 0 takes it.
    for (size_t i : order) {
        if (choice.candidates.size() >= kMaxOffered) break;
        const TitleCandidate& c = scored[i];
        if (!offered(c)) continue;
        const bool same = std::any_of(
            choice.candidates.begin(), choice.candidates.end(),
            [&](const TitleCandidate& o) { return Compact(o.title) == Compact(c.title); });
        if (!same) choice.candidates.push_back(c);
    }

    if (explain) {
        for (size_t i = 0; i < whole.paragraphs.size(); ++i) {
            ExplainedLine e;
            e.index = int(i);
            if (i >= ps.size()) {
                e.features = LineFeaturesOf(whole.paragraphs[i]);
                e.pastFirstPage = true;
            } else {
                e.features = lines.features[i];
                if (lines.skipped[i]) e.skippedBy = lines.skipped[i]->name;
            }
            out.lines.push_back(std::move(e));
        }
        for (size_t n = 0; n < scored.size(); ++n) {
            const TitleCandidate& c = scored[n];
            out.lines[size_t(c.first)].candidate = int(n);
            for (int j = 1; j < c.count; ++j) out.lines[size_t(c.first + j)].joined = true;
        }
        out.scored = std::move(scored);
    }
    return out;
}

}  // namespace

TitleChoice ChooseTitle(const word::LeadingBody& body, std::u16string_view fileName,
                        const std::function<std::u16string()>& titleProperty) {
    return Explain(body, fileName, titleProperty, false).choice;
}

std::u16string FindTitle(const word::LeadingBody& body, std::u16string_view fileName,
                         const std::function<std::u16string()>& titleProperty) {
    return ChooseTitle(body, fileName, titleProperty).title;
}

TitleExplanation ExplainTitle(const word::LeadingBody& body, std::u16string_view fileName,
                              const std::function<std::u16string()>& titleProperty) {
    return Explain(body, fileName, titleProperty, true);
}

}  // namespace pelmora
