#include "platform/doc/word.h"
#include "platform/doc/docimpl.h"

namespace pelmora::word {



Document::Document(std::unique_ptr<DocumentImpl> impl) : impl_(std::move(impl)) {}
Document::~Document() = default;
std::u16string Document::ParagraphText(int) { throw WordError("not implemented"); }
std::u16string Document::HeaderText(int, int) { return u"\r"; }
std::u16string Document::FooterText(int, int) { return u"\r"; }
void Document::Close(bool) { impl_.reset(); }

Application::Application() = default;
Application::~Application() = default;
std::unique_ptr<Document> Application::Open(const std::string&) { throw WordError("not implemented"); }
void Application::Quit() { quit_ = true; }

}  // namespace pelmora::word
