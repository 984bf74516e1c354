#include "core/files/mounts.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStringList>
#include <algorithm>

namespace pelmora {

namespace {

bool IsPseudoFileSystem(const QByteArray& type) {
    static const char* const kPseudo[] = {
        "proc",      "sysfs",       "devpts",          "devtmpfs",    "cgroup",
        "cgroup2",   "securityfs",  "debugfs",         "tracefs",     "pstore",
        "bpf",       "mqueue",      "hugetlbfs",       "configfs",    "fusectl",
        "autofs",    "binfmt_misc", "efivarfs",        "rpc_pipefs",  "nsfs",
        "selinuxfs", "ramfs",       "fuse.gvfsd-fuse", "fuse.portal",
    };
    for (const char* p : kPseudo) {
        if (type == p) return true;
    }
    return false;
}

bool IsSystemMount(const QString& root) {
    for (const char* prefix : {"/proc", "/sys", "/dev", "/run", "/boot/efi"}) {
        const QString p = QString::fromLatin1(prefix);
        if (root == p || root.startsWith(p + QLatin1Char('/'))) return true;
    }
    return false;
}

// Mount points in the mount table escape blanks, tabs, newlines and
// backslashes as three octal digits.
QString UnescapeMountField(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '7' && field[i + 2] >= '0' && field[i + 2] <= '7' &&
            field[i + 3] >= '0' && field[i + 3] <= '7') {
            out += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                        (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return QFile::decodeName(out);
}

bool UnderMountPoint(const QString& path, const QString& mountPoint) {
    if (mountPoint == QLatin1String("/")) return true;
    return path == mountPoint || path.startsWith(mountPoint + QLatin1Char('/'));
}

QString MountTypeOf(const QString& path) {
    QFile mounts(QStringLiteral("/proc/self/mounts"));
    if (!mounts.open(QIODevice::ReadOnly)) return {};
    // The file reports size 0; read it to its end, bounded.
    return MountTypeIn(mounts.read(16 * 1024 * 1024), path);
}

bool MagicIgnoresCase(const QByteArray& path) {
    struct statfs fs;
    if (::statfs(path.constData(), &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type) & 0xFFFFFFFFul) {
        case 0x4d44ul:      // FAT
        case 0x2011BAB0ul:  // exFAT
        case 0x5346544eul:  // NTFS
        case 0xFF534D42ul:  // CIFS
        case 0xFE534D42ul:  // SMB2/3
        case 0x517Bul:      // SMB
            return true;
        default:
            return false;
    }
}

bool FolderCaseFolds(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    long flags = 0;
    const bool folds = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL) != 0;
    ::close(fd);
    return folds;
}

// The nearest existing folder at or above the folder of path.
QString ExistingFolderOf(const QString& path) {
    QString dir = QFileInfo(path).absolutePath();
    for (int i = 0; i < 4096 && !QFileInfo(dir).isDir(); ++i) {
        const QString up = QFileInfo(dir).absolutePath();
        if (up == dir) break;
        dir = up;
    }
    return QFileInfo(dir).canonicalFilePath();
}

}  // namespace

QString MountTypeIn(const QByteArray& mountTable, const QString& path) {
    QString best, bestType;
    for (const QByteArray& line : mountTable.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        if (fields.size() < 3) continue;
        const QString point = UnescapeMountField(fields[1]);
        // Later entries mount over earlier ones at the same point.
        if (UnderMountPoint(path, point) && point.size() >= best.size()) {
            best = point;
            bestType = QString::fromLatin1(fields[2]);
        }
    }
    return bestType;
}

bool IsCaseInsensitiveFsType(const QString& type) {
    static const QStringList kTypes = {
        QStringLiteral("vfat"),
        QStringLiteral("msdos"),
        QStringLiteral("exfat"),
        QStringLiteral("ntfs"),
        QStringLiteral("ntfs3"),
        QStringLiteral("fuseblk"),
        QStringLiteral("cifs"),
        QStringLiteral("smb3"),
        QStringLiteral("smbfs"),
        QStringLiteral("fuse.exfat"),
        QStringLiteral("fuse.ntfs-3g"),
        QStringLiteral("fuse.ntfs"),
        // FUSE file systems report their own type ("fuseblk" when they sit
        // on a block device, above).
        QStringLiteral("fuse.fusefat"),
        QStringLiteral("fuse.exfat-fuse"),
        QStringLiteral("fuse.lowntfs-3g"),
        QStringLiteral("fuse.vfat"),
        QStringLiteral("fuse.msdos"),
        QStringLiteral("fuse.fat"),
    };
    return kTypes.contains(type);
}

bool IgnoresCase(const QString& path) {
    const QString folder = ExistingFolderOf(path);
    if (folder.isEmpty()) return false;
    const QByteArray native = QFile::encodeName(folder);
    if (FolderCaseFolds(native)) return true;
    const QString type = MountTypeOf(folder);
    if (!type.isEmpty()) return IsCaseInsensitiveFsType(type);
    return MagicIgnoresCase(native);
}

QStringList ReadableMountPoints() {
    QStringList roots{QStringLiteral("/")};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (!volume.isValid() || roots.contains(root)) continue;
        if (IsPseudoFileSystem(volume.fileSystemType()) || IsSystemMount(root)) continue;
        const QFileInfo info(root);
        if (!info.isDir() || !info.isReadable() || !info.isExecutable()) continue;
        roots.append(root);
    }
    std::sort(roots.begin() + 1, roots.end());
    return roots;
}

IdentityTraits IdentityTraitsOf(const QString& path) {
    const QByteArray native =
        QFile::encodeName(QFileInfo(path).isDir() ? path : ExistingFolderOf(path));
    struct statfs fs {};
    if (native.isEmpty() || ::statfs(native.constData(), &fs) != 0) return {};
    switch (static_cast<unsigned long>(fs.f_type) & 0xFFFFFFFFul) {
        case 0x65735546ul:  // FUSE
            return {false, -1};
        case 0x4d44ul:      // FAT
        case 0x2011BAB0ul:  // exFAT
            return {false, 2000000000};
        default:
            return {};
    }
}

bool IsSlowStorage(const std::string& path) {
    struct statfs fs {};
    if (::statfs(path.c_str(), &fs) != 0) return false;
    // Magic numbers of linux/magic.h and the file systems' own headers.
    switch (static_cast<unsigned long>(fs.f_type)) {
        case 0x6969UL:      // NFS
        case 0x517BUL:      // SMB
        case 0xFF534D42UL:  // CIFS
        case 0xFE534D42UL:  // SMB2
        case 0x01021997UL:  // 9p
        case 0x00C36400UL:  // Ceph
        case 0x5346414FUL:  // AFS
        case 0x6B414653UL:  // kAFS
        case 0x73757245UL:  // Coda
        case 0x65735546UL:  // FUSE
        case 0x47504653UL:  // GPFS
        case 0x0BD00BD0UL:  // Lustre
            return true;
        default:
            return false;
    }
}

}  // namespace pelmora
