#pragma once
// The RTF reader's parser: one pass over the control words with a group
// stack; text goes to the story the current destination names (body, a
// header or footer, or nowhere for tables of fonts, pictures, field codes
// and the like). Private to rtf/: parser.cpp reads the groups and text,
// words.cpp the control words, rtf.cpp makes a document of it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "reader/paragraph.h"
#include "reader/story.h"

namespace pelmora::word::rtf {

// Paragraph texts of one story, as Word gives them.
struct Story {
    std::vector<std::u16string> paragraphs;
    std::u16string cur;
    bool justEndedParagraph = false;  // nothing since the last \par
};

struct SectionStories {
    // 0 primary, 1 first page, 2 even pages; -1 none.
    std::array<int, 3> header{-1, -1, -1}, footer{-1, -1, -1};
    bool titlePage = false;  // \titlepg: the first page shows \headerf
};

// Shape: inside a \shp group read for its text box; only the \shpinst
// group and its \shptxt are entered.
enum class Dest { Text, Skip, FontTable, Upr, StyleSheet, ColorTable, Info, Shape };

// A text box (\shptxt) the body passed.
struct BoxStory {
    int story = 0;   // index into the stories
    int anchor = 0;  // body paragraphs before it
    std::vector<ParagraphFacts> paragraphs;
};

// Which characters the associated properties (\afs, \ab) that follow apply
// to: \dbch names the East Asian ones, which some writers size apart from
// the Latin ones (\fs, \b) and put under \dbch for the text itself.
enum class RunScript { Other, DoubleByte };

// What a paragraph's formatting needs of the character and paragraph state.
struct Formatting {
    int halfPoints = 24;  // \fs; RTF's default is 12 points
    bool bold = false;
    bool hidden = false;
    long color = 0;  // \cf: index into the colour table, 0 for auto
    RunScript script = RunScript::Other;
    int eastAsianHalfPoints = -1;  // \afs after \dbch; -1: as \fs
    int eastAsianBold = -1;        // \ab after \dbch; -1: as \b
    long style = 0;                // \s
    bool centered = false;
    int outlineLevel = -1;  // \outlinelevel, -1 when the paragraph states none
    bool pageBreakBefore = false;
    bool inTable = false;
    void Plain() {
        halfPoints = 24, bold = false, hidden = false, color = 0;
        script = RunScript::Other, eastAsianHalfPoints = -1, eastAsianBold = -1;
    }
    // Size and boldness of the text that comes now.
    int TextHalfPoints() const {
        return script == RunScript::DoubleByte && eastAsianHalfPoints >= 0 ? eastAsianHalfPoints
                                                                           : halfPoints;
    }
    bool TextBold() const {
        return script == RunScript::DoubleByte && eastAsianBold >= 0 ? eastAsianBold != 0 : bold;
    }
    void Pard() {
        style = 0, centered = false, outlineLevel = -1, pageBreakBefore = false, inTable = false;
    }
};

struct RtfStyle {
    std::u16string name;
    long basedOn = -1;
    int outlineLevel = -1;
};

struct GroupState {
    int story = 0;  // index into stories_, -1 while text is dropped
    Dest dest = Dest::Text;
    int uc = 1;
    long font = -1;
    int headerKind = -1;     // this group opened a header (0..2) or footer (3..5)
    int savedStory = -1;     // \upr: where \ud sends its text
    bool firstWord = true;   // no control word seen yet in this group
    bool ignorable = false;  // the group started with \*
    Formatting fmt;
};

class RtfParser {
  public:
    // With `maxBoxes`, the text boxes of the shapes in the body are read
    // too (at most that many) instead of being passed over.
    RtfParser(std::string_view data, std::size_t wantParas, std::size_t wantSections,
              bool facts = false, std::size_t maxBoxes = 0)
        : d_(data),
          wantParas_(wantParas),
          wantSections_(wantSections),
          facts_(facts),
          maxBoxes_(maxBoxes) {
        stories_.emplace_back();
        sections_.emplace_back();
    }

