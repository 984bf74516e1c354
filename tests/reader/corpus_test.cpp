// The public corpus of real-world files: every readable Word 97-2003 file
// gives its first paragraph, header and footer; everything else gives a
// WordError; nothing crashes. Texts are compared with INDEX.tsv, whose
// columns hold the raw story text (field codes kept) with control characters
// and field marks as blanks, blanks collapsed, cut to 40 (paragraph) or 30
// (header, footer) characters. Its Word 6/95 texts were decoded by language
// id or as cp1252; ours follow the font table, so those are checked apart.

#include "corpus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "reader/binary/cfb.h"
#include "reader/binary/worddoc.h"
#include "reader/document.h"

namespace pelmora::word {
namespace {

const std::string kCorpus = ::pelmora::test::CorpusDir();

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : line) {
        if (c == '\t') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(c);
        }
    }
    out.push_back(cur);
    return out;
}

std::u16string FromUtf8(const std::string& s) {
    std::u16string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = s[i];
        uint32_t cp;
        int n;
        if (c < 0x80)
            cp = c, n = 1;
        else if ((c >> 5) == 6)
            cp = c & 0x1F, n = 2;
        else if ((c >> 4) == 14)
            cp = c & 0x0F, n = 3;
        else
            cp = c & 0x07, n = 4;
        for (int k = 1; k < n && i + k < s.size(); ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
    }
    return out;
}

std::string ToUtf8(const std::u16string& s) {
    std::string o;
    for (char16_t c : s) {
        if (c < 0x80) {
            o.push_back(char(c));
        } else if (c < 0x800) {
            o.push_back(char(0xC0 | (c >> 6)));
            o.push_back(char(0x80 | (c & 63)));
        } else {
            o.push_back(char(0xE0 | (c >> 12)));
            o.push_back(char(0x80 | ((c >> 6) & 63)));
            o.push_back(char(0x80 | (c & 63)));
        }
    }
    return o;
}

