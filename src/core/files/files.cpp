#include "core/files/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/files/filenames.h"
#include "core/files/mounts.h"
#include "core/files/paths.h"
#include "core/files/processes.h"

namespace pelmora {

int32_t Win32ErrorFromErrno(int err) {
    switch (err) {
        case 0:
            return kErrorSuccess;
        case ENOENT:
            return kErrorFileNotFound;
        case ENOTDIR:
            return kErrorPathNotFound;
        case EEXIST:
        case ENOTEMPTY:
        case EISDIR:
            return kErrorAlreadyExists;
        case EACCES:
        case EPERM:
            return kErrorAccessDenied;
        case EROFS:
            return kErrorWriteProtect;
        case EBUSY:
        case ETXTBSY:
            return kErrorSharingViolation;
        case ENOSPC:
        case EDQUOT:
            return kErrorDiskFull;
        case ENAMETOOLONG:
            return kErrorFilenameExcedRange;
        case EINVAL:
        case EILSEQ:
            return kErrorInvalidName;
        case EXDEV:
            return kErrorNotSameDevice;
        case EMFILE:
        case ENFILE:
            return kErrorTooManyOpenFiles;
        case ENOMEM:
            return kErrorNotEnoughMemory;
        case EFBIG:
            return kErrorFileTooLarge;
        case EIO:
            return kErrorIoDevice;
        case EBADMSG:
            return kErrorFileCorrupt;
        case EMLINK:
            return kErrorTooManyLinks;
        case ELOOP:
            return kErrorCantResolveFilename;
        default:
            return kErrorGenFailure;
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

void FindInto(const QString& folder, bool subfolders, const QStringList& kinds, int depth,
              QSet<QString>& seen, std::vector<FoundFile>& out) {
    // Bind mounts can still loop; the canonical path set and the depth bound
    // keep the walk finite.
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || seen.contains(canonical)) return;
    seen.insert(canonical);
    for (const QString& name : ListDocFiles(folder, kinds)) out.push_back({folder, name});
    if (!subfolders || depth >= 64) return;
    const QStringList subs =
        SortedEntries(folder, QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, {});
    for (const QString& sub : subs)
        FindInto(JoinPath(folder, sub), true, kinds, depth + 1, seen, out);
}

}  // namespace

QStringList ListDocFiles(const QString& folder, const QStringList& kinds) {
    // QDir::Files without QDir::Hidden/System: ordinary files (and links to
    // them), no dot-files, no broken links.
    QStringList patterns;
    for (const QString& ext : kinds) patterns << QLatin1Char('*') + ext;
    QStringList names = SortedEntries(folder, QDir::Files, patterns);
    // A wildcard also matches a name that is only the extension, which is a
    // hidden file here and already filtered; keep the rule explicit.
    names.removeIf([&](const QString& n) { return !IsListedFileName(n, kinds); });
    return names;
}

std::vector<FoundFile> FindDocFiles(const QString& folder, bool subfolders,
                                    const QStringList& kinds) {
    std::vector<FoundFile> out;
    QSet<QString> seen;
    FindInto(folder, subfolders, kinds, 0, seen, out);
    return out;
}

// ---- Identity ----

namespace {

uint64_t FingerprintOfFd(int fd, int64_t size) {
    // The size and the first and last blocks: what a copy cut short, another
    // document or another version of it differs in.
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArray::number(qlonglong(size)));
    std::array<char, 1 << 16> buffer;
    auto add = [&](int64_t from, int64_t to) {
        while (from < to) {
            const ssize_t n =
                ::pread(fd, buffer.data(),
                        size_t(std::min<int64_t>(to - from, int64_t(buffer.size()))), off_t(from));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            hash.addData(QByteArrayView(buffer.data(), n));
            from += n;
        }
        return true;
    };
    const int64_t head = std::min(size, kFingerprintBlock);
    if (!add(0, head) || !add(std::max(head, size - kFingerprintBlock), size)) return 0;
    const QByteArray digest = hash.result();
    uint64_t fp = 0;
    std::memcpy(&fp, digest.constData(), sizeof fp);
    return fp == 0 ? 1 : fp;
}

FileIdentity IdentityFromStat(const struct stat& st) {
    return FileIdentity{uint64_t(st.st_dev),
                        uint64_t(st.st_ino),
                        int64_t(st.st_size),
                        int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                        0,
                        uint32_t(st.st_nlink)};
}

}  // namespace

