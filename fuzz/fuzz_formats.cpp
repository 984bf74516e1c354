// libFuzzer target for the .docx, OpenDocument, Word 2003 XML, RTF and web-page readers. Every
// input goes through the format dispatcher and, beside it, straight to the reader its head names:
// both must give the same texts, the same leading paragraphs, text boxes and first-page header
// with their formatting (one asks for them first, the other last) and the same reasons. Input that
// looks like XML is also wrapped as word/document.xml of a stored ZIP, and as content.xml,
// styles.xml and meta.xml of an OpenDocument package, so that mutations reach the markup readers
// instead of dying in ZIP checksums.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "reader/document.h"
#include "reader/open.h"
#include "reader/openers.h"

namespace {

using pelmora::word::DocumentImpl;
using pelmora::word::WordError;

// The leading paragraphs with their facts, or the reason they were refused.
std::vector<std::string> Leading(DocumentImpl& doc) {
    std::vector<std::string> got;
    try {
        const pelmora::word::LeadingBody body = doc.LeadingParagraphs(60);
        if (body.paragraphs.size() > 60) __builtin_trap();
        for (const auto& p : body.paragraphs) {
            if (!p.formatted && (p.styleId != pelmora::word::kStiUnknown || p.tableRow != 0 ||
                                 p.maxHalfPoints != 0))
                __builtin_trap();  // unformatted paragraphs keep every fact default
            if (p.mainHalfPoints > p.maxHalfPoints) __builtin_trap();
            std::string facts(reinterpret_cast<const char*>(p.text.data()),
                              p.text.size() * sizeof(char16_t));
            for (int v : {int(p.formatted), p.styleId, p.outlineLevel, int(p.centered),
                          int(p.pageBreakBefore), int(p.breakAfter), p.maxHalfPoints,
                          p.mainHalfPoints, int(p.bold), int(p.color), p.tableRow, p.tableCell})
                facts += "|" + std::to_string(v);
            got.push_back(std::move(facts));
        }
        got.emplace_back(reinterpret_cast<const char*>(body.titleProperty.data()),
                         body.titleProperty.size() * sizeof(char16_t));
    } catch (const WordError& e) {
        got.push_back(std::string("<error>") + e.what());
    }
    return got;
}

// The paragraphs of one story with their facts, checked for what every
// reader must hold to.
void AddStory(std::vector<std::string>& got, const std::vector<pelmora::word::ParagraphFacts>& ps) {
    if (ps.size() > static_cast<std::size_t>(pelmora::word::kMaxStoryFacts)) __builtin_trap();
    for (const auto& p : ps) {
        if (p.text.empty()) __builtin_trap();
        if (!p.formatted && (p.styleId != pelmora::word::kStiUnknown || p.maxHalfPoints != 0))
            __builtin_trap();
        if (p.mainHalfPoints > p.maxHalfPoints) __builtin_trap();
        std::string facts(reinterpret_cast<const char*>(p.text.data()),
                          p.text.size() * sizeof(char16_t));
        for (int v : {int(p.formatted), p.styleId, p.maxHalfPoints, p.mainHalfPoints, int(p.bold)})
            facts += "|" + std::to_string(v);
        got.push_back(std::move(facts));
    }
}

// The text boxes of the leading body and the first page's header, for the
// title finder's fallback sources.
std::vector<std::string> Extras(DocumentImpl& doc) {
    std::vector<std::string> got;
    try {
        const auto boxes = doc.LeadingTextBoxes(8);
        if (boxes.size() > 8) __builtin_trap();
        for (const auto& b : boxes) {
            if (b.anchor < -1 || b.anchor >= pelmora::word::kLeadingParagraphs) __builtin_trap();
            got.push_back("<box>" + std::to_string(b.anchor));
            AddStory(got, b.paragraphs);
        }
    } catch (const WordError& e) {
        got.push_back(std::string("<error>") + e.what());
    }
    try {
        got.emplace_back("<first-page header>");
        AddStory(got, doc.FirstPageHeaderParagraphs(20));
    } catch (const WordError& e) {
        got.push_back(std::string("<error>") + e.what());
    }
    return got;
}

// Every text asked for, or the reason it was refused; the leading paragraphs
// asked for first or last, so that the two orders must agree.
std::vector<std::string> Exercise(DocumentImpl& doc, bool leadingFirst) {
    std::vector<std::string> lead;
    if (leadingFirst) lead = Leading(doc);
    std::vector<std::string> got;
    auto attempt = [&](auto read) {
        try {
            const std::u16string text = read();
            got.emplace_back(reinterpret_cast<const char*>(text.data()),
                             text.size() * sizeof(char16_t));
        } catch (const WordError& e) {
            got.push_back(std::string("<error>") + e.what());
        }
    };
    // Boxes and the header, asked first or last too, change no text.
    std::vector<std::string> extras;
    if (leadingFirst) extras = Extras(doc);
    for (int n : {1, 2, 5}) attempt([&] { return doc.ParagraphText(n); });
    for (int section : {1, 2}) {
        attempt([&] { return doc.HeaderText(section, 1); });
        attempt([&] { return doc.FooterText(section, 1); });
        attempt([&] { return doc.HeaderText(section, 2); });
    }
    if (!leadingFirst) lead = Leading(doc);
    if (!leadingFirst) extras = Extras(doc);
    // Each leading paragraph's text is the paragraph's text.
    for (std::size_t i = 0; i + 1 < lead.size() && i < 3; ++i) {
        if (lead[i].rfind("<error>", 0) == 0) break;
        std::u16string text;
        try {
            text = doc.ParagraphText(static_cast<int>(i) + 1);
        } catch (const WordError&) {
            __builtin_trap();
        }
        const std::string bytes(reinterpret_cast<const char*>(text.data()),
                                text.size() * sizeof(char16_t));
        if (lead[i].compare(0, bytes.size(), bytes) != 0 || lead[i][bytes.size()] != '|')
            __builtin_trap();
    }
    got.insert(got.end(), lead.begin(), lead.end());
    got.insert(got.end(), extras.begin(), extras.end());
    return got;
}

template <typename OpenBytes>
std::vector<std::string> Try(OpenBytes open, std::string bytes, bool leadingFirst = false) {
    try {
        auto doc = open(std::move(bytes));
        return Exercise(*doc, leadingFirst);
    } catch (const WordError& e) {
        return {std::string("<refused>") + e.what()};
    }
}

void Put16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}
std::uint32_t Crc32(const std::string& d) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : d) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

