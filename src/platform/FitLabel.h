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

// The toolkit wraps Japanese text between any two characters, in the middle of a word too (「できま」
// 「せん。」 on two lines). This gives the text back with a word joiner (U+2060, which takes no room) wherever
// a line must not break inside a word: a run of kanji or of katakana, with the kana after it (its ending and
// particles: 確かめてから, データファイルなので). Lines then break at spaces, after punctuation, before an
// opening bracket, and where a word in kanji or katakana follows a particle or two kana or more (not after
// the き of 書き出し先); a word longer than kMaxWordLength characters may break anywhere. For text that is shown, not
// read back: a copy of it holds the joiners.
QString withWordsKeptWhole(const QString& text);
// The text without the joiners withWordsKeptWhole added.
QString withoutWordJoiners(QString text);
// Shows `text` on a label with its words kept whole; assistive technology reads it without the joiners.
void setTextKeptWhole(QLabel* label, const QString& text);

inline constexpr QChar kWordJoiner(0x2060);

// How a label shows its text: in which font, on which lines.
struct ShownText {
    QFont font;
    QStringList lines;
    bool whole = true;  // false when the text was cut with "…" at the smallest size allowed
};

// A label that shows its whole text. It keeps the font it is given (its described size) when the text fits its
// width, and its glyphs its height, and otherwise shows the text at the largest smaller size at which they do, so
// a number or a name is never cut, not by a pixel. A word-wrapped label wraps, between words or anywhere in a word
// too long for a line, only when its height holds two lines at the described size; otherwise, like a label
// without word wrap, it keeps the text on one line, whose font's box may be higher than the label (a tall number
// has no descent), and moves the line up or down as far as an accent or a descender needs.
// Plain text only. Whatever sets the text or the font (also through a QLabel pointer), the fit follows.
class FitLabel : public QLabel {
    Q_OBJECT
public:
    explicit FitLabel(QWidget* parent = nullptr);

    // The smallest size the label shrinks to; text that still does not fit is cut at its end with "…".
    // 0 (the default) shrinks as far as needed.
    void setMinimumPointSize(double points);

    // The font and lines the label shows its text in now.
    ShownText shownText() const;
    // The rectangle the text is laid out in.
    QRect textArea() const;
    // Paints the shown lines in the label's coordinates, as the label paints itself, but clipped only by the
    // painter: what a label draws outside its own rectangle is lost.
    void paintText(QPainter& painter);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Pixels the painting of a line adds on each side of its glyphs (an outline).
    virtual int inkMargin() const { return 0; }
    // Paints one line of text into the rectangle, aligned by the flags, in the painter's font and pen.
    virtual void drawTextLine(QPainter& painter, const QRectF& rect, int flags, const QString& line);

private:
    // The rectangle the glyphs themselves stay in: the text area with what the painting adds around them.
    QRect glyphArea() const;
    ShownText fitText() const;
    ShownText layOut(const QFont& font, bool wrap, qreal width) const;
    bool fits(const ShownText& shown, bool wrap) const;
    ShownText balanced(const ShownText& shown) const;
    ShownText cut(const QFont& font, bool wrap) const;

    double mMinimumPoints = 0;

    // The last fit, kept while the text, font and size stay the same.
    using FitKey = std::tuple<QString, QFont, QRect, bool, double, int>;
    mutable std::optional<FitKey> mFitKey;
    mutable ShownText mFit;
};

// Text shrunk to fit: the font itself where `fits` holds at it, else the font at the largest whole pixel size
// below its own, down to `minimumPoints` (0: down to one pixel), at which `fits` holds; where it holds at none
// of them, the smallest of them, and `fits` false. Text grows with its size, so `fits` holds at every size below
// one at which it holds. Sizes are those of the device's resolution.
struct FittedFont {
    QFont font;
    bool fits;
};
FittedFont fittingFont(const QFont& font, double minimumPoints, const QPaintDevice* device,
                       const std::function<bool(const QFont&)>& fits);

// The width a line of text needs in the font: its advance, or its glyphs' ink where that reaches further.
qreal neededWidth(const QString& line, const QFont& font, const QPaintDevice* device = nullptr);

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
