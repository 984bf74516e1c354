#include "core/rename/journallock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

namespace pelmora {

QString JournalLock::PathFor(const QString& journalPath) {
    return journalPath + QStringLiteral(".lock");
}

JournalLock::JournalLock(const QString& journalPath)
    : path_(QFile::encodeName(PathFor(journalPath))) {
    // A holder removes the file before it lets go, so a lock taken on a file
    // that is no longer the one under the name is taken again; each round
    // needs another holder to come and go, so a few are plenty.
    for (int round = 0; round < 16; ++round) {
        // Never through a link, never a device or pipe in its place.
        int fd;
        do
            fd = ::open(path_.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                        0600);
        while (fd < 0 && errno == EINTR);
        if (fd < 0) return;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return;
        }
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        int rc;
        do rc = ::fcntl(fd, F_OFD_SETLK, &lock);
        while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            busy_ = errno == EAGAIN || errno == EACCES;
            ::close(fd);
            return;
        }
        struct stat named {};
        if (::lstat(path_.constData(), &named) == 0 && named.st_dev == st.st_dev &&
            named.st_ino == st.st_ino) {
            fd_ = fd;
            return;
        }
        ::close(fd);  // removed by the holder that had it: try the file there now
    }
}

JournalLock::~JournalLock() {
    if (fd_ < 0) return;
    // Removed while still held, so nobody locks it after us by its name;
    // closing the description drops the lock.
    ::unlink(path_.constData());
    ::close(fd_);
}

QString JournalBusyText() { return QStringLiteral("另一个窗口正在改名或撤销,请等它完成后再试。"); }

}  // namespace pelmora
