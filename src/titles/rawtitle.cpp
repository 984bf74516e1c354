#include "titles/rawtitle.h"

#include "reader/document.h"
#include "reader/error.h"
#include "titles/titlefinder.h"

namespace pelmora {

std::optional<TitleMode> TitleModeFromNumber(int number) {
    if (number < int(TitleMode::TitleModeFirstParagraph) || number > int(TitleMode::TitleModeAuto))
        return std::nullopt;
    return static_cast<TitleMode>(number);
}

TitleSources TitleSourcesOf(word::Document& doc) {
    TitleSources s;
    s.titleProperty = [&doc] { return doc.TitleProperty(); };
    // The header the first page shows: section 1's first-page header when
    // it has a different first page, else its primary one. Damage loses it.
    s.firstPageHeader = [&doc] { return doc.FirstPageHeaderParagraphs(word::kLeadingParagraphs); };
    s.textBoxes = [&doc] { return doc.LeadingTextBoxes(word::kMaxTextBoxes); };
    return s;
}

AutoTitles ReadAutoTitles(word::Document& doc, std::u16string_view fileName) {
    const TitleChoice c = ChooseTitle(doc.LeadingParagraphs(word::kLeadingParagraphs, false),
                                      fileName, TitleSourcesOf(doc));
    AutoTitles out;
    out.title = c.title;
    for (const TitleCandidate& t : c.candidates) {
        if (t.title != c.title) out.runnersUp.push_back(t.title);
    }
    return out;
}

TitleExplanation ExplainAutoTitle(word::Document& doc, std::u16string_view fileName) {
    return ExplainTitle(doc.LeadingParagraphs(word::kLeadingParagraphs, false), fileName,
                        TitleSourcesOf(doc));
}

std::optional<std::u16string> ReadRawTitle(TitleMode mode, int paragraph, int start, int count,
                                           word::Document& doc, std::u16string_view fileName) {
    switch (mode) {
        case TitleMode::TitleModeFirstParagraph:
            return doc.ParagraphText(1);
        case TitleMode::TitleModeHeader:
            return doc.HeaderText(1, word::kPrimaryHeaderFooter);
        case TitleMode::TitleModeFooter:
            return doc.FooterText(1, word::kPrimaryHeaderFooter);
        case TitleMode::TitleModeCustom: {
            if (paragraph < 1 || start < 1 || count < 0) return std::nullopt;
            const std::u16string text = doc.ParagraphText(paragraph);
            const auto from = static_cast<std::size_t>(start);
            if (from > text.size()) return std::u16string();
            return text.substr(from - 1, static_cast<std::size_t>(count));
        }
        case TitleMode::TitleModeAuto:
            return FindTitle(doc.LeadingParagraphs(word::kLeadingParagraphs, false), fileName,
                             TitleSourcesOf(doc));
    }
    return std::nullopt;
}

}  // namespace pelmora
