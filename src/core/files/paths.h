#pragma once
#include <QString>

namespace pelmora {

// This platform's path separator, used wherever the program joins a folder
// and a file name (the folder "/" is the root and takes no second separator).
inline constexpr QChar kPathSep = QLatin1Char('/');

inline QString JoinPath(const QString& folder, const QString& name) {
    if (folder.endsWith(kPathSep)) return folder + name;
    return folder + kPathSep + name;
}

}  // namespace pelmora
