// RTF documents: the parser (parser.h) reads the body as far as a question
// needs, and the headers and footers of the sections it passes.

#include <algorithm>
#include <string>
#include <vector>

#include "reader/document.h"
#include "reader/error.h"
#include "reader/io/readfile.h"
#include "reader/open.h"
#include "reader/openers.h"
#include "reader/rtf/parser.h"
#include "reader/story.h"

namespace pelmora::word {

namespace {

class RtfDocument : public StoryDocument {
  public:
    explicit RtfDocument(std::string data) : data_(std::move(data)) {
        // A byte-order mark or blank lines before the group are tolerated.
        bool utf16 = false;
        const std::size_t start = TextStart(data_, &utf16);
        if (start) data_.erase(0, start);
        if (utf16 || !data_.starts_with("{\\rtf")) throw WordError("not an RTF file");
    }

  private:
    void Learn(std::size_t wantParas, std::size_t wantSections) override {
        rtf::RtfParser p(data_, wantParas, wantSections, wantFacts_);
        const bool complete = p.Run();
        // Unless the file ended, the last paragraph and section read may still change.
        if (!complete && !p.sections.empty()) p.sections.pop_back();
        if (!complete && !p.paragraphs.empty() &&
            (p.paragraphs.size() > wantParas || p.stoppedAtBreak))
            p.paragraphs.pop_back();
        if (wantFacts_) title_ = std::move(p.title);
        Keep(std::move(p.paragraphs), {});
        if (p.tooDeep) throw WordError("RTF nested too deeply");
        if (p.sections.size() >= sections_.size()) {
            storyTexts_ = std::move(p.storyTexts);
            sections_.assign(p.sections.size(), {});
            for (std::size_t s = 0; s < p.sections.size(); ++s)
                for (std::size_t k = 0; k < 3; ++k) {
                    sections_[s].header[k] = Key(p.sections[s].header[k]);
                    sections_[s].footer[k] = Key(p.sections[s].footer[k]);
                }
            for (std::size_t s = 0; s < p.sections.size(); ++s)
                sections_[s].titlePage = p.sections[s].titlePage;
        }
        if (complete) paragraphCount_ = p.count, sectionsComplete_ = true;
    }

    // Stories are numbered as the file opens them; a number that names none
    // leaves the slot to the previous section.
    std::string Key(int story) const {
        if (story <= 0 || static_cast<std::size_t>(story) >= storyTexts_.size()) return {};
        return std::to_string(story);
    }

    std::u16string StoryText(const std::string& key) override {
        const std::size_t story = std::stoul(key);
        return story < storyTexts_.size() ? storyTexts_[story] : u"\r";
    }

    std::u16string StoredTitle() override { return title_; }

    // A pass of its own over the leading body, shapes entered.
    std::vector<TextBox> LeadingTextBoxes(int maxBoxes) override {
        rtf::RtfParser p(data_, kLeadingParagraphs, 0, true, static_cast<std::size_t>(maxBoxes));
        p.Run();
        std::vector<TextBox> out;
        for (auto& b : p.boxes) {
            if (b.anchor >= kLeadingParagraphs) continue;
            const bool ink = std::any_of(b.paragraphs.begin(), b.paragraphs.end(), [](auto& q) {
                return std::any_of(q.text.begin(), q.text.end(), InkChar);
            });
            if (ink) out.push_back({b.anchor, std::move(b.paragraphs)});
        }
        return out;
    }

    std::string data_;
    std::vector<std::u16string> storyTexts_;
    std::u16string title_;
};

}  // namespace

std::unique_ptr<DocumentImpl> OpenRtfBytes(std::string bytes) {
    return std::make_unique<RtfDocument>(std::move(bytes));
}

std::unique_ptr<DocumentImpl> OpenRtfDocument(const std::string& path) {
    return OpenRtfBytes(fmt::ReadFileCapped(path, kMaxRtfBytes));
}

}  // namespace pelmora::word
