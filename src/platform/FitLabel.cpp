// SPDX-License-Identifier: GPL-3.0-or-later
#include "FitLabel.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform {
namespace {

constexpr int kMaxWordLength = 20;

bool isHiragana(char16_t c)
{
    return c >= 0x3041 && c <= 0x309F;
}

bool isKatakana(char16_t c)
{
    // The middle dot (U+30FB) separates words; half-width katakana count as katakana.
    return (c >= 0x30A0 && c <= 0x30FF && c != 0x30FB) || (c >= 0xFF66 && c <= 0xFF9F);
}

bool isKanji(char16_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF) ||
           c == 0x3005 || c == 0x3006;  // 々 〆
}

bool isJapaneseLetter(char16_t c)
{
    return isHiragana(c) || isKatakana(c) || isKanji(c);
}

// A kanji or katakana word may begin after two kana or more (ことを, ほかの, 使って) or after a particle (名前か,
// ロックを); a single other kana between kanji belongs to the word (書き出し先).
bool wordMayFollow(const QString& text, qsizetype end)
{
    static const QString kParticles = QStringLiteral("をがにのはでともへやか");
    return (end > 0 && isHiragana(text[end - 1].unicode())) || kParticles.contains(text[end]);
}

bool sameWord(const QString& text, qsizetype i)
{
    const char16_t before = text[i - 1].unicode();
    const char16_t after = text[i].unicode();
    if (!isJapaneseLetter(before) || !isJapaneseLetter(after))
        return false;
    return !(isHiragana(before) && (isKanji(after) || isKatakana(after)) && wordMayFollow(text, i - 1));
}

qreal blockHeight(const QFontMetricsF& metrics, int lines)
{
    return metrics.height() + std::max(0, lines - 1) * metrics.lineSpacing();
}

// At least one, as one line is always shown.
int linesHeld(const QFontMetricsF& metrics, int height)
{
    return 1 + std::max(0, static_cast<int>(std::floor((height - metrics.height()) / metrics.lineSpacing())));
}

// The rows the glyphs cover from the top of the first line's box, in whole pixels: an accent may reach above the
// ascent, a descender below a label sized for the font's body.
struct InkRows {
    qreal top = 0;
    qreal bottom = 0;
    qreal height() const { return bottom - top; }
};

// As QPainter::drawText lays out a line: the baseline rounded to a pixel row; each glyph's ink from its own font.
InkRows inkRows(const QStringList& lines, const QFont& font, const QPaintDevice* device)
{
    const qreal lineSpacing = QFontMetricsF(font, device).lineSpacing();
    InkRows rows{std::numeric_limits<qreal>::max(), std::numeric_limits<qreal>::lowest()};
    for (int i = 0; i < lines.size(); ++i) {
        QTextLayout layout(lines[i], font, device);
        layout.beginLayout();
        layout.createLine().setLineWidth(std::numeric_limits<int>::max() / 2);
        layout.endLayout();
        for (const QGlyphRun& run : layout.glyphRuns()) {
            const QList<quint32> glyphs = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            for (qsizetype g = 0; g < glyphs.size(); ++g) {
                const QRectF ink = run.rawFont().boundingRect(glyphs[g]);
                if (ink.isEmpty())
                    continue;
                const qreal baseline = i * lineSpacing + std::floor(positions[g].y() + 0.5);
                rows.top = std::min(rows.top, std::floor(baseline + ink.top()));
                rows.bottom = std::max(rows.bottom, std::ceil(baseline + ink.bottom()));
            }
        }
    }
    return rows.top <= rows.bottom ? rows : InkRows{};
}

// Bisects for the first of `low` to `high` at which `holds` holds (then at all after it); high + 1 when at none.
template <class Holds>
int firstHolding(int low, int high, const Holds& holds)
{
    while (low <= high) {
        const int middle = (low + high) / 2;
        if (holds(middle))
            high = middle - 1;
        else
            low = middle + 1;
    }
    return low;
}

// Broken between words (Japanese ones as withWordsKeptWhole tells them), or inside a word too long for a line.
QStringList wrappedLines(const QString& text, const QFont& font, qreal width, const QPaintDevice* device)
{
    const QString kept = withWordsKeptWhole(text);
    QTextLayout layout(kept, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines.append(withoutWordJoiners(kept.mid(line.textStart(), line.textLength())));
    }
    layout.endLayout();
    // A break at blanks leaves them at the end of the line, where they would push a centred line aside.
    if (lines.size() > 1) {
        for (QString& line : lines) {
            while (!line.isEmpty() && line.back().isSpace())
                line.chop(1);
        }
    }
    if (lines.isEmpty())
        lines.append(QString());
    return lines;
}

