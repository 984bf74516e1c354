#include "reader/web/mime.h"

#include "reader/limits.h"
#include "reader/text/ascii.h"

namespace pelmora::word::web {

using fmt::AsciiLower;
using fmt::TrimAscii;

namespace {}  // namespace

std::pair<MimeHeaders, std::string_view> SplitMime(std::string_view s) {
    MimeHeaders h;
    std::string last;
    std::size_t pos = 0;
    while (pos < s.size()) {
        std::size_t eol = s.find('\n', pos);
        std::size_t next = eol == std::string_view::npos ? s.size() : eol + 1;
        std::string_view line =
            s.substr(pos, (eol == std::string_view::npos ? s.size() : eol) - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos = next;
        if (line.empty()) break;
        if ((line.front() == ' ' || line.front() == '\t') && !last.empty()) {
            h.fields[last] += " " + std::string(TrimAscii(line));
            continue;
        }
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        last = AsciiLower(TrimAscii(line.substr(0, colon)));
        if (h.fields.size() < kMaxMimeFields)
            h.fields[last] = std::string(TrimAscii(line.substr(colon + 1)));
    }
    return {h, s.substr(std::min(pos, s.size()))};
}

// A parameter of a header value: `type/sub; name="value"`.
std::string HeaderParam(const std::string& value, std::string_view name) {
    std::string lower = AsciiLower(value);
    std::size_t pos = 0;
    while ((pos = lower.find(name, pos)) != std::string::npos) {
        bool boundaryOk =
            pos == 0 || lower[pos - 1] == ';' || lower[pos - 1] == ' ' || lower[pos - 1] == '\t';
        std::size_t p = pos + name.size();
        while (p < lower.size() && lower[p] == ' ') ++p;
        if (!boundaryOk || p >= lower.size() || lower[p] != '=') {
            pos += name.size();
            continue;
        }
        ++p;
        while (p < lower.size() && lower[p] == ' ') ++p;
        if (p < value.size() && (value[p] == '"' || value[p] == '\'')) {
            char q = value[p];
            std::size_t e = value.find(q, p + 1);
            return value.substr(p + 1, (e == std::string::npos ? value.size() : e) - p - 1);
        }
        std::size_t e = p;
        while (e < value.size() && value[e] != ';' && value[e] != ' ' && value[e] != '\t') ++e;
        return value.substr(p, e - p);
    }
    return {};
}

namespace {

std::string DecodeQuotedPrintable(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c != '=') {
            out += c;
            continue;
        }
        if (i + 1 < s.size() && s[i + 1] == '\n') {
            ++i;
            continue;
        }  // soft line break
        if (i + 2 < s.size() && s[i + 1] == '\r' && s[i + 2] == '\n') {
            i += 2;
            continue;
        }
        int hi = i + 1 < s.size() ? hex(s[i + 1]) : -1;
        int lo = i + 2 < s.size() ? hex(s[i + 2]) : -1;
        if (hi >= 0 && lo >= 0) {
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

std::string DecodeBase64(std::string_view s) {
    std::string out;
    out.reserve(s.size() / 4 * 3);
    unsigned buf = 0;
    int bits = 0;
    for (char c : s) {
        int v;
        if (c >= 'A' && c <= 'Z')
            v = c - 'A';
        else if (c >= 'a' && c <= 'z')
            v = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            v = c - '0' + 52;
        else if (c == '+')
            v = 62;
        else if (c == '/')
            v = 63;
        else if (c == '=')
            break;
        else
            continue;
        buf = (buf << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((buf >> bits) & 0xFF);
        }
    }
    return out;
}

}  // namespace

void CollectParts(std::string_view s, int depth, std::vector<MimePart>& parts) {
    if (depth > kMaxMimeDepth || parts.size() > kMaxMimeParts) return;
    auto [h, body] = SplitMime(s);
    std::string ctype = h.Get("content-type");
    std::string type = AsciiLower(TrimAscii(ctype.substr(0, ctype.find(';'))));
    if (type.starts_with("multipart/")) {
        std::string boundary = HeaderParam(ctype, "boundary");
        if (boundary.empty()) return;
        const std::string delim = "--" + boundary;
        std::size_t pos = body.find(delim);
        while (pos != std::string_view::npos) {
            std::size_t start = pos + delim.size();
            if (body.substr(start, 2) == "--") break;  // closing delimiter
            std::size_t lineEnd = body.find('\n', start);
            if (lineEnd == std::string_view::npos) break;
            std::size_t next = body.find(delim, lineEnd + 1);
            std::string_view part = body.substr(
                lineEnd + 1, (next == std::string_view::npos ? body.size() : next) - lineEnd - 1);
            if (part.size() >= 2 && part.substr(part.size() - 2) == "\r\n")
                part.remove_suffix(2);
            else if (!part.empty() && part.back() == '\n')
                part.remove_suffix(1);
            CollectParts(part, depth + 1, parts);
            pos = next;
        }
        return;
    }
    MimePart p;
    p.type = type.empty() ? "text/plain" : type;
    p.charset = HeaderParam(ctype, "charset");
    p.location = h.Get("content-location");
    std::string enc = AsciiLower(TrimAscii(h.Get("content-transfer-encoding")));
    if (enc == "quoted-printable")
        p.body = DecodeQuotedPrintable(body);
    else if (enc == "base64")
        p.body = DecodeBase64(body);
    else
        p.body = std::string(body);
    parts.push_back(std::move(p));
}

}  // namespace pelmora::word::web
