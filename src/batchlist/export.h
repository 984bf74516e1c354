#pragma once
// "导出结果": the batch list as a CSV file that spreadsheet programs open
// with Chinese text intact (UTF-8 with a byte-order mark, RFC 4180 quoting).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace pelmora {

class Form1;

// One field as a CSV cell: quoted when it holds a comma, a double quote, a
// line break or a leading or trailing blank, with inner quotes doubled. A
// text that a spreadsheet would take as a formula (=, +, -, @ first) gets a
// leading apostrophe, so a document title cannot run as one.
QByteArray CsvField(const QString& text);
// A whole file: BOM, then each record's fields joined by commas, CRLF after each.
QByteArray CsvDocument(const std::vector<QStringList>& records);

// The header and the document rows: file name, title, flag ("1"/"0"),
// folder, result.
std::vector<QStringList> ResultRecords(const Form1& form);

// Asks for a path and writes the list there; reports a failure in a box.
void ExportResultsCommand(Form1& form);

}  // namespace pelmora
