#include "core/settings/settingsfolder.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "core/files/paths.h"

namespace pelmora {

namespace {

// The effective user's right to create files in the folder (not the real
// user's, as access() would check, nor the mode bits alone: root may write
// where the bits say no, and a read-only mount refuses everyone).
bool MayCreateIn(const QString& folder) {
    if (folder.isEmpty()) return false;
    const QByteArray path = QFile::encodeName(folder);
    return faccessat(AT_FDCWD, path.constData(), W_OK | X_OK, AT_EACCESS) == 0 &&
           QFileInfo(folder).isDir();
}

}  // namespace

QString ChooseSettingsFolder(const QString& programFolder, const QString& xdgConfigHome,
                             const QString& home) {
    if (!programFolder.isEmpty()) {
        if (QFileInfo(JoinPath(programFolder, QStringLiteral("userdata.ini"))).isFile())
            return programFolder;
        if (MayCreateIn(programFolder)) return programFolder;
    }
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    QString base = xdgConfigHome;
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = JoinPath(home, QStringLiteral(".config"));
    return JoinPath(QDir::cleanPath(base), QStringLiteral("pelmora"));
}

QString SettingsFolder(const QString& programFolder, bool* created) {
    const QString folder =
        ChooseSettingsFolder(programFolder, qEnvironmentVariable("XDG_CONFIG_HOME"),
                             qEnvironmentVariable("HOME", QDir::homePath()));
    if (folder != programFolder && !QFileInfo(folder).isDir()) {
        // The parents as usual; the folder itself private to the user.
        QDir().mkpath(QFileInfo(folder).absolutePath());
        const bool made =
            QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (created) *created = made;
    } else if (created) {
        *created = false;
    }
    return folder;
}

}  // namespace pelmora
