// Title reading where every open and read waits 2 ms, as on a network share:
// one document at a time against several at once. The waits come from a
// preloaded shim (latency_shim.c) over the real read path; the program
// starts itself again with it in place.
//
// bench_latency [benchmark options]
//   PELMORA_LATENCY_US=N   the wait per open and read (default 2000)

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <chrono>
#include <cstdio>
#include <vector>

#include "core/extraction/titleread.h"
#include "core/settings/globalsettings.h"

namespace {

using namespace pelmora;

constexpr int kDocs = 96;

std::vector<TitleJob> Jobs() {
    static const std::vector<TitleJob> jobs = [] {
        const QString dir = QString::fromLocal8Bit(qgetenv("PELMORA_LATENCY_DIR"));
        const QStringList sources = {"zh_first.doc",
                                     "en_first.doc",
                                     "long_first.doc",
                                     "short.doc",
                                     "titles/notice_split.doc",
                                     "docx.doc"};
        std::vector<TitleJob> out;
        for (int i = 0; i < kDocs; ++i) {
            const QString name = QStringLiteral("doc%1.doc").arg(i, 3, 10, QLatin1Char('0'));
            QFile::copy(QStringLiteral(PELMORA_TEST_DATA "/") + sources[i % sources.size()],
                        dir + QLatin1Char('/') + name);
            out.push_back({dir + QLatin1Char('/') + name, name});
        }
        return out;
    }();
    return jobs;
}

void BM_ReadTitles(benchmark::State& state, int mode) {
    GlobalSettings settings;
    settings.globalMaxword = 25;
    settings.globalGetTitleMode = int16_t(mode);
    settings.globalStartpragraph = 5;
    settings.globalStartpos = 1;
    settings.globalWordcount = 25;
    const std::vector<TitleJob>& jobs = Jobs();
    size_t failed = 0;
    for (auto _ : state) {
        TitleReading reading(jobs, settings, unsigned(state.range(0)));
        size_t have = 0;
        while (have < reading.count())
            have = reading.waitReady(have, std::chrono::milliseconds(50));
        failed = 0;
        for (size_t i = 0; i < reading.count(); ++i) failed += reading.outcome(i).title.isEmpty();
    }
    state.counters["docs"] = double(jobs.size());
    state.counters["empty"] = double(failed);
    state.counters["docs_per_s"] =
        benchmark::Counter(double(jobs.size()), benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK_CAPTURE(BM_ReadTitles, first_paragraph, 0)
    ->Arg(1)
    ->Arg(4)
    ->Arg(16)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ReadTitles, automatic, 4)
    ->Arg(1)
    ->Arg(16)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (!getenv("PELMORA_LATENCY_DIR")) {
        char dir[] = "/tmp/pelmora_latency_XXXXXX";
        if (!mkdtemp(dir)) return 1;
        setenv("PELMORA_LATENCY_DIR", dir, 1);
        setenv("LD_PRELOAD", PELMORA_LATENCY_SHIM, 1);
        execv("/proc/self/exe", argv);
        std::perror("bench_latency: cannot start again with the shim");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    unsetenv("LD_PRELOAD");
    QDir(QString::fromLocal8Bit(qgetenv("PELMORA_LATENCY_DIR"))).removeRecursively();
    return 0;
}
