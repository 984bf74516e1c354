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

// A short Chinese description of a system error number.
QString FileErrorText(int error);

}  // namespace pelmora
