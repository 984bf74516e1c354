#include "platform/doc/detect.h"

#include <cstring>

namespace pelmora::word {

namespace {

bool StartsWith(const unsigned char* p, size_t n, const char* sig, size_t len) {
    return n >= len && std::memcmp(p, sig, len) == 0;
}

bool StartsWithNoCase(const unsigned char* p, size_t n, const char* sig) {
    size_t len = std::strlen(sig);
    if (n < len) return false;
    for (size_t i = 0; i < len; ++i) {
        unsigned char c = p[i];
        if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
        unsigned char s = static_cast<unsigned char>(sig[i]);
        if (s >= 'a' && s <= 'z') s = static_cast<unsigned char>(s - 'a' + 'A');
        if (c != s) return false;
    }
    return true;
}

}  // namespace

FileKind DetectFileKind(const unsigned char* head, size_t n) {
    if (n == 0) return FileKind::Empty;
    if (StartsWith(head, n, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) return FileKind::Compound;
    if (StartsWith(head, n, "PK\x03\x04", 4) || StartsWith(head, n, "PK\x05\x06", 4))
        return FileKind::Zip;
    if (StartsWith(head, n, "\xFF\x57\x50\x43", 4)) return FileKind::WordPerfect;
    // wIdent 0xA5DB (Word 2), 0xA59B (Word 1), Word for DOS, Mac Word 4 and 5.
    if (StartsWith(head, n, "\xDB\xA5", 2) || StartsWith(head, n, "\x9B\xA5", 2) ||
        StartsWith(head, n, "\x31\xBE\x00\x00", 4) || StartsWith(head, n, "\xFE\x37\x00\x1C", 4) ||
        StartsWith(head, n, "\xFE\x37\x00\x23", 4))
        return FileKind::Word2OrOlder;

    // Text formats may start with a byte-order mark and blank lines.
    size_t i = 0;
    if (StartsWith(head, n, "\xEF\xBB\xBF", 3)) i = 3;
    bool utf16 = false;
    if (StartsWith(head, n, "\xFF\xFE", 2) || StartsWith(head, n, "\xFE\xFF", 2)) {
        utf16 = true;
        i = 2;
    }
    // UTF-16 text: look at every other byte only (ASCII range is enough here).
    unsigned char narrow[64];
    const unsigned char* p = head + i;
    size_t m = n - i;
    if (utf16) {
        bool be = head[0] == 0xFE;
        size_t k = 0;
        for (size_t j = be ? 1 : 0; j < m && k < sizeof narrow; j += 2) narrow[k++] = p[j];
        p = narrow;
        m = k;
    }
    size_t j = 0;
    while (j < m && (p[j] == ' ' || p[j] == '\t' || p[j] == '\r' || p[j] == '\n')) ++j;
    p += j;
    m -= j;
    if (StartsWith(p, m, "{\\rtf", 5)) return FileKind::Rtf;
    if (StartsWithNoCase(p, m, "MIME-Version:")) return FileKind::Mht;
    if (m > 0 && p[0] == '<') return FileKind::Html;
    return FileKind::Unknown;
}

const char* FileKindReason(FileKind kind) {
    switch (kind) {
        case FileKind::Empty:
            return "empty file";
        case FileKind::Compound:
            return "";
        case FileKind::Zip:
            return "ZIP archive (not a .doc)";
        case FileKind::Rtf:
            return "RTF file, not a Word 97-2003 document";
        case FileKind::Html:
            return "HTML or XML file, not a Word 97-2003 document";
        case FileKind::Mht:
            return "web archive (MHT), not a Word 97-2003 document";
        case FileKind::Word2OrOlder:
            return "Word 2.0 or older document (not supported)";
        case FileKind::WordPerfect:
            return "WordPerfect document, not a Word document";
        case FileKind::Unknown:
            break;
    }
    return "not a Word document";
}

}  // namespace pelmora::word
