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

namespace {

// The width a line edit lays its text out in: its contents inside the frame and text margins, less the two
// pixels it keeps free on either side of the text.
int textRoom(const QLineEdit* box)
{
    QStyleOptionFrame option;
    option.initFrom(box);
    option.rect = box->rect();
    option.lineWidth = box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QRect contents =
        box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box).marginsRemoved(box->textMargins());
    constexpr int kSideMargin = 2;
    return contents.width() - 2 * kSideMargin;
}

// Holds a box's described font and fits the text to the box at each change.
class WholeTextKeeper : public QObject {
public:
    WholeTextKeeper(QLineEdit* box, double minimumPoints)
        : QObject(box), mBox(box), mDescribed(box->font()), mMinimumPoints(minimumPoints)
    {
        connect(box, &QLineEdit::textChanged, this,
                [this](const QString& text) { runGuarded([this, &text] { fit(text); }); });
        fit(box->text());
    }

private:
    void fit(const QString& text)
    {
        QFont font = mDescribed;
        if (!textFitsBox(mBox, mDescribed, text)) {
            font = largestFittingFont(mDescribed, mMinimumPoints, mBox, [&](const QFont& candidate) {
                       return textFitsBox(mBox, candidate, text);
                   }).value_or(smallestFittingFont(mDescribed, mMinimumPoints, mBox));
        }
        if (font != mBox->font())
            mBox->setFont(font);
    }

    QLineEdit* mBox;
    QFont mDescribed;
    double mMinimumPoints;
};

}  // namespace

bool textFitsBox(const QLineEdit* box, const QFont& font, const QString& text)
{
    const QFontMetricsF metrics(font, box);
    // The line edit keeps one pixel after the text for the cursor.
    return std::ceil(metrics.horizontalAdvance(text)) + 1 <= textRoom(box);
}

void setTextShowingStart(QLineEdit* box, const QString& text)
{
    box->setText(text);
    box->setCursorPosition(0);
}

void keepTextWhole(QLineEdit* box, double minimumPoints)
{
    new WholeTextKeeper(box, minimumPoints);
}

}  // namespace platform
