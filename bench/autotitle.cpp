// Speed of the automatic title mode against mode 0: a folder of 2,000
// documents (the title fixtures of tests/data/titles, in turn) read from
// disk, each opened and its title formed; and the finder alone over bodies
// already read; and the finder's fallback sources (the first page's header,
// the text boxes) alone.
//
// bench_autotitle [benchmark options]

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "reader/document.h"
#include "titles/rawtitle.h"
#include "titles/titlefinder.h"
#include "titles/titlerules.h"

namespace fs = std::filesystem;
using pelmora::word::Application;
using pelmora::word::WordError;

namespace {

constexpr int kFolderSize = 2000;

const fs::path kTitles = fs::path(PELMORA_TEST_DATA) / "titles";

// Which title fixtures: the documents written as Flat ODF (tests/data/titles/src,
// pages of real length), or the short ones made from one layout each
// (tests/data/titles/layouts).
enum class Kind { Documents, Layouts, Any };

// The documents of a folder with that extension, or .doc and .docx both
// for "": the title fixtures of that kind by default.
std::vector<std::string> Fixtures(const std::string& only = "", const fs::path& dir = kTitles,
                                  Kind kind = Kind::Documents) {
    std::vector<std::string> out;
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return out;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string ext = e.path().extension().string();
        if (!e.is_regular_file() || !(only.empty() ? ext == ".doc" || ext == ".docx" : ext == only))
            continue;
        const bool written = fs::exists(kTitles / "src" / (e.path().stem().string() + ".fodt"));
        if (dir == kTitles && kind != Kind::Any && written != (kind == Kind::Documents)) continue;
        out.push_back(e.path().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

// One run over the folder; `mode` 0 or 4, reading `count` leading
// paragraphs; the folder holds the fixtures of one extension, or both.
void Folder(benchmark::State& state, int mode, int count, const std::string& only = "",
            const std::vector<std::string>& given = {}) {
    const std::vector<std::string> files = given.empty() ? Fixtures(only) : given;
    if (files.empty()) {
        state.SkipWithError("no documents");
        return;
    }
    Application word;
    size_t chars = 0;
    for (auto _ : state) {
        for (int i = 0; i < kFolderSize; ++i) {
            const std::string& file = files[size_t(i) % files.size()];
            try {
                auto doc = word.Open(file);
                std::u16string raw;
                if (mode == 0) {
                    raw = doc->ParagraphText(1);
                } else {
                    // As the title reader does: the property only for a tie, the
                    // header only when the body holds no title.
                    raw = pelmora::FindTitle(doc->LeadingParagraphs(count, false), u"x.doc",
                                             pelmora::TitleSourcesOf(*doc));
                }
                chars += pelmora::FormatTitleText(raw, 25).value_or(u"").size();
                doc->Close(false);
            } catch (const WordError&) {
            }
        }
    }
    benchmark::DoNotOptimize(chars);
    state.SetItemsProcessed(int64_t(state.iterations()) * kFolderSize);
}

void BM_FolderMode0(benchmark::State& state) { Folder(state, 0, 1); }
// The argument: how many leading paragraphs the reader gives.
void BM_FolderMode4(benchmark::State& state) { Folder(state, 4, int(state.range(0))); }
BENCHMARK(BM_FolderMode0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolderMode4)
    ->Arg(pelmora::word::kLeadingParagraphs)
    ->Arg(30)
    ->Arg(15)
    ->Unit(benchmark::kMillisecond);
// Folders of one format: the formats read formatting very differently.
void BM_FolderDocMode0(benchmark::State& state) { Folder(state, 0, 1, ".doc"); }
void BM_FolderDocMode4(benchmark::State& state) {
    Folder(state, 4, pelmora::word::kLeadingParagraphs, ".doc");
}
void BM_FolderDocxMode0(benchmark::State& state) { Folder(state, 0, 1, ".docx"); }
void BM_FolderDocxMode4(benchmark::State& state) {
    Folder(state, 4, pelmora::word::kLeadingParagraphs, ".docx");
}
BENCHMARK(BM_FolderDocMode0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolderDocMode4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolderDocxMode0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolderDocxMode4)->Unit(benchmark::kMillisecond);

// Real documents people keep (the labelled title set beside the checkout,
// when it is there): the same folder size, these documents in turn.
std::vector<std::string> RealDocuments() {
    std::vector<std::string> out;
    for (const char* ext : {".doc", ".docx", ".wps"}) {
        for (std::string& f : Fixtures(ext, fs::path(PELMORA_TITLE_SET) / "docs"))
            out.push_back(std::move(f));
    }
    return out;
}
// The layout fixtures: a few lines each, where mode 0 reads next to nothing.
void BM_LayoutsMode0(benchmark::State& state) {
    Folder(state, 0, 1, "", Fixtures("", kTitles, Kind::Layouts));
}
void BM_LayoutsMode4(benchmark::State& state) {
    Folder(state, 4, pelmora::word::kLeadingParagraphs, "", Fixtures("", kTitles, Kind::Layouts));
}
BENCHMARK(BM_LayoutsMode0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayoutsMode4)->Unit(benchmark::kMillisecond);
void BM_RealMode0(benchmark::State& state) { Folder(state, 0, 1, "", RealDocuments()); }
void BM_RealMode4(benchmark::State& state) {
    Folder(state, 4, pelmora::word::kLeadingParagraphs, "", RealDocuments());
}
BENCHMARK(BM_RealMode0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RealMode4)->Unit(benchmark::kMillisecond);

// The finder's own share: every fixture's leading body, read once.
void BM_FinderOnly(benchmark::State& state) {
    std::vector<pelmora::word::LeadingBody> bodies;
    Application word;
    for (const std::string& file : Fixtures("", kTitles, Kind::Any)) {
        auto doc = word.Open(file);
        bodies.push_back(doc->LeadingParagraphs());
    }
    size_t chars = 0;
    for (auto _ : state) {
        for (const auto& body : bodies) chars += pelmora::FindTitle(body, u"x.doc").size();
    }
    benchmark::DoNotOptimize(chars);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(bodies.size()));
}
BENCHMARK(BM_FinderOnly);

// The title finder's fallback sources alone, each document opened and asked
// once: the header text split at its marks (what the finder fakes the
// first-page header from today) against the reader's first-page header and
// its text boxes.
enum class Source { HeaderText, FirstPageHeader, TextBoxes };

void Sources(benchmark::State& state, Source source, const std::string& only) {
    const std::vector<std::string> files = Fixtures(only, kTitles, Kind::Any);
    if (files.empty()) {
        state.SkipWithError("no documents");
        return;
    }
    Application word;
    size_t paragraphs = 0;
    for (auto _ : state) {
        for (int i = 0; i < kFolderSize; ++i) {
            try {
                auto doc = word.Open(files[size_t(i) % files.size()]);
                switch (source) {
                    case Source::HeaderText:
                        paragraphs +=
                            doc->HeaderText(1, pelmora::word::kPrimaryHeaderFooter).size();
                        break;
                    case Source::FirstPageHeader:
                        paragraphs += doc->FirstPageHeaderParagraphs(20).size();
                        break;
                    case Source::TextBoxes:
                        paragraphs += doc->LeadingTextBoxes(20).size();
                        break;
                }
                doc->Close(false);
            } catch (const WordError&) {
            }
        }
    }
    benchmark::DoNotOptimize(paragraphs);
    state.SetItemsProcessed(int64_t(state.iterations()) * kFolderSize);
}
void BM_DocHeaderText(benchmark::State& s) { Sources(s, Source::HeaderText, ".doc"); }
void BM_DocFirstPageHeader(benchmark::State& s) { Sources(s, Source::FirstPageHeader, ".doc"); }
void BM_DocTextBoxes(benchmark::State& s) { Sources(s, Source::TextBoxes, ".doc"); }
void BM_DocxHeaderText(benchmark::State& s) { Sources(s, Source::HeaderText, ".docx"); }
void BM_DocxFirstPageHeader(benchmark::State& s) { Sources(s, Source::FirstPageHeader, ".docx"); }
void BM_DocxTextBoxes(benchmark::State& s) { Sources(s, Source::TextBoxes, ".docx"); }
BENCHMARK(BM_DocHeaderText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocFirstPageHeader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocTextBoxes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocxHeaderText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocxFirstPageHeader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocxTextBoxes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