std::optional<FileIdentity> IdentityOfNative(const char* path, bool content) {
    struct stat st;
    if (::lstat(path, &st) != 0) return std::nullopt;
    FileIdentity id = IdentityFromStat(st);
    if (content && S_ISREG(st.st_mode)) {
        const int fd = ::open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            struct stat now;
            if (::fstat(fd, &now) == 0 && now.st_ino == st.st_ino && now.st_dev == st.st_dev)
                id.fingerprint = FingerprintOfFd(fd, int64_t(now.st_size));
            ::close(fd);
        }
    }
    return id;
}

std::optional<FileIdentity> IdentityOf(const QString& path, bool content) {
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty() || native.contains('\0')) return std::nullopt;
    return IdentityOfNative(native.constData(), content);
}

bool IsPrefixOf(const QString& part, const QString& whole, int64_t size) {
    const QByteArray a = QFile::encodeName(part), b = QFile::encodeName(whole);
    const int fa = ::open(a.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fa < 0) return false;
    const int fb = ::open(b.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fb < 0) {
        ::close(fa);
        return false;
    }
    std::array<char, 1 << 16> x, y;
    bool same = true;
    for (int64_t at = 0; same && at < size;) {
        const size_t want = size_t(std::min<int64_t>(size - at, int64_t(x.size())));
        const ssize_t n = ::pread(fa, x.data(), want, off_t(at));
        const ssize_t m = n > 0 ? ::pread(fb, y.data(), size_t(n), off_t(at)) : -1;
        if (n <= 0 || m != n || std::memcmp(x.data(), y.data(), size_t(n)) != 0) same = false;
        at += n > 0 ? n : 0;
    }
    ::close(fa);
    ::close(fb);
    return same;
}

// ---- Writing whole files ----

const char kTempPrefix[] = ".pelmora-tmp-";

QByteArray TemporaryTemplateIn(const QByteArray& folder) {
    const ProcessMark own = OwnProcessMark();
    return folder + '/' + kTempPrefix + QByteArray::number(qint64(own.pid)) + '-' +
           QByteArray::number(qulonglong(own.started)) + '-' + own.boot.left(8) + "-XXXXXX";
}

MoveFileSeams& moveFileSeams() {
    static MoveFileSeams seams;
    return seams;
}

namespace {

// Set when no rename here can refuse to replace.
constexpr int kNoSafeRename = -1;

// rename without replacing: renameat2(RENAME_NOREPLACE) where the file system
// has it, else link() + unlink(), which fails on an existing name as well.
// Where neither exists it returns kNoSafeRename and touches nothing: a test
// for the name followed by a plain rename could replace a file that appears
// in between.
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
        if (const auto& hook = seams.beforeTakingName) hook("linked");
        if (::unlink(from) == 0) return 0;
        err = errno;
        ::unlink(to);
        return err;
    } else {
        err = errno;
    }
    if (err != EPERM && err != EOPNOTSUPP && err != ENOSYS && err != EMLINK) return err;
    return kNoSafeRename;
}

QByteArray ParentOf(const QByteArray& path) {
    const int slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    if (slash == 0) return QByteArrayLiteral("/");
    return path.left(slash);
}

