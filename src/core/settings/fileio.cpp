#include "core/settings/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/files/files.h"

namespace pelmora {

namespace {

int CloseKeepingError(int fd, int error) {
    if (::close(fd) != 0 && error == 0) error = errno;
    return error;
}

}  // namespace

int ReadWholeFile(const QString& path, qint64 maxBytes, QByteArray& out) {
    out.clear();
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty()) return ENOENT;
    // A device is not even opened: opening one may act on it.
    if (const int err = NotAFileError(path)) return err;
    int fd;
    // Non-blocking, so a named pipe put in the file's place since the check
    // cannot hang the open.
    do fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0) return CloseKeepingError(fd, errno);
    if (S_ISDIR(st.st_mode)) return CloseKeepingError(fd, EISDIR);
    // Devices and pipes may never end.
    if (!S_ISREG(st.st_mode)) return CloseKeepingError(fd, EINVAL);
    // The size from fstat is only a hint (pipes, growing files): the loop
    // itself stops past maxBytes.
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return CloseKeepingError(fd, errno);
        }
        if (n == 0) break;
        if (out.size() + n > maxBytes) {
            out.clear();
            return CloseKeepingError(fd, EFBIG);
        }
        out.append(buffer, n);
    }
    return CloseKeepingError(fd, 0);
}

int NotAFileError(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (name.isEmpty() || ::lstat(name.constData(), &st) != 0) return 0;
    if (S_ISLNK(st.st_mode) && ::stat(name.constData(), &st) != 0) return EINVAL;
    if (S_ISREG(st.st_mode)) return 0;
    return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
}

int ReplaceFileAtomically(const QString& path, const QByteArray& bytes) {
    QByteArray target = QFile::encodeName(path);
    if (target.isEmpty()) return ENOENT;
    // Only a regular file is replaced: a device or a pipe named here (or a
    // link to one) stays as it is, and nothing is written through it.
    if (const int err = NotAFileError(path); err == EINVAL) return err;
    struct stat st {};
    bool exists = ::lstat(target.constData(), &st) == 0;
    if (exists && S_ISLNK(st.st_mode)) {
        // Replace the link's target, not the link.
        char resolved[PATH_MAX];
        if (::realpath(target.constData(), resolved) != nullptr) {
            target = resolved;
            exists = ::stat(target.constData(), &st) == 0;
        } else {
            exists = false;
        }
    }

    mode_t mode;
    if (exists && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 07777;  // the old file's permissions
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    return WriteFileAtomically(
        target,
        [&](int fd) {
            // Failing to set the permissions is no reason to fail.
            (void)::fchmod(fd, mode);
            qsizetype written = 0;
            while (written < bytes.size()) {
                const ssize_t n = ::write(fd, bytes.constData() + written,
                                          static_cast<size_t>(bytes.size() - written));
                if (n < 0) {
                    if (errno != EINTR) return errno;
                } else {
                    written += n;
                }
            }
            return 0;
        },
        true);
}

int ReadableOrAbsent(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty()) return 0;
    if (NotAFileError(path) == EINVAL) return 0;  // refused by the write itself
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return 0;
    }
    return errno == EACCES || errno == EPERM ? errno : 0;
}

QString WriteErrorText(int error) {
    // On writing, a missing name is the folder that should hold the file.
    if (error == ENOENT) return QStringLiteral("找不到文件夹。");
    if (error == EINVAL)
        return QStringLiteral(
            "它不是普通文件(可能是设备、管道或指向它们的链接),没有改写它;"
            "这次的设置只在程序运行期间有效。");
    return FileErrorText(error);
}

QString FileErrorText(int error) {
    switch (error) {
        case ENOENT:
            return QStringLiteral("找不到文件。");
        case EACCES:
        case EPERM:
            return QStringLiteral("拒绝访问，没有权限。");
        case ENOSPC:
            return QStringLiteral("磁盘空间不足。");
        case EDQUOT:
            return QStringLiteral("超出磁盘配额。");
        case EROFS:
            return QStringLiteral("磁盘是只读的。");
        case EISDIR:
            return QStringLiteral("这是一个文件夹，不是文件。");
        case ENOTDIR:
            return QStringLiteral("路径中有一部分不是文件夹。");
        case ENAMETOOLONG:
            return QStringLiteral("文件名太长。");
        case EFBIG:
            return QStringLiteral("文件太大。");
        case EINVAL:
            return QStringLiteral("这不是普通文件。");
        case EIO:
            return QStringLiteral("读写磁盘时出错。");
        case EBUSY:
            return QStringLiteral("文件正在被使用。");
        case ELOOP:
            return QStringLiteral("符号链接层次太多。");
        case EMFILE:
        case ENFILE:
            return QStringLiteral("打开的文件太多。");
        default:
            break;
    }
    return QStringLiteral("文件操作失败(错误号 %1: %2)。")
        .arg(error)
        .arg(QString::fromLocal8Bit(std::strerror(error)));
}

}  // namespace pelmora
