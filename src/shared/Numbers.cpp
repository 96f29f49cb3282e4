// SPDX-License-Identifier: GPL-3.0-or-later
#include "Numbers.h"

#include "Errors.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace QmrM {

namespace {

bool isSkippedBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Reads the ASCII text of a decimal number (sign, digits, one point, exponent) into a double.
// Text that overflows a double gives ±infinity, text that underflows gives 0.
double toDouble(const QByteArray& number, bool hasNegativeExponent)
{
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (ok || number.isEmpty())
        return value;
    // The text is a well-formed number: it lies beyond a double's range.
    const double beyond = hasNegativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    return number.startsWith('-') ? -beyond : beyond;
}

// Reads the number a text begins with; `Text` is any of Qt's views of text, read character by character.
template <class Text>
double textValue(const Text& text)
{
    QByteArray number;
    bool seenDigit = false;
    bool seenPoint = false;
    bool negativeExponent = false;
    enum { Sign, Mantissa, ExponentSign, ExponentDigits } state = Sign;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isSkippedBlank(c))
            continue;
        const char ch = static_cast<char>(c.unicode() < 128 ? c.unicode() : 0);
        if (state == Sign && (ch == '+' || ch == '-')) {
            number += ch;
            state = Mantissa;
        } else if ((state == Sign || state == Mantissa) && isDigit(c)) {
            number += ch;
            seenDigit = true;
            state = Mantissa;
        } else if ((state == Sign || state == Mantissa) && ch == '.' && !seenPoint) {
            number += ch;
            seenPoint = true;
            state = Mantissa;
        } else if (state == Mantissa && seenDigit && (ch == 'e' || ch == 'E')) {
            state = ExponentSign;
        } else if (state == ExponentSign && (ch == '+' || ch == '-')) {
            negativeExponent = ch == '-';
            number += 'e';
            number += ch;
            state = ExponentDigits;
        } else if ((state == ExponentSign || state == ExponentDigits) && isDigit(c)) {
            if (state == ExponentSign)
                number += 'e';
            number += ch;
            state = ExponentDigits;
        } else {
            break;
        }
    }
    if (!seenDigit)
        return 0.0;
    // An exponent mark without digits ("1e", "1e+") adds nothing.
    while (number.endsWith('e') || number.endsWith('+') || number.endsWith('-'))
        number.chop(1);
    return toDouble(number, negativeExponent);
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
    // Adding 2^52 leaves no bits for a fraction: the sum is rounded to a whole number in the current mode,
    // round-to-nearest-even unless someone changed it, as std::nearbyint would, without bringing in the maths
    // library's code at the first count shown. From 2^52 on every double is whole already.
    constexpr double kNoFraction = 4503599627370496.0;  // 2^52
    if (!(std::fabs(value) < kNoFraction))
        return value;
    const double shift = std::copysign(kNoFraction, value);
    return std::copysign((value + shift) - shift, value);  // -0.3 gives -0, as nearbyint does
}

namespace {

double finiteOrZero(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

}  // namespace

double historyCount(QStringView field)
{
    return finiteOrZero(TextValue(field));
}

double historyCount(QLatin1String field)
{
    return finiteOrZero(TextValue(field));
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
    const QString trimmed = field.trimmed();
    if (trimmed.isEmpty())
        return false;
    const QByteArray ascii = trimmed.toLatin1();
    // Letters are only allowed as the exponent mark; reject hex, inf and nan spellings.
    for (const char c : ascii) {
        const bool allowed = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
        if (!allowed)
            return false;
    }
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
