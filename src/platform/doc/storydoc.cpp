#include "platform/doc/storydoc.h"

#include "platform/doc/docerror.h"
#include "platform/doc/formats.h"

namespace pelmora::word {

void StoryDocument::Learn(std::size_t, std::size_t) {}

std::u16string StoryDocument::ParagraphText(int n) {
    if (n < 1) throw WordError("no such paragraph");
    const std::size_t want = static_cast<std::size_t>(n);
    if (want > paragraphs_.size() && !(paragraphCount_ && want > *paragraphCount_)) Learn(want, 0);
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
    if (sections_.size() < want && !sectionsComplete_) Learn(0, want);
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

LeadingBody StoryDocument::LeadingParagraphs(int maxCount) {
    LeadingBody body;
    ParagraphText(1);  // throws where the object model would
    const std::size_t want = maxCount > 0 ? static_cast<std::size_t>(maxCount) : 0;
    // One pass for all of them, not one per paragraph.
    if (want > paragraphs_.size() && !(paragraphCount_ && paragraphs_.size() >= *paragraphCount_)) {
        try {
            Learn(want, 0);
        } catch (const WordError&) {
            // Damage further on: the paragraphs before it still count.
        }
    }
    for (std::size_t i = 0; i < want && i < paragraphs_.size(); ++i) {
        ParagraphFacts p = paragraphs_[i];
        if (p.text.find(u'\f') != std::u16string::npos) p.breakAfter = true;
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
    if (paragraphs.size() > paragraphs_.size()) paragraphs_ = std::move(paragraphs);
    if (sections.size() > sections_.size()) sections_ = std::move(sections);
}

// ---------------------------------------------------------------- cells

void CellLayout::Paragraph(std::u16string text, char16_t mark) {
    if (InCell()) {
        Open& c = open_.back();
        if (c.hasPending) emit_(c.pending + u'\r');
        c.pending = std::move(text);
        c.hasPending = true;
        return;
    }
    text += mark;
    emit_(std::move(text));
}

void CellLayout::TableStart() {
    if (InCell() && open_.back().hasPending) {
        emit_(open_.back().pending + u'\r');
        open_.back().hasPending = false;
    }
    if (open_.size() < static_cast<std::size_t>(kMaxNesting)) open_.push_back({});
}

void CellLayout::RowStart() {
    if (InCell()) CellEnd();
    if (InTable() && open_.back().rowOpen) RowEnd();
    if (InTable()) open_.back().rowOpen = true;
}

void CellLayout::CellStart() {
    if (InCell()) CellEnd();
    if (!InTable()) return;
    open_.back().rowOpen = true;
    open_.push_back(Open{true, false, false, {}});
}

void CellLayout::CellEnd() {
    if (!InCell()) return;
    Open c = std::move(open_.back());
    open_.pop_back();
    emit_((c.hasPending ? c.pending : std::u16string()) + u"\r\a");
}

void CellLayout::RowEnd() {
    if (InCell()) CellEnd();
    if (InTable() && open_.back().rowOpen) {
        emit_(u"\r\a");
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
