// SPDX-License-Identifier: GPL-3.0-or-later
// TextValue on arbitrary UTF-16, and the strict field reader parseDecimal on the same text.
// TextValue reads the number a text begins with, skipping blanks wherever they stand; parseDecimal
// accepts a whole field that is a finite decimal number, and then both must read the same value.

#include "FuzzSupport.h"

#include "shared/Numbers.h"

#include <cmath>

using namespace QmrM;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = fuzz::utf16FromBytes(data, size);
    const double value = TextValue(text);
    FUZZ_CHECK(!std::isnan(value), text);

    // Whatever follows the number does not change it.
    const double extended = TextValue(text + QStringLiteral("x9"));
    FUZZ_CHECK(extended == value, text);

    // Blanks count for nothing wherever they stand.
    QString unblanked = text;
    unblanked.remove(u' ').remove(u'\t').remove(u'\n');
    const double withoutBlanks = TextValue(unblanked);
    FUZZ_CHECK(withoutBlanks == value, text);

    double strict = 0.0;
    if (parseDecimal(text, strict)) {
        FUZZ_CHECK(std::isfinite(strict), text);
        const double lenient = TextValue(text.trimmed());
        FUZZ_CHECK(lenient == strict,
                   text + QStringLiteral(" strict %1 lenient %2").arg(strict, 0, 'g', 17).arg(lenient, 0, 'g', 17));
    }
    return 0;
}