using Entries = std::vector<std::pair<std::string, const std::string*>>;

// A ZIP of stored entries, in this order.
std::string StoredZip(const Entries& entries) {
    std::string body, central;
    for (const auto& [name, data] : entries) {
        std::uint32_t offset = static_cast<std::uint32_t>(body.size());
        for (int pass = 0; pass < 2; ++pass) {
            std::string& s = pass ? central : body;
            Put32(s, pass ? 0x02014b50 : 0x04034b50);
            if (pass) Put16(s, 20);
            Put16(s, 20);
            Put16(s, 0);
            Put16(s, 0);
            Put16(s, 0);
            Put16(s, 0x21);
            Put32(s, Crc32(*data));
            Put32(s, static_cast<std::uint32_t>(data->size()));
            Put32(s, static_cast<std::uint32_t>(data->size()));
            Put16(s, static_cast<unsigned>(name.size()));
            Put16(s, 0);
            if (pass) {
                Put16(s, 0);
                Put16(s, 0);
                Put16(s, 0);
                Put32(s, 0);
                Put32(s, offset);
            }
            s += name;
            if (!pass) s += *data;
        }
    }
    std::string out = body + central;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<unsigned>(entries.size()));
    Put16(out, static_cast<unsigned>(entries.size()));
    Put32(out, static_cast<std::uint32_t>(central.size()));
    Put32(out, static_cast<std::uint32_t>(body.size()));
    Put16(out, 0);
    return out;
}

// word/document.xml (the input), word/header1.xml and word/styles.xml (the
// same input, so header and style parsing see it too), with a relationship
// for rId1.
std::string WrapAsPackage(const std::string& xml) {
    const std::string rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"h\" Target=\"header1.xml\"/></Relationships>";
    return StoredZip({{"word/document.xml", &xml},
                      {"word/header1.xml", &xml},
                      {"word/styles.xml", &xml},
                      {"word/_rels/document.xml.rels", &rels}});
}

// The input as every part of an OpenDocument text package, mimetype first.
std::string WrapAsOpenDocument(const std::string& xml) {
    const std::string mime = "application/vnd.oasis.opendocument.text";
    return StoredZip(
        {{"mimetype", &mime}, {"content.xml", &xml}, {"styles.xml", &xml}, {"meta.xml", &xml}});
}

// What the dispatcher does with a ZIP package, reader by reader: OpenDocument
// by its head, else Office Open XML, else OpenDocument after all.
std::vector<std::string> TryPackage(const std::string& bytes) {
    if (pelmora::word::IsOpenDocumentHead(bytes)) {
        if (!pelmora::word::IsOpenDocumentTextHead(bytes))
            return {"<refused>OpenDocument file that is not a text document"};
        return Try(pelmora::word::OpenOdfBytes, bytes);
    }
    std::vector<std::string> ooxml = Try(pelmora::word::OpenOoxmlBytes, bytes);
    if (ooxml.size() != 1 || ooxml[0].find("no word/document.xml") == std::string::npos)
        return ooxml;
    std::vector<std::string> odf = Try(pelmora::word::OpenOdfBytes, bytes);
    if (odf.size() == 1 && odf[0].rfind("<refused>", 0) == 0 &&
        odf[0].rfind("<refused>OpenDocument", 0) != 0)
        return ooxml;
    return odf;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    using pelmora::word::Format;
    auto dispatched = Try(
        [](std::string b) {
            return pelmora::word::Open(std::make_unique<pelmora::word::OwnedSource>(std::move(b)));
        },
        bytes, true);
    std::vector<std::string> direct;
    switch (pelmora::word::Sniff(bytes)) {
        case Format::Zip:
            direct = TryPackage(bytes);
            break;
        case Format::Rtf:
            direct = Try(pelmora::word::OpenRtfBytes, bytes);
            break;
        case Format::Web:
            direct =
                Try([](std::string b) { return pelmora::word::OpenWebBytes(std::move(b)); }, bytes);
            break;
        case Format::WordXml:
            direct = Try(pelmora::word::OpenWordXmlBytes, bytes);
            break;
        default:
            // No reader of these formats takes it; the binary reader may.
            direct = dispatched;
            break;
    }
    if (direct != dispatched) __builtin_trap();
    if (!bytes.empty() && bytes[0] == '<') {
        Try(pelmora::word::OpenOoxmlBytes, WrapAsPackage(bytes));
        // The same package through the dispatcher and straight to its reader,
        // the leading paragraphs asked for first and last.
        const std::string odf = WrapAsOpenDocument(bytes);
        const std::vector<std::string> straight = Try(pelmora::word::OpenOdfBytes, odf);
        if (Try(pelmora::word::OpenOdfBytes, odf, true) != straight) __builtin_trap();
        const auto open = [](std::string b) {
            return pelmora::word::Open(std::make_unique<pelmora::word::OwnedSource>(std::move(b)));
        };
        if (Try(open, odf) != straight) __builtin_trap();
    }
    return 0;
}
