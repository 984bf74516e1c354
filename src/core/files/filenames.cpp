#include "core/files/filenames.h"

#include <array>

namespace pelmora {

namespace {

std::u16string_view View(const QString& s) {
    return {reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size())};
}

}  // namespace

const QStringList& DocumentExtensions() {
    static const QStringList kExtensions = {
        QStringLiteral(".doc"), QStringLiteral(".docx"), QStringLiteral(".docm"),
        QStringLiteral(".dot"), QStringLiteral(".dotx"), QStringLiteral(".dotm"),
        QStringLiteral(".wps"), QStringLiteral(".wpt"),  QStringLiteral(".odt"),
        QStringLiteral(".ott"), QStringLiteral(".rtf")};
    return kExtensions;
}

const QStringList& DefaultListedExtensions() {
    static const QStringList kExtensions = {QStringLiteral(".doc"),  QStringLiteral(".docx"),
                                            QStringLiteral(".docm"), QStringLiteral(".wps"),
                                            QStringLiteral(".odt"),  QStringLiteral(".rtf")};
    return kExtensions;
}

QString DocumentFileFilter(const QStringList& kinds) {
    QStringList patterns;
    for (const QString& ext : kinds) {
        patterns << QLatin1Char('*') + ext.toUpper() << QLatin1Char('*') + ext;
    }
    return QStringLiteral("文档(") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

bool IsListedFileName(const QString& name, const QStringList& kinds) {
    for (const QString& ext : kinds) {
        if (name.size() > ext.size() && name.endsWith(ext, Qt::CaseInsensitive)) return true;
    }
    return false;
}

QString RenamedExtension(const QString& fileName) {
    for (const QString& ext : DocumentExtensions()) {
        if (fileName.size() > ext.size() && fileName.endsWith(ext, Qt::CaseInsensitive)) return ext;
    }
    return QStringLiteral(".doc");
}

QString RenamedFileName(const QString& fileName, const QString& title) {
    return title + RenamedExtension(fileName);
}

std::optional<QString> FormatTitle(const QString& title, int16_t maxword, TitleRules rules) {
    std::optional<std::u16string> out = FormatTitleText(View(title), maxword, rules);
    if (!out) return std::nullopt;
    return QString::fromStdU16String(*out);
}

int16_t IsGoodFilename(const QString& file) { return IsGoodFilenameText(View(file)); }

QString ReplaceIllegal(const QString& text) {
    return QString::fromStdU16String(ReplaceIllegalText(View(text)));
}

bool IsRefusedFileName(const QString& name) {
    if (name.isEmpty()) return true;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        if (u < 0x20) return true;
        // A surrogate without its partner has no encoding on disk: the file
        // would get another name than the title shows.
        if (QChar::isHighSurrogate(u)) {
            if (i + 1 < name.size() && name[i + 1].isLowSurrogate())
                ++i;
            else
                return true;
            continue;
        }
        if (QChar::isLowSurrogate(u)) return true;
        switch (u) {
            case u'"':
            case u'*':
            case u'/':
            case u':':
            case u'<':
            case u'>':
            case u'?':
            case u'\\':
            case u'|':
                return true;
            default:
                break;
        }
    }
    QString base = name.left(name.indexOf(QLatin1Char('.')) < 0 ? name.size()
                                                                : name.indexOf(QLatin1Char('.')));
    while (base.endsWith(QLatin1Char(' '))) base.chop(1);
    base = base.toUpper();
    static const std::array<const char*, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
    for (const char* dev : kDevices)
        if (base == QLatin1String(dev)) return true;
    if (base.size() == 4 &&
        (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))) &&
        base[3] >= QLatin1Char('1') && base[3] <= QLatin1Char('9'))
        return true;
    return false;
}

bool IsRefusedNewName(const QString& name) {
    return IsRefusedFileName(name) || name.startsWith(QLatin1Char('.'));
}

}  // namespace pelmora