// x^2.4 for x in (0, 1]: x² times the square of x's fifth root, by Newton's method from 1 until it stops falling.
// std::pow would load the maths library's tables, 0.2 MiB, at every start.
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

// As the WCAG 2 contrast rules define it: 0 for black to 1 for white.
double relativeLuminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * linearChannel(rgb.redF()) + 0.7152 * linearChannel(rgb.greenF()) +
           0.0722 * linearChannel(rgb.blueF());
}

}  // namespace

FittedFont fittingFont(const QFont& font, double minimumPoints, const QPaintDevice* device,
                       const std::function<bool(const QFont&)>& fits)
{
    if (fits(font))
        return {font, true};
    // Fonts are drawn at whole pixel sizes, so the sizes tried are whole pixels of the device, given in points.
    const double dpi = device->logicalDpiY();
    const auto pixels = [dpi](double points) { return std::max(1, qRound(points * dpi / 72.0)); };
    const auto atPixels = [&font, dpi](int size) {
        QFont sized = font;
        sized.setPointSizeF(size * 72.0 / dpi);
        return sized;
    };
    const int smallest = pixels(minimumPoints);
    const int largest = (font.pixelSize() > 0 ? font.pixelSize() : pixels(font.pointSizeF())) - 1;
    const int tooLarge = firstHolding(smallest, largest, [&](int size) { return !fits(atPixels(size)); });
    return {atPixels(std::max(smallest, tooLarge - 1)), tooLarge > smallest};
}

qreal neededWidth(const QString& line, const QFont& font, const QPaintDevice* device)
{
    const QFontMetricsF metrics(font, device);
    const QRectF ink = metrics.boundingRect(line);
    return std::max(metrics.horizontalAdvance(line), ink.right()) - std::min<qreal>(0, ink.left());
}

FitLabel::FitLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

void FitLabel::setMinimumPointSize(double points)
{
    mMinimumPoints = points;
    update();
}

QRect FitLabel::textArea() const
{
    const int m = margin() + inkMargin();
    return contentsRect().adjusted(m, m, -m, -m);
}

QRect FitLabel::glyphArea() const
{
    const int m = margin();
    return contentsRect().adjusted(m, m, -m, -m);
}

ShownText FitLabel::shownText() const
{
    FitKey key{text(), font(), textArea(), wordWrap(), mMinimumPoints, logicalDpiY()};
    if (key != mFitKey) {
        mFit = fitText();
        mFitKey = std::move(key);
    }
    return mFit;
}

ShownText FitLabel::layOut(const QFont& font, bool wrap, qreal width) const
{
    return {font, wrap ? wrappedLines(text(), font, width, this) : QStringList{text()}};
}

bool FitLabel::fits(const ShownText& shown, bool wrap) const
{
    const QRect area = textArea();
    for (const QString& line : shown.lines) {
        if (neededWidth(line, shown.font, this) > area.width())
            return false;
    }
    // The glyphs must fit the height, the font's box need not: a label sized for digits has no room for the
    // descent, which digits do not use. An outline gives way in a label too low for both, not the font size.
    const QFontMetricsF metrics(shown.font, this);
    if (inkRows(shown.lines, shown.font, this).height() > glyphArea().height())
        return false;
    return !wrap || blockHeight(metrics, shown.lines.size()) <= area.height();
}

ShownText FitLabel::fitText() const
{
    const QFont described = font();
    const QRect area = textArea();
    const bool wrap = wordWrap() && linesHeld(QFontMetricsF(described, this), area.height()) >= 2;
    const auto [font, whole] = fittingFont(described, mMinimumPoints, this, [&](const QFont& candidate) {
        return fits(layOut(candidate, wrap, area.width()), wrap);
    });
    return whole ? balanced(layOut(font, wrap, area.width())) : cut(font, wrap);
}

// Even lines read better than a full one and a short one: the narrowest width that keeps the number of lines.
ShownText FitLabel::balanced(const ShownText& shown) const
{
    if (shown.lines.size() < 2)
        return shown;
    const int width = firstHolding(1, textArea().width(), [&](int candidate) {
        const QStringList lines = layOut(shown.font, true, candidate).lines;
        return lines.size() == shown.lines.size() && std::all_of(lines.begin(), lines.end(), [&](const QString& line) {
                   return neededWidth(line, shown.font, this) <= candidate;
               });
    });
    return width <= textArea().width() ? layOut(shown.font, true, width) : shown;
}

