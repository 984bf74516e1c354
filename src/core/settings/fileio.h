#pragma once
// Whole-file reading and atomic replacement with the system error number of
// the step that failed, so the settings store can say what went wrong.

#include <QByteArray>
#include <QString>

namespace pelmora {

// Reads the whole file into out. Returns 0, or the errno of the failed step;
// a file longer than maxBytes gives EFBIG without reading it all.
int ReadWholeFile(const QString& path, qint64 maxBytes, QByteArray& out);

// Writes bytes to a new file in the same folder, flushes it to the disk and
// renames it over path, so path holds either its old or its new content,
// never a part. A symbolic link is followed; an existing file's permissions
// are kept. Returns 0 or the errno of the failed step.
int ReplaceFileAtomically(const QString& path, const QByteArray& bytes);

// 0 when the file is absent or can be opened for reading; else the errno
// of the refused open (EACCES, EPERM).
int ReadableOrAbsent(const QString& path);

// 0 when path names a regular file, a link to one, or nothing: the only
// things the program reads or replaces by name. Else EISDIR for a folder and
// EINVAL for anything else (a device, a pipe, a socket, a dangling link),
// which is never opened, written through or replaced.
int NotAFileError(const QString& path);

// A short Chinese description of a system error number.
QString FileErrorText(int error);
// The same for a failed write of a settings file.
QString WriteErrorText(int error);

}  // namespace pelmora
