// The batch list's grid with many rows: filling 8 columns, reading every
// cell back, and deleting every other row, one call at a time and at once.
// The grid is shown (offscreen) so the view does its share.
//
// bench_grid [benchmark options]
// Counters: peak_rss_mb is the process's peak resident size so far (run one
// size alone with --benchmark_filter for its own figure); rss_mb is the
// resident size with the grid filled.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "core/batchlist/batchlist.h"
#include "core/dialogs.h"
#include "gui/didagrid.h"
#include "gui/form1.h"
#include "widgetbench.h"

namespace {

using pelmora::bench::PeakRssMb;

using pelmora::DiDaGrid;

constexpr int kCols = 8;

double RssMb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

std::unique_ptr<DiDaGrid> NewGrid() {
    auto grid = std::make_unique<DiDaGrid>();
    grid->resize(737, 321);
    grid->SetColCount(kCols);
    for (int c = 0; c < kCols; ++c) grid->SetColWidth(c, c == 0 ? -1 : 90);
    for (int c = 1; c < kCols; ++c) grid->SetCellText(0, c, QStringLiteral("列%1").arg(c));
    grid->show();
    QCoreApplication::processEvents();
    return grid;
}

// The texts a folder of documents gives: a name, a folder, a title, a result.
void Fill(DiDaGrid& grid, int rows) {
    const QString folder = QStringLiteral("/home/user/文档/项目资料/2026年/第三季度");
    grid.ClearRows();
    grid.SetRowCount(rows + 1);
    for (int r = 1; r <= rows; ++r) {
        grid.SetCellText(r, 1, QStringLiteral("报告%1.doc").arg(r, 6, 10, QLatin1Char('0')));
        grid.SetCellText(r, 2, QStringLiteral("关于第%1号项目的年度总结报告").arg(r));
        grid.SetCellStyle(r, 3, DiDaGrid::kStyleCheckBox);
        grid.SetCellText(r, 4, folder);
        grid.SetCellText(r, 5, QStringLiteral("提取成功"));
        grid.SetCellText(r, 6, QString::number(r * 37));
        grid.SetCellText(r, 7, QStringLiteral("2026-12-08"));
        if (r % 10 == 0) grid.SetRowColor(r, 0x00FFFF);
    }
    grid.RefreshGrid();
    QCoreApplication::processEvents();
}

void BM_Fill(benchmark::State& state) {
    const int rows = int(state.range(0));
    auto grid = NewGrid();
    for (auto _ : state) Fill(*grid, rows);
    state.counters["rss_mb"] = RssMb();
    state.counters["peak_rss_mb"] = PeakRssMb();
}

void BM_ScanTexts(benchmark::State& state) {
    const int rows = int(state.range(0));
    auto grid = NewGrid();
    Fill(*grid, rows);
    qsizetype chars = 0;
    for (auto _ : state) {
        for (int r = 1; r < grid->RowCount(); ++r)
            for (int c = 1; c < kCols; ++c) chars += grid->GetCellText(r, c).size();
        benchmark::DoNotOptimize(chars);
    }
    state.counters["peak_rss_mb"] = PeakRssMb();
}

void BM_DeleteEveryOtherRow(benchmark::State& state) {
    const int rows = int(state.range(0));
    auto grid = NewGrid();
    for (auto _ : state) {
        state.PauseTiming();
        Fill(*grid, rows);
        state.ResumeTiming();
        // The row below a deleted one moves up into its place and stays.
        for (int r = 1; r < grid->RowCount(); ++r) grid->DeleteRow(r, 1);
        QCoreApplication::processEvents();
    }
    if (grid->RowCount() != rows / 2 + 1) state.SkipWithError("wrong row count after deleting");
    state.counters["peak_rss_mb"] = PeakRssMb();
}

// The remove commands' way: the rows to go, listed, in one call.
void BM_DeleteEveryOtherRowAtOnce(benchmark::State& state) {
    const int rows = int(state.range(0));
    auto grid = NewGrid();
    for (auto _ : state) {
        state.PauseTiming();
        Fill(*grid, rows);
        std::vector<int> odd;
        for (int r = 1; r <= rows; r += 2) odd.push_back(r);
        state.ResumeTiming();
        grid->DeleteRows(odd);
        QCoreApplication::processEvents();
    }
    if (grid->RowCount() != rows / 2 + 1) state.SkipWithError("wrong row count after deleting");
    state.counters["peak_rss_mb"] = PeakRssMb();
}

// Answers nothing: the listing asks no questions.
class SilentDialogs : public pelmora::Dialogs {
  public:
    int message(const pelmora::MessageRequest&) override { return 0; }
    std::optional<QString> browseForFolder(const QString&) override { return std::nullopt; }
    QString openFiles(const QString&, const QString&) override { return {}; }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    int exec(QDialog&) override { return 0; }
    pelmora::DefaultProgram defaultProgram(const QString&) override { return {}; }
    bool openDocument(const QString&) override { return false; }
};

// The whole program's share: the main window listing the rows, each with a
// title and a result, as after extracting the titles.
void BM_WindowListing(benchmark::State& state) {
    const int rows = int(state.range(0));
    QTemporaryDir settings;
    SilentDialogs dialogs;
    pelmora::Form1Options options;
    options.settingsDir = settings.path();
    options.dialogs = &dialogs;
    pelmora::Form1 form(options);
    form.show();
    QCoreApplication::processEvents();
    std::vector<pelmora::FoundFile> files;
    for (int i = 0; i < rows; ++i)
        files.push_back({QStringLiteral("/home/user/文档/项目资料/2026年/第%1组").arg(i / 500),
                         QStringLiteral("报告%1.doc").arg(i, 6, 10, QLatin1Char('0'))});
    pelmora::BatchList& list = form.batchList();
    for (auto _ : state) {
        list.replace(files);
        for (int r = 1; r <= rows; ++r) {
            list.setTitle(r, QStringLiteral("关于第%1号项目的年度总结报告").arg(r));
            list.setResult(r, QStringLiteral("提取成功"));
            list.setChecked(r, true);
        }
        list.refresh();
        QCoreApplication::processEvents();
    }
    state.counters["rss_mb"] = RssMb();
    state.counters["peak_rss_mb"] = PeakRssMb();
}

BENCHMARK(BM_Fill)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ScanTexts)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DeleteEveryOtherRow)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_WindowListing)->Arg(40000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DeleteEveryOtherRowAtOnce)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) { return pelmora::bench::RunWidgetBenchmarks(argc, argv); }
