#include "reader/document.h"

#include <algorithm>

#include "reader/documentimpl.h"
#include "reader/io/bytesource.h"
#include "reader/marks.h"
#include "reader/open.h"

namespace pelmora::word {

Document::Document(std::unique_ptr<DocumentImpl> impl) : impl_(std::move(impl)) {}
Document::~Document() = default;

DocumentImpl& Document::Impl() {
    if (!impl_) throw WordError("document is closed");
    return *impl_;
}

std::u16string Document::ParagraphText(int n) { return Impl().ParagraphText(n); }
std::u16string Document::HeaderText(int section, int index) {
    return Impl().HeaderText(section, index);
}
std::u16string Document::FooterText(int section, int index) {
    return Impl().FooterText(section, index);
}
LeadingBody Document::LeadingParagraphs(int maxCount, bool withTitleProperty) {
    return Impl().LeadingParagraphs(maxCount, withTitleProperty);
}
std::u16string Document::TitleProperty() { return Impl().TitleProperty(); }

std::vector<TextBox> Document::LeadingTextBoxes(int maxBoxes) {
    DocumentImpl& impl = Impl();
    if (maxBoxes <= 0) return {};
    try {
        return impl.LeadingTextBoxes(std::min(maxBoxes, kMaxTextBoxes));
    } catch (const WordError&) {
        return {};  // a fallback source: damage only loses it
    }
}

std::vector<ParagraphFacts> Document::FirstPageHeaderParagraphs(int maxParagraphs) {
    DocumentImpl& impl = Impl();
    if (maxParagraphs <= 0) return {};
    try {
        return impl.FirstPageHeaderParagraphs(std::min(maxParagraphs, kMaxStoryFacts));
    } catch (const WordError&) {
        return {};
    }
}

std::vector<ParagraphFacts> SplitStory(std::u16string_view text, int maxParagraphs) {
    std::vector<ParagraphFacts> out;
    if (text == u"\r") return out;
    std::size_t from = 0;
    while (from < text.size() && out.size() < static_cast<std::size_t>(maxParagraphs)) {
        std::size_t end = text.find(kParagraphMark, from);
        end = end == std::u16string_view::npos ? text.size() : end + 1;
        if (end < text.size() && text[end] == kCellMark) ++end;
        ParagraphFacts p;
        p.text = std::u16string(text.substr(from, end - from));
        if (p.text.back() != kParagraphMark && p.text.back() != kCellMark) p.text += kParagraphMark;
        out.push_back(std::move(p));
        from = end;
    }
    return out;
}

std::vector<TextBox> DocumentImpl::LeadingTextBoxes(int) { return {}; }

std::vector<ParagraphFacts> DocumentImpl::FirstPageHeaderParagraphs(int maxParagraphs) {
    return SplitStory(HeaderText(1, kPrimaryHeaderFooter), maxParagraphs);
}

LeadingBody DocumentImpl::LeadingParagraphs(int maxCount, bool withTitleProperty) {
    LeadingBody body = ReadLeading(maxCount);
    if (withTitleProperty) body.titleProperty = TitleProperty();
    return body;
}

std::u16string DocumentImpl::TitleProperty() {
    try {
        return StoredTitle();
    } catch (const WordError&) {
        return {};  // a damaged property part only loses the property
    }
}

LeadingBody DocumentImpl::ReadLeading(int maxCount) {
    LeadingBody body;
    for (int n = 1; n <= maxCount; ++n) {
        ParagraphFacts p;
        try {
            p.text = ParagraphText(n);
        } catch (const WordError&) {
            if (n == 1) throw;
            break;
        }
        p.breakAfter = p.text.find(kPageBreak) != std::u16string::npos;
        const bool last = p.breakAfter;
        body.paragraphs.push_back(std::move(p));
        if (last) break;
    }
    return body;
}

// Nothing is ever changed in a document, so there is nothing to save.
void Document::Close(bool) { impl_.reset(); }

Application::Application() = default;
Application::~Application() = default;

std::unique_ptr<Document> Application::Open(const std::string& path) {
    if (quit_) throw WordError("Word has quit");
    return std::make_unique<Document>(word::Open(std::make_unique<FileSource>(path)));
}

std::unique_ptr<Document> Application::OpenMemory(const void* data, size_t size) {
    if (quit_) throw WordError("Word has quit");
    return std::make_unique<Document>(word::Open(std::make_unique<MemorySource>(data, size)));
}

void Application::Quit() { quit_ = true; }

}  // namespace pelmora::word
