// The three working commands over a folder of 2,000 documents, through the
// real window (offscreen): adding the folder, extracting every title, and
// renaming every row in place; and the three in a row, once; and renaming
// 20,000 rows against undoing the same rename. Every result carries the
// process's peak resident memory so far.
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
#include <functional>
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

    explicit Setup(benchmark::State& state, int docs = DocCount()) {
        // Documents whose first paragraphs make names Windows accepts.
        const QStringList sources = {"zh_first.doc",   "en_first.doc",   "long_first.doc",
                                     "short.doc",      "latin1.doc",     "even_odd.doc",
                                     "first_page.doc", "empty_first.doc"};
        for (int i = 0; i < docs; ++i) {
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
    void undo() { form->mUndo->trigger(); }
    // Every row checked, each with a title of its own, as after hand edits.
    void titleEveryRow(const std::function<QString(int row)>& title) {
        DiDaGrid& grid = *form->DiDaGrid1;
        for (int r = 1; r <= form->globalFilecount; ++r) {
            grid.SetCellText(r, ColTitle, title(r));
            grid.SetCellProperty(r, ColFlag, QStringLiteral("setcheck"), QStringLiteral("1"));
        }
    }
    int rowsReading(const QString& result) const {
        int n = 0;
        for (int r = 1; r <= form->globalFilecount; ++r)
            n += form->DiDaGrid1->GetCellText(r, ColResult) == result;
        return n;
    }
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
    s.titleEveryRow(
        [&](int r) { return grid.GetCellText(r, ColTitle) + QStringLiteral("-%1").arg(r); });
    int renamed = 0;
    for (auto _ : state) {
        s.click("btnRename");
        state.PauseTiming();
        renamed = s.rowsReading(QStringLiteral("改名成功"));
        s.undo();
        state.ResumeTiming();
    }
    state.counters["renamed"] = renamed;
    state.counters["peak_MB"] = PeakRssMb();
}

// Renaming state.range(0) listed rows in place, and undoing that rename: the
// two should take about as long. Titles are typed, not read.
void BM_RenameRows(benchmark::State& state) {
    Setup s(state, int(state.range(0)));
    if (!s.form) return;
    s.click("btnDir");
    s.titleEveryRow([](int r) { return QStringLiteral("标题%1").arg(r); });
    int renamed = 0;
    for (auto _ : state) {
        s.click("btnRename");
        state.PauseTiming();
        renamed = s.rowsReading(QStringLiteral("改名成功"));
        s.undo();
        state.ResumeTiming();
    }
    state.counters["renamed"] = renamed;
}

void BM_UndoRows(benchmark::State& state) {
    Setup s(state, int(state.range(0)));
    if (!s.form) return;
    s.click("btnDir");
    s.titleEveryRow([](int r) { return QStringLiteral("标题%1").arg(r); });
    int undone = 0;
    for (auto _ : state) {
        state.PauseTiming();
        s.click("btnRename");
        state.ResumeTiming();
        s.undo();
        state.PauseTiming();
        undone = s.rowsReading(QStringLiteral("已撤销"));
        state.ResumeTiming();
    }
    state.counters["undone"] = undone;
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
BENCHMARK(BM_RenameRows)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_UndoRows)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return pelmora::bench::RunWidgetBenchmarks(argc, argv); }