// The corpus index's normalisation of a raw text.
std::u16string Normalise(const std::u16string& raw) {
    std::u16string out;
    for (char16_t c : raw) {
        bool blank = c < 0x20 || c == u' ' || c == 0xA0 || c == 0x3000 ||
                     (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
                     c == 0x205F || c == 0x85;
        if (blank) {
            if (!out.empty() && out.back() != u' ') out.push_back(u' ');
        } else {
            out.push_back(c);
        }
    }
    while (!out.empty() && out.back() == u' ') out.pop_back();
    return out;
}

bool MatchesIndex(const std::u16string& raw, const std::string& column) {
    std::u16string want = FromUtf8(column);
    std::u16string got = Normalise(raw).substr(0, want.size());
    while (!got.empty() && got.back() == u' ') got.pop_back();
    while (!want.empty() && want.back() == u' ') want.pop_back();
    return got == want;
}

std::u16string RawFirstParagraph(BinaryDocument& d) {
    std::u16string raw = d.RawText(0, std::min<uint32_t>(d.MainLength(), 4000));
    size_t end = raw.find(u'\r');
    return end == std::u16string::npos ? raw : raw.substr(0, end);
}

std::u16string RawStory(BinaryDocument& d, bool footer) {
    auto r = d.StoryRange(footer, 1, 1);
    if (!r) return u"";
    return d.RawText(r->first, std::min<uint32_t>(r->second - r->first, 2000));
}

// A damaged file that Word itself cannot open: its WordDocument chain ends
// long before the end of the first paragraph, which is therefore unreadable.
bool KnownUnreadable(const std::string& file) {
    return file == "wvWareNet/this-file-crashes-msword.doc";
}

TEST(Corpus, EveryFileIsReadOrCleanlyRefused) {
    std::ifstream index(kCorpus + "/INDEX.tsv");
    if (!index) GTEST_SKIP() << "no corpus at " << kCorpus;
    std::string line;
    std::getline(index, line);
    int read = 0, refused = 0, word97 = 0, paraCompared = 0, storyCompared = 0;
    std::vector<std::string> refusedList;
    Application app;
    while (std::getline(index, line)) {
        auto col = Split(line);
        if (col.size() < 19) continue;
        const std::string& file = col[0];
        const std::string path = kCorpus + "/" + file;
        unsigned nFib = col[3].empty() ? 0 : unsigned(std::stoul(col[3], nullptr, 16));
        const bool mustRead =
            col[2] == "ole2" && nFib >= 0xC1 && col[4] == "0" && !KnownUnreadable(file);
        if (mustRead) ++word97;
        SCOPED_TRACE(file);
        try {
            auto doc = app.Open(path);
            std::u16string p1 = doc->ParagraphText(1);
            std::u16string h = doc->HeaderText(1, 1);
            std::u16string f = doc->FooterText(1, 1);
            EXPECT_FALSE(p1.empty());
            EXPECT_FALSE(h.empty());
            EXPECT_FALSE(f.empty());
            doc->Close(true);
            ++read;
            // Besides compound files, Word opens RTF, .docx packages and Word
            // 2003 XML behind a .doc name; text files and the rest are refused.
            if (col[2] == "text") ADD_FAILURE() << "read a plain text file as a document";
        } catch (const WordError& e) {
            ++refused;
            refusedList.push_back(file + ": " + e.what());
            EXPECT_FALSE(mustRead) << e.what();
            continue;
        }
        if (col[2] != "ole2" || nFib < 0x65) continue;
        BinaryDocument d(std::make_unique<FileSource>(path));
        const bool ascii =
            std::all_of(col[18].begin(), col[18].end(), [](char c) { return (c & 0x80) == 0; });
        if (!col[18].empty() && (nFib >= 0xC1 || ascii)) {
            ++paraCompared;
            std::u16string raw = RawFirstParagraph(d);
            EXPECT_TRUE(MatchesIndex(raw, col[18]))
                << "para1 index: " << col[18] << "\n     ours: " << ToUtf8(Normalise(raw));
        }
        for (int k : {13, 14}) {
            if (col[k].empty()) continue;
            ++storyCompared;
            std::u16string raw = RawStory(d, k == 14);
            EXPECT_TRUE(MatchesIndex(raw, col[k]))
                << (k == 13 ? "hdr1" : "ftr1") << " index: " << col[k]
                << "\n     ours: " << ToUtf8(Normalise(raw));
        }
    }
    std::ostringstream why;
    for (const std::string& r : refusedList) why << "\n  " << r;
    std::cout << "[ corpus ] read " << read << ", refused " << refused
              << " (Word 97+ that must read: " << word97 << "; first paragraphs compared "
              << paraCompared << ", headers/footers compared " << storyCompared << ")" << why.str()
              << "\n";
}

// Word 6/95 files whose 8-bit text is not in cp1252: the font table's
// charset tells the code page even where the language id says English.
TEST(Corpus, Word6TextInItsCodePage) {
    if (!std::filesystem::exists(kCorpus + "/INDEX.tsv"))
        GTEST_SKIP() << "no corpus at " << kCorpus;
    struct Case {
        const char* file;
        const char16_t* first;
    } cases[] = {
        {"apache-poi/Bug49933.doc",
         u"\u041a\u043e\u043c\u043f\u0430\u043d\u0438\u044f \u0410\u0441\u043a\u0430\u0442 "
         u"\u041c\r"},
        {"apache-poi/Bug60936.doc", u"4 sk\u00f3re a p\u0159ed 7 lety\r"},
        {"apache-poi/Bug50955.doc",
         u"\u041e\u041f\u0415\u0420\u0410\u0426\u0418\u042f \"\u0425\u0410\u041e\u0421\"\r"},
        {"wvWareNet/a-idade-media.word95.doc",
         u"A Idade M\u00e9dia: Um Breve Panorama Hist\u00f3rico\r"},
    };
    Application app;
    for (const Case& c : cases) {
        auto doc = app.Open(kCorpus + "/" + c.file);
        EXPECT_EQ(ToUtf8(doc->ParagraphText(1)), ToUtf8(c.first)) << c.file;
    }
    // Headers of Word 6 files come from the stories their sections' masks name.
    auto doc = app.Open(kCorpus + "/apache-poi/Word6_sections2.doc");
    EXPECT_EQ(ToUtf8(doc->FooterText(1, 1)), "g:\\1998\\publicat\\sips\\sip10sco.doc\r");
    EXPECT_EQ(ToUtf8(doc->HeaderText(1, 1)), "\r");
}

}  // namespace
}  // namespace pelmora::word
