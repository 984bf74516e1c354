#pragma once
// A fast tag scanner for package parts whose text is not wanted (the styles
// part, which expat made the dearest part of reading formatting). It takes
// well-formed UTF-8 XML with namespaces and reports start and end tags the
// way XmlStream does. Whatever it is not sure to report exactly as expat
// would (a DTD, another encoding, non-ASCII names, an unknown reference,
// malformed markup) makes it give up; the caller then parses the part with
// XmlStream, which has the last word. It does not look at text at all, so
// text that expat would refuse goes unnoticed.

#include <string_view>

#include "reader/xml/sax.h"

namespace pelmora::word::fmt {

// Reports the start and end tags of `xml` to `handler`, until the end or
// until the handler stops. False when it gave up; the events it gave by then
// are to be thrown away.
bool ScanTags(std::string_view xml, SaxHandler& handler);

}  // namespace pelmora::word::fmt
