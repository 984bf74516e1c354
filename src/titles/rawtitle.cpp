#include "titles/rawtitle.h"

#include "reader/document.h"
#include "titles/titlefinder.h"

namespace pelmora {

std::optional<TitleMode> TitleModeFromNumber(int number) {
    if (number < int(TitleMode::TitleModeFirstParagraph) || number > int(TitleMode::TitleModeAuto))
        return std::nullopt;
    return static_cast<TitleMode>(number);
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
                             [&doc] { return doc.TitleProperty(); });
    }
    return std::nullopt;
}

}  // namespace pelmora
