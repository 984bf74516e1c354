#pragma once
// What the benchmarks over widgets share: the process's peak memory, and a
// main() that runs them offscreen unless a platform is given.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>

namespace pelmora::bench {

// Peak resident memory of this process so far, in MB.
inline double PeakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

inline int RunWidgetBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace pelmora::bench
