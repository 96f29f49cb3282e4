// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChartView.h"

#include "platform/AppSetup.h"

#include <QAccessibleWidget>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace chart {
namespace {

const QColor kBarColour(0x3c, 0x78, 0xb4);
const QColor kChosenColour(0xe0, 0x7b, 0x20);
const QColor kReferenceColour(0xc0, 0x39, 0x2b);
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

QString dateLabel(const Bar& bar, bool weekly)
{
    if (!weekly)
        return QStringLiteral("%1/%2").arg(bar.first.month()).arg(bar.first.day());
    if (bar.last.month() == 1)
        return QStringLiteral("%1年1月").arg(bar.last.year());
    return QStringLiteral("%1月").arg(bar.last.month());
}

bool beginsLabelledStretch(const std::vector<Bar>& bars, size_t i, bool weekly)
{
    if (weekly)
        return bars[i].last.month() != bars[i - 1].last.month();
    return bars.size() <= 14 || bars[i].first.dayOfWeek() == 1;
}

// Which bars carry a date below them: daily bars on Mondays (every day when there are few), weekly bars
// where a month begins. The first bar carries one too unless such a bar follows closely, whose label
// (with a new year in it) matters more.
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

// Tells assistive technology that the view is a chart; its name and description say what it shows.
QAccessibleInterface* chartAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("chart::ChartView") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Chart);
    return nullptr;
}

}  // namespace

int ChartView::Geometry::y(double value) const
{
    const double fraction = high > low ? (value - low) / (high - low) : 0;
    return plot.bottom() - static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * plot.height()));
}

double ChartView::Geometry::slot(size_t bars) const
{
    return bars == 0 ? 0 : static_cast<double>(plot.width()) / static_cast<double>(bars);
}

ChartView::ChartView(QWidget* parent) : QWidget(parent)
{
    static const bool roleInstalled = [] {
        QAccessible::installFactory(chartAccessible);
        return true;
    }();
    Q_UNUSED(roleInstalled);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(platform::namedFont(9));
    setAccessibleName(QStringLiteral("グラフ"));
}

QSize ChartView::sizeHint() const
{
    return QSize(720, 360);
}

QSize ChartView::minimumSizeHint() const
{
    return QSize(360, 200);
}

void ChartView::setContent(Content content)
{
    mContent = std::move(content);
    mSelected = -1;
    update();
    emit selectionChanged(mSelected);
}

void ChartView::selectBar(int index)
{
    if (index < -1 || index >= static_cast<int>(mContent.bars.size()) || index == mSelected)
        return;
    mSelected = index;
    update();
    emit selectionChanged(mSelected);
}

QImage ChartView::picture(const QSize& size) const
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setFont(font());
    draw(painter, QRect(QPoint(0, 0), size), false);
    return image;
}

ChartView::Geometry ChartView::geometryFor(const QRect& area, const QFontMetrics& metrics) const
{
    Geometry g;
    double low = 0;
    double high = std::max(1.0, mContent.reference);
    for (const Bar& bar : mContent.bars) {
        low = std::min(low, bar.count);
        high = std::max(high, bar.count);
    }
    g.step = niceStep(high - low);
    g.high = std::ceil(high / g.step) * g.step;
    g.low = std::floor(low / g.step) * g.step;
    if (!(g.high > g.low)) {  // values beyond what the steps can tell apart
        g.low = low;
        g.high = low < high ? high : low + 1;
    }

    int labelWidth = metrics.horizontalAdvance(QStringLiteral("（回）"));
    for (double v = g.low; v <= g.high + g.step / 2 && g.step > 0; v += g.step) {
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(formatCount(v)));
        if (v + g.step == v)
            break;
    }
    // Below the heading: the unit above the value labels, the top value label half above the plot.
    const int top = area.top() + kMargin + metrics.height() * 2 + metrics.height() / 2 + 6;
    const int left = area.left() + kMargin + labelWidth + 6;
    const int bottom = area.bottom() - kMargin - metrics.height() - 4;
    const int right = area.right() - kMargin;
    g.plot = QRect(QPoint(left, top), QPoint(std::max(left + 1, right), std::max(top + 1, bottom)));
    return g;
}

