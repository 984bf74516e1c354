// Speed of the .docx, OpenDocument, RTF and web-page readers: the first-paragraph title of
// each fixture (open the file, read paragraph 1, format it), the header
// title of the .docx fixtures, and the leading paragraphs with their
// formatting (open the file, LeadingParagraphs(60)) that the automatic title
// mode reads. Figures are per document.
//
// bench_formats [benchmark options]

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "reader/document.h"
#include "reader/open.h"
#include "reader/openers.h"
#include "titles/titlerules.h"

namespace {

using pelmora::word::DocumentImpl;

const std::vector<std::string> kFixtures = {"english", "chinese",    "noheader",  "tablefirst",
                                            "fields",  "linebreaks", "firstpage", "twosections"};

std::string Fixture(const std::string& name) {
    return std::string(PELMORA_TEST_DATA) + "/formats/" + name;
}

using Opener = std::unique_ptr<DocumentImpl> (*)(const std::string&);

enum class Read { FirstParagraph, Header, Leading };

void TitlesOf(benchmark::State& state, Opener open, const std::string& ext, Read read) {
    std::vector<std::string> paths;
    // The .odt files are LibreOffice's of the same sources as the .docx files.
    for (const auto& f : kFixtures)
        paths.push_back(ext == ".odt" ? std::string(PELMORA_TEST_DATA) + "/odt/formats/" + f + ext
                                      : Fixture(f + ext));
    std::size_t chars = 0;
    for (auto _ : state) {
        for (const auto& path : paths) {
            auto doc = open(path);
            if (read == Read::Leading) {
                auto body = doc->LeadingParagraphs(pelmora::word::kLeadingParagraphs);
                chars += body.paragraphs.size();
                benchmark::DoNotOptimize(body);
                continue;
            }
            std::u16string text = read == Read::Header
                                      ? doc->HeaderText(1, pelmora::word::kPrimaryHeaderFooter)
                                      : doc->ParagraphText(1);
            auto title = pelmora::FormatTitleText(text, 25);
            chars += title ? title->size() : 0;
            benchmark::DoNotOptimize(title);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * paths.size()));
    state.counters["us_per_doc"] =
        benchmark::Counter(static_cast<double>(state.iterations() * paths.size()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                           benchmark::Counter::OneK::kIs1000);
    benchmark::DoNotOptimize(chars);
}

void BM_DocxFirstParagraph(benchmark::State& s) {
    TitlesOf(s, pelmora::word::OpenOoxmlDocument, ".docx", Read::FirstParagraph);
}
void BM_DocxHeader(benchmark::State& s) {
    TitlesOf(s, pelmora::word::OpenOoxmlDocument, ".docx", Read::Header);
}
void BM_DocxLeading(benchmark::State& s) {
    TitlesOf(s, pelmora::word::OpenOoxmlDocument, ".docx", Read::Leading);
}
void BM_OdtFirstParagraph(benchmark::State& s) {
    TitlesOf(s, pelmora::word::OpenOdfDocument, ".odt", Read::FirstParagraph);
}
void BM_OdtHeader(benchmark::State& s) {
    TitlesOf(s, pelmora::word::OpenOdfDocument, ".odt", Read::Header);
}
void BM_OdtLeading(benchmark::State& s) {
    TitlesOf(s, pelmora::word::OpenOdfDocument, ".odt", Read::Leading);
}
void BM_RtfFirstParagraph(benchmark::State& s) {
    TitlesOf(s, pelmora::word::OpenRtfDocument, ".rtf", Read::FirstParagraph);
}
void BM_RtfLeading(benchmark::State& s) {
    TitlesOf(s, pelmora::word::OpenRtfDocument, ".rtf", Read::Leading);
}
void BM_HtmlFirstParagraph(benchmark::State& s) {
    TitlesOf(s, pelmora::word::OpenWebDocument, ".html", Read::FirstParagraph);
}
void BM_HtmlLeading(benchmark::State& s) {
    TitlesOf(s, pelmora::word::OpenWebDocument, ".html", Read::Leading);
}

// Opening by content, as the object model does it, on the .docx files.
void BM_DetectDocx(benchmark::State& state) {
    for (auto _ : state)
        for (const auto& f : kFixtures)
            benchmark::DoNotOptimize(pelmora::word::Open(
                std::make_unique<pelmora::word::FileSource>(Fixture(f + ".docx"))));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kFixtures.size()));
}

BENCHMARK(BM_DocxFirstParagraph)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DocxHeader)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DocxLeading)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OdtFirstParagraph)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OdtHeader)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OdtLeading)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RtfFirstParagraph)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RtfLeading)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HtmlFirstParagraph)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HtmlLeading)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DetectDocx)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
