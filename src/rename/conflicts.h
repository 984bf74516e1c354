#pragma once
// Planning a batch rename before any file moves: the new name of each row,
// and which rows would land on a name that is already taken, on disk or by
// an earlier row of the same batch.

#include <QString>
#include <functional>
#include <vector>

namespace pelmora {

// The name a file gets from its title: the title followed by the file's own
// extension in lower case when that is a Word extension (.doc, .docx,
// .docm); any other file takes ".doc".
QString RenamedFileName(const QString& fileName, const QString& title);
// That extension alone, with its dot: ".doc", ".docx" or ".docm".
QString RenamedExtension(const QString& fileName);

// True when the file system that holds this path compares names without
// regard to letter case (FAT, exFAT, NTFS and SMB mounts, and folders
// marked case-folding on ext4/f2fs). Unknown: false.
bool IgnoresCase(const QString& path);
// Whether a mount type from the mount table compares names without case.
bool IsCaseInsensitiveFsType(const QString& type);
// The type of the file system mounted deepest above path in a mount table
// (the text of /proc/self/mounts), or empty.
QString MountTypeIn(const QByteArray& mountTable, const QString& path);

// One move of the batch, in row order.
struct PlannedMove {
    int row = 0;
    QString from;  // the file as listed
    QString to;    // folder + "/" + new name
};

struct CollisionCheck {
    // Whether a path names an existing entry (default: lstat).
    std::function<bool(const QString&)> exists;
    // Whether names in the folder of a path compare without case (default: IgnoresCase).
    std::function<bool(const QString&)> ignoresCase;
};

// The indices into moves whose target would be taken when the moves run in
// order: by a file on disk that no earlier move takes away, or by an earlier
// move's target. A move whose source is missing claims nothing (it fails on
// its own) and frees nothing.
std::vector<size_t> FindCollisions(const std::vector<PlannedMove>& moves,
                                   const CollisionCheck& check = {});

}  // namespace pelmora
