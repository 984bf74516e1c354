// libFuzzer target: arbitrary bytes through the reader, from memory and from
// a file, asking for everything the extraction run may ask for. Refusing
// with a WordError is fine; any other exception, crash, leak or hang is a
// finding, and so is a difference between the two ways in.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "reader/document.h"

using pelmora::word::Application;
using pelmora::word::Document;
using pelmora::word::kPrimaryHeaderFooter;
using pelmora::word::WordError;

namespace {

// What one reading gave: each text, or a mark for a WordError.
std::vector<std::u16string> ReadEverything(Document& doc) {
    std::vector<std::u16string> got;
    auto attempt = [&](auto read) {
        try {
            got.push_back(read());
        } catch (const WordError& e) {
            const std::string why = e.what();
            got.push_back(u"<error>" + std::u16string(why.begin(), why.end()));
        }
    };
    for (int n : {1, 2, 5}) attempt([&] { return doc.ParagraphText(n); });
    for (int section : {1, 2}) {
        attempt([&] { return doc.HeaderText(section, kPrimaryHeaderFooter); });
        attempt([&] { return doc.FooterText(section, kPrimaryHeaderFooter); });
    }
    // The title finder's fallback sources: never an error, never more than asked.
    {
        const auto boxes = doc.LeadingTextBoxes(8);
        if (boxes.size() > 8) __builtin_trap();
        std::u16string all;
        for (const auto& b : boxes) {
            if (b.anchor < -1 || b.anchor >= pelmora::word::kLeadingParagraphs) __builtin_trap();
            if (b.paragraphs.size() > static_cast<size_t>(pelmora::word::kMaxStoryFacts))
                __builtin_trap();
            all += u"<box>";
            for (const auto& p : b.paragraphs) all += p.text + char16_t(p.mainHalfPoints);
        }
        const auto header = doc.FirstPageHeaderParagraphs(20);
        if (header.size() > 20) __builtin_trap();
        all += u"<header>";
        for (const auto& p : header) all += p.text + char16_t(p.mainHalfPoints);
        got.push_back(std::move(all));
    }
    attempt([&] {
        auto body = doc.LeadingParagraphs();
        std::u16string all = body.titleProperty;
        for (const auto& p : body.paragraphs)
            all += p.text + char16_t(p.formatted ? p.styleId & 0xFFFF : 0);
        return all;
    });
    doc.Close(false);
    return got;
}

std::vector<std::u16string> ReadWith(Application& app, auto open) {
    try {
        auto doc = open(app);
        return ReadEverything(*doc);
    } catch (const WordError& e) {
        // The reason counts too: the same bytes must be refused alike.
        const std::string why = e.what();
        return {u"<refused>", std::u16string(why.begin(), why.end())};
    }
}

// One in-memory file reused for every input: the path-based open reads
// through its own file layer.
const std::string& ScratchPath() {
    static const std::string path = [] {
        int fd = memfd_create("pelmora_fuzz", 0);
        if (fd < 0) __builtin_trap();
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

void WriteScratch(const uint8_t* data, size_t size) {
    static int fd = -1;
    if (fd < 0) fd = std::stoi(ScratchPath().substr(14));
    if (ftruncate(fd, 0) != 0) __builtin_trap();
    size_t done = 0;
    while (done < size) {
        ssize_t n = pwrite(fd, data + done, size - done, off_t(done));
        if (n <= 0) __builtin_trap();
        done += size_t(n);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Application app;
    auto from_memory = ReadWith(app, [&](Application& a) { return a.OpenMemory(data, size); });
    WriteScratch(data, size);
    auto from_file = ReadWith(app, [&](Application& a) { return a.Open(ScratchPath()); });
    // The same bytes must read the same, whichever way they come in.
    if (from_memory != from_file) __builtin_trap();
    return 0;
}
