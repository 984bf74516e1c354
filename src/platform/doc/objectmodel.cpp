#include "platform/doc/objectmodel.h"

#include "platform/doc/cfb.h"
#include "platform/doc/detect.h"
#include "platform/doc/reader.h"
#include "platform/doc/formats.h"
#include "platform/doc/binarydoc.h"

namespace pelmora::word {

namespace {

// Kinds that no reader of ours takes, whatever the other readers would say.
bool IsRefusedKind(FileKind kind) {
    return kind == FileKind::Empty || kind == FileKind::Word2OrOlder ||
           kind == FileKind::WordPerfect;
}

// The other formats Word opens (.docx, RTF, web pages, Word 2003 XML),
// judged by content: `openOther` gives the reader for them, or null.
template <class OpenOther>
std::unique_ptr<Document> OpenSource(std::unique_ptr<ByteSource> src, OpenOther openOther) {
    // One read of the first block serves the format check and the reader.
    unsigned char head[BlockCache::kBlockSize];
    size_t n = src->ReadAt(0, head, sizeof head);
    FileKind kind = DetectFileKind(head, n);
    if (kind == FileKind::Compound)
        return std::make_unique<Document>(
            std::make_unique<BinaryDocument>(std::move(src), head, n));
    if (IsRefusedKind(kind)) throw WordError(FileKindReason(kind));
    std::unique_ptr<DocumentImpl> impl = openOther();
    if (!impl) throw WordError(FileKindReason(kind));
    return std::make_unique<Document>(std::move(impl));
}

}  // namespace

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
LeadingBody Document::LeadingParagraphs(int maxCount) {
    return Impl().LeadingParagraphs(maxCount);
}

LeadingBody DocumentImpl::LeadingParagraphs(int maxCount) {
    LeadingBody body;
    for (int n = 1; n <= maxCount; ++n) {
        ParagraphFacts p;
        try {
            p.text = ParagraphText(n);
        } catch (const WordError&) {
            if (n == 1) throw;
            break;
        }
        p.breakAfter = p.text.find(u'\f') != std::u16string::npos;
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
    return OpenSource(std::make_unique<FileSource>(path), [&] {
        const DocumentFormat format = DetectDocumentFormat(path);
        if (format == DocumentFormat::CompoundFile) return std::unique_ptr<DocumentImpl>();
        return OpenByContent(path, format);
    });
}

std::unique_ptr<Document> Application::OpenMemory(const void* data, size_t size) {
    if (quit_) throw WordError("Word has quit");
    return OpenSource(std::make_unique<MemorySource>(data, size), [&] {
        std::string bytes(static_cast<const char*>(data), size);
        switch (SniffDocumentFormat(std::string_view(bytes).substr(0, kSniffBytes))) {
            case DocumentFormat::Zip:
            case DocumentFormat::Ooxml: return OpenOoxmlBytes(std::move(bytes));
            case DocumentFormat::Rtf: return OpenRtfBytes(std::move(bytes));
            case DocumentFormat::Web: return OpenWebBytes(std::move(bytes));
            case DocumentFormat::WordXml: return OpenWordXmlBytes(std::move(bytes));
            default: return std::unique_ptr<DocumentImpl>();
        }
    });
}

void Application::Quit() { quit_ = true; }

}  // namespace pelmora::word
