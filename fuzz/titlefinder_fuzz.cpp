// libFuzzer target: arbitrary paragraph lists through the title finder. The
// input is read as UTF-16 units: each paragraph is two units of facts (style,
// sizes, flags, colour, table place) and its text up to a CR. Any crash,
// sanitizer report or hang is a finding; so is a title that does not come
// from the paragraphs.
// Built by scripts/fuzz.sh with the reader's targets (build-fuzz/fuzz/).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "titles/titlefinder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string units(size / 2, u'\0');
    if (!units.empty()) std::memcpy(units.data(), data, units.size() * 2);
    pelmora::word::LeadingBody body;
    size_t i = 0;
    size_t total = 0;
    while (i + 2 <= units.size() &&
           body.paragraphs.size() < size_t(pelmora::word::kLeadingParagraphs)) {
        const uint16_t a = units[i], b = units[i + 1];
        i += 2;
        pelmora::word::ParagraphFacts p;
        p.formatted = a & 1;
        p.centered = a & 2;
        p.bold = a & 4;
        p.styleId = (a >> 3) & 0x7F;
        p.outlineLevel = (a >> 10) & 0x0F;
        p.maxHalfPoints = b & 0x7F;
        p.mainHalfPoints = (b >> 7) & 0x3F;
        p.tableRow = (b >> 13) & 3;
        p.tableCell = p.tableRow ? 1 + (b >> 15) : 0;
        p.color = (b & 0x2000) ? 0x00FF0000u : pelmora::word::kAutoColor;
        while (i < units.size() && units[i] != u'\r') p.text += units[i++];
        if (i < units.size()) ++i;
        p.text += u'\r';
        total += p.text.size();
        body.paragraphs.push_back(std::move(p));
    }
    const pelmora::TitleChoice choice = pelmora::ChooseTitle(body, u"fuzz.doc");
    // Joined lines add at most a blank between them.
    if (choice.title.size() > total + size_t(choice.count)) __builtin_trap();
    if (!body.paragraphs.empty() &&
        (choice.first < 0 || size_t(choice.first + choice.count) > body.paragraphs.size()))
        __builtin_trap();
    return 0;
}
