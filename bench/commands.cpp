// The three working commands over a folder of 2,000 documents, through the
// real window (offscreen): adding the folder, extracting every title, and
// renaming every row in place; and the three in a row, once. Every result
// carries the process's peak resident memory so far.
//
// bench_commands [benchmark options]
//   PELMORA_BENCH_DOCS=N   documents in the folder (default 2000); for a
//                          list of 100,000: PELMORA_BENCH_DOCS=100000

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <deque>
#include <memory>
#include <optional>

#include "core/dialogs.h"
#include "gui/didagrid.h"
#include "gui/form1.h"
#include "titles/rawtitle.h"
#include "widgetbench.h"

namespace {

using pelmora::bench::PeakRssMb;

using namespace pelmora;

// Answers every question at once: the bench folder, Yes, OK.
class BenchDialogs : public Dialogs {
  public:
    QString folder;
    int message(const MessageRequest& r) override {
        return r.buttons == MsgButtons::YesNo ? AnswerYes : AnswerOk;
    }
    std::optional<QString> browseForFolder(const QString&) override { return folder; }
    QString openFiles(const QString&, const QString&) override { return {}; }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    int exec(QDialog&) override { return 0; }
    DefaultProgram defaultProgram(const QString&) override { return {}; }
    bool openDocument(const QString&) override { return false; }
};

int DocCount() {
    const char* n = std::getenv("PELMORA_BENCH_DOCS");
    return n ? std::max(1, std::atoi(n)) : 2000;
}

// A folder of copies of the test documents, a window listing nothing yet.
struct Setup {
    QTemporaryDir settings, folder;
    BenchDialogs dialogs;
    std::unique_ptr<Form1> form;
    QStringList names;

    explicit Setup(benchmark::State& state) {
        // Documents whose first paragraphs make names Windows accepts.
        const QStringList sources = {"zh_first.doc",   "en_first.doc",   "long_first.doc",
                                     "short.doc",      "latin1.doc",     "even_odd.doc",
                                     "first_page.doc", "empty_first.doc"};
        for (int i = 0; i < DocCount(); ++i) {
            const QString name = QStringLiteral("doc%1.doc").arg(i, 5, 10, QLatin1Char('0'));
            const QString source =
                QStringLiteral(PELMORA_TEST_DATA "/") + sources[i % sources.size()];
            // Hard links: a big folder is made in seconds, and the reads
            // are the same as of copies.
            if (::link(QFile::encodeName(source).constData(),
                       QFile::encodeName(folder.filePath(name)).constData()) != 0 &&
                !QFile::copy(source, folder.filePath(name))) {
                state.SkipWithError("cannot copy the test documents");
                return;
            }
            names << name;
        }
        dialogs.folder = folder.path();
        Form1Options options;
        options.settingsDir = settings.path();
        options.dialogs = &dialogs;
        form = std::make_unique<Form1>(options);
        form->globalOnlyenglish = false;
        form->globalSubdir = false;
        form->globalMaxword = 25;
        form->globalGetTitleMode = int16_t(TitleMode::TitleModeFirstParagraph);
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get())) std::abort();  // nothing to measure
    }
    void click(const char* key) { form->Toolbar1_ButtonClick(QString::fromLatin1(key)); }
};

void BM_AddFolder(benchmark::State& state) {
    Setup s(state);
    if (!s.form) return;
    for (auto _ : state) s.click("btnDir");
    state.counters["rows"] = s.form->globalFilecount;
    state.counters["peak_MB"] = PeakRssMb();
}

void BM_ExtractTitles(benchmark::State& state) {
    Setup s(state);
    if (!s.form) return;
    s.click("btnDir");
    for (auto _ : state) s.click("btnGetTitle");
    state.counters["rows"] = s.form->globalFilecount;
    state.counters["peak_MB"] = PeakRssMb();
}

void BM_RenameInPlace(benchmark::State& state) {
    Setup s(state);
    if (!s.form) return;
    s.click("btnDir");
    s.click("btnGetTitle");
    DiDaGrid& grid = *s.form->DiDaGrid1;
    const int n = s.form->globalFilecount;
    // Eight documents give eight titles: make each row's title its own, as
    // after hand edits, and check every row.
    for (int r = 1; r <= n; ++r) {
        grid.SetCellText(r, ColTitle, grid.GetCellText(r, ColTitle) + QStringLiteral("-%1").arg(r));
        grid.SetCellProperty(r, ColFlag, QStringLiteral("setcheck"), QStringLiteral("1"));
    }
    int renamed = 0;
    for (auto _ : state) {
        s.click("btnRename");
        state.PauseTiming();
        renamed = 0;
        for (int r = 1; r <= n; ++r) {
            if (grid.GetCellText(r, ColResult) != QStringLiteral("改名成功")) continue;
            ++renamed;
            QDir(s.folder.path())
                .rename(grid.GetCellText(r, ColTitle) + QStringLiteral(".doc"),
                        grid.GetCellText(r, ColFileName));
        }
        state.ResumeTiming();
    }
    state.counters["renamed"] = renamed;
    state.counters["peak_MB"] = PeakRssMb();
}

// A user's whole run: list the folder, read every title, rename every row.
void BM_EndToEnd(benchmark::State& state) {
    Setup s(state);
    if (!s.form) return;
    int renamed = 0;
    for (auto _ : state) {
        s.click("btnDir");
        s.click("btnGetTitle");
        DiDaGrid& grid = *s.form->DiDaGrid1;
        const int n = s.form->globalFilecount;
        // Unique titles, as after hand edits, typed while the clock stops.
        state.PauseTiming();
        for (int r = 1; r <= n; ++r) {
            grid.SetCellText(r, ColTitle,
                             grid.GetCellText(r, ColTitle) + QStringLiteral("-%1").arg(r));
            grid.SetCellProperty(r, ColFlag, QStringLiteral("setcheck"), QStringLiteral("1"));
        }
        state.ResumeTiming();
        s.click("btnRename");
        renamed = 0;
        for (int r = 1; r <= n; ++r)
            renamed += grid.GetCellText(r, ColResult) == QStringLiteral("改名成功");
    }
    state.counters["renamed"] = renamed;
    state.counters["peak_MB"] = PeakRssMb();
}

BENCHMARK(BM_AddFolder)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ExtractTitles)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RenameInPlace)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EndToEnd)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return pelmora::bench::RunWidgetBenchmarks(argc, argv); }
