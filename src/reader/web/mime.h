#pragma once
// MIME as single-file web pages (MHT) use it: RFC 822 headers, multipart
// bodies, quoted-printable and base64 transfer encodings.

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pelmora::word::web {

struct MimeHeaders {
    std::map<std::string, std::string> fields;  // lower-case names, unfolded values
    std::string Get(const std::string& name) const {
        auto it = fields.find(name);
        return it == fields.end() ? std::string() : it->second;
    }
};

// Splits headers from body at the first empty line.
std::pair<MimeHeaders, std::string_view> SplitMime(std::string_view s);

// A parameter of a header value (charset="gbk"); empty when absent.
std::string HeaderParam(const std::string& value, std::string_view name);

struct MimePart {
    std::string type;      // lower-case media type
    std::string charset;   // declared, may be empty
    std::string location;  // Content-Location
    std::string body;      // transfer-decoded bytes
};

// The leaf parts of a MIME message, transfer-decoded, in order.
void CollectParts(std::string_view s, int depth, std::vector<MimePart>& parts);

}  // namespace pelmora::word::web
