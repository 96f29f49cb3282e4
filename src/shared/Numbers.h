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

// Half to even; throws ValueOverflowError, naming `what`, when it does not fit.
int16_t toInt16(double value, const QString& what);

// The largest count a history record takes, either way from 0: history totals stay exact far beyond it.
constexpr double kLargestRecordedCount = 2147483647.0;
// Finite and within ±kLargestRecordedCount.
bool fitsRecordedCount(double value);

// As totals take it: 0 for a count that is not finite (an edited 1e999), which no training records.
template <class Text>
double historyCount(const Text& field)
{
    const double value = TextValue(field);
    return std::isfinite(value) ? value : 0.0;
}
// Kept finite: stops at the largest double.
double addHistoryCounts(double a, double b);

// What a translation picks its plural form by for a shown count (1.5, or beyond int): the count when whole
// and small; its last six digits above a million, which plural rules go by; 2, a form of many, for a fraction.
int pluralOf(double count);

// After rounding.
bool fitsInt16(double value);

// As the data files store it: plain decimal with a period, no exponent, no point for a whole number.
QString formatReal(double value);

// Strictly the whole field (blanks around allowed); false when not a finite number.
bool parseDecimal(const QString& field, double& value);

}  // namespace QmrM
