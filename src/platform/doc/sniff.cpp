#include <cstring>

#include "platform/doc/fmtcommon.h"
#include "platform/doc/formats.h"
#include "platform/doc/objectmodel.h"

namespace pelmora::word {

namespace {

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

// Skips a byte-order mark and leading white space; reports a UTF-16 mark.
std::string_view SkipBomAndSpace(std::string_view s, bool* utf16) {
    *utf16 = false;
    if (StartsWith(s, "\xEF\xBB\xBF"))
        s.remove_prefix(3);
    else if (StartsWith(s, "\xFF\xFE") || StartsWith(s, "\xFE\xFF"))
        *utf16 = true, s.remove_prefix(2);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' ||
                          s.front() == '\n' || s.front() == '\f'))
        s.remove_prefix(1);
    return s;
}

bool LooksLikeHtml(std::string_view s) {
    // Comments may come first in exported pages.
    for (int guard = 0; guard < 16 && StartsWith(s, "<!--"); ++guard) {
        std::size_t e = s.find("-->");
        if (e == std::string_view::npos) return false;
        s.remove_prefix(e + 3);
        while (!s.empty() && std::strchr(" \t\r\n", s.front())) s.remove_prefix(1);
    }
    std::string head = fmt::AsciiLower(s.substr(0, 64));
    if (StartsWith(head, "<?xml")) {
        // An XHTML page: look for the html element a little further on.
        std::string more = fmt::AsciiLower(s.substr(0, 1024));
        return more.find("<html") != std::string::npos;
    }
    // Web systems that export "Word files" often send a bare fragment.
    for (const char* tag :
         {"<html", "<!doctype html", "<head", "<body", "<meta", "<title", "<div", "<table", "<p>",
          "<p ", "<style", "<h1", "<h2", "<h3", "<font", "<span", "<center"})
        if (StartsWith(head, tag)) return true;
    return false;
}

bool LooksLikeMime(std::string_view s) {
    // MHT: RFC 822 headers, one of them MIME-Version, before the first blank line.
    std::size_t end = s.find("\r\n\r\n");
    std::size_t end2 = s.find("\n\n");
    if (end == std::string_view::npos || (end2 != std::string_view::npos && end2 < end)) end = end2;
    std::string headers =
        fmt::AsciiLower(s.substr(0, end == std::string_view::npos ? s.size() : end));
    return StartsWith(headers, "mime-version:") ||
           headers.find("\nmime-version:") != std::string::npos;
}

}  // namespace

DocumentFormat SniffDocumentFormat(std::string_view head) {
    if (StartsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return DocumentFormat::CompoundFile;
    if (StartsWith(head, "PK\x03\x04") || StartsWith(head, "PK\x05\x06"))
        return DocumentFormat::Zip;
    bool utf16 = false;
    std::string_view s = SkipBomAndSpace(head, &utf16);
    if (utf16) {
        // A UTF-16 page: look at its ASCII letters only.
        static thread_local std::string narrow;
        narrow.clear();
        for (char c : s)
            if (c != '\0') narrow.push_back(c);
        s = SkipBomAndSpace(narrow, &utf16);
    }
    if (StartsWith(s, "{\\rtf")) return DocumentFormat::Rtf;
    if (StartsWith(s, "<?xml") &&
        s.find("schemas.microsoft.com/office/word/2003/wordml") != std::string_view::npos &&
        s.find(":wordDocument") != std::string_view::npos)
        return DocumentFormat::WordXml;
    if (LooksLikeHtml(s)) return DocumentFormat::Web;
    if (LooksLikeMime(s)) return DocumentFormat::Web;
    return DocumentFormat::Unknown;
}

std::unique_ptr<DocumentImpl> OpenByContent(const std::string& path, DocumentFormat format) {
    switch (format) {
        case DocumentFormat::Ooxml:
            return OpenOoxmlDocument(path);
        case DocumentFormat::Rtf:
            return OpenRtfDocument(path);
        case DocumentFormat::Web:
            return OpenWebDocument(path);
        case DocumentFormat::WordXml:
            return OpenWordXmlDocument(path);
        case DocumentFormat::CompoundFile:
            return nullptr;
        case DocumentFormat::Zip:
            throw WordError("not a Word document: no word/document.xml");
        case DocumentFormat::Unknown:
            break;
    }
    throw WordError("not a Word document");
}

DocumentFormat DetectDocumentFormat(const std::string& path) {
    std::string head = fmt::ReadFileHead(path, kSniffBytes);
    DocumentFormat f = SniffDocumentFormat(head);
    if (f == DocumentFormat::Zip && IsWordPackage(path)) return DocumentFormat::Ooxml;
    return f;
}

}  // namespace pelmora::word
