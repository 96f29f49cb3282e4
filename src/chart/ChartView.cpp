// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChartView.h"

#include "platform/AppSetup.h"
#include "shared/ShownDates.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace chart {
namespace {

const QColor kGridColour(0xdd, 0xdd, 0xdd);
const QColor kAxisColour(0x60, 0x60, 0x60);
const QColor kTextColour(0x20, 0x20, 0x20);

constexpr int kMargin = 8;
constexpr int kTicks = 5;
constexpr int kPageBars = 7;

// A step of 1, 2 or 5 times a power of ten that divides `span` into about kTicks parts.
double niceStep(double span)
{
    const double raw = span / kTicks;
    if (!(raw > 0) || !std::isfinite(raw))
        return 1;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double fraction = raw / magnitude;
    const double nice = fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10;
    return nice * magnitude;
}

// A week's label is the month its Sunday falls in, with the year in January.
bool labelNamesAYear(const Bar& bar, bool weekly)
{
    return weekly && bar.last.month() == 1;
}

QString dateLabel(const Bar& bar, bool weekly, bool withYear)
{
    const QLocale locale;
    // A day in digits only, as narrow as a bar: "12/7" in Japanese, the locale's order elsewhere.
    if (!weekly)
        return QmrM::japaneseForms() ? locale.toString(bar.first, QStringLiteral("M/d"))
                                     : QmrM::shortMonthDay(bar.first);
    if (withYear || labelNamesAYear(bar, weekly))
        return locale.toString(bar.last,
                               QCoreApplication::translate("Chart", "yyyy年M月", "date format of an axis label"));
    return locale.toString(bar.last, QCoreApplication::translate("Chart", "M月", "date format of an axis label"));
}

bool beginsLabelledStretch(const std::vector<Bar>& bars, size_t i, bool weekly)
{
    if (weekly)
        return bars[i].last.month() != bars[i - 1].last.month();
    return bars.size() <= 14 || bars[i].first.dayOfWeek() == 1;
}

// Which bars may carry a date: daily bars on Mondays (every day when few), weekly bars where a month begins, and the
// first bar unless such a bar follows closely.
bool carriesLabel(const std::vector<Bar>& bars, size_t i, bool weekly)
{
    if (i > 0)
        return beginsLabelledStretch(bars, i, weekly);
    if (bars.size() <= 14 && !weekly)
        return true;
    for (size_t next = 1; next < std::min(bars.size(), size_t(4)); ++next) {
        if (beginsLabelledStretch(bars, next, weekly))
            return false;
    }
    return true;
}

QFont headingFont(const QFont& font)
{
    QFont bold = font;
    bold.setBold(true);
    return bold;
}

using Content = ChartView::Content;
using DateLabel = ChartView::DateLabel;

// Where things go within an area: the heading's lines, the plot rectangle and the values at its bottom and top.
struct Geometry {
    QRect headingArea;  // its left, top and width
    QStringList heading;
    QRect plot;
    double low = 0;
    double high = 1;
    double step = 1;
    double slot = 0;  // the width each bar has
    int y(double value) const
    {
        const double fraction = high > low ? (value - low) / (high - low) : 0;
        return plot.bottom() - static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * plot.height()));
    }
};

// The instructed count that a bar compares with: per day, or for the days recorded in a week.
double referenceFor(const Content& content, const Bar& bar)
{
    return content.weekly ? content.reference * bar.recordedDays : content.reference;
}

// The heading on one line when it fits; else the name on its own line (given way in its middle when too long), and
// the range with its days below, on two lines if need be: the days are never cut.
QStringList layOutHeading(const Content& content, const QFontMetrics& metrics, int width)
{
    if (metrics.horizontalAdvance(content.heading()) <= width)
        return {content.heading()};
    const QString when = content.range + figureSeparator() + content.span;
    QStringList lines{metrics.elidedText(content.name, Qt::ElideMiddle, width)};
    if (metrics.horizontalAdvance(when) <= width)
        lines.append(when);
    else
        lines << content.range << content.span;
    return lines;
}

