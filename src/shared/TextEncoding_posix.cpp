// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextEncoding.h"

#include <iconv.h>

namespace QmrM {
namespace {

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

    // Converts all of `input`; nothing when a byte sequence forms no character (or one the target lacks).
    std::optional<QByteArray> convert(const QByteArray& input)
    {
        if (!valid())
            return std::nullopt;
        // Room for all at once: a code page 932 character takes at most 3 bytes of UTF-8, a UTF-8 one no more in it.
        QByteArray out(input.size() * 3 + 16, Qt::Uninitialized);
        // iconv's interface is not const-correct; it never writes through the input pointer.
        char* in = const_cast<char*>(input.constData());
        size_t inLeft = static_cast<size_t>(input.size());
        char* dst = out.data();
        size_t outLeft = static_cast<size_t>(out.size());
        iconv(mHandle, nullptr, nullptr, nullptr, nullptr);  // from the initial state
        // Fails on an invalid or truncated sequence, or a character the target lacks.
        if (iconv(mHandle, &in, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1))
            return std::nullopt;
        out.truncate(dst - out.data());
        return out;
    }

private:
    iconv_t mHandle;
};

// Opening a conversion costs far more than converting a line: the two are kept open in each converting thread.
thread_local Converter toCp932("CP932", "UTF-8");
thread_local Converter fromCp932("UTF-8", "CP932");

}  // namespace

std::optional<QByteArray> encodeCp932(const QString& text)
{
    if (text.isEmpty())
        return QByteArray();
    return toCp932.convert(text.toUtf8());
}

std::optional<QString> decodeCp932(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return QString();
    const auto utf8 = fromCp932.convert(bytes);
    if (!utf8)
        return std::nullopt;
    return QString::fromUtf8(*utf8);
}

}  // namespace QmrM
