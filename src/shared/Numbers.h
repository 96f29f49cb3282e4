// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cmath>
#include <cstdint>

namespace QmrM {

// The number with which a text begins, 0 when there is none. Blanks, tabs and line feeds are skipped
// wherever they stand; only the half-width digits count. A number too large for a double gives ±infinity.
double TextValue(QStringView text);
double TextValue(QLatin1String text);

// Nearest whole number, an exact half going to the even neighbour.
double roundHalfEven(double value);

// Rounds half to even into a 16-bit integer; throws ValueOverflowError when it does not fit.
// `what` names the value in the error message.
int16_t toInt16(double value, const QString& what);

// The largest count a history record takes, either way from 0: history totals stay exact far beyond it.
constexpr double kLargestRecordedCount = 2147483647.0;
// Whether a count done can be recorded: finite and within ±kLargestRecordedCount.
bool fitsRecordedCount(double value);

// A history record's count as totals take it: its TextValue, or 0 for a count that is not finite (an edited
// 1e999), which no training records.
template <class Text>
double historyCount(const Text& field)
{
    const double value = TextValue(field);
    return std::isfinite(value) ? value : 0.0;
}
// The sum of two counts, kept finite: beyond the largest double it stays at the largest double.
double addHistoryCounts(double a, double b);

// The number a translation chooses its plural form by for a count it shows (reps: 1.5, or beyond int): the
// count itself when it is whole and small; its last six digits above a million, on which plural rules depend;
// 2, a form of many, for a fraction.
int pluralOf(double count);

// Whether the rounded value fits a 16-bit integer.
bool fitsInt16(double value);

// A real as the data files store it: plain decimal, a period as separator, no exponent,
// no decimal point for a whole number.
QString formatReal(double value);

// Strict reading of a whole field as a decimal number (blanks around it allowed).
// Returns false when the field is not a number or is not finite.
bool parseDecimal(const QString& field, double& value);

}  // namespace QmrM
