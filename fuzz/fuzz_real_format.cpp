// SPDX-License-Identifier: GPL-3.0-or-later
// formatReal on any finite double (its bits taken from the input): the text is plain decimal, with no
// exponent and a point only when there is a fraction, and reads back as the same double with both the
// strict field reader and TextValue.

#include "FuzzSupport.h"

#include "shared/Numbers.h"

#include <cmath>
#include <cstring>

using namespace QmrM;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    double value = 0.0;
    std::memcpy(&value, data, size < sizeof value ? size : sizeof value);
    if (!std::isfinite(value))
        return 0;

    const QString text = formatReal(value);
    const QString bits = QString::number(value, 'g', 17) + QStringLiteral(" -> ") + text;
    FUZZ_CHECK(!text.isEmpty(), bits);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        FUZZ_CHECK((c >= u'0' && c <= u'9') || c == u'.' || (c == u'-' && i == 0), bits);
    }
    FUZZ_CHECK(text.contains(u'.') == (value != std::trunc(value)), bits);
    FUZZ_CHECK(!text.startsWith(u'.') && !text.endsWith(u'.') && !text.startsWith(QLatin1String("-.")), bits);

    double back = 0.0;
    FUZZ_CHECK(parseDecimal(text, back), bits);
    FUZZ_CHECK(back == value, bits + QStringLiteral(" read back as %1").arg(back, 0, 'g', 17));
    FUZZ_CHECK(TextValue(text) == value, bits);
    return 0;
}
