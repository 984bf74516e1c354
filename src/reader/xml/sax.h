#pragma once
// A thin push-parser over expat for package parts: namespace-aware events,
// no DTDs (a part that declares one is refused), a nesting bound, and a way
// for the handler to stop early once it has what it needs.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora::word::fmt {

// Namespaces the .docx reader cares about; strict and transitional names
// map to the same value.
// Dc: Dublin Core of package properties; O: Word 2003's document properties.
// Office to Manifest: OpenDocument's (ODF 1.2); Fo its formatting attributes.
enum class Ns {
    None,
    W,
    R,
    Mc,
    Wp,
    M,
    PkgRel,
    Dc,
    O,
    Office,
    Style,
    Text,
    Table,
    Fo,
    Draw,
    Manifest,
    Other
};

Ns ClassifyNs(std::string_view uri);

struct XmlAttr {
    Ns ns;
    std::string_view local;
    std::string_view value;
};

class XmlAttrs {
  public:
    // expat's list of name/value pairs, names as "uri\x01local".
    explicit XmlAttrs(const char** raw) : raw_(raw) {}
    // Attributes already split.
    XmlAttrs(const XmlAttr* split, std::size_t count) : split_(split), count_(count) {}
    // Value of the attribute with that namespace and local name, or empty.
    std::string_view Get(Ns ns, std::string_view local) const;
    bool Has(Ns ns, std::string_view local) const;
    // All of them, in document order.
    std::vector<XmlAttr> List() const;

  private:
    const char** raw_ = nullptr;
    const XmlAttr* split_ = nullptr;
    std::size_t count_ = 0;
};

class SaxHandler {
  public:
    virtual ~SaxHandler() = default;
    virtual void Start(Ns ns, std::string_view local, const XmlAttrs& attrs) = 0;
    virtual void End(Ns ns, std::string_view local) = 0;
    virtual void Text(std::string_view utf8) = 0;
    // Set by the handler: parsing ends after the current event.
    bool stop = false;
};

// Feeds chunks to expat. Feed returns false once the handler has stopped.
// Throws WordError for malformed XML, a DTD or too deep nesting.
class XmlStream {
  public:
    XmlStream(SaxHandler& handler, std::string what);
    ~XmlStream();
    XmlStream(const XmlStream&) = delete;
    XmlStream& operator=(const XmlStream&) = delete;

    bool Feed(const char* data, std::size_t size, bool last);

  private:
    struct Impl;
    Impl* impl_;
};

}  // namespace pelmora::word::fmt
