#include "titles/rawtitle.h"

#include "platform/doc/objectmodel.h"
#include "titles/titlefinder.h"

namespace pelmora {

std::optional<std::u16string> ReadRawTitle(int mode, int paragraph, int start, int count,
                                           word::Document& doc, std::u16string_view fileName) {
    switch (mode) {
        case 0:
            return doc.ParagraphText(1);
        case 1:
            return doc.HeaderText(1, word::kPrimaryHeaderFooter);
        case 2:
            return doc.FooterText(1, word::kPrimaryHeaderFooter);
        case 3: {
            if (paragraph < 1 || start < 1 || count < 0) return std::nullopt;
            const std::u16string text = doc.ParagraphText(paragraph);
            const auto from = static_cast<std::size_t>(start);
            if (from > text.size()) return std::u16string();
            return text.substr(from - 1, static_cast<std::size_t>(count));
        }
        case 4:
            return FindTitle(doc.LeadingParagraphs(word::kLeadingParagraphs, false), fileName,
                             [&doc] { return doc.TitleProperty(); });
        default:
            return std::nullopt;
    }
}

}  // namespace pelmora
