#pragma once
// What the title finder knows of one line, worked out once: its text, what
// the text looks like (a date, a document number, a kind word at its end...)
// and the formatting the reader resolved for it. The skip rules and the
// score read these facts and nothing else. Standard C++ only.

#include <cstddef>
#include <string>
#include <string_view>

#include "reader/paragraph.h"
#include "titles/labels.h"

namespace pelmora {

// Facts of a text, for one line or several joined into one title.
struct TextFeatures {
    std::u16string text;     // visible text
    std::u16string compact;  // without blanks
    bool latin = false;      // mostly Latin script

    bool rule = false;            // a drawn rule typed as characters ("────")
    bool mark = false;            // secrecy or urgency: "机密★1年", "特急", "DRAFT"
    bool copyNumber = false;      // "000123", "份号：000123"
    bool docNumber = false;       // "X政发〔2024〕12号", "第3号"
    bool codeLine = false;        // "ICS 27.120.99", "GB/T 1.1—2020", "NB"
    bool capitalsOnly = false;    // one word of 1 to 4 capitals: "GB", "CMMI"
    bool replaces = false;        // "代替 GB/T 1.1—2009"
    bool attachment = false;      // "附件1", "附件：", "附表2"
    bool letterheadText = false;  // "XX市人民政府文件", "中华人民共和国国家标准"
    bool date = false;            // "2024年3月5日", "（2023年3月）", "5 March 2024"
    bool datedHeading = false;    // opens with a date or is a year: "2021", "03/02 例会"
    bool genre = false;           // "MEMORANDUM", "本科毕业论文", "Bachelor Thesis"
    bool courseLine = false;      // "CS330 Software Engineering"
    bool salutation = false;      // "各区县人民政府：", "Dear Ms Chen,"
    bool addressLine = false;     // a letter's recipient or address: "The Manager,"
    bool contact = false;         // an e-mail address, a telephone number, a web address
    bool field = false;           // "合同编号：…", "编制单位：…", "To: …", "No. 12"
    bool bodyLike = false;        // running text rather than a heading
    bool kindEnding = false;      // ends in a document kind: "…的通知", "…Report"
    bool about = false;           // "关于…"
    bool numberedHeading = false;  // "第一章", "一、", "（一）", "1 项目概述"
    bool orgLine = false;          // an organisation or department
    bool placeholder = false;      // stands in for a title: "XXXX", "<Project Name>", "[…]"
    bool note = false;             // wholly in brackets: "（学位论文/实践成果）"
    bool contents = false;         // a table of contents' heading: "目录", "Contents"
    bool sectionHeading = false;   // "摘要", "Executive Summary", "WORK EXPERIENCE"
    bool personName = false;       // "王文豪", "Stryder R. Coleman"
    bool continues = false;        // ends in a word that needs the next line: "of the", "的"
    Label label;                   // "题目：X", "Subject: X"
    // False while only the facts above `about` are known (BaseFeaturesOf).
    bool complete = false;
};

TextFeatures TextFeaturesOf(std::u16string text);
// The facts every line needs, cheap to tell: text, compact, latin,
// addressLine, bodyLike, kindEnding, datedHeading. CompleteFeatures adds
// the rest, which only lines the finder still looks at need.
TextFeatures BaseFeaturesOf(std::u16string text);
void CompleteFeatures(TextFeatures& features);
// Only what joining lines asks of a title so far: compact, latin,
// bodyLike, kindEnding, continues.
TextFeatures JoinFactsOf(std::u16string text);

// A body line: its text's facts and its paragraph's formatting.
struct LineFeatures : TextFeatures {
    bool formatted = false;  // the reader resolved its formatting; else all below is default
    int size = 0;            // half-points most visible characters have (else the largest)
    bool centered = false;
    bool bold = false;
    bool red = false;
    bool titleStyle = false;
    bool subtitleStyle = false;
    int headingLevel = 0;        // 1..9 by style or outline level; 0 for body text
    bool contentsStyle = false;  // a table-of-contents line by its style
    bool listItem = false;       // a list item by its style
    bool pageBreakBefore = false;
    int tableRow = 0;  // 1-based row and cell of its table; 0 outside tables
    int tableCell = 0;
    bool columnHeader = false;  // a cell of a table's row of column headings
    // Text before the paragraph's first manual line break that says what
    // the paragraph is not ("附件1"), left out of the text above.
    std::u16string droppedLead;
};

LineFeatures LineFeaturesOf(const word::ParagraphFacts& p, bool complete = true);

// The same formatting: lines set as one title look alike.
bool SameLook(const LineFeatures& a, const LineFeatures& b);
// One look but for the style and the alignment: a title wrapped onto a
// second line keeps its size, weight and place.
bool SameFace(const LineFeatures& a, const LineFeatures& b);

}  // namespace pelmora
