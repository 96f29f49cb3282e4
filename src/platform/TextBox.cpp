// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextBox.h"

#include "FitLabel.h"
#include "Guard.h"

#include <QFontMetricsF>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cmath>

namespace platform {

QRect lineEditTextRect(const QLineEdit* box)
{
    QStyleOptionFrame option;
    option.initFrom(box);
    option.rect = box->rect();
    option.lineWidth = box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    constexpr int kSideMargin = 2;
    return box->style()
        ->subElementRect(QStyle::SE_LineEditContents, &option, box)
        .marginsRemoved(box->textMargins())
        .adjusted(kSideMargin, 0, -kSideMargin, 0);
}

namespace {

// Whether the text shows whole in the box at the font, with room for the cursor after it (the line edit keeps
// one pixel after the text for it).
bool textFitsBox(const QLineEdit* box, const QFont& font, const QString& text)
{
    return std::ceil(QFontMetricsF(font, box).horizontalAdvance(text)) + 1 <= lineEditTextRect(box).width();
}

}  // namespace

void setTextShowingStart(QLineEdit* box, const QString& text)
{
    box->setText(text);
    box->setCursorPosition(0);
}

void keepTextWhole(QLineEdit* box, double minimumPoints)
{
    // The font the box is described with; the box shows its text in a smaller one where that does not fit.
    const QFont described = box->font();
    const auto fit = [box, described, minimumPoints] {
        const QString text = box->text();
        QFont font = described;
        if (!textFitsBox(box, described, text)) {
            font = largestFittingFont(described, minimumPoints, box, [&](const QFont& candidate) {
                       return textFitsBox(box, candidate, text);
                   }).value_or(smallestFittingFont(described, minimumPoints, box));
        }
        if (font != box->font())
            box->setFont(font);
    };
    QObject::connect(box, &QLineEdit::textChanged, box, guardedSlot(fit));
    fit();
}

}  // namespace platform
