#pragma once
// CSV as spreadsheet programs open it with Chinese text intact (UTF-8 with a
// byte-order mark, RFC 4180 quoting).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace pelmora {

// One field as a CSV cell: quoted when it holds a comma, a double quote, a
// line break or a leading or trailing blank, with inner quotes doubled. A
// text that a spreadsheet would take as a formula (=, +, -, @ first) gets a
// leading apostrophe, so a document title cannot run as one.
QByteArray CsvField(const QString& text);
// A whole file: BOM, then each record's fields joined by commas, CRLF after each.
QByteArray CsvDocument(const std::vector<QStringList>& records);

}  // namespace pelmora
