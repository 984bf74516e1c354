#include "reader/story.h"

#include <algorithm>

#include "reader/error.h"
#include "reader/limits.h"
#include "reader/marks.h"

namespace pelmora::word {

void StoryDocument::Learn(std::size_t, std::size_t) {}

std::u16string StoryDocument::ParagraphText(int n) {
    if (n < 1) throw WordError("no such paragraph");
    const std::size_t want = static_cast<std::size_t>(n);
    if (want > paragraphs_.size() && !(paragraphCount_ && want > *paragraphCount_)) {
        try {
            Learn(want, 0);
        } catch (const WordError&) {
            // Damage further on: what the pass read before it still answers.
            if (want > paragraphs_.size()) throw;
        }
    }
    if (want > paragraphs_.size()) throw WordError("no such paragraph");
    return paragraphs_[want - 1].text;
}

std::u16string StoryDocument::HeaderText(int section, int index) {
    return Story(section, index, true);
}

std::u16string StoryDocument::FooterText(int section, int index) {
    return Story(section, index, false);
}

std::u16string StoryDocument::Story(int section, int index, bool header) {
    if (section < 1 || index < 1 || index > 3) throw WordError("no such header or footer");
    const std::size_t want = static_cast<std::size_t>(section);
    if (sections_.size() < want && !sectionsComplete_) {
        try {
            Learn(0, want);
        } catch (const WordError&) {
            if (sections_.size() < want) throw;
        }
    }
    if (sections_.size() < want) {
        // A body without any section properties is one section.
        if (section == 1 && sections_.empty()) return u"\r";
        throw WordError("no such section");
    }
    // Index 1 primary, 2 first page, 3 even pages; a section without its
    // own shows the previous section's.
    static constexpr std::size_t kKind[4] = {0, 0, 1, 2};
    const std::size_t kind = kKind[index];
    for (std::size_t s = want; s >= 1; --s) {
        const Section& refs = sections_[s - 1];
        const std::string& key = (header ? refs.header : refs.footer)[kind];
        if (key.empty()) continue;
        auto it = stories_.find(key);
        if (it == stories_.end()) it = stories_.emplace(key, StoryText(key)).first;
        return it->second;
    }
    return u"\r";
}

const StoryDocument::Section* StoryDocument::FirstSection() {
    if (sections_.empty() && !sectionsComplete_) {
        try {
            Learn(0, 1);
        } catch (const WordError&) {
            if (sections_.empty()) throw;
        }
    }
    return sections_.empty() ? nullptr : &sections_[0];
}

std::vector<ParagraphFacts> StoryDocument::FirstPageHeaderParagraphs(int maxParagraphs) {
    const Section* section = FirstSection();
    if (!section) return {};
    const Section& first = *section;
    // A title page without a header of its own shows none.
    const std::string& key = first.header[first.titlePage ? 1 : 0];
    return key.empty() ? std::vector<ParagraphFacts>{} : HeaderParagraphs(key, maxParagraphs);
}

std::vector<ParagraphFacts> StoryDocument::HeaderParagraphs(const std::string& key,
                                                            int maxParagraphs) {
    auto it = stories_.find(key);
    if (it == stories_.end()) it = stories_.emplace(key, StoryText(key)).first;
    return SplitStory(it->second, maxParagraphs);
}

LeadingBody StoryDocument::ReadLeading(int maxCount) {
    LeadingBody body;
    const std::size_t want = maxCount > 0 ? static_cast<std::size_t>(maxCount) : 0;
    // One pass for all of them, not one per paragraph, formatting included.
    if (want > factsLearnt_ || (want > paragraphs_.size() &&
                                !(paragraphCount_ && paragraphs_.size() >= *paragraphCount_))) {
        wantFacts_ = true;
        try {
            Learn(want, 0);
        } catch (const WordError&) {
            // Damage further on: the paragraphs before it still count.
        }
        wantFacts_ = false;
        factsLearnt_ = std::max(factsLearnt_, want);
    }
    ParagraphText(1);  // throws where the object model would
    for (std::size_t i = 0; i < want && i < paragraphs_.size(); ++i) {
        ParagraphFacts p = paragraphs_[i];
        if (p.text.find(kPageBreak) != std::u16string::npos) p.breakAfter = true;
        const bool last = p.breakAfter;
        body.paragraphs.push_back(std::move(p));
        if (last) break;
    }
    return body;
}

std::u16string StoryDocument::Joined(const std::vector<std::u16string>& paragraphs) {
    std::u16string text;
    for (const auto& p : paragraphs) text += p;
    return text.empty() ? u"\r" : text;
}

void StoryDocument::Keep(std::vector<ParagraphFacts> paragraphs, std::vector<Section> sections) {
    // Both passes read the same text; the longer list stays, with what
    // formatting either found.
    if (paragraphs.size() > paragraphs_.size()) paragraphs.swap(paragraphs_);
    for (std::size_t i = 0; i < paragraphs.size(); ++i)
        if (paragraphs[i].formatted && !paragraphs_[i].formatted)
            paragraphs_[i] = std::move(paragraphs[i]);
    if (sections.size() > sections_.size()) sections_ = std::move(sections);
}

// ---------------------------------------------------------------- facts

void RunTally::Add(std::u16string_view text, int halfPoints, bool bold, uint32_t color) {
    if (halfPoints < kMinHalfPoints || halfPoints > kMaxHalfPoints) spoiled_ = true;
    int ink = 0;
    for (char16_t c : text)
        if (InkChar(c)) ++ink;
    if (ink == 0) return;
    visible_ += ink;
    if (bold) bold_ += ink;
    largest_ = std::max(largest_, halfPoints);
    auto add = [ink](auto& seen, auto value) {
        for (auto& [v, n] : seen)
            if (v == value) return void(n += ink);
        if (seen.size() < kMaxDistinctValues) seen.emplace_back(value, ink);
    };
    add(sizes_, halfPoints);
    add(colors_, color);
}

bool RunTally::Into(ParagraphFacts& p) const {
    if (spoiled_) return false;
    auto most = [](const auto& seen, auto none) {
        auto best = none;
        int count = 0;
        for (const auto& [v, n] : seen)
            if (n > count) best = v, count = n;
        return best;
    };
    p.maxHalfPoints = largest_;
    p.mainHalfPoints = most(sizes_, 0);
    p.bold = visible_ > 0 && 2 * bold_ > visible_;
    p.color = most(colors_, kAutoColor);
    return true;
}

int BuiltInStyleOfName(std::u16string_view name) {
    std::u16string n;
    for (char16_t c : name) {
        if (c == u' ') continue;
        n.push_back(c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c);
        if (n.size() > 32) return kStiUser;
    }
    if (n == u"normal" || n == u"正文") return kStiNormal;
    if (n == u"title" || n == u"标题") return kStiTitle;
    if (n == u"subtitle" || n == u"副标题") return kStiSubtitle;
    for (std::u16string_view prefix :
         {std::u16string_view(u"heading"), std::u16string_view(u"标题")}) {
        if (n.size() == prefix.size() + 1 && n.starts_with(prefix) && n.back() >= u'1' &&
            n.back() <= u'9')
            return kStiHeading1 + (n.back() - u'1');
    }
    return kStiUser;
}

// ---------------------------------------------------------------- cells

void CellLayout::Paragraph(std::u16string text, char16_t mark) {
    ParagraphFacts p;
    p.text = std::move(text);
    Paragraph(std::move(p), mark);
}

void CellLayout::Emit(ParagraphFacts p, std::u16string_view mark) {
    p.text += mark;
    lastFormatted_ = p.formatted;
    // Unformatted paragraphs keep every fact default.
    if (!open_.empty() && p.formatted)
        p.tableRow = std::max(row_, 1), p.tableCell = std::max(cell_, 1);
    emit_(std::move(p));
}

void CellLayout::Paragraph(ParagraphFacts p, char16_t mark) {
    if (InCell()) {
        Open& c = open_.back();
        if (c.hasPending) Emit(std::move(c.pending), u"\r");
        c.pending = std::move(p);
        c.hasPending = true;
        return;
    }
    Emit(std::move(p), std::u16string_view(&mark, 1));
}

void CellLayout::TableStart() {
    if (InCell() && open_.back().hasPending) {
        Emit(std::move(open_.back().pending), u"\r");
        open_.back().hasPending = false;
    }
    if (open_.empty()) row_ = 0, cell_ = 0;
    if (open_.size() < static_cast<std::size_t>(kMaxNesting)) open_.push_back({});
}

void CellLayout::RowStart() {
    if (InCell()) CellEnd();
    if (InTable() && open_.back().rowOpen) RowEnd();
    if (InTable()) {
        open_.back().rowOpen = true;
        if (open_.size() == 1) ++row_, cell_ = 0;
    }
}

void CellLayout::CellStart() {
    if (InCell()) CellEnd();
    if (!InTable()) return;
    if (!open_.back().rowOpen && open_.size() == 1) ++row_, cell_ = 0;
    open_.back().rowOpen = true;
    if (open_.size() == 1) ++cell_;
    open_.push_back(Open{true, false, false, {}});
}

void CellLayout::CellEnd() {
    if (!InCell()) return;
    Open c = std::move(open_.back());
    open_.pop_back();
    if (!c.hasPending) {
        // A cell with no paragraph of its own (after a nested table, or tag
        // soup): its mark is formatted like what came before it.
        c.pending = ParagraphFacts{};  // not what an earlier paragraph left behind
        c.pending.formatted = lastFormatted_;
        if (c.pending.formatted) c.pending.styleId = kStiNormal;
    }
    Emit(std::move(c.pending), kCellEnd);
}

void CellLayout::RowEnd() {
    if (InCell()) CellEnd();
    if (InTable() && open_.back().rowOpen) {
        ParagraphFacts mark;
        mark.formatted = lastFormatted_;
        if (mark.formatted) mark.styleId = kStiNormal;
        if (open_.size() == 1) ++cell_;  // the row-end mark is the cell after the last
        Emit(std::move(mark), kCellEnd);
        open_.back().rowOpen = false;
    }
}

void CellLayout::TableEnd() {
    if (InCell()) CellEnd();
    if (!InTable()) return;
    RowEnd();
    open_.pop_back();
}

void CellLayout::Finish() {
    while (!open_.empty()) InCell() ? CellEnd() : TableEnd();
}

}  // namespace pelmora::word
