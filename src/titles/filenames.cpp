#include "titles/filenames.h"

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

}  // namespace pelmora
