// libFuzzer target: arbitrary paragraph lists through the title finder. The
// input is read as UTF-16 units: each paragraph is two units of facts (style,
// sizes, flags, colour, table place) and its text up to a CR; a unit 0xFFFF
// starts the text boxes, a second one the header. Any crash, sanitizer
// report or hang is a finding; so is a title that does not come from the
// paragraphs, more than five titles offered, or an explanation that does not
// name every line.
// Built by scripts/fuzz.sh with the reader's targets (build-fuzz/fuzz/).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "titles/explain.h"
#include "titles/titlefinder.h"

namespace {

using pelmora::word::ParagraphFacts;

// Paragraphs from units[i] on, up to a 0xFFFF unit or the end.
std::vector<ParagraphFacts> Paragraphs(const std::u16string& units, size_t& i, size_t& total) {
    std::vector<ParagraphFacts> out;
    while (i + 2 <= units.size() && out.size() < size_t(pelmora::word::kLeadingParagraphs)) {
        if (units[i] == 0xFFFF) break;
        const uint16_t a = units[i], b = units[i + 1];
        i += 2;
        ParagraphFacts p;
        p.formatted = a & 1;
        p.centered = a & 2;
        p.bold = a & 4;
        p.styleId = (a >> 3) & 0x7F;
        p.outlineLevel = (a >> 10) & 0x0F;
        p.pageBreakBefore = (a >> 14) & 1;
        p.maxHalfPoints = b & 0x7F;
        p.mainHalfPoints = (b >> 7) & 0x3F;
        p.tableRow = (b >> 13) & 3;
        p.tableCell = p.tableRow ? 1 + (b >> 15) : 0;
        p.color = (b & 0x2000) ? 0x00FF0000u : pelmora::word::kAutoColor;
        if (a & 0x8000) p.styleName = u"List Paragraph";
        while (i < units.size() && units[i] != u'\r' && units[i] != 0xFFFF) p.text += units[i++];
        if (i < units.size() && units[i] == u'\r') ++i;
        p.text += u'\r';
        total += p.text.size();
        out.push_back(std::move(p));
    }
    if (i < units.size() && units[i] == 0xFFFF) ++i;
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string units(size / 2, u'\0');
    if (!units.empty()) std::memcpy(units.data(), data, units.size() * 2);
    size_t i = 0, total = 0;
    pelmora::word::LeadingBody body;
    body.paragraphs = Paragraphs(units, i, total);
    // A box to a paragraph, but a paragraph of a table cell joins the box before.
    std::vector<pelmora::word::TextBox> boxes;
    for (ParagraphFacts& p : Paragraphs(units, i, total)) {
        if (boxes.empty() || !p.tableRow) boxes.emplace_back();
        boxes.back().paragraphs.push_back(std::move(p));
    }
    const std::vector<ParagraphFacts> header = Paragraphs(units, i, total);
    pelmora::TitleSources sources;
    sources.textBoxes = [&] { return boxes; };
    sources.firstPageHeader = [&] { return header; };
    const pelmora::TitleExplanation e = pelmora::ExplainTitle(body, u"fuzz.doc", sources);
    const pelmora::TitleChoice& choice = e.choice;
    // Joined lines add at most a blank between them (and a dropped issuing
    // body's lines their own length).
    if (choice.title.size() > total + body.paragraphs.size()) __builtin_trap();
    if (choice.candidates.size() > 5) __builtin_trap();
    if (choice.first < 0 || (choice.rule == pelmora::TitleRule::Scored &&
                             size_t(choice.first + choice.count) > body.paragraphs.size()))
        __builtin_trap();
    if (e.lines.size() != body.paragraphs.size()) __builtin_trap();
    if (pelmora::ExplanationText(e).find("pick (") == std::string::npos) __builtin_trap();
    if (pelmora::ChooseTitle(body, u"fuzz.doc", sources).title != choice.title) __builtin_trap();
    return 0;
}
