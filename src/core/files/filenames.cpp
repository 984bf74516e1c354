#include "core/files/filenames.h"

#include <array>

#include "titles/titlerules.h"

namespace pelmora {

namespace {

std::u16string_view View(const QString& s) {
    return {reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size())};
}

}  // namespace

const QStringList& WordExtensions() {
    static const QStringList kExtensions = {QStringLiteral(".doc"), QStringLiteral(".docx"),
                                            QStringLiteral(".docm")};
    return kExtensions;
}

QString WordFileFilter() {
    QStringList patterns;
    for (const QString& ext : WordExtensions()) {
        patterns << QLatin1Char('*') + ext.toUpper() << QLatin1Char('*') + ext;
    }
    return QStringLiteral("Word(") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

bool IsWordFileName(const QString& name) {
    for (const QString& ext : WordExtensions()) {
        if (name.size() > ext.size() && name.endsWith(ext, Qt::CaseInsensitive)) return true;
    }
    return false;
}

QString RenamedExtension(const QString& fileName) {
    const QStringList& extensions = WordExtensions();
    for (const QString& ext : extensions) {
        if (ext != extensions.front() && fileName.endsWith(ext, Qt::CaseInsensitive) &&
            fileName.size() > ext.size())
            return ext;
    }
    return extensions.front();
}

QString RenamedFileName(const QString& fileName, const QString& title) {
    return title + RenamedExtension(fileName);
}

std::optional<QString> FormatTitle(const QString& title, int16_t maxword) {
    std::optional<std::u16string> out = FormatTitleText(View(title), maxword);
    if (!out) return std::nullopt;
    return QString::fromStdU16String(*out);
}

int16_t IsGoodFilename(const QString& file) { return IsGoodFilenameText(View(file)); }

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