// Below the smallest size allowed: as many lines as the label holds, the last one cut with "…".
ShownText FitLabel::cut(const QFont& font, bool wrap) const
{
    const QRect area = textArea();
    const QFontMetricsF metrics(font, this);
    ShownText shown = layOut(font, wrap, area.width());
    shown.whole = false;
    const int held = wrap ? linesHeld(metrics, area.height()) : 1;
    const QString rest = shown.lines.mid(held - 1).join(QString());
    shown.lines = shown.lines.mid(0, held - 1);
    shown.lines.append(metrics.elidedText(rest, Qt::ElideRight, area.width()));
    return shown;
}

void FitLabel::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    drawFrame(&painter);
    paintText(painter);
}

void FitLabel::paintText(QPainter& painter)
{
    const ShownText shown = shownText();
    const QFontMetricsF metrics(shown.font, this);
    const QRect area = textArea();
    const qreal height = blockHeight(metrics, shown.lines.size());
    const int areaBottom = area.top() + area.height();
    // Glyphs are drawn on whole pixel rows.
    qreal top = area.top();
    if (alignment() & Qt::AlignBottom)
        top = std::floor(areaBottom - height);
    else if (alignment() & Qt::AlignVCenter)
        top = std::floor(area.top() + (area.height() - height) / 2);
    // Lines move away from an edge that would cut an accent or a descender: to keep the glyphs a pixel clear of
    // the edges where there is room (text touching an edge reads as cut), else the outline inside, else the glyphs.
    const InkRows ink = inkRows(shown.lines, shown.font, this);
    const QRect clear = glyphArea().adjusted(0, 1, 0, -1);
    const QRect rooms[] = {ink.height() <= clear.height() ? clear : area, area, glyphArea()};
    for (const QRect& room : rooms) {
        const qreal roomBottom = room.top() + room.height();
        if (top + ink.bottom > roomBottom)
            top = roomBottom - ink.bottom;
        if (top + ink.top < room.top())
            top = room.top() - ink.top;
    }

    painter.setFont(shown.font);
    painter.setPen(palette().color(foregroundRole()));
    const int flags = static_cast<int>(alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignTop | Qt::TextSingleLine;
    for (int i = 0; i < shown.lines.size(); ++i) {
        const QRectF line(area.left(), top + i * metrics.lineSpacing(), area.width(), metrics.height());
        drawTextLine(painter, line, flags, shown.lines[i]);
    }
}

void FitLabel::drawTextLine(QPainter& painter, const QRectF& rect, int flags, const QString& line)
{
    painter.drawText(rect, flags, line);
}

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
    return QColor(contrastRatio(Qt::black, background) >= contrastRatio(Qt::white, background) ? Qt::black : Qt::white);
}

void OutlinedLabel::drawTextLine(QPainter& painter, const QRectF& rect, int flags, const QString& line)
{
    const QColor outline = outlineColour();
    if (outline.isValid()) {
        // Drawn one pixel off to the four sides, the text keeps its hinted shapes, which a stroked path would
        // blur at this size; without the diagonals the thin strokes of a dense kanji stay open.
        const QPen textPen = painter.pen();
        painter.setPen(outline);
        for (const QPointF offset : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
            painter.drawText(rect.translated(offset), flags, line);
        painter.setPen(textPen);
    }
    FitLabel::drawTextLine(painter, rect, flags, line);
}

QString withWordsKeptWhole(const QString& text)
{
    QString kept;
    kept.reserve(text.size() * 2);
    qsizetype wordStart = 0;  // where the word the current character belongs to begins
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool joined = i > 0 && i < text.size() && sameWord(text, i);
        if (joined)
            continue;
        // The word from wordStart to i is kept whole unless longer than any line should hold.
        const QStringView word = QStringView(text).mid(wordStart, i - wordStart);
        for (qsizetype k = 0; k < word.size(); ++k) {
            if (k > 0 && word.size() <= kMaxWordLength)
                kept.append(kWordJoiner);
            kept.append(word[k]);
        }
        wordStart = i;
    }
    return kept;
}

QString withoutWordJoiners(QString text)
{
    return text.remove(kWordJoiner);
}

void setTextKeptWhole(QLabel* label, const QString& text)
{
    label->setText(withWordsKeptWhole(text));
    label->setAccessibleName(text);
}

}  // namespace platform
