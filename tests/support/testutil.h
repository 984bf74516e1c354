#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace pelmora::test {

// Writes bytes to a file, creating folders as needed; fails the test on error.
void WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);
// The names in a folder, hidden ones too, sorted.
QStringList Entries(const QString& folder);

// A path inside the committed test documents folder.
QString TestData(const QString& name);

}  // namespace pelmora::test
