#include "reader/xml/sax.h"

#include <expat.h>

#include <climits>
#include <cstring>

#include "reader/document.h"
#include "reader/limits.h"

namespace pelmora::word::fmt {

namespace {
constexpr char kSep = '\x01';

std::string_view Local(const char* name, Ns* ns) {
    const char* sep = std::strchr(name, kSep);
    if (!sep) {
        *ns = Ns::None;
        return name;
    }
    *ns = ClassifyNs(std::string_view(name, static_cast<std::size_t>(sep - name)));
    return sep + 1;
}
}  // namespace

Ns ClassifyNs(std::string_view uri) {
    if (uri == "http://schemas.openxmlformats.org/wordprocessingml/2006/main" ||
        uri == "http://purl.oclc.org/ooxml/wordprocessingml/main" ||
        uri == "http://schemas.microsoft.com/office/word/2003/wordml")  // Word 2003 XML: same names
        return Ns::W;
    if (uri == "http://schemas.openxmlformats.org/officeDocument/2006/relationships" ||
        uri == "http://purl.oclc.org/ooxml/officeDocument/relationships")
        return Ns::R;
    if (uri == "http://schemas.openxmlformats.org/markup-compatibility/2006") return Ns::Mc;
    if (uri == "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing" ||
        uri == "http://purl.oclc.org/ooxml/drawingml/wordprocessingDrawing")
        return Ns::Wp;
    if (uri == "http://schemas.openxmlformats.org/officeDocument/2006/math" ||
        uri == "http://purl.oclc.org/ooxml/officeDocument/math")
        return Ns::M;
    if (uri == "http://schemas.openxmlformats.org/package/2006/relationships") return Ns::PkgRel;
    if (uri == "http://purl.org/dc/elements/1.1/") return Ns::Dc;
    if (uri == "urn:schemas-microsoft-com:office:office") return Ns::O;
    if (uri.starts_with("urn:oasis:names:tc:opendocument:xmlns:")) {
        const std::string_view name = uri.substr(38);
        if (name == "office:1.0") return Ns::Office;
        if (name == "style:1.0") return Ns::Style;
        if (name == "text:1.0") return Ns::Text;
        if (name == "table:1.0") return Ns::Table;
        if (name == "xsl-fo-compatible:1.0") return Ns::Fo;
        if (name == "drawing:1.0") return Ns::Draw;
        if (name == "manifest:1.0") return Ns::Manifest;
    }
    return Ns::Other;
}

std::string_view XmlAttrs::Get(Ns ns, std::string_view local) const {
    for (std::size_t i = 0; i < count_; ++i)
        if (split_[i].ns == ns && split_[i].local == local) return split_[i].value;
    for (const char** a = raw_; a && a[0]; a += 2) {
        Ns ans;
        std::string_view l = Local(a[0], &ans);
        if (ans == ns && l == local) return a[1];
    }
    return {};
}

bool XmlAttrs::Has(Ns ns, std::string_view local) const {
    for (std::size_t i = 0; i < count_; ++i)
        if (split_[i].ns == ns && split_[i].local == local) return true;
    for (const char** a = raw_; a && a[0]; a += 2) {
        Ns ans;
        if (Local(a[0], &ans) == local && ans == ns) return true;
    }
    return false;
}

std::vector<XmlAttr> XmlAttrs::List() const {
    std::vector<XmlAttr> out(split_, split_ + count_);
    for (const char** a = raw_; a && a[0]; a += 2) {
        Ns ns;
        const std::string_view local = Local(a[0], &ns);
        out.push_back({ns, local, a[1]});
    }
    return out;
}

struct XmlStream::Impl {
    XML_Parser parser = nullptr;
    SaxHandler* handler = nullptr;
    std::string what;
    int depth = 0;
    const char* error = nullptr;  // our own reason for stopping
    bool done = false;

    void Halt(const char* why) {
        if (!error && !done) error = why;
        XML_StopParser(parser, XML_FALSE);
    }
    void CheckStop() {
        if (handler->stop && !done) {
            done = true;
            XML_StopParser(parser, XML_FALSE);
        }
    }

    static void OnStart(void* ud, const char* name, const char** atts) {
        auto* s = static_cast<Impl*>(ud);
        if (s->done || s->error) return;
        if (++s->depth > kMaxNesting) return s->Halt("XML nested too deeply");
        Ns ns;
        std::string_view local = Local(name, &ns);
        s->handler->Start(ns, local, XmlAttrs(atts));
        s->CheckStop();
    }
    static void OnEnd(void* ud, const char* name) {
        auto* s = static_cast<Impl*>(ud);
        if (s->done || s->error) return;
        --s->depth;
        Ns ns;
        std::string_view local = Local(name, &ns);
        s->handler->End(ns, local);
        s->CheckStop();
    }
    static void OnText(void* ud, const char* text, int len) {
        auto* s = static_cast<Impl*>(ud);
        if (s->done || s->error || len <= 0) return;
        s->handler->Text(std::string_view(text, static_cast<std::size_t>(len)));
        s->CheckStop();
    }
    static void OnDoctype(void* ud, const char*, const char*, const char*, int) {
        static_cast<Impl*>(ud)->Halt("XML part declares a DTD");
    }
};

XmlStream::XmlStream(SaxHandler& handler, std::string what) : impl_(new Impl) {
    impl_->handler = &handler;
    impl_->what = std::move(what);
    impl_->parser = XML_ParserCreateNS(nullptr, kSep);
    if (!impl_->parser) {
        delete impl_;
        throw WordError("out of memory");
    }
    XML_SetUserData(impl_->parser, impl_);
    XML_SetElementHandler(impl_->parser, &Impl::OnStart, &Impl::OnEnd);
    XML_SetCharacterDataHandler(impl_->parser, &Impl::OnText);
    XML_SetStartDoctypeDeclHandler(impl_->parser, &Impl::OnDoctype);
}

XmlStream::~XmlStream() {
    XML_ParserFree(impl_->parser);
    delete impl_;
}

bool XmlStream::Feed(const char* data, std::size_t size, bool last) {
    if (impl_->done) return false;
    while (true) {
        int chunk =
            size > static_cast<std::size_t>(INT_MAX / 2) ? INT_MAX / 2 : static_cast<int>(size);
        bool final = last && static_cast<std::size_t>(chunk) == size;
        XML_Status st = XML_Parse(impl_->parser, data, chunk, final ? 1 : 0);
        if (impl_->done) return false;
        if (impl_->error) throw WordError(std::string(impl_->error) + " in " + impl_->what);
        if (st != XML_STATUS_OK) throw WordError("damaged XML in " + impl_->what);
        data += chunk;
        size -= static_cast<std::size_t>(chunk);
        if (size == 0) return true;
    }
}

}  // namespace pelmora::word::fmt
