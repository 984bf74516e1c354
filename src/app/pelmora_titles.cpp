// pelmora-titles: prints the title that the extraction run would form for
// each Word file given (.doc, .docx, RTF, web page...), one line per file,
// without the window. The text is read by the same rules as the window's
// (titles/rawtitle.h), with the window's defaults for the custom position.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reader/document.h"
#include "reader/text/utf8.h"
#include "titles/orderedpool.h"
#include "titles/rawtitle.h"
#include "titles/titlerules.h"

namespace {

constexpr char kUsage[] =
    "usage: pelmora-titles [--mode 0|1|2|3|4] [--paragraph N] [--start P] [--count W]\n"
    "                      [--maxword N] [--keep-blanks] [--replace-illegal] [--raw]\n"
    "                      [-j N] FILE...\n";

constexpr char kHelp[] =
    "Prints, for each Word file, its path, a tab and its title.\n"
    "  --mode 0     first paragraph (default)\n"
    "  --mode 1     primary header of section 1\n"
    "  --mode 2     primary footer of section 1\n"
    "  --mode 3     paragraph N from character P, at most W characters:\n"
    "  --paragraph N  (default 5)  --start P  (default 1)  --count W  (default 25),\n"
    "               each 0 to 32767\n"
    "  --mode 4     automatic: the title a person would pick from the first part\n"
    "               of the body (style, size, position, what the lines say)\n"
    "  --maxword N  longest title in characters, 0 to 32767 (default 25)\n"
    "  --keep-blanks  keep one blank between Latin words (保留英文单词间的空格)\n"
    "  --replace-illegal  / \\ : * ? \" < > | become full-width (替换非法字符)\n"
    "  --raw        print the text as read instead of the title\n"
    "  -j N, --jobs N  read N files at a time, 1 to 256 (default 1); the lines\n"
    "               still come out in the order of the files given\n"
    "Control characters are printed as \\r \\n \\t \\v \\a or \\xHH, a backslash\n"
    "as \\\\. A file that cannot be read prints \"error: \" and the reason.\n"
    "Exit status: 0 all files read, 1 some file could not be read, 2 bad usage.\n";

struct Options {
    pelmora::TitleMode mode = pelmora::TitleMode::TitleModeFirstParagraph;
    int paragraph = pelmora::kDefaultStartParagraph;
    int start = pelmora::kDefaultStartPos;
    int count = pelmora::kDefaultWordCount;
    int maxword = 25;
    pelmora::TitleRules rules;
    bool raw = false;
    int jobs = 1;
    std::vector<std::string> files;
};

void AppendHexEscape(std::string& out, unsigned c) {
    static const char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[(c >> 4) & 0xF];
    out += kHex[c & 0xF];
}

// UTF-16 to UTF-8 with control characters escaped, so that every file stays
// on one line and the tab after the path is the only one. A lone surrogate
// becomes U+FFFD.
std::string Escape(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        switch (c) {
            case u'\r':
                out += "\\r";
                continue;
            case u'\n':
                out += "\\n";
                continue;
            case u'\t':
                out += "\\t";
                continue;
            case u'\v':
                out += "\\v";
                continue;
            case u'\a':
                out += "\\a";
                continue;
            case u'\\':
                out += "\\\\";
                continue;
            default:
                break;
        }
        if (c < 0x20 || c == 0x7F) {
            AppendHexEscape(out, c);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        pelmora::word::fmt::AppendCodePointUtf8(out, c);
    }
    return out;
}

// Paths are printed as given, but a control byte would break the line.
std::string EscapePath(std::string_view path) {
    std::string out;
    for (unsigned char c : path) {
        if (c < 0x20 || c == 0x7F) {
            AppendHexEscape(out, c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::optional<int> ParseInt(std::string_view s, int lo, int hi) {
    if (s.empty() || s.size() > 6) return std::nullopt;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v < lo || v > hi) return std::nullopt;
    return v;
}

// Returns the exit status to end with when the arguments do not make a run.
std::optional<int> ParseArgs(int argc, char** argv, Options& opt) {
    bool options_done = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        if (options_done || a.empty() || a[0] != '-' || a == "-") {
            opt.files.emplace_back(a);
            continue;
        }
        if (a == "--") {
            options_done = true;
            continue;
        }
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (a == "--raw") {
            opt.raw = true;
            continue;
        }
        if (a == "--keep-blanks" || a == "--replace-illegal") {
            (a == "--keep-blanks" ? opt.rules.keepLatinBlanks : opt.rules.replaceIllegal) = true;
            continue;
        }
        std::string_view name = a;
        std::optional<std::string_view> value;
        if (a.size() > 2 && a.substr(0, 2) == "-j") {
            name = "-j";
            value = a.substr(2);
        } else if (auto eq = a.find('='); eq != std::string_view::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
        }
        if (name == "--jobs") name = "-j";
        if (name != "--mode" && name != "--maxword" && name != "--paragraph" && name != "--start" &&
            name != "--count" && name != "-j") {
            std::fprintf(stderr, "pelmora-titles: unknown option %s\n", argv[i]);
            return 2;
        }
        if (!value) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "pelmora-titles: %s needs a value\n", argv[i]);
                return 2;
            }
            value = argv[++i];
        }
        if (name == "--mode") {
            const auto v = ParseInt(*value, 0, 4);
            const auto mode = v ? pelmora::TitleModeFromNumber(*v) : std::nullopt;
            if (!mode) {
                std::fputs("pelmora-titles: --mode takes 0, 1, 2, 3 or 4\n", stderr);
                return 2;
            }
            opt.mode = *mode;
        } else if (name == "-j") {
            auto v = ParseInt(*value, 1, 256);
            if (!v) {
                std::fputs("pelmora-titles: -j takes a number from 1 to 256\n", stderr);
                return 2;
            }
            opt.jobs = *v;
        } else {
            auto v = ParseInt(*value, 0, 32767);
            if (!v) {
                std::fprintf(stderr, "pelmora-titles: %.*s takes a number from 0 to 32767\n",
                             static_cast<int>(name.size()), name.data());
                return 2;
            }
            (name == "--maxword"     ? opt.maxword
             : name == "--paragraph" ? opt.paragraph
             : name == "--start"     ? opt.start
                                     : opt.count) = *v;
        }
    }
    if (opt.files.empty()) {
        std::fputs("pelmora-titles: no file given\n", stderr);
        return 2;
    }
    return std::nullopt;
}

