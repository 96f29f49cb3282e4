// SPDX-License-Identifier: GPL-3.0-or-later
#include "Numbers.h"

#include "Errors.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

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
double toDouble(const std::string& number, bool hasNegativeExponent)
{
    if (number.empty())
        return 0.0;
    const char* begin = number.data();
    const char* end = begin + number.size();
    const bool negative = *begin == '-';
    if (*begin == '+' || *begin == '-')
        ++begin;
    double value = 0.0;
    const auto result = std::from_chars(begin, end, value);
    if (result.ec == std::errc::result_out_of_range)
        value = hasNegativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    else if (result.ec != std::errc())
        value = 0.0;
    return negative ? -value : value;
}

QChar asQChar(QChar c)
{
    return c;
}

QChar asQChar(char c)
{
    return QLatin1Char(c);
}

// Reads the number a text begins with; `Text` is any of Qt's views of text, read character by character.
template <class Text>
double textValue(const Text& text)
{
    std::string number;
    bool seenDigit = false;
    bool seenPoint = false;
    bool negativeExponent = false;
    enum { Sign, Mantissa, ExponentSign, ExponentDigits } state = Sign;
    for (const auto element : text) {
        const QChar c = asQChar(element);
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
    while (!number.empty() && (number.back() == 'e' || number.back() == '+' || number.back() == '-'))
        number.pop_back();
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
    QString text = QString::number(value, 'f', QLocale::FloatingPointShortest);
    return text;
}

bool parseDecimal(const QString& field, double& value)
{
    const QString trimmed = field.trimmed();
    if (trimmed.isEmpty())
        return false;
    const QByteArray ascii = trimmed.toLatin1();
    const char* begin = ascii.constData();
    const char* end = begin + ascii.size();
    // Letters are only allowed as the exponent mark; reject hex, inf and nan spellings.
    for (const char c : ascii) {
        const bool allowed = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
        if (!allowed)
            return false;
    }
    if (*begin == '+') {
        ++begin;
        if (begin != end && *begin == '-')
            return false;  // from_chars would take the "-1" of "+-1"
    }
    double parsed = 0.0;
    const auto result = std::from_chars(begin, end, parsed);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(parsed))
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
