#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>

#include "platform/paths.h"

namespace pelmora::platform {

int32_t Win32ErrorFromErrno(int err) {
    switch (err) {
        case 0: return kErrorSuccess;
        case ENOENT: return kErrorFileNotFound;
        case ENOTDIR: return kErrorPathNotFound;
        case EEXIST:
        case ENOTEMPTY:
        case EISDIR: return kErrorAlreadyExists;
        case EACCES:
        case EPERM: return kErrorAccessDenied;
        case EROFS: return kErrorWriteProtect;
        case EBUSY:
        case ETXTBSY: return kErrorSharingViolation;
        case ENOSPC:
        case EDQUOT: return kErrorDiskFull;
        case EINVAL:
        case ENAMETOOLONG:
        case EILSEQ: return kErrorInvalidName;
        case EXDEV: return kErrorNotSameDevice;
        case EMFILE:
        case ENFILE: return kErrorTooManyOpenFiles;
        case ENOMEM: return kErrorNotEnoughMemory;
        case EFBIG: return kErrorFileTooLarge;
        case EIO: return kErrorIoDevice;
        case EMLINK: return kErrorTooManyLinks;
        case ELOOP: return kErrorCantResolveFilename;
        default: return kErrorGenFailure;
    }
}

// ---- Listing ----

namespace {

bool NameLess(const QString& a, const QString& b) {
    const int c = a.compare(b, Qt::CaseInsensitive);
    if (c != 0) return c < 0;
    return a < b;
}

QStringList SortedEntries(const QString& folder, QDir::Filters filters,
                          const QStringList& nameFilters) {
    QDir dir(folder);
    if (folder.isEmpty() || !dir.exists()) return {};
    dir.setNameFilters(nameFilters);  // case-insensitive unless asked otherwise
    dir.setFilter(filters);
    dir.setSorting(QDir::Unsorted);
    QStringList names = dir.entryList();
    std::sort(names.begin(), names.end(), NameLess);
    return names;
}

void FindInto(const QString& folder, bool subfolders, int depth, QSet<QString>& seen,
              std::vector<FoundFile>& out) {
    // Bind mounts can still loop; the canonical path set and the depth bound
    // keep the walk finite.
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || seen.contains(canonical)) return;
    seen.insert(canonical);
    for (const QString& name : ListDocFiles(folder)) out.push_back({folder, name});
    if (!subfolders || depth >= 64) return;
    const QStringList subs =
        SortedEntries(folder, QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, {});
    for (const QString& sub : subs) FindInto(JoinPath(folder, sub), true, depth + 1, seen, out);
}

}  // namespace

QStringList ListDocFiles(const QString& folder) {
    // QDir::Files without QDir::Hidden/System: ordinary files (and links to
    // them), no dot-files, no broken links.
    QStringList names = SortedEntries(folder, QDir::Files,
                                      {QStringLiteral("*.doc"), QStringLiteral("*.docx"),
                                       QStringLiteral("*.docm")});
    // A wildcard also matches a name that is only the extension, which is a
    // hidden file here and already filtered; keep the rule explicit.
    names.removeIf([](const QString& n) {
        for (const char* ext : {".doc", ".docx", ".docm"}) {
            const QLatin1String e(ext);
            if (n.size() > e.size() && n.endsWith(e, Qt::CaseInsensitive)) return false;
        }
        return true;
    });
    return names;
}

std::vector<FoundFile> FindDocFiles(const QString& folder, bool subfolders) {
    std::vector<FoundFile> out;
    QSet<QString> seen;
    FindInto(folder, subfolders, 0, seen, out);
    return out;
}

bool IsRefusedFileName(const QString& name) {
    if (name.isEmpty()) return true;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        if (u < 0x20) return true;
        // A surrogate without its partner has no encoding on disk: the file
        // would get another name than the title shows.
        if (QChar::isHighSurrogate(u)) {
            if (i + 1 < name.size() && name[i + 1].isLowSurrogate()) ++i;
            else return true;
            continue;
        }
        if (QChar::isLowSurrogate(u)) return true;
        switch (u) {
            case u'"': case u'*': case u'/': case u':': case u'<':
            case u'>': case u'?': case u'\\': case u'|': return true;
            default: break;
        }
    }
    QString base = name.left(name.indexOf(QLatin1Char('.')) < 0 ? name.size()
                                                                  : name.indexOf(QLatin1Char('.')));
    while (base.endsWith(QLatin1Char(' '))) base.chop(1);
    base = base.toUpper();
    static const std::array<const char*, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
    for (const char* dev : kDevices)
        if (base == QLatin1String(dev)) return true;
    if (base.size() == 4 && (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))) &&
        base[3] >= QLatin1Char('1') && base[3] <= QLatin1Char('9'))
        return true;
    return false;
}

