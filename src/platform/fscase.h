#pragma once
// Whether the file system under a path compares names without letter case.

#include <QByteArray>
#include <QString>

namespace pelmora::platform {

// True when the file system that holds this path compares names without
// regard to letter case (FAT, exFAT, NTFS and SMB mounts, and folders
// marked case-folding on ext4/f2fs). Unknown: false.
bool IgnoresCase(const QString& path);
// Whether a mount type from the mount table compares names without case.
bool IsCaseInsensitiveFsType(const QString& type);
// The type of the file system mounted deepest above path in a mount table
// (the text of /proc/self/mounts), or empty.
QString MountTypeIn(const QByteArray& mountTable, const QString& path);

}  // namespace pelmora::platform
