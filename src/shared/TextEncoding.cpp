#include "TextEncoding.h"

#include <QStringDecoder>

namespace QmrM {

std::optional<QString> cp932StoredForm(const QString& text)
{
    const auto bytes = encodeCp932(text);
    if (!bytes)
        return std::nullopt;
    return decodeCp932(*bytes);
}

QString decodeUtf8OrCp932(const QByteArray& bytes)
{
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(body);
    if (!utf8.hasError())
        return text;
    if (const auto sjis = decodeCp932(body))
        return *sjis;
    return decodeCp932Leniently(body);
}

}  // namespace QmrM
