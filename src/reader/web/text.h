#pragma once
// A web page's bytes to text: the charset it declares (or the one its bytes
// suggest), and HTML character references.

#include <string>
#include <string_view>

namespace pelmora::word::web {

// Decodes a page: a byte-order mark first, then `charset` (from a MIME part;
// may be empty), then the charset the page declares; else UTF-8 when the
// bytes are valid UTF-8, else GB18030.
std::u16string DecodePage(std::string_view bytes, std::string charset);

// Replaces character references (&amp; &#x4E2D; &nbsp;) in text.
std::u16string DecodeEntities(std::u16string_view s);

}  // namespace pelmora::word::web
