#include "TextEncoding.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace platform {

#ifndef Q_OS_WIN
QByteArray iconvConvert(const char* to, const char* from, const QByteArray& input, bool* ok)
{
    *ok = false;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return QByteArray();
    QByteArray out;
    out.resize(input.size() * 3 + 16);
    // iconv's interface is not const-correct; it never writes through the input pointer.
    char* in = const_cast<char*>(input.constData());
    size_t inLeft = static_cast<size_t>(input.size());
    char* dst = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    bool good = true;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1))
            continue;
        if (errno != E2BIG) {
            good = false;  // an invalid or truncated sequence, or a character the target lacks
            break;
        }
        const qsizetype used = dst - out.data();
        out.resize(out.size() * 2);
        dst = out.data() + used;
        outLeft = static_cast<size_t>(out.size() - used);
    }
    iconv_close(cd);
    out.truncate(dst - out.data());
    *ok = good;
    return out;
}
#endif

namespace {

#ifndef Q_OS_WIN
std::optional<QByteArray> iconvAll(const char* to, const char* from, const QByteArray& input)
{
    bool ok = false;
    QByteArray out = iconvConvert(to, from, input, &ok);
    if (!ok)
        return std::nullopt;
    return out;
}
#endif

}  // namespace

std::optional<QByteArray> encodeCp932(const QString& text)
{
    if (text.isEmpty())
        return QByteArray();
#ifdef Q_OS_WIN
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), nullptr, 0, nullptr,
                                      &usedDefault);
    if (n <= 0 || usedDefault)
        return std::nullopt;
    QByteArray out(n, Qt::Uninitialized);
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), out.data(), n, nullptr, &usedDefault);
    if (usedDefault)
        return std::nullopt;
    return out;
#else
    return iconvAll("CP932", "UTF-8", text.toUtf8());
#endif
}

std::optional<QString> decodeCp932(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return QString();
#ifdef Q_OS_WIN
    const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.constData(), int(bytes.size()), nullptr, 0);
    if (n <= 0)
        return std::nullopt;
    QString out(n, Qt::Uninitialized);
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.constData(), int(bytes.size()),
                        reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
#else
    const auto utf8 = iconvAll("UTF-8", "CP932", bytes);
    if (!utf8)
        return std::nullopt;
    return QString::fromUtf8(*utf8);
#endif
}

std::optional<QString> cp932StoredForm(const QString& text)
{
    const auto bytes = encodeCp932(text);
    if (!bytes)
        return std::nullopt;
    return decodeCp932(*bytes);
}

}  // namespace platform