    // Returns true when the whole input was read.
    bool Run();

    std::vector<ParagraphFacts> paragraphs;  // the body's first ones
    std::size_t count = 0;                   // all the body's paragraphs
    std::vector<SectionStories> sections;
    std::vector<std::u16string> storyTexts;  // headers and footers by story index
    std::u16string title;                    // {\info{\title ...}}
    bool tooDeep = false;                    // stopped at groups nested too deeply
    bool stoppedAtBreak = false;             // read with formatting up to the first break
    std::vector<BoxStory> boxes;

  private:
    bool Finish(bool complete);

    static std::u16string StoryText(const Story& s);

    GroupState& G() { return stack_.back(); }

    void EndGroup();

    bool StyleName() const { return inStyle_ && stack_.back().dest == Dest::StyleSheet; }

    // Appends decoded text to the current story.
    void Put(std::u16string_view text);
    void Put(char16_t c) { Put(std::u16string_view(&c, 1)); }

    int CodePage() const;

    void TextByte(unsigned char b);

    // Decodes collected bytes at once, so that double-byte characters split
    // over two \'hh escapes come out whole.
    void FlushBytes();

    void Emit(int story, std::u16string text);

    // The body paragraph that ends now, with its formatting when asked for.
    ParagraphFacts Facts(std::u16string text);

    uint32_t Color(long index) const;
    void EndColor();

    void BeginStyle();
    void EndStyle();

    void EndParagraph(const char16_t* mark);

    void SectionBreak();

    void OpenStory(int kind);

    void SkipGroup() { G().dest = Dest::Skip; }

    std::size_t ControlWord(std::size_t pos);
    std::size_t ControlSymbol(std::size_t pos);

    // Control words (words.cpp), by the destination they come in.
    void Word(std::string_view w, bool hasParam, long param, bool first);
    void StyleSheetWord(std::string_view w, bool hasParam, long param, bool first);
    void ColorWord(std::string_view w, long param);
    void InfoWord(std::string_view w, bool first);
    void FontWord(std::string_view w, bool hasParam, long param);
    // A group's first word that names its destination; false for others.
    bool DestinationWord(std::string_view w);
    void TextWord(std::string_view w, bool hasParam, long param);

    // Character and paragraph formatting words; false for other words.
    static bool Format(Formatting& f, std::string_view w, bool hasParam, long param);

    std::string_view d_;
    std::size_t wantParas_, wantSections_;
    bool facts_ = false;
    std::size_t maxBoxes_ = 0;
    void ShapeWord(std::string_view w, bool first);
    BoxStory* BoxOf(int story);
    std::vector<ParagraphFacts> body_;
    RunTally tally_;
    std::vector<uint32_t> colors_;
    uint32_t color_ = 0;
    bool colorSet_ = false;
    std::map<long, RtfStyle> styles_;
    RtfStyle style_;
    long styleIndex_ = 0;
    std::size_t sheetDepth_ = 0;  // stack depth of the \stylesheet group, 0 outside it
    bool inStyle_ = false, paragraphStyle_ = true, sheetDamaged_ = false;
    int titleStory_ = 0;
    int row_ = 0, cell_ = 0;  // in the outermost table
    bool rowEnding_ = false, nestedCell_ = false;
    std::size_t breakAt_ = 0;  // the body paragraph holding the first break
    std::vector<GroupState> stack_;
    std::vector<Story> stories_;
    std::vector<SectionStories> sections_;
    std::map<long, int> fontCodePage_;
    long curFont_ = -1, defaultFont_ = -1;
    int docCodePage_ = 1252;
    std::string bytes_;
    int bytesCodePage_ = 1252;
    int skip_ = 0;
    bool stop_ = false;
    bool bodyTailDropped_ = false;
};

}  // namespace pelmora::word::rtf