Geometry geometryFor(const Content& content, const QRect& area, const QFont& font)
{
    const QFontMetrics metrics(font);
    const QFontMetrics headingMetrics(headingFont(font));
    Geometry g;
    g.headingArea = QRect(area.left() + kMargin, area.top() + kMargin, area.width() - 2 * kMargin, 0);
    g.heading = layOutHeading(content, headingMetrics, g.headingArea.width());
    double low = 0;
    double high = std::max(1.0, content.weekly ? 0.0 : content.reference);
    for (const Bar& bar : content.bars) {
        low = std::min(low, bar.count);
        high = std::max({high, bar.count, bar.recorded ? referenceFor(content, bar) : 0.0});
    }
    g.step = niceStep(high - low);
    g.high = std::ceil(high / g.step) * g.step;
    g.low = std::floor(low / g.step) * g.step;
    if (!(g.high > g.low)) {  // values beyond what the steps can tell apart
        g.low = low;
        g.high = low < high ? high : low + 1;
    }

    int labelWidth = metrics.horizontalAdvance(QCoreApplication::translate("Chart", "（回）"));
    for (double v = g.low; v <= g.high + g.step / 2 && g.step > 0; v += g.step) {
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(formatCount(v)));
        if (v + g.step == v)
            break;
    }
    // Below the heading: the unit above the value labels, the top value label half above the plot.
    const int top = area.top() + kMargin + static_cast<int>(g.heading.size()) * headingMetrics.lineSpacing() +
                    metrics.height() + metrics.height() / 2 + 6;
    const int left = area.left() + kMargin + labelWidth + 6;
    const int bottom = area.bottom() - kMargin - metrics.height() - 4;
    const int right = area.right() - kMargin;
    g.plot = QRect(QPoint(left, top), QPoint(std::max(left + 1, right), std::max(top + 1, bottom)));
    if (!content.bars.empty())
        g.slot = static_cast<double>(g.plot.width()) / static_cast<double>(content.bars.size());
    return g;
}

