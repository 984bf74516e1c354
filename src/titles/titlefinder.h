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
    TextBox,         // the best line of the text boxes: the body holds no title
    Header,          // a line of the page header: the body holds no title
    Template,        // the title is a placeholder ("XXXX", "[论文题目]"): no title
    FirstParagraph,  // no candidate looked like a title: paragraph 1's text, or nothing
};

// What else a document may hold its title in, read only when the body
// gives none.
struct TitleSources {
    // The stored Title property; called only when two candidates tie for the
    // best score, since reading it costs a document part of its own. Empty:
    // the body's titleProperty.
    std::function<std::u16string()> titleProperty;
    // The text boxes anchored in the first part of the body; asked for only
    // when the body holds no text that could be a title.
    std::function<std::vector<word::TextBox>()> textBoxes;
    // The paragraphs of the page header the first page shows.
    std::function<std::vector<word::ParagraphFacts>()> firstPageHeader;
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

TitleChoice ChooseTitle(const word::LeadingBody& body, std::u16string_view fileName,
                        const TitleSources& sources = {});
// `titleProperty`, when given, reads the stored Title property in place of
// body.titleProperty.
TitleChoice ChooseTitle(const word::LeadingBody& body, std::u16string_view fileName,
                        const std::function<std::u16string()>& titleProperty);

// ChooseTitle(...).title.
std::u16string FindTitle(const word::LeadingBody& body, std::u16string_view fileName,
                         const TitleSources& sources = {});
std::u16string FindTitle(const word::LeadingBody& body, std::u16string_view fileName,
                         const std::function<std::u16string()>& titleProperty);

// Why the finder chose what it chose: every leading line it looked at, with
// its facts, the skip rule that passed it over or the score of the
// candidate it starts.
struct ExplainedLine {
    std::string_view source = "body";  // "body", "text box" or "header"
    int index = 0;                     // 0-based paragraph index in its source
    LineFeatures features;
    std::string_view skippedBy;  // empty for a candidate
    int candidate = -1;          // index into TitleExplanation::scored of the one it starts
    bool joined = false;         // part of the candidate of a line above
    bool pastFirstPage = false;  // after the page break that ends the first page
};

struct TitleExplanation {
    TitleChoice choice;
    BodyContext body;
    std::vector<TitleCandidate>
        scored;  // every scored candidate, in line order, sources after the body
    std::vector<ExplainedLine> lines;
};

TitleExplanation ExplainTitle(const word::LeadingBody& body, std::u16string_view fileName,
                              const TitleSources& sources = {});

}  // namespace pelmora
