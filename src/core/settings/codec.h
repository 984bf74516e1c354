#pragma once
// The settings file's character encoding, GB18030: it reads every GBK file
// as GBK does and can still hold any folder path.

#include <QByteArray>
#include <QString>
#include <optional>

namespace pelmora {

QString DecodeGb18030(const QByteArray& bytes);
// Nothing when text holds a character GB18030 cannot carry (a lone
// surrogate half).
std::optional<QByteArray> EncodeGb18030(const QString& text);

}  // namespace pelmora