void drawHeading(QPainter& painter, const Geometry& g)
{
    painter.save();
    painter.setFont(headingFont(painter.font()));
    painter.setPen(kTextColour);
    const QFontMetrics metrics(painter.font());
    for (int i = 0; i < g.heading.size(); ++i) {
        painter.drawText(QRect(g.headingArea.left(), g.headingArea.top() + i * metrics.lineSpacing(),
                               g.headingArea.width(), metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, g.heading[i]);
    }
    painter.restore();
}

void drawGrid(QPainter& painter, const Geometry& g)
{
    const QFontMetrics metrics(painter.font());
    painter.setPen(kTextColour);
    painter.drawText(QRect(kMargin, g.plot.top() - metrics.height() / 2 - metrics.height() - 2,
                           g.plot.left() - kMargin - 6, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QCoreApplication::translate("Chart", "（回）"));
    for (int i = 0;; ++i) {
        const double value = g.low + i * g.step;
        if (value > g.high + g.step / 2 || i > 100)
            break;
        const int y = g.y(value);
        painter.setPen(value == 0 ? kAxisColour : kGridColour);
        painter.drawLine(g.plot.left(), y, g.plot.right(), y);
        painter.setPen(kTextColour);
        painter.drawText(QRect(kMargin, y - metrics.height() / 2, g.plot.left() - kMargin - 6, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, formatCount(value));
    }
    painter.setPen(kAxisColour);
    painter.drawLine(g.plot.bottomLeft(), g.plot.topLeft());
}

QRectF barRect(const Geometry& g, const Content& content, size_t index)
{
    // Narrow slots are filled whole; wider ones leave a gap between neighbours.
    const double width = g.slot >= 4 ? g.slot * 0.7 : g.slot;
    const double left = g.plot.left() + g.slot * static_cast<double>(index) + (g.slot - width) / 2;
    const Bar& bar = content.bars[index];
    const int zero = g.y(0);
    const int top = g.y(bar.count);
    if (top == zero)  // a recorded day with nothing done: a thin mark on the baseline, unlike a gap
        return QRectF(left, zero - 2, width, 2);
    return QRectF(QPointF(left, std::min(top, zero)), QPointF(left + width, std::max(top, zero)));
}

void drawBars(QPainter& painter, const Geometry& g, const Content& content, int selected)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    for (size_t i = 0; i < content.bars.size(); ++i) {
        if (!content.bars[i].recorded)
            continue;
        painter.setBrush(static_cast<int>(i) == selected ? kChosenColour : kBarColour);
        painter.drawRect(barRect(g, content, i));
    }
    painter.restore();
    if (selected >= 0 && !content.bars[static_cast<size_t>(selected)].recorded) {
        // A chosen gap: an outline where its bar would stand.
        const QRectF slot = barRect(g, content, static_cast<size_t>(selected));
        painter.setPen(QPen(kChosenColour, 1, Qt::DotLine));
        painter.drawLine(QPointF(slot.center().x(), g.plot.top()), QPointF(slot.center().x(), g.plot.bottom()));
    }
}

// The legend, above the plot at the right where no bar can hide it: a sample of the line or mark and its meaning.
void drawReferenceLegend(QPainter& painter, const Geometry& g, const Content& content)
{
    const int n = countPlural(content.reference);
    const QString label =
        (content.weekly ? QCoreApplication::translate("Chart", "指示数 %1 回 × その週に記録した日数", nullptr, n)
                        : QCoreApplication::translate("Chart", "指示数 %1 回", nullptr, n))
            .arg(formatCount(content.reference));
    const QFontMetrics metrics(painter.font());
    const int width = metrics.horizontalAdvance(label);
    const int legendY = g.plot.top() - metrics.height() / 2 - metrics.height() / 2 - 2;
    const int textLeft = g.plot.right() - width;
    painter.drawLine(textLeft - (content.weekly ? 18 : 30), legendY, textLeft - 6, legendY);
    painter.setPen(kReferenceColour);
    painter.drawText(QRect(textLeft, legendY - metrics.height() / 2, width, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, label);
}

void drawReference(QPainter& painter, const Geometry& g, const Content& content)
{
    if (content.reference <= 0)
        return;
    painter.save();
    if (content.weekly) {
        // A week compares with what the days trained in it asked for: a mark across its slot.
        painter.setPen(QPen(kReferenceColour, 2, Qt::SolidLine, Qt::FlatCap));
        for (size_t i = 0; i < content.bars.size(); ++i) {
            const Bar& bar = content.bars[i];
            if (!bar.recorded)
                continue;
            const double left = g.plot.left() + g.slot * static_cast<double>(i);
            const int y = g.y(referenceFor(content, bar));
            painter.drawLine(QPointF(left, y), QPointF(left + g.slot, y));
        }
    } else {
        painter.setPen(QPen(kReferenceColour, 1.5, Qt::DashLine));
        const int y = g.y(content.reference);
        painter.drawLine(g.plot.left(), y, g.plot.right(), y);
    }
    drawReferenceLegend(painter, g, content);
    painter.restore();
}

// The dates below the axis, none over another: those that name a year are placed first, then the first
// date of a weekly axis (which names its year too), then the others from left to right where they find room.
std::vector<DateLabel> placeDateLabels(const Content& content, const Geometry& g, const QFontMetrics& metrics)
{
    const std::vector<Bar>& bars = content.bars;
    std::vector<std::pair<int, size_t>> candidates;  // rank, bar
    for (size_t i = 0; i < bars.size(); ++i) {
        if (!carriesLabel(bars, i, content.weekly))
            continue;
        const bool first = candidates.empty() && content.weekly;
        candidates.emplace_back(labelNamesAYear(bars[i], content.weekly) ? 0 : first ? 1 : 2, i);
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    const int gap = metrics.horizontalAdvance(QStringLiteral("  "));
    std::vector<DateLabel> placed;
    for (const auto& [rank, i] : candidates) {
        const QString text = dateLabel(bars[i], content.weekly, rank == 1);
        const int width = metrics.horizontalAdvance(text);
        const int centre = static_cast<int>(g.plot.left() + g.slot * (static_cast<double>(i) + 0.5));
        const int left =
            std::max(g.plot.left() - kMargin, std::min(centre - width / 2, g.plot.right() + kMargin - width));
        const QRect rect(left, g.plot.bottom() + 4, width, metrics.height());
        const bool free = std::none_of(placed.begin(), placed.end(), [&](const DateLabel& other) {
            return other.rect.adjusted(-gap, 0, gap, 0).intersects(rect);
        });
        if (free)
            placed.push_back(DateLabel{text, rect, static_cast<int>(i)});
    }
    std::sort(placed.begin(), placed.end(),
              [](const DateLabel& a, const DateLabel& b) { return a.rect.left() < b.rect.left(); });
    return placed;
}

void drawDateLabels(QPainter& painter, const Geometry& g, const Content& content)
{
    painter.setPen(kTextColour);
    for (const DateLabel& label : placeDateLabels(content, g, QFontMetrics(painter.font()))) {
        const double x = g.plot.left() + g.slot * (label.bar + 0.5);
        painter.drawLine(QPointF(x, g.plot.bottom()), QPointF(x, g.plot.bottom() + 3));
        painter.drawText(label.rect, Qt::AlignCenter, label.text);
    }
}

// Draws the content within the area, bar `selected` chosen (-1: none).
void draw(QPainter& painter, const QRect& area, const Content& content, int selected)
{
    painter.fillRect(area, Qt::white);
    const Geometry g = geometryFor(content, area, painter.font());
    drawHeading(painter, g);
    drawGrid(painter, g);
    const bool anyRecorded =
        std::any_of(content.bars.begin(), content.bars.end(), [](const Bar& bar) { return bar.recorded; });
    if (anyRecorded) {
        drawBars(painter, g, content, selected);
    } else {
        painter.setPen(kAxisColour);
        painter.drawText(g.plot, Qt::AlignCenter, QCoreApplication::translate("Chart", "この期間の記録はありません"));
    }
    drawReference(painter, g, content);
    drawDateLabels(painter, g, content);
}

}  // namespace

ChartView::ChartView(QWidget* parent) : QWidget(parent)
{
    // Tells assistive technology that the view is a chart; its name and description say what it shows.
    [[maybe_unused]] static const bool roleInstalled = [] {
        QAccessible::installFactory([](const QString& className, QObject* object) -> QAccessibleInterface* {
            if (className == QLatin1String("chart::ChartView") && object && object->isWidgetType())
                return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Chart);
            return nullptr;
        });
        return true;
    }();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(platform::namedFont(9));
    choose(-1);
}

void ChartView::setContent(Content content)
{
    mContent = std::move(content);
    choose(-1);
}

void ChartView::choose(int index)
{
    mSelected = index;
    update();
    const QString bar = index < 0 ? QString() : barText(mContent.bars[static_cast<size_t>(index)], mContent.weekly);
    // A screen reader says the focused chart's new name: the bar just chosen.
    setAccessibleName(bar.isEmpty() ? QCoreApplication::translate("Chart", "グラフ")
                                    : QCoreApplication::translate("Chart", "グラフ %1").arg(bar));
    emit selectionChanged(bar);
}

QImage ChartView::picture(QWidget* below) const
{
    const qreal ratio = devicePixelRatioF();
    QImage image(QSize(std::max(width(), below->width()), height() + below->height()) * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font());
    painter.setClipRect(rect());
    draw(painter, rect(), mContent, -1);
    painter.setClipping(false);
    below->render(&painter, QPoint(0, height()));
    return image;
}

ChartView::Layout ChartView::layOut(const Content& content, const QRect& area, const QFont& font)
{
    const Geometry g = geometryFor(content, area, font);
    return Layout{g.heading, placeDateLabels(content, g, QFontMetrics(font))};
}

void ChartView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    draw(painter, rect(), mContent, mSelected);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

int ChartView::barAt(const QPoint& point) const
{
    const Geometry g = geometryFor(mContent, rect(), font());
    if (mContent.bars.empty() || point.x() < g.plot.left() || point.x() > g.plot.right() ||
        point.y() < g.plot.top() - 4 || point.y() > g.plot.bottom() + 4)
        return -1;
    const int index = static_cast<int>((point.x() - g.plot.left()) / g.slot);
    return std::clamp(index, 0, static_cast<int>(mContent.bars.size()) - 1);
}

bool ChartView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = barAt(help->pos());
        // Away from the bars, the empty text hides the tip.
        QToolTip::showText(help->globalPos(),
                           index < 0 ? QString() : barText(mContent.bars[static_cast<size_t>(index)], mContent.weekly),
                           this);
        return true;
    }
    return QWidget::event(event);
}

void ChartView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const int index = barAt(event->position().toPoint());
        if (index >= 0 && index != mSelected)
            choose(index);
    }
    QWidget::mousePressEvent(event);
}

void ChartView::keyPressEvent(QKeyEvent* event)
{
    // With no bar chosen yet, the first arrow chooses the latest, the one people look for first (a move right from
    // past the last bar stops at it). Home and End move by every bar, clamped to the first and the last.
    const int all = static_cast<int>(mContent.bars.size());
    const QHash<int, int> moves{{Qt::Key_Left, -1},           {Qt::Key_Right, 1},
                                {Qt::Key_PageUp, -kPageBars}, {Qt::Key_PageDown, kPageBars},
                                {Qt::Key_Home, -all},         {Qt::Key_End, all}};
    if (all == 0 || !moves.contains(event->key())) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int to = std::clamp((mSelected < 0 ? all : mSelected) + moves.value(event->key()), 0, all - 1);
    if (to != mSelected)
        choose(to);
    event->accept();
}

}  // namespace chart
