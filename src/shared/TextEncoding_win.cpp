// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextEncoding.h"

#include <windows.h>

namespace QmrM {
namespace {

constexpr UINT kCodePage932 = 932;

}  // namespace

std::optional<QByteArray> encodeCp932(const QString& text)
{
    if (text.isEmpty())
        return QByteArray();
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), nullptr, 0, nullptr,
                                      &usedDefault);
    if (n <= 0 || usedDefault)
        return std::nullopt;
    QByteArray out(n, Qt::Uninitialized);
    WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), out.data(), n, nullptr,
                        &usedDefault);
    if (usedDefault)
        return std::nullopt;
    return out;
}

std::optional<QString> decodeCp932(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return QString();
    const int n =
        MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, bytes.constData(), int(bytes.size()), nullptr, 0);
    if (n <= 0)
        return std::nullopt;
    QString out(n, Qt::Uninitialized);
    MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, bytes.constData(), int(bytes.size()),
                        reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

QString decodeCp932Leniently(const QByteArray& bytes)
{
    // Without MB_ERR_INVALID_CHARS the system puts a replacement for every byte that forms no character.
    const int n = MultiByteToWideChar(kCodePage932, 0, bytes.constData(), int(bytes.size()), nullptr, 0);
    QString out(n, Qt::Uninitialized);
    if (n > 0)
        MultiByteToWideChar(kCodePage932, 0, bytes.constData(), int(bytes.size()),
                            reinterpret_cast<wchar_t*>(out.data()), n);
    out.replace(QChar(0), QChar(QChar::ReplacementCharacter));
    return out;
}

}  // namespace QmrM
