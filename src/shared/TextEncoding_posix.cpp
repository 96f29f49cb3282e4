// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextEncoding.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace QmrM {
namespace {

const char kReplacementUtf8[] = "\xEF\xBF\xBD";

class Converter {
public:
    Converter(const char* to, const char* from) : mHandle(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(mHandle);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return mHandle != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `input`. A byte sequence that forms no character stops the conversion (false),
    // unless `replace` is set: the byte then becomes U+FFFD (the target must be UTF-8) and it goes on.
    bool convert(const QByteArray& input, QByteArray& out, bool replace)
    {
        out.resize(input.size() * 3 + 16);
        // iconv's interface is not const-correct; it never writes through the input pointer.
        char* in = const_cast<char*>(input.constData());
        size_t inLeft = static_cast<size_t>(input.size());
        char* dst = out.data();
        size_t outLeft = static_cast<size_t>(out.size());
        bool good = true;
        iconv(mHandle, nullptr, nullptr, nullptr, nullptr);  // from the initial state
        while (inLeft > 0) {
            if (iconv(mHandle, &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1))
                continue;
            if (errno == E2BIG || (replace && outLeft < sizeof kReplacementUtf8)) {
                const qsizetype used = dst - out.data();
                out.resize(out.size() * 2);
                dst = out.data() + used;
                outLeft = static_cast<size_t>(out.size() - used);
                continue;
            }
            if (!replace) {
                good = false;  // an invalid or truncated sequence, or a character the target lacks
                break;
            }
            iconv(mHandle, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
            memcpy(dst, kReplacementUtf8, 3);
            dst += 3;
            outLeft -= 3;
            ++in;
            --inLeft;
        }
        out.truncate(dst - out.data());
        return good;
    }

private:
    iconv_t mHandle;
};

std::optional<QByteArray> convertAll(Converter& converter, const QByteArray& input)
{
    QByteArray out;
    if (!converter.valid() || !converter.convert(input, out, false))
        return std::nullopt;
    return out;
}

// Opening a conversion costs far more than converting one line; the data files' two are kept open.
Converter& toCp932()
{
    thread_local Converter converter("CP932", "UTF-8");
    return converter;
}

Converter& fromCp932()
{
    thread_local Converter converter("UTF-8", "CP932");
    return converter;
}

}  // namespace

std::optional<QByteArray> encodeCp932(const QString& text)
{
    if (text.isEmpty())
        return QByteArray();
    return convertAll(toCp932(), text.toUtf8());
}

std::optional<QString> decodeCp932(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return QString();
    const auto utf8 = convertAll(fromCp932(), bytes);
    if (!utf8)
        return std::nullopt;
    return QString::fromUtf8(*utf8);
}

QString decodeCp932Leniently(const QByteArray& bytes)
{
    Converter& converter = fromCp932();
    QByteArray out;
    if (!converter.valid())
        return QString::fromLatin1(bytes);
    converter.convert(bytes, out, true);
    QString text = QString::fromUtf8(out);
    text.replace(QChar(0), QChar(QChar::ReplacementCharacter));
    return text;
}

}  // namespace QmrM