// ---- Moving ----

MoveFileSeams& moveFileSeams() {
    static MoveFileSeams seams;
    return seams;
}

namespace {

// rename without replacing: renameat2(RENAME_NOREPLACE) where the file system
// has it, else link() + unlink(), which fails on an existing name as well.
// Only where neither exists (no hard links, e.g. FAT) does it fall back to a
// test for the name followed by a plain rename.
int RenameNoReplace(const char* from, const char* to) {
    const MoveFileSeams& seams = moveFileSeams();
    int err = 0;
    if (!seams.noRenameNoReplace) {
        if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
        err = errno;
        if (err != EINVAL && err != ENOSYS && err != EOPNOTSUPP) return err;
    }
    if (seams.noHardLinks) {
        err = EPERM;
    } else if (::link(from, to) == 0) {
        if (::unlink(from) == 0) return 0;
        err = errno;
        ::unlink(to);
        return err;
    } else {
        err = errno;
    }
    if (err != EPERM && err != EOPNOTSUPP && err != ENOSYS && err != EMLINK) return err;
    struct stat st;
    if (::lstat(to, &st) == 0) return EEXIST;
    if (errno != ENOENT) return errno;
    return ::rename(from, to) == 0 ? 0 : errno;
}

QByteArray ParentOf(const QByteArray& path) {
    const int slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    if (slash == 0) return QByteArrayLiteral("/");
    return path.left(slash);
}

int WriteAll(int fd, const char* data, size_t size) {
    if (const int forced = moveFileSeams().failCopyWriteWith) return forced;
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

// Copies from -> a temporary name beside to, syncs it, gives it the name to
// without replacing, then removes from. Returns an errno value.
int CopyAcross(const QByteArray& from, const QByteArray& to) {
    const MoveFileSeams& seams = moveFileSeams();
    struct stat st;
    if (::lstat(from.constData(), &st) != 0) return errno;
    if (!S_ISREG(st.st_mode)) return EXDEV;  // folders and links do not cross

    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0) return errno;

    QByteArray temp = ParentOf(to) + "/.pelmora-move-XXXXXX";
    const int out = ::mkostemp(temp.data(), O_CLOEXEC);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        return err;
    }
    auto fail = [&](int err) {
        ::close(in);
        if (out >= 0) ::close(out);
        ::unlink(temp.constData());
        return err;
    };

    std::array<char, 1 << 16> buffer;
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        if (n == 0) break;
        if (const int err = WriteAll(out, buffer.data(), static_cast<size_t>(n))) return fail(err);
    }
    ::fchmod(out, st.st_mode & 07777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out, times);
    if (seams.failSyncWith) return fail(seams.failSyncWith);
    if (::fsync(out) != 0) return fail(errno);
    const int outFd = out;
    if (::close(outFd) != 0) {
        const int err = errno;
        ::close(in);
        ::unlink(temp.constData());
        return err;
    }
    ::close(in);

    if (const int err = RenameNoReplace(temp.constData(), to.constData())) {
        ::unlink(temp.constData());
        return err;
    }
    // The new name must be on disk before the original goes.
    const int dir = ::open(ParentOf(to).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    int err = seams.failUnlinkSourceWith;
    if (err == 0 && ::unlink(from.constData()) != 0) err = errno;
    if (err != 0) {
        // The original stays; take the copy back so the move did not happen.
        ::unlink(to.constData());
        return err;
    }
    return 0;
}

}  // namespace

int32_t MoveFile(const QString& from, const QString& to) {
    if (from.isEmpty() || to.isEmpty()) return kErrorInvalidName;  // nothing to name
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    if (src.contains('\0') || dst.contains('\0')) return kErrorInvalidName;

    int err = moveFileSeams().forceCrossDevice ? EXDEV : RenameNoReplace(src.constData(), dst.constData());
    if (err == EXDEV) {
        // Across file systems the target must be free before copying anything.
        struct stat st;
        if (::lstat(dst.constData(), &st) == 0) err = EEXIST;
        else err = CopyAcross(src, dst);
    }
    if (err == 0) return kErrorSuccess;
    if (err == ENOENT) {
        // The original gone is 2; a missing target folder is 3.
        struct stat st;
        if (::lstat(src.constData(), &st) == 0) return kErrorPathNotFound;
        return kErrorFileNotFound;
    }
    return Win32ErrorFromErrno(err);
}

int32_t MoveFileInto(const QString& from, const QString& folder, const QString& newName) {
    if (IsRefusedFileName(newName)) return kErrorInvalidName;
    return MoveFile(from, JoinPath(folder, newName));
}

}  // namespace pelmora::platform