void SyncFolder(const QByteArray& folder) {
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

int WriteAll(int fd, const char* data, size_t size) {
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

// Copies what is left to read of in into out. Returns an errno value.
int CopyFd(int in, int out) {
    std::array<char, 1 << 16> buffer;
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return 0;
        if (const int err = WriteAll(out, buffer.data(), static_cast<size_t>(n))) return err;
    }
}

int SyncAndClose(int fd) {
    int err = 0;
    if (const int forced = moveFileSeams().failSyncWith)
        err = forced;
    else if (::fsync(fd) != 0 && errno != EINVAL)
        err = errno;  // EINVAL: cannot sync here
    if (::close(fd) != 0 && err == 0) err = errno;
    return err;
}

std::optional<FileIdentity> IdentityOfFd(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return std::nullopt;
    return IdentityFromStat(st);
}

// Gives the synced temporary file the name target by an exclusive create of
// target and a copy into it; the temporary is removed either way.
int CopyIntoReservation(const QByteArray& temp, const QByteArray& target, mode_t mode,
                        const PlacedObserver& placed) {
    // The reservation is empty until its inode is known: announced first, so
    // that an empty file left by a crash in between can be told ours.
    if (placed) {
        if (const int err = placed(kReservationPending)) return err;
    }
    if (const auto& hook = moveFileSeams().beforeTakingName) hook("reserve");
    const int out =
        ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (out < 0) {
        // Whatever holds the name now is not ours: say so before anything else.
        const int err = errno;
        if (placed) placed(kReservationRefused);
        return err;
    }
    auto fail = [&](int err) {
        ::close(out);
        ::unlink(target.constData());  // our own reservation, made above
        return err;
    };
    if (placed) {
        const std::optional<FileIdentity> id = IdentityOfFd(out);
        if (!id) return fail(errno);
        if (const int err = placed(*id)) return fail(err);
    }
    const int in = ::open(temp.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0) return fail(errno);
    struct stat st;
    int err = ::fstat(in, &st) != 0 ? errno : CopyFd(in, out);
    ::close(in);
    if (err != 0) return fail(err);
    ::fchmod(out, st.st_mode & 07777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out, times);
    err = SyncAndClose(out);
    if (err != 0) {
        ::unlink(target.constData());
        return err;
    }
    return 0;
}

}  // namespace

int WriteFileAtomically(const QByteArray& target, const std::function<int(int fd)>& fill,
                        bool replace, const PlacedObserver& placed) {
    if (target.isEmpty() || target.contains('\0')) return ENOENT;
    const QByteArray folder = ParentOf(target);
    QByteArray temp = TemporaryTemplateIn(folder);
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return errno;
    auto fail = [&](int err) {
        ::unlink(temp.constData());
        return err;
    };
    if (placed) {
        const std::optional<FileIdentity> id = IdentityOfFd(fd);
        const int err = !id ? errno : placed(*id);
        if (err != 0) {
            ::close(fd);
            return fail(err);
        }
    }
    if (const int err = fill(fd)) {
        ::close(fd);
        return fail(err);
    }
    if (const int err = SyncAndClose(fd)) return fail(err);

    if (const auto& hook = moveFileSeams().beforeTakingName) hook("place");
    if (replace) {
        if (::rename(temp.constData(), target.constData()) != 0) return fail(errno);
    } else {
        int err = RenameNoReplace(temp.constData(), target.constData());
        if (err == kNoSafeRename) {
            struct stat st;
            const mode_t mode = ::lstat(temp.constData(), &st) == 0 ? (st.st_mode & 07777) : 0600;
            err = CopyIntoReservation(temp, target, mode, placed);
            ::unlink(temp.constData());
        }
        if (err != 0) return fail(err);
    }
    // The new name must be on disk before anything relies on it.
    SyncFolder(folder);
    return 0;
}

// ---- Moving ----

