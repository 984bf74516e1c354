#pragma once
// A fast scanner for package parts, in place of expat where it is sure to
// give the same events: well-formed UTF-8 XML with namespaces and ASCII
// names. Whatever it is not sure to report exactly as expat would (a DTD,
// another encoding, non-ASCII names, an unknown reference, malformed
// markup) makes it give up; the caller then parses
// the part with XmlStream, which has the last word. expat made the styles
// part the dearest part of reading formatting, and the main part the
// dearest part of reading the leading paragraphs.

#include <memory>
#include <string_view>

#include "reader/xml/sax.h"

namespace pelmora::word::fmt {

// Reports the start and end tags of `xml` to `handler`, until the end or
// until the handler stops; text is not looked at, so text that expat would
// refuse goes unnoticed. False when it gave up; the events it gave by then
// are to be thrown away.
bool ScanTags(std::string_view xml, SaxHandler& handler);

// Tags and text, fed in pieces as a package part is inflated. Text is
// checked as expat checks it and given decoded, not necessarily in the
// pieces expat gives.
class MarkupScanner {
  public:
    enum class Result {
        More,    // give it the next piece
        Done,    // the part's end was reached, or the handler stopped
        GaveUp,  // throw its events away and ask expat
    };
    explicit MarkupScanner(SaxHandler& handler);
    ~MarkupScanner();
    MarkupScanner(const MarkupScanner&) = delete;
    MarkupScanner& operator=(const MarkupScanner&) = delete;

    // `last`: no piece follows. Once it has said Done or GaveUp it says so again.
    Result Feed(std::string_view piece, bool last);

    class Scanner;  // also ScanTags's, which does not look at text

  private:
    std::unique_ptr<Scanner> scanner_;
};

}  // namespace pelmora::word::fmt
