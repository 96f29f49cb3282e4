// SPDX-License-Identifier: GPL-3.0-or-later
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

QString decodeEachLine(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    while (start < n) {
        qsizetype end = start;
        while (end < n && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        qsizetype next = end;
        if (next < n && bytes[next] == '\r' && next + 1 < n && bytes[next + 1] == '\n')
            next += 2;
        else if (next < n)
            ++next;
        text += decodeUtf8OrCp932(bytes.mid(start, end - start));
        text += QLatin1String(bytes.constData() + end, next - end);
        start = next;
    }
    text.replace(QChar(0), QChar(QChar::ReplacementCharacter));
    return text;
}

}  // namespace QmrM