namespace {

// Whether an fsync error means no more than "cannot sync here".
bool SyncUnsupported(int err) { return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP; }

// Whether the file under the name to is our copy (copy) and whole: synced
// with its folder, then read back from the file system (its cached pages
// dropped first) and compared byte for byte with the original (in), of
// size bytes. Returns 0, EEXIST when another file took the name, EBADMSG
// when the copy differs, or the errno of a failed step.
int VerifyCopy(int in, off_t size, const QByteArray& to, const FileIdentity& copy) {
    const int out = ::open(to.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (out < 0) return errno == ENOENT ? EEXIST : errno;
    auto done = [&](int err) {
        ::close(out);
        return err;
    };
    // Where the file system numbers files anew when its caches go (FAT and
    // exFAT through FUSE), the content compared below is what tells.
    const std::optional<FileIdentity> there = IdentityOfFd(out);
    if (!there || IsReservationMark(copy) ||
        (!there->sameInode(copy) && IdentityTraitsOf(QFile::decodeName(to)).stableInodes))
        return done(EEXIST);
    if (::fsync(out) != 0 && !SyncUnsupported(errno)) return done(errno);
    ::posix_fadvise(out, 0, 0, POSIX_FADV_DONTNEED);
    if (there->size != int64_t(size)) return done(EBADMSG);
    std::array<char, 1 << 16> mine, theirs;
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(out, theirs.data(), theirs.size(), at);
        if (n < 0) {
            if (errno == EINTR) continue;
            return done(errno);
        }
        if (n == 0) break;
        // The original read alike: a short read of it is a difference too.
        ssize_t got = 0;
        while (got < n) {
            const ssize_t k = ::pread(in, mine.data() + got, size_t(n - got), at + got);
            if (k < 0 && errno == EINTR) continue;
            if (k < 0) return done(errno);
            if (k == 0) return done(EBADMSG);
            got += k;
        }
        if (std::memcmp(mine.data(), theirs.data(), size_t(n)) != 0) return done(EBADMSG);
        at += n;
        if (at > size) return done(EBADMSG);  // grew while being read
    }
    struct stat st;
    if (::fstat(out, &st) != 0 || st.st_size != size) return done(EBADMSG);
    const QByteArray folder = ParentOf(to);
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return done(errno);
    const int synced = ::fsync(dir) == 0 || SyncUnsupported(errno) ? 0 : errno;
    ::close(dir);
    return done(synced);
}

// Copies from to the name to without replacing, checks the copy, then
// removes from. Returns an errno value.
int CopyAcross(const QByteArray& from, const QByteArray& to, const PlacedObserver& placed) {
    const MoveFileSeams& seams = moveFileSeams();
    struct stat st;
    if (::lstat(from.constData(), &st) != 0) return errno;
    if (!S_ISREG(st.st_mode)) return EXDEV;  // folders and links do not cross

    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0) return errno;
    std::optional<FileIdentity> copy;
    const PlacedObserver note = [&](const FileIdentity& id) {
        copy = id;
        return placed ? placed(id) : 0;
    };
    const int err = WriteFileAtomically(
        to,
        [&](int out) {
            if (seams.failCopyWriteWith) return seams.failCopyWriteWith;
            if (const int e = CopyFd(in, out)) return e;
            if (seams.damageCopy) seams.damageCopy(out);
            ::fchmod(out, st.st_mode & 07777);
            const struct timespec times[2] = {st.st_atim, st.st_mtim};
            ::futimens(out, times);
            return 0;
        },
        false, note);
    if (err != 0) {
        ::close(in);
        return err;
    }

    // Only our own copy under the new name, whole and on disk, lets the
    // original go; a copy that is not is taken back.
    const int checked = copy ? VerifyCopy(in, st.st_size, to, *copy) : EEXIST;
    ::close(in);
    if (checked != 0) {
        if (checked != EEXIST) ::unlink(to.constData());
        return checked;
    }
    if (const auto& hook = seams.beforeTakingName) hook("copied");
    int unlinkErr = seams.failUnlinkSourceWith;
    if (unlinkErr == 0 && ::unlink(from.constData()) != 0) unlinkErr = errno;
    if (unlinkErr != 0) {
        // The original stays; take the copy back so the move did not happen.
        ::unlink(to.constData());
        return unlinkErr;
    }
    return 0;
}

}  // namespace

