// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FitLabel.h"

#include <QColor>

namespace platform {

// The WCAG 2 contrast ratio of two colours, from 1 (the same) to 21 (black and white).
double contrastRatio(const QColor& a, const QColor& b);

// A label whose text reads on whatever it stands on. Where the text colour alone stands out from the background
// by less than 4.5 : 1, the text gets a one-pixel outline in black or white, whichever stands out more from that
// background: white or red text stays white or red, and reads on a pale window face as on any flash colour.
// The background is the colour the label is drawn over, its (inherited) window colour.
class OutlinedLabel : public FitLabel {
    Q_OBJECT
public:
    using FitLabel::FitLabel;

    // The outline drawn around the text on the current background; invalid when the text needs none.
    QColor outlineColour() const;

protected:
    int inkMargin() const override { return 1; }
    void drawTextLine(QPainter& painter, const QRectF& rect, int flags, const QString& line) override;
};

}  // namespace platform
