// Speed of the .doc reader: per test document, over a folder of 2,000
// documents (against a loop that only opens each file and reads 64 KiB),
// the leading paragraphs with their formatting (automatic title mode)
// against paragraph 1 alone,
// pelmora-titles over the same folder, and the peak memory of reading a
// large document.
//
// bench_doc [benchmark options]
//   PELMORA_LARGE_DOC=FILE  also measure the memory of reading FILE (for
//                           example one made by make-fixtures.sh --large)

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "reader/document.h"
#include "titles/titlerules.h"

extern char** environ;

namespace fs = std::filesystem;
using pelmora::word::Application;
using pelmora::word::kPrimaryHeaderFooter;
using pelmora::word::WordError;

namespace {

constexpr int kFolderSize = 2000;
constexpr size_t kFloorBytes = 64 * 1024;
constexpr size_t kPadBytes = 20 * 1024 * 1024;

const std::vector<std::string> kFixtures = {
    "zh_first",   "en_first",   "long_first",    "empty_first",  "table_first", "fields",
    "line_break", "first_page", "even_odd",      "two_sections", "short",       "latin1",
    "footnote",   "specials",   "picture_first", "astral"};

// Documents with styles and direct formatting, for the leading paragraphs.
const std::vector<std::string> kPropsFixtures = {"props/styles", "props/letterhead", "props/cover",
                                                 "props/table", "props/picture"};

std::string Fixture(const std::string& name) {
    return std::string(PELMORA_TEST_DATA) + "/" + name + ".doc";
}

fs::path& ScratchDir() {
    static fs::path dir;
    return dir;
}

fs::path MakeScratchDir() {
    if (ScratchDir().empty()) {
        ScratchDir() = fs::temp_directory_path() / ("pelmora_bench_" + std::to_string(::getpid()));
        fs::create_directories(ScratchDir());
    }
    return ScratchDir();
}

// The folder of 2,000 documents: copies of the test documents, read once so
// that later passes find them in the page cache.
const std::vector<std::string>& Folder() {
    static std::vector<std::string> files = [] {
        fs::path dir = MakeScratchDir() / "folder";
        fs::create_directories(dir);
        std::vector<std::string> out;
        char name[32];
        for (int i = 0; i < kFolderSize; ++i) {
            std::snprintf(name, sizeof name, "doc_%04d.doc", i);
            fs::path p = dir / name;
            fs::copy_file(Fixture(kFixtures[i % kFixtures.size()]), p,
                          fs::copy_options::overwrite_existing);
            out.push_back(p.string());
        }
        std::vector<char> buf(kFloorBytes);
        for (const auto& f : out) {
            int fd = ::open(f.c_str(), O_RDONLY);
            if (fd >= 0) {
                while (::read(fd, buf.data(), buf.size()) > 0) {
                }
                ::close(fd);
            }
        }
        return out;
    }();
    return files;
}

enum class Part { Title, Header, Footer };

std::u16string ReadPart(pelmora::word::Document& doc, Part part) {
    switch (part) {
        case Part::Header:
            return doc.HeaderText(1, kPrimaryHeaderFooter);
        case Part::Footer:
            return doc.FooterText(1, kPrimaryHeaderFooter);
        default:
            return doc.ParagraphText(1);
    }
}

// Open, read one part, form the title, close: what the extraction run does per row.
void BM_Document(benchmark::State& state, std::string path, Part part) {
    Application app;
    for (auto _ : state) {
        try {
            auto doc = app.Open(path);
            auto title = pelmora::FormatTitleText(ReadPart(*doc, part), 25);
            benchmark::DoNotOptimize(title);
            doc->Close(false);
        } catch (const WordError& e) {
            state.SkipWithError(e.what());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

// Open, read the leading paragraphs with their formatting, close: what the
// automatic title mode reads per row.
void BM_Leading(benchmark::State& state, std::string path) {
    Application app;
    for (auto _ : state) {
        try {
            auto doc = app.Open(path);
            auto body = doc->LeadingParagraphs(pelmora::word::kLeadingParagraphs);
            benchmark::DoNotOptimize(body);
            doc->Close(false);
        } catch (const WordError& e) {
            state.SkipWithError(e.what());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_FolderLeading(benchmark::State& state) {
    const auto& files = Folder();
    Application app;
    int64_t failed = 0;
    for (auto _ : state) {
        for (const auto& f : files) {
            try {
                auto doc = app.Open(f);
                auto body = doc->LeadingParagraphs(pelmora::word::kLeadingParagraphs);
                benchmark::DoNotOptimize(body);
                doc->Close(false);
            } catch (const WordError&) {
                ++failed;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(files.size()));
    state.counters["failed_per_pass"] = double(failed) / double(state.iterations());
    state.counters["us_per_doc"] = benchmark::Counter(
        double(state.iterations() * int64_t(files.size())),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

void BM_FolderTitles(benchmark::State& state) {
    const auto& files = Folder();
    Application app;
    int64_t failed = 0;
    for (auto _ : state) {
        for (const auto& f : files) {
            try {
                auto doc = app.Open(f);
                auto title = pelmora::FormatTitleText(doc->ParagraphText(1), 25);
                benchmark::DoNotOptimize(title);
                doc->Close(false);
            } catch (const WordError&) {
                ++failed;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(files.size()));
    state.counters["failed_per_pass"] = double(failed) / double(state.iterations());
    state.counters["us_per_doc"] = benchmark::Counter(
        double(state.iterations() * int64_t(files.size())),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

// The least any reader must do: open each file and read its first 64 KiB.
void BM_FolderFloor(benchmark::State& state) {
    const auto& files = Folder();
    std::vector<char> buf(kFloorBytes);
    for (auto _ : state) {
        for (const auto& f : files) {
            int fd = ::open(f.c_str(), O_RDONLY);
            if (fd < 0) continue;
            size_t got = 0;
            ssize_t n;
            while (got < buf.size() && (n = ::read(fd, buf.data() + got, buf.size() - got)) > 0)
                got += size_t(n);
            benchmark::DoNotOptimize(buf.data());
            ::close(fd);
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(files.size()));
    state.counters["us_per_doc"] = benchmark::Counter(
        double(state.iterations() * int64_t(files.size())),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

// Runs a program with stdout to /dev/null; returns its exit code or -1.
int Spawn(const std::vector<std::string>& args, const char* out_path = "/dev/null") {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) < 0 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// pelmora-titles over the whole folder in one run.
void BM_TitlesCommand(benchmark::State& state) {
    std::vector<std::string> args{PELMORA_TITLES_EXE};
    const auto& files = Folder();
    args.insert(args.end(), files.begin(), files.end());
    for (auto _ : state) {
        int rc = Spawn(args);
        if (rc != 0) {
            state.SkipWithError(("pelmora-titles exited with " + std::to_string(rc)).c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(files.size()));
    state.counters["us_per_doc"] = benchmark::Counter(
        double(state.iterations() * int64_t(files.size())),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

// The real-world documents beside the checkout, read in place.
void BM_CorpusTitles(benchmark::State& state) {
    static std::vector<std::string> files = [] {
        std::vector<std::string> out;
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(PELMORA_CORPUS, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (!it->is_regular_file()) continue;
            std::string ext = it->path().extension().string();
            for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
            if (ext == ".doc") out.push_back(it->path().string());
        }
        return out;
    }();
    if (files.empty()) {
        state.SkipWithError("no corpus");
        for (auto _ : state) {
        }
        return;
    }
    Application app;
    int64_t failed = 0;
    for (auto _ : state) {
        for (const auto& f : files) {
            try {
                auto doc = app.Open(f);
                auto title = pelmora::FormatTitleText(doc->ParagraphText(1), 25);
                benchmark::DoNotOptimize(title);
                doc->Close(false);
            } catch (const WordError&) {
                ++failed;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(files.size()));
    state.counters["docs"] = double(files.size());
    state.counters["failed_per_pass"] = double(failed) / double(state.iterations());
}

long HighWaterKiB() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

// Child mode: the growth of the peak resident set while one document is
// opened and its title, paragraph 5, header and footer are read.
int MeasurePeak(const char* path) {
    long before = HighWaterKiB();
    {
        Application app;
        try {
            auto doc = app.Open(path);
            for (int n : {1, 5}) {
                try {
                    benchmark::DoNotOptimize(doc->ParagraphText(n));
                } catch (const WordError&) {
                }
            }
            benchmark::DoNotOptimize(doc->HeaderText(1, kPrimaryHeaderFooter));
            benchmark::DoNotOptimize(doc->FooterText(1, kPrimaryHeaderFooter));
            doc->Close(false);
        } catch (const WordError& e) {
            std::fprintf(stderr, "%s: %s\n", path, e.what());
            return 1;
        }
    }
    std::printf("%ld\n", HighWaterKiB() - before);
    return 0;
}

void BM_PeakMemory(benchmark::State& state, std::string path) {
    fs::path out = MakeScratchDir() / "peak.txt";
    long delta = -1;
    for (auto _ : state) {
        int rc = Spawn({"/proc/self/exe", "--peak-rss", path}, out.c_str());
        std::ifstream in(out);
        if (rc != 0 || !(in >> delta)) {
            state.SkipWithError("the reader refused the large document");
            break;
        }
    }
    state.counters["file_MiB"] = double(fs::file_size(path)) / (1024.0 * 1024.0);
    state.counters["peak_rss_delta_KiB"] = double(delta);
}

// A good document followed by 20 MB of zeros: a reader that loads whole
// files shows it here.
std::string PaddedDocument() {
    fs::path p = MakeScratchDir() / "padded.doc";
    fs::copy_file(Fixture("zh_first"), p, fs::copy_options::overwrite_existing);
    std::ofstream out(p, std::ios::binary | std::ios::app);
    std::vector<char> zeros(1024 * 1024);
    for (size_t i = 0; i < kPadBytes / zeros.size(); ++i)
        out.write(zeros.data(), std::streamsize(zeros.size()));
    return p.string();
}

void RegisterAll() {
    for (const auto& name : kFixtures) {
        std::string path = Fixture(name);
        benchmark::RegisterBenchmark(("Document/" + name + "/title").c_str(), BM_Document, path,
                                     Part::Title);
        benchmark::RegisterBenchmark(("Document/" + name + "/header").c_str(), BM_Document, path,
                                     Part::Header);
        benchmark::RegisterBenchmark(("Document/" + name + "/footer").c_str(), BM_Document, path,
                                     Part::Footer);
        benchmark::RegisterBenchmark(("Document/" + name + "/leading").c_str(), BM_Leading, path);
    }
    for (const auto& name : kPropsFixtures) {
        std::string path = Fixture(name);
        benchmark::RegisterBenchmark(("Document/" + name + "/title").c_str(), BM_Document, path,
                                     Part::Title);
        benchmark::RegisterBenchmark(("Document/" + name + "/leading").c_str(), BM_Leading, path);
    }
    // Wall time: file reads and the spawned program do not show as our CPU time.
    benchmark::RegisterBenchmark("Folder2000/titles", BM_FolderTitles)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Folder2000/leading", BM_FolderLeading)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Folder2000/floor_open_read_64KiB", BM_FolderFloor)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Folder2000/pelmora_titles_command", BM_TitlesCommand)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(2.0)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Corpus/titles", BM_CorpusTitles)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("PeakMemory/padded_20MB", BM_PeakMemory, PaddedDocument())
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    if (const char* large = std::getenv("PELMORA_LARGE_DOC"); large && fs::is_regular_file(large)) {
        benchmark::RegisterBenchmark("PeakMemory/large", BM_PeakMemory, std::string(large))
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--peak-rss") return MeasurePeak(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    if (!ScratchDir().empty()) fs::remove_all(ScratchDir(), ec);
    return 0;
}
