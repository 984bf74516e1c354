// libFuzzer target: arbitrary bytes through the reader, from memory and from
// a file, asking for everything the extraction run may ask for. Refusing
// with a WordError is fine; any other exception, crash, leak or hang is a
// finding.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

#include "platform/doc/word.h"

using pelmora::word::Application;
using pelmora::word::Document;
using pelmora::word::kPrimaryHeaderFooter;
using pelmora::word::WordError;

namespace {

void ReadEverything(Document& doc) {
    for (int n : {1, 2, 5}) {
        try {
            doc.ParagraphText(n);
        } catch (const WordError&) {
        }
    }
    for (int section : {1, 2}) {
        try {
            doc.HeaderText(section, kPrimaryHeaderFooter);
        } catch (const WordError&) {
        }
        try {
            doc.FooterText(section, kPrimaryHeaderFooter);
        } catch (const WordError&) {
        }
    }
    doc.Close(false);
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
    try {
        ReadEverything(*app.OpenMemory(data, size));
    } catch (const WordError&) {
    }
    WriteScratch(data, size);
    try {
        ReadEverything(*app.Open(ScratchPath()));
    } catch (const WordError&) {
    }
    return 0;
}
