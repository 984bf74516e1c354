#pragma once
// FAT, exFAT and NTFS through FUSE on an image of their own, for the tests
// of what a USB stick or a Windows disk does to identities: mounted where the
// machine allows it (root, /dev/fuse, the tools), remounted and with the
// kernel's caches dropped on demand. Header only: Qt Core and the C library.
//
// Fat is FAT12/16, as mkfs.vfat makes a small image; Fat32 is what a stick
// of more than 2 GB carries. fusefat damages files by itself on FAT12/16
// (see fatimage.h), with nothing of ours involved; on FAT32 it does not.

#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>

#include "support/fatimage.h"

namespace pelmora::test {

enum class FuseKind { Fat, Fat32, Exfat, Ntfs };

inline const char* FuseKindName(FuseKind kind) {
    switch (kind) {
        case FuseKind::Fat:
            return "fusefat";
        case FuseKind::Fat32:
            return "fusefat32";
        case FuseKind::Exfat:
            return "exfat-fuse";
        case FuseKind::Ntfs:
            return "ntfs-3g";
    }
    return "";
}

class FuseMount {
  public:
    explicit FuseMount(FuseKind kind, int megabytes = 64) : kind_(kind) {
        if (!dir_.isValid()) {
            why_ = "no temporary folder";
            return;
        }
        if (::geteuid() != 0 || !QFileInfo::exists(QStringLiteral("/dev/fuse"))) {
            why_ = "needs root and /dev/fuse";
            return;
        }
        image_ = dir_.path() + QStringLiteral("/volume.img");
        point_ = dir_.path() + QStringLiteral("/m");
        QDir().mkpath(point_);
        const char* tools = IsFat(kind)               ? "fusefat mkfs.vfat"
                            : kind == FuseKind::Exfat ? "mount.exfat-fuse mkfs.exfat losetup"
                                                      : "ntfs-3g mkntfs";
        if (!Run(QStringLiteral("for t in %1; do command -v $t >/dev/null || exit 1; done")
                     .arg(QLatin1String(tools)))) {
            why_ = QByteArray("missing one of: ") + tools;
            return;
        }
        // FAT32 wants 65,525 clusters: 512-byte ones from 33 MB on.
        const QString make = kind == FuseKind::Fat     ? QStringLiteral("mkfs.vfat '%1'")
                             : kind == FuseKind::Fat32 ? QStringLiteral("mkfs.vfat -F 32 -s 1 '%1'")
                             : kind == FuseKind::Exfat ? QStringLiteral("mkfs.exfat '%1'")
                                                       : QStringLiteral("mkntfs -F -q '%1'");
        if (kind == FuseKind::Fat32) megabytes = std::max(megabytes, 40);
        if (!Run(QStringLiteral("truncate -s %1M '%2'").arg(megabytes).arg(image_)) ||
            !Run(make.arg(image_))) {
            why_ = "cannot make the file system";
            return;
        }
        // mount.exfat-fuse refuses an image file: it wants a block device.
        if (kind == FuseKind::Exfat) {
            const QByteArray out = Output(QStringLiteral("losetup -f --show '%1'").arg(image_));
            loop_ = QString::fromLocal8Bit(out).trimmed();
            if (loop_.isEmpty()) {
                why_ = "no loop device";
                return;
            }
        }
        if (!mount()) why_ = QByteArray("cannot mount ") + FuseKindName(kind);
    }
    ~FuseMount() {
        unmount();
        if (!loop_.isEmpty()) Run(QStringLiteral("losetup -d '%1'").arg(loop_));
    }
    FuseMount(const FuseMount&) = delete;
    FuseMount& operator=(const FuseMount&) = delete;

    bool mounted() const {
        QFile mounts(QStringLiteral("/proc/self/mounts"));
        return !point_.isEmpty() && mounts.open(QIODevice::ReadOnly) &&
               mounts.readAll().contains(" " + QFile::encodeName(point_) + " fuse");
    }
    // Why it is not mounted.
    QByteArray why() const { return why_; }
    QString path() const { return point_; }
    QString image() const { return image_; }
    FuseKind kind() const { return kind_; }

    // Unmounts and mounts the volume again, as a stick pulled and put back.
    bool remount() { return unmount() && mount(); }
    // Which of paths on a FAT volume are entries fusefat tore itself (see
    // fatimage.h). Remounts first: fusefat writes its table out on unmount.
    QStringList tornEntries(const QStringList& paths) {
        if (!IsFat(kind_) || paths.isEmpty() || !remount()) return {};
        FatImage image(image_);
        QStringList torn;
        for (const QString& p : paths)
            if (image.torn(QDir(point_).relativeFilePath(p))) torn << p;
        return torn;
    }
    // What the kernel keeps of the files goes; FUSE numbers them anew.
    static void DropCaches() {
        ::sync();
        QFile drop(QStringLiteral("/proc/sys/vm/drop_caches"));
        if (drop.open(QIODevice::WriteOnly)) drop.write("3\n");
    }

  private:
    static bool IsFat(FuseKind kind) { return kind == FuseKind::Fat || kind == FuseKind::Fat32; }
    static bool Run(const QString& cmd) {
        return std::system((cmd + QStringLiteral(" >/dev/null 2>&1")).toLocal8Bit().constData()) ==
               0;
    }
    static QByteArray Output(const QString& cmd) {
        QByteArray out;
        if (FILE* p = ::popen(cmd.toLocal8Bit().constData(), "r")) {
            char buffer[256];
            while (const size_t n = std::fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
            ::pclose(p);
        }
        return out;
    }
    // Whether a process named with the mount point (the FUSE daemon) runs.
    bool DaemonRuns() const {
        const QByteArray point = QFile::encodeName(point_);
        const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
        for (const QString& pid : pids) {
            if (pid.isEmpty() || !pid[0].isDigit()) continue;
            QFile cmdline(QStringLiteral("/proc/") + pid + QStringLiteral("/cmdline"));
            if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().split('\0').contains(point))
                return true;
        }
        return false;
    }
    bool mount() {
        // hard_remove: a file unlinked while the kernel has yet to tell fusefat
        // it was closed (a process just killed) goes, not to a .fuse_hidden
        // name that a remount at that moment leaves behind for good.
        const QString cmd = IsFat(kind_) ? QStringLiteral("fusefat -o rw+,hard_remove '%1' '%2'")
                            : kind_ == FuseKind::Exfat
                                ? QStringLiteral("mount.exfat-fuse '%1' '%2'")
                                : QStringLiteral("ntfs-3g '%1' '%2'");
        if (!Run(cmd.arg(kind_ == FuseKind::Exfat ? loop_ : image_, point_))) return false;
        for (int i = 0; i < 100 && !mounted(); ++i) ::usleep(20000);
        return mounted();
    }
    bool unmount() {
        if (!mounted()) return true;
        ::sync();
        for (int i = 0; i < 50; ++i) {
            if (Run(QStringLiteral("umount '%1'").arg(point_))) break;
            ::usleep(100000);  // busy a moment longer
        }
        if (mounted()) Run(QStringLiteral("umount -l '%1'").arg(point_));
        // The FUSE process writes the volume out after the unmount returns.
        for (int i = 0; i < 250 && DaemonRuns(); ++i) ::usleep(20000);
        return !mounted();
    }

    FuseKind kind_;
    QTemporaryDir dir_;
    QString image_, point_, loop_;
    QByteArray why_;
};

}  // namespace pelmora::test
