#include "reader/document.h"

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
