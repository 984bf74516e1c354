#include "core/batchlist/csv.h"

namespace pelmora {

QByteArray CsvField(const QString& text) {
    QString t = text;
    static const QString kFormulaStarts = QStringLiteral("=+-@");
    if (!t.isEmpty() && kFormulaStarts.contains(t.front())) t.prepend(QLatin1Char('\''));
    const bool quote = t.contains(QLatin1Char(',')) || t.contains(QLatin1Char('"')) ||
                       t.contains(QLatin1Char('\n')) || t.contains(QLatin1Char('\r')) ||
                       t.startsWith(QLatin1Char(' ')) || t.endsWith(QLatin1Char(' ')) ||
                       t.startsWith(QLatin1Char('\t'));
    if (!quote) return t.toUtf8();
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return '"' + t.toUtf8() + '"';
}

QByteArray CsvDocument(const std::vector<QStringList>& records) {
    QByteArray out = QByteArrayLiteral("\xEF\xBB\xBF");
    for (const QStringList& record : records) {
        for (qsizetype i = 0; i < record.size(); ++i) {
            if (i > 0) out += ',';
            out += CsvField(record[i]);
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace pelmora
