#pragma once
// What the program needs to know of the file systems mounted here: which
// compare names without letter case, which make reads wait on a server or a
// user-space process, and which a user can browse. All mount-type
// knowledge lives here.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

namespace pelmora {

// True when the file system that holds this path compares names without
// regard to letter case (FAT, exFAT, NTFS and SMB mounts, and folders
// marked case-folding on ext4/f2fs). Unknown: false.
bool IgnoresCase(const QString& path);
// Whether a mount type from the mount table compares names without case.
bool IsCaseInsensitiveFsType(const QString& type);
// The type of the file system mounted deepest above path in a mount table
// (the text of /proc/self/mounts), or empty.
QString MountTypeIn(const QByteArray& mountTable, const QString& path);

// What the file system holding path (or its nearest existing folder) keeps
// of what tells files apart. FAT and exFAT (also through FUSE) number files
// anew when the kernel drops its caches or the volume is mounted again, and
// keep times to 2 s (FAT) or 1 s; through FUSE neither the numbers nor the
// times can be relied on (ntfs-3g may set the time when a file is closed).
struct IdentityTraits {
    bool stableInodes = true;
    int64_t timeToleranceNs = 0;  // how far a copy's time may differ; < 0: not compared
};
IdentityTraits IdentityTraitsOf(const QString& path);

// True when `path` (a file or folder) is on a network file system (NFS,
// SMB/CIFS, 9p, Ceph, AFS...) or a FUSE mount, where a read waits on a
// server or a user-space process. False for local disks and when unknown.
bool IsSlowStorage(const std::string& path);

// Mount points a user can open, the root first; pseudo file systems
// (proc, sysfs, cgroup, ...) and the system's own mounts are left out.
QStringList ReadableMountPoints();

}  // namespace pelmora