void ChartView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    draw(painter, rect(), true);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void ChartView::draw(QPainter& painter, const QRect& area, bool withChoice) const
{
    painter.fillRect(area, Qt::white);
    const QFontMetrics metrics(painter.font());
    const Geometry g = geometryFor(area, metrics);

    QFont headingFont = painter.font();
    headingFont.setBold(true);
    painter.save();
    painter.setFont(headingFont);
    painter.setPen(kTextColour);
    painter.drawText(QRect(area.left() + kMargin, area.top() + kMargin, area.width() - 2 * kMargin, metrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, mContent.heading);
    painter.restore();

    drawGrid(painter, g);
    const bool anyRecorded =
        std::any_of(mContent.bars.begin(), mContent.bars.end(), [](const Bar& bar) { return bar.recorded; });
    if (anyRecorded) {
        drawBars(painter, g, withChoice);
    } else {
        painter.setPen(kAxisColour);
        painter.drawText(g.plot, Qt::AlignCenter, QStringLiteral("この期間の記録はありません"));
    }
    drawReference(painter, g);
    drawDateLabels(painter, g);
}

void ChartView::drawGrid(QPainter& painter, const Geometry& g) const
{
    const QFontMetrics metrics(painter.font());
    painter.setPen(kTextColour);
    painter.drawText(QRect(kMargin, g.plot.top() - metrics.height() / 2 - metrics.height() - 2,
                           g.plot.left() - kMargin - 6, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("（回）"));
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

QRectF ChartView::barRect(const Geometry& g, size_t index) const
{
    const double slot = g.slot(mContent.bars.size());
    // Narrow slots are filled whole; wider ones leave a gap between neighbours.
    const double width = slot >= 4 ? slot * 0.7 : slot;
    const double left = g.plot.left() + slot * static_cast<double>(index) + (slot - width) / 2;
    const Bar& bar = mContent.bars[index];
    const int zero = g.y(0);
    const int top = g.y(bar.count);
    if (top == zero)  // a recorded day with nothing done: a thin mark on the baseline, unlike a gap
        return QRectF(left, zero - 2, width, 2);
    return QRectF(QPointF(left, std::min(top, zero)), QPointF(left + width, std::max(top, zero)));
}

void ChartView::drawBars(QPainter& painter, const Geometry& g, bool withChoice) const
{
    painter.save();
    painter.setPen(Qt::NoPen);
    for (size_t i = 0; i < mContent.bars.size(); ++i) {
        if (!mContent.bars[i].recorded)
            continue;
        const bool chosen = withChoice && static_cast<int>(i) == mSelected;
        painter.setBrush(chosen ? kChosenColour : kBarColour);
        painter.drawRect(barRect(g, i));
    }
    painter.restore();
    if (withChoice && mSelected >= 0 && !mContent.bars[static_cast<size_t>(mSelected)].recorded) {
        // A chosen gap: an outline where its bar would stand.
        const QRectF slot = barRect(g, static_cast<size_t>(mSelected));
        painter.setPen(QPen(kChosenColour, 1, Qt::DotLine));
        painter.drawLine(QPointF(slot.center().x(), g.plot.top()), QPointF(slot.center().x(), g.plot.bottom()));
    }
}

void ChartView::drawReference(QPainter& painter, const Geometry& g) const
{
    if (mContent.reference <= 0)
        return;
    const QPen dashed(kReferenceColour, 1.5, Qt::DashLine);
    painter.save();
    painter.setPen(dashed);
    const int y = g.y(mContent.reference);
    painter.drawLine(g.plot.left(), y, g.plot.right(), y);
    // Its legend stands above the plot, at the right, where no bar can hide it.
    const QString label = QStringLiteral("指示数 %1 回").arg(formatCount(mContent.reference));
    const QFontMetrics metrics(painter.font());
    const int width = metrics.horizontalAdvance(label);
    const int legendY = g.plot.top() - metrics.height() / 2 - metrics.height() / 2 - 2;
    const int textLeft = g.plot.right() - width;
    painter.drawLine(textLeft - 30, legendY, textLeft - 6, legendY);
    painter.setPen(kReferenceColour);
    painter.drawText(QRect(textLeft, legendY - metrics.height() / 2, width, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, label);
    painter.restore();
}

void ChartView::drawDateLabels(QPainter& painter, const Geometry& g) const
{
    const QFontMetrics metrics(painter.font());
    const double slot = g.slot(mContent.bars.size());
    const int y = g.plot.bottom() + 4;
    int freeFrom = g.plot.left() - kMargin;  // labels never overlap: the next one starts right of this
    painter.setPen(kTextColour);
    for (size_t i = 0; i < mContent.bars.size(); ++i) {
        if (!carriesLabel(mContent.bars, i, mContent.weekly))
            continue;
        const QString label = dateLabel(mContent.bars[i], mContent.weekly);
        const int width = metrics.horizontalAdvance(label);
        const int x = static_cast<int>(g.plot.left() + slot * static_cast<double>(i) + slot / 2) - width / 2;
        const int left = std::max(x, g.plot.left() - kMargin);
        if (left < freeFrom || left + width > g.plot.right() + kMargin)
            continue;
        painter.drawLine(QPointF(g.plot.left() + slot * (static_cast<double>(i) + 0.5), g.plot.bottom()),
                         QPointF(g.plot.left() + slot * (static_cast<double>(i) + 0.5), g.plot.bottom() + 3));
        painter.drawText(QRect(left, y, width, metrics.height()), Qt::AlignCenter, label);
        freeFrom = left + width + metrics.horizontalAdvance(QStringLiteral("  "));
    }
}

int ChartView::barAt(const QPoint& point) const
{
    const Geometry g = geometryFor(rect(), QFontMetrics(font()));
    if (mContent.bars.empty() || point.x() < g.plot.left() || point.x() > g.plot.right() ||
        point.y() < g.plot.top() - 4 || point.y() > g.plot.bottom() + 4)
        return -1;
    const double slot = g.slot(mContent.bars.size());
    const int index = static_cast<int>((point.x() - g.plot.left()) / slot);
    return std::clamp(index, 0, static_cast<int>(mContent.bars.size()) - 1);
}

bool ChartView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = barAt(help->pos());
        if (index >= 0)
            QToolTip::showText(help->globalPos(), barText(mContent.bars[static_cast<size_t>(index)], mContent.weekly),
                               this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void ChartView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const int index = barAt(event->position().toPoint());
        if (index >= 0)
            selectBar(index);
    }
    QWidget::mousePressEvent(event);
}

void ChartView::keyPressEvent(QKeyEvent* event)
{
    const int last = static_cast<int>(mContent.bars.size()) - 1;
    if (last < 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    // With no bar chosen yet, the first arrow chooses the latest: the one people look for first.
    const int from = mSelected < 0 ? last + 1 : mSelected;
    int to = mSelected;
    switch (event->key()) {
    case Qt::Key_Left:
        to = mSelected < 0 ? last : from - 1;
        break;
    case Qt::Key_Right:
        to = mSelected < 0 ? last : from + 1;
        break;
    case Qt::Key_PageUp:
        to = from - kPageBars;
        break;
    case Qt::Key_PageDown:
        to = mSelected < 0 ? last : from + kPageBars;
        break;
    case Qt::Key_Home:
        to = 0;
        break;
    case Qt::Key_End:
        to = last;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    selectBar(std::clamp(to, 0, last));
    event->accept();
}

}  // namespace chart
