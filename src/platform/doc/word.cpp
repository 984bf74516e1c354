#include "platform/doc/word.h"

#include "platform/doc/cfb.h"
#include "platform/doc/detect.h"
#include "platform/doc/docimpl.h"
#include "platform/doc/worddoc.h"

namespace pelmora::word {

namespace {

std::unique_ptr<Document> OpenSource(std::unique_ptr<ByteSource> src) {
    // One read of the first block serves the format check and the reader.
    unsigned char head[BlockCache::kBlockSize];
    size_t n = src->ReadAt(0, head, sizeof head);
    FileKind kind = DetectFileKind(head, n);
    if (kind != FileKind::Compound) throw WordError(FileKindReason(kind));
    return std::make_unique<Document>(std::make_unique<BinaryDocument>(std::move(src), head, n));
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
// Nothing is ever changed in a document, so there is nothing to save.
void Document::Close(bool) { impl_.reset(); }

Application::Application() = default;
Application::~Application() = default;

std::unique_ptr<Document> Application::Open(const std::string& path) {
    if (quit_) throw WordError("Word has quit");
    return OpenSource(std::make_unique<FileSource>(path));
}

std::unique_ptr<Document> Application::OpenMemory(const void* data, size_t size) {
    if (quit_) throw WordError("Word has quit");
    return OpenSource(std::make_unique<MemorySource>(data, size));
}

void Application::Quit() { quit_ = true; }

}  // namespace pelmora::word
