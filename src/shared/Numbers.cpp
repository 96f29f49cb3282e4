// SPDX-License-Identifier: GPL-3.0-or-later
#include "Numbers.h"

#include "Errors.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace QmrM {

namespace {

const QByteArrayView kNumberCharacters("0123456789+-.eE");

// Reads the number a text begins with; `Text` is any of Qt's views of text, read character by character.
template <class Text>
double textValue(const Text& text)
{
    // The text without its blanks, as far as its characters may belong to a number.
    QByteArray chars;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = QChar(text[i]).unicode();
        if (c == u' ' || c == u'\t' || c == u'\n')
            continue;
        if (c >= 0x80 || !kNumberCharacters.contains(char(c)))
            break;
        chars += char(c);
    }
    qsizetype i = chars.startsWith('+') || chars.startsWith('-') ? 1 : 0;
    const auto digits = [&chars, &i] {
        const qsizetype from = i;
        while (i < chars.size() && chars[i] >= '0' && chars[i] <= '9')
            ++i;
        return i - from;
    };
    qsizetype mantissa = digits();
    if (i < chars.size() && chars[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return 0.0;
    // An exponent mark without digits ("1e", "1e+") adds nothing.
    qsizetype end = i;
    bool negativeExponent = false;
    if (i < chars.size() && (chars[i] == 'e' || chars[i] == 'E')) {
        ++i;
        negativeExponent = i < chars.size() && chars[i] == '-';
        if (i < chars.size() && (chars[i] == '+' || chars[i] == '-'))
            ++i;
        if (digits() > 0)
            end = i;
    }
    const QByteArray number = chars.first(end);
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (ok)
        return value;
    // The text is a well-formed number: it lies beyond a double's range, above it or below its least step.
    const double beyond = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    return number.startsWith('-') ? -beyond : beyond;
}

}  // namespace

double TextValue(QStringView text)
{
    return textValue(text);
}

double TextValue(QLatin1String text)
{
    return textValue(text);
}

double roundHalfEven(double value)
{
    // Adding 2^52 leaves no fraction bits: the sum rounds in the current mode (nearest-even unless changed), as
    // std::nearbyint would, without loading the maths library's code at the first count shown. From 2^52 on, all
    // doubles are whole.
    constexpr double kNoFraction = 4503599627370496.0;  // 2^52
    if (!(std::fabs(value) < kNoFraction))
        return value;
    const double shift = std::copysign(kNoFraction, value);
    return std::copysign((value + shift) - shift, value);  // -0.3 gives -0, as nearbyint does
}

double addHistoryCounts(double a, double b)
{
    const double sum = a + b;
    if (std::isfinite(sum))
        return sum;
    return sum > 0 ? std::numeric_limits<double>::max() : std::numeric_limits<double>::lowest();
}

bool fitsInt16(double value)
{
    const double r = roundHalfEven(value);
    return std::isfinite(r) && r >= -32768.0 && r <= 32767.0;
}

int16_t toInt16(double value, const QString& what)
{
    if (!fitsInt16(value))
        throw ValueOverflowError(what);
    return static_cast<int16_t>(roundHalfEven(value));
}

bool fitsRecordedCount(double value)
{
    return std::isfinite(value) && std::fabs(value) <= kLargestRecordedCount;
}

QString formatReal(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");  // also turns -0 into 0
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

bool parseDecimal(const QString& field, double& value)
{
    const QByteArray ascii = field.trimmed().toLatin1();
    // Letters are only allowed as the exponent mark; reject hex, inf and nan spellings.
    if (!std::all_of(ascii.begin(), ascii.end(), [](char c) { return kNumberCharacters.contains(c); }))
        return false;
    // One sign at the most: "+-1" is no number.
    const auto isSign = [](char c) { return c == '+' || c == '-'; };
    if (ascii.size() > 1 && isSign(ascii[0]) && isSign(ascii[1]))
        return false;
    bool ok = false;
    const double parsed = ascii.toDouble(&ok);
    if (!ok || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

int pluralOf(double count)
{
    constexpr double kMillion = 1e6;
    const double size = std::fabs(count);
    if (!std::isfinite(size) || size != std::floor(size))
        return 2;
    return static_cast<int>(size < kMillion ? size : std::fmod(size, kMillion) + kMillion);
}

}  // namespace QmrM
