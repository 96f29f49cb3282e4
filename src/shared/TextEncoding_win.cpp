// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextEncoding.h"

#include <utility>
#include <windows.h>

namespace QmrM {
namespace {

constexpr UINT kCodePage932 = 932;

// Stored as another character of the code page, as iconv's CP932 does (both builds write the same bytes): 〜 as
// ～, ¥ as the backslash... Windows' own best fit would also turn é into e, which is not the user's text.
constexpr std::pair<char16_t, char16_t> kStoredAsAnother[] = {
    {0x00A2, 0xFFE0}, {0x00A3, 0xFFE1}, {0x00A5, 0x005C}, {0x00AC, 0xFFE2}, {0x2014, 0x2015},
    {0x2016, 0x2225}, {0x203E, 0x007E}, {0x2212, 0xFF0D}, {0x301C, 0xFF5E},
};

}  // namespace

std::optional<QByteArray> encodeCp932(const QString& original)
{
    if (original.isEmpty())
        return QByteArray();
    QString text = original;
    for (QChar& c : text) {
        for (const auto& [from, to] : kStoredAsAnother) {
            if (c.unicode() == from)
                c = QChar(to);
        }
    }
    // Two bytes at the most for each UTF-16 unit: room for all of it at once.
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    BOOL usedDefault = FALSE;
    const int n =
        WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(text.utf16()),
                            int(text.size()), out.data(), int(out.size()), nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return std::nullopt;
    out.truncate(n);
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
    // Windows reads lone 0x80, 0xA0, 0xFD-0xFF as U+0080 and private characters; refused, as elsewhere.
    for (const QChar c : std::as_const(out)) {
        if (c.unicode() == 0x80 || (c.unicode() >= 0xF8F0 && c.unicode() <= 0xF8F3))
            return std::nullopt;
    }
    return out;
}

}  // namespace QmrM
