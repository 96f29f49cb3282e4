// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QStringList>
#include <functional>
#include <optional>
#include <tuple>

class QPainter;

namespace platform {

// Qt wraps Japanese text in the middle of a word too (「できま」「せん。」 on two lines). This puts a word joiner
// (U+2060, no width) wherever a line must not break inside a word: a run of kanji or katakana with the kana after
// it (確かめてから, データファイルなので). Lines then break at spaces, after punctuation, before an opening bracket,
// and where a kanji or katakana word follows a particle or two kana or more (not after the き of 書き出し先); a word
// longer than kMaxWordLength may break anywhere. For text that is shown, not read back: a copy holds the joiners.
QString withWordsKeptWhole(const QString& text);
QString withoutWordJoiners(QString text);
// Assistive technology reads the text without the joiners.
void setTextKeptWhole(QLabel* label, const QString& text);

inline constexpr QChar kWordJoiner(0x2060);

struct ShownText {
    QFont font;
    QStringList lines;
    bool whole = true;  // false when the text was cut with "…" at the smallest size allowed
};

// A label that shows its whole text: in its own font when the text fits the width and the glyphs the height, else
// at the largest smaller size that fits, so a number or a name is never cut by a pixel. A word-wrapped label wraps
// only when its height holds two lines at its own size; otherwise the one line's font box may be higher than the
// label (a tall number has no descent), the line moving as far as an accent or a descender needs.
// Plain text only; the fit follows whatever sets the text or the font (also through a QLabel pointer).
class FitLabel : public QLabel {
    Q_OBJECT
public:
    explicit FitLabel(QWidget* parent = nullptr);

    // Text that still does not fit at this size is cut with "…"; 0 (the default) shrinks as far as needed.
    void setMinimumPointSize(double points);

    ShownText shownText() const;
    QRect textArea() const;
    // As the label paints them, clipped only by the painter: what a label draws outside itself is lost.
    void paintText(QPainter& painter);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Pixels the painting of a line adds on each side of its glyphs (an outline).
    virtual int inkMargin() const { return 0; }
    virtual void drawTextLine(QPainter& painter, const QRectF& rect, int flags, const QString& line);

private:
    // The text area with what the painting adds around the glyphs.
    QRect glyphArea() const;
    ShownText fitText() const;
    ShownText layOut(const QFont& font, bool wrap, qreal width) const;
    bool fits(const ShownText& shown, bool wrap) const;
    ShownText balanced(const ShownText& shown) const;
    ShownText cut(const QFont& font, bool wrap) const;

    double mMinimumPoints = 0;

    using FitKey = std::tuple<QString, QFont, QRect, bool, double, int>;
    mutable std::optional<FitKey> mFitKey;
    mutable ShownText mFit;
};

// The font itself where `fits` holds, else the largest whole device pixel size below it, down to `minimumPoints`
// (0: one pixel), where it holds; at none, the smallest, and `fits` false. Text grows with its size, so `fits`
// holds at every size below one where it holds.
struct FittedFont {
    QFont font;
    bool fits;
};
FittedFont fittingFont(const QFont& font, double minimumPoints, const QPaintDevice* device,
                       const std::function<bool(const QFont&)>& fits);

// Its advance, or its glyphs' ink where that reaches further.
qreal neededWidth(const QString& line, const QFont& font, const QPaintDevice* device = nullptr);

// The WCAG 2 contrast ratio of two colours, from 1 (the same) to 21 (black and white).
double contrastRatio(const QColor& a, const QColor& b);

// A label whose text reads on any background (its inherited window colour): below a contrast of 4.5 : 1, the text
// gets a one-pixel outline in black or white, whichever stands out more, so it keeps its colour on a pale window
// face as on any flash colour.
class OutlinedLabel : public FitLabel {
    Q_OBJECT
public:
    using FitLabel::FitLabel;

    // Invalid when the text needs none.
    QColor outlineColour() const;

protected:
    int inkMargin() const override { return 1; }
    void drawTextLine(QPainter& painter, const QRectF& rect, int flags, const QString& line) override;
};

}  // namespace platform
