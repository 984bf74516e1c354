#include "core/files/processes.h"

#include <fcntl.h>
#include <unistd.h>

#include <QList>
#include <cerrno>
#include <csignal>
#include <string>

namespace pelmora {

namespace {

QByteArray ReadSmallFile(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    return n > 0 ? QByteArray(buffer, n) : QByteArray();
}

// When the process started, in clock ticks after boot; 0 when unknown.
uint64_t StartOf(long pid) {
    const QByteArray stat = ReadSmallFile(("/proc/" + std::to_string(pid) + "/stat").c_str());
    // The name in parentheses may hold blanks and parentheses itself.
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0) return 0;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    // Field 22 of the line; the first after the name is field 3.
    return fields.size() > 19 ? fields[19].toULongLong() : 0;
}

QByteArray ExeOf(long pid) {
    char target[4096];
    const ssize_t n =
        ::readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), target, sizeof target);
    if (n <= 0) return {};
    QByteArray exe(target, n);
    if (exe.endsWith(" (deleted)")) exe.chop(10);  // replaced by an update since it started
    return exe;
}

}  // namespace

ProcessMark OwnProcessMark() {
    static const ProcessMark own = [] {
        const long pid = long(::getpid());
        return ProcessMark{pid, StartOf(pid),
                           ReadSmallFile("/proc/sys/kernel/random/boot_id").trimmed()};
    }();
    // A child made by fork has a pid of its own.
    if (own.pid != long(::getpid())) {
        const long pid = long(::getpid());
        return ProcessMark{pid, StartOf(pid), own.boot};
    }
    return own;
}

bool IsOwnProcess(const ProcessMark& mark) {
    if (mark.pid != long(::getpid())) return false;
    return mark.started == 0 || mark.started == OwnProcessMark().started;
}

bool ProcessRuns(const ProcessMark& mark) {
    if (mark.pid <= 0) return false;
    if (::kill(pid_t(mark.pid), 0) != 0 && errno != EPERM) return false;
    const ProcessMark own = OwnProcessMark();
    if (mark.started != 0) {
        // Another boot: every process of it has ended.
        if (!mark.boot.isEmpty() && !own.boot.isEmpty() && !own.boot.startsWith(mark.boot))
            return false;
        // Unreadable: a process of another user, not one of ours.
        return StartOf(mark.pid) == mark.started;
    }
    // A pid alone: ours only when it runs this program.
    const QByteArray self = ExeOf(own.pid);
    return self.isEmpty() || ExeOf(mark.pid) == self;
}

}  // namespace pelmora
