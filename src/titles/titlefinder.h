#pragma once
// The automatic title mode: picks the paragraph a person would take as the
// title from the leading paragraphs of a body, by text patterns always and by
// formatting where the reader could resolve it. The rules are tables
// (titles/rules.h) over facts worked out once per line
// (titles/linefeatures.h). Standard C++ only.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "reader/paragraph.h"
#include "titles/rules.h"

namespace pelmora {

// Which rule decided, for diagnostics and tests.
enum class TitleRule {
    Label,           // "题目：X", "项目名称：X", "Title: X": the text after the label
    Subject,         // a memo's or letter's "Subject:" / "Re:" / "事由：" line
    Scored,          // the best scored candidate
    FirstParagraph,  // no candidate looked like a title: paragraph 1 as mode 0 takes it
};

// One title the finder could give.
struct TitleCandidate {
    std::u16string title;  // raw text: the caller still formats and judges it
    TitleRule rule = TitleRule::Scored;
    int first = 0;  // 0-based index of the (first) paragraph taken
    int count = 1;  // paragraphs joined into the title
    int score = 0;  // for scored candidates
    std::vector<ScorePart> parts;
};

struct TitleChoice {
    std::u16string title;  // raw text: the caller still formats and judges it
    TitleRule rule = TitleRule::FirstParagraph;
    int first = 0;  // 0-based index of the (first) paragraph taken
    int count = 1;  // paragraphs joined into the title
    // The titles worth offering, best first: the one taken (unless it is
    // paragraph 1 for want of any), then the other candidates by score,
    // running text left out.
    std::vector<TitleCandidate> candidates;
};

// `titleProperty`, when given, reads the stored Title property in place of
// body.titleProperty; it is called only when two candidates tie for the
// best score, since reading it costs a document part of its own.
TitleChoice ChooseTitle(const word::LeadingBody& body, std::u16string_view fileName,
                        const std::function<std::u16string()>& titleProperty = {});

// ChooseTitle(...).title.
std::u16string FindTitle(const word::LeadingBody& body, std::u16string_view fileName,
                         const std::function<std::u16string()>& titleProperty = {});

// Why the finder chose what it chose: every leading line it looked at, with
// its facts, the skip rule that passed it over or the score of the
// candidate it starts.
struct ExplainedLine {
    int index = 0;  // 0-based paragraph index
    LineFeatures features;
    std::string_view skippedBy;  // empty for a candidate
    int candidate = -1;          // index into TitleExplanation::scored of the one it starts
    bool joined = false;         // part of the candidate of a line above
    bool pastFirstPage = false;  // after the page break that ends the first page
};

struct TitleExplanation {
    TitleChoice choice;
    BodyContext body;
    std::vector<TitleCandidate> scored;  // every scored candidate, in line order
    std::vector<ExplainedLine> lines;
};

TitleExplanation ExplainTitle(const word::LeadingBody& body, std::u16string_view fileName,
                              const std::function<std::u16string()>& titleProperty = {});

}  // namespace pelmora
