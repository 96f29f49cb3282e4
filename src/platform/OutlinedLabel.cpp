// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutlinedLabel.h"

#include <QPainter>

#include <algorithm>

namespace platform {

namespace {

// x^2.4 for x in (0, 1]: x² times the square of x's fifth root, which Newton's method approaches from 1, falling
// at every step until it stands. std::pow would bring in the maths library's tables for the first label
// drawn, 0.2 MiB of every start.
double toThePowerTwoPointFour(double x)
{
    double root = 1;
    for (int step = 0; step < 64; ++step) {
        const double next = (4 * root + x / (root * root * root * root)) / 5;
        if (!(next < root))
            break;
        root = next;
    }
    return x * x * root * root;
}

double linearChannel(double value)
{
    return value <= 0.04045 ? value / 12.92 : toThePowerTwoPointFour((value + 0.055) / 1.055);
}

// Relative luminance of a colour, 0 for black to 1 for white, as the WCAG 2 contrast rules define it.
double relativeLuminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * linearChannel(rgb.redF()) + 0.7152 * linearChannel(rgb.greenF()) +
           0.0722 * linearChannel(rgb.blueF());
}

}  // namespace

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor OutlinedLabel::outlineColour() const
{
    // Text that stands out by 4.5 : 1 needs no outline.
    const QColor background = palette().color(QPalette::Window);
    if (contrastRatio(palette().color(foregroundRole()), background) >= 4.5)
        return QColor();
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
}

void OutlinedLabel::drawTextLine(QPainter& painter, const QRectF& rect, int flags, const QString& line)
{
    const QColor outline = outlineColour();
    if (outline.isValid()) {
        // The text drawn in the outline colour one pixel off to the four sides keeps the glyphs' hinted shapes,
        // which a stroked outline of the glyph paths would blur at this small size; leaving out the diagonals
        // keeps the thin strokes of a dense kanji open.
        const QPen textPen = painter.pen();
        painter.setPen(outline);
        for (const QPointF offset : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
            painter.drawText(rect.translated(offset), flags, line);
        painter.setPen(textPen);
    }
    FitLabel::drawTextLine(painter, rect, flags, line);
}

}  // namespace platform
