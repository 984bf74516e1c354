#include "core/settings/codec.h"

#include <iconv.h>

#include <QStringDecoder>
#include <QStringEncoder>
#include <cerrno>

namespace pelmora {

namespace {

constexpr char kEncoding[] = "GB18030";

// Qt converts GB18030 through ICU; a Qt built without ICU falls back to the
// C library's iconv, which has GB18030 on every glibc system.
std::optional<QByteArray> Iconv(const char* to, const char* from, const QByteArray& in) {
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    QByteArray out;
    char* inPtr = const_cast<char*>(in.constData());
    size_t inLeft = static_cast<size_t>(in.size());
    char buffer[4096];
    bool ok = true;
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<qsizetype>(sizeof buffer - outLeft));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    ::iconv_close(cd);
    if (!ok) return std::nullopt;
    return out;
}

}  // namespace

QString DecodeGb18030(const QByteArray& bytes) {
    QStringDecoder decoder(kEncoding);
    if (decoder.isValid()) return decoder.decode(bytes);
    if (auto utf8 = Iconv("UTF-8", kEncoding, bytes)) return QString::fromUtf8(*utf8);
    // Undecodable bytes: keep the ASCII, which carries every key and number.
    return QString::fromLatin1(bytes);
}

std::optional<QByteArray> EncodeGb18030(const QString& text) {
    QStringEncoder encoder(kEncoding);
    if (encoder.isValid()) {
        QByteArray bytes = encoder.encode(text);
        if (encoder.hasError()) return std::nullopt;
        return bytes;
    }
    return Iconv(kEncoding, "UTF-8", text.toUtf8());
}

}  // namespace pelmora
