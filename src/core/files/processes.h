#pragma once
// The processes that write journals and temporaries: whether one still runs.

#include <QByteArray>
#include <cstdint>

namespace pelmora {

// What tells a process apart from every other, also from one that got its
// pid after a restart: the pid, when it started (clock ticks after boot) and
// the boot. Earlier versions wrote the pid alone (started 0, boot empty).
struct ProcessMark {
    long pid = 0;
    uint64_t started = 0;
    QByteArray boot;
};
ProcessMark OwnProcessMark();
// Whether the marked process runs. A pid alone counts when a process of
// that pid runs this same program.
bool ProcessRuns(const ProcessMark& mark);
bool IsOwnProcess(const ProcessMark& mark);

}  // namespace pelmora