// The output line for one file; false when the file could not be read.
bool TitleLine(const Options& opt, const std::string& path, std::string& line) {
    line = EscapePath(path);
    line += '\t';
    bool ok = true;
    try {
        pelmora::word::Application app;
        std::unique_ptr<pelmora::word::Document> doc = app.Open(path);
        std::u16string text;
        try {
            // Nothing (a position the window reads nothing at) prints as empty.
            const std::string name = std::filesystem::path(path).filename().string();
            text = pelmora::ReadRawTitle(opt.mode, opt.paragraph, opt.start, opt.count, *doc,
                                         pelmora::word::fmt::Utf8ToUtf16(name))
                       .value_or(u"");
        } catch (...) {
            doc->Close(false);
            throw;
        }
        doc->Close(false);
        if (opt.raw) {
            line += Escape(text);
        } else {
            // maxword was checked to be 0..32767, so a title is always formed.
            line +=
                Escape(pelmora::FormatTitleText(text, static_cast<int16_t>(opt.maxword), opt.rules)
                           .value_or(u""));
        }
    } catch (const std::exception& e) {
        line += "error: ";
        line += EscapePath(e.what());
        ok = false;
    } catch (...) {
        line += "error: unknown failure";
        ok = false;
    }
    line += '\n';
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    if (auto status = ParseArgs(argc, argv, opt)) {
        if (*status == 2) std::fputs(kUsage, stderr);
        return *status;
    }

    int status = 0;
    if (opt.jobs <= 1) {
        std::string line;
        for (const std::string& path : opt.files) {
            if (!TitleLine(opt, path, line)) status = 1;
            std::fwrite(line.data(), 1, line.size(), stdout);
        }
        return std::fflush(stdout) == 0 ? status : 1;
    }

    // Lines are printed as soon as every file before them is done, so a
    // long run shows its output as it goes, in the order given.
    const size_t n = opt.files.size();
    std::vector<std::string> lines(n);
    std::vector<char> ok(n, 1);
    pelmora::OrderedPool pool(n, unsigned(opt.jobs),
                              [&](size_t i) { ok[i] = TitleLine(opt, opt.files[i], lines[i]); });
    size_t written = 0;
    while (written < n) {
        const size_t ready = pool.waitReady(written, std::chrono::milliseconds(200));
        for (; written < ready; ++written) {
            if (!ok[written]) status = 1;
            std::fwrite(lines[written].data(), 1, lines[written].size(), stdout);
            std::string().swap(lines[written]);
        }
    }
    return std::fflush(stdout) == 0 ? status : 1;
}