int32_t MoveFile(const QString& from, const QString& to, const PlacedObserver& placed) {
    if (from.isEmpty() || to.isEmpty()) return kErrorInvalidName;  // nothing to name
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    if (src.contains('\0') || dst.contains('\0')) return kErrorInvalidName;

    if (const auto& hook = moveFileSeams().beforeTakingName) hook("rename");
    int err = moveFileSeams().forceCrossDevice ? EXDEV
                                               : RenameNoReplace(src.constData(), dst.constData());
    if (err == EXDEV || err == kNoSafeRename) {
        // The target must be free before copying anything; the copy itself
        // never replaces either.
        struct stat st;
        if (::lstat(dst.constData(), &st) == 0)
            err = EEXIST;
        else if (errno != ENOENT)
            err = errno;  // a name too long, a folder denied: copy nothing
        else
            err = CopyAcross(src, dst, placed);
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

int32_t MoveFileInto(const QString& from, const QString& folder, const QString& newName,
                     const PlacedObserver& placed) {
    if (IsRefusedNewName(newName)) return kErrorInvalidName;
    return MoveFile(from, JoinPath(folder, newName), placed);
}

// ---- Stale temporaries ----

namespace {

// The pid in name after prefix, up to stop; -1 when there is none.
long PidAfter(const QByteArray& name, const QByteArray& prefix, char stop) {
    if (!name.startsWith(prefix)) return -1;
    const qsizetype end = name.indexOf(stop, prefix.size());
    if (end <= prefix.size()) return -1;
    bool ok = false;
    const long pid = name.mid(prefix.size(), end - prefix.size()).toLong(&ok);
    return ok ? pid : -1;
}

bool IsMkstempSuffix(const QByteArray& s) {
    if (s.size() != 6) return false;
    for (const char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

bool AllDigits(const QByteArray& s, bool hex = false) {
    if (s.isEmpty()) return false;
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (!(hex ? std::isxdigit(u) : std::isdigit(u))) return false;
    }
    return true;
}

// The writer of a temporary named "<pid>-<started>-<boot>-XXXXXX" (or an
// earlier "<pid>-XXXXXX"), from the part after kTempPrefix; nullopt unless
// the whole name is there. A FAT driver that loses the first entries of a
// long name shows its first 13, 26 or 39 characters, and what that entry
// points at may be another file's clusters by then. Cut after six digits of
// the start time, a six-digit pid's name would pass for the earlier form but
// for its suffix of digits only, which mkstemp makes too rarely to matter.
std::optional<ProcessMark> WriterOfTemporary(const QByteArray& rest) {
    const QList<QByteArray> parts = rest.split('-');
    if ((parts.size() != 2 && parts.size() != 4) || !AllDigits(parts.front()) ||
        !IsMkstempSuffix(parts.back()))
        return std::nullopt;
    ProcessMark writer;
    bool ok = false;
    writer.pid = parts.front().toLong(&ok);
    if (!ok || writer.pid <= 0) return std::nullopt;
    if (parts.size() == 2) {
        if (AllDigits(parts.back())) return std::nullopt;
        return writer;
    }
    const QByteArray& boot = parts[2];
    if (!AllDigits(parts[1]) || (!boot.isEmpty() && (boot.size() != 8 || !AllDigits(boot, true))))
        return std::nullopt;
    writer.started = parts[1].toULongLong(&ok);
    if (!ok) return std::nullopt;
    writer.boot = boot;
    return writer;
}

}  // namespace

int RemoveStaleTemporaries(const QString& folder, const QStringList& ownNames) {
    const QByteArray dirPath = QFile::encodeName(folder);
    if (dirPath.isEmpty()) return 0;
    DIR* dir = ::opendir(dirPath.constData());
    if (!dir) return 0;
    std::vector<QByteArray> own;
    for (const QString& n : ownNames) own.push_back(QFile::encodeName(n));
    const time_t now = ::time(nullptr);
    int removed = 0;
    // A folder of millions of entries is walked once; nothing else bounds it.
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        bool stale = false;
        bool byAge = false;
        if (name.startsWith(kTempPrefix)) {
            const std::optional<ProcessMark> writer =
                WriterOfTemporary(name.mid(qsizetype(std::strlen(kTempPrefix))));
            stale = writer && !ProcessRuns(*writer);
        } else if (name.startsWith(".pelmora-move-") && IsMkstempSuffix(name.mid(14))) {
            byAge = true;  // an earlier version's name, without a pid
        } else {
            for (const QByteArray& o : own) {
                if (const long p = PidAfter(name, o + ".tmp", '_'); p > 0)
                    stale = !ProcessRuns(ProcessMark{p, 0, {}});
                else if (name.size() == o.size() + 7 && name.startsWith(o + '.') &&
                         IsMkstempSuffix(name.mid(o.size() + 1)))
                    byAge = true;
            }
        }
        if (!stale && !byAge) continue;
        const QByteArray path = dirPath + '/' + name;
        struct stat st;
        if (::lstat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (byAge && now - st.st_mtim.tv_sec < 60) continue;
        if (::unlink(path.constData()) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}

}  // namespace pelmora
