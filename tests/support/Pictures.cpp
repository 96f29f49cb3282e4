// SPDX-License-Identifier: GPL-3.0-or-later
#include "Pictures.h"

#include "platform/FitLabel.h"

#include <QDebug>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QTest>
#include <QWidget>

bool shownAsPainted(QWidget* widget)
{
    // The window paints what it has pending first, as it would before anyone looks; the fresh drawing comes
    // last, as it lays the widget out anew.
    QTest::qWait(50);
    const QPoint at = widget->mapToGlobal(QPoint(0, 0));
    const QImage shown = widget->screen()->grabWindow(0, at.x(), at.y(), widget->width(), widget->height()).toImage();
    const QImage painted = widget->grab().toImage();
    return !shown.isNull() &&
           shown.convertToFormat(QImage::Format_RGB32) == painted.convertToFormat(QImage::Format_RGB32);
}

namespace {

bool isInk(QRgb pixel, QRgb background)
{
    return std::abs(qRed(pixel) - qRed(background)) + std::abs(qGreen(pixel) - qGreen(background)) +
               std::abs(qBlue(pixel) - qBlue(background)) >
           60;
}

QRect inkExtent(const QImage& picture, QRgb background)
{
    QRect extent;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (isInk(picture.pixel(x, y), background))
                extent |= QRect(x, y, 1, 1);
        }
    }
    return extent;
}

// The label's lines drawn alone on a canvas of the given size, each centred across its width.
QImage drawnAlone(const platform::FitLabel* label, QSize size, QPoint origin, QRgb background, QColor ink)
{
    const platform::ShownText shown = label->shownText();
    const QFontMetricsF metrics(shown.font, label);
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(background);
    QPainter painter(&canvas);
    painter.setFont(shown.font);
    painter.setPen(ink);
    for (int i = 0; i < shown.lines.size(); ++i) {
        const qreal width = metrics.horizontalAdvance(shown.lines[i]);
        painter.drawText(QPointF(origin.x() + (label->width() - width) / 2,
                                 origin.y() + metrics.ascent() + i * metrics.lineSpacing()),
                         shown.lines[i]);
    }
    return canvas;
}

QRgb mostCommonColour(const QImage& picture)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            ++counts[picture.pixel(x, y)];
    }
    QRgb common = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            common = it.key();
        }
    }
    return common;
}

int pixelsStandingOut(const QImage& picture, QRgb background, double contrast)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            count += platform::contrastRatio(QColor(picture.pixel(x, y)), QColor(background)) >= contrast ? 1 : 0;
    }
    return count;
}

bool sameBlock(const QRect& drawn, const QRect& whole, const QString& what)
{
    const bool same = std::abs(drawn.width() - whole.width()) <= 2 && std::abs(drawn.height() - whole.height()) <= 2;
    if (!same)
        qWarning() << what << "drawn" << drawn.size() << "whole" << whole.size();
    return same;
}

}  // namespace

bool drawnWhole(platform::FitLabel* label)
{
    const platform::ShownText shown = label->shownText();
    const QRgb background = label->palette().color(QPalette::Window).rgb();
    const QFontMetricsF metrics(shown.font, label);
    const QSize room(label->width() * 2 + 100, static_cast<int>(metrics.lineSpacing() * shown.lines.size()) + 100);
    const QImage free =
        drawnAlone(label, room, QPoint(50, 50), background, label->palette().color(QPalette::WindowText));
    return sameBlock(inkExtent(label->grab().toImage(), background), inkExtent(free, background), label->objectName());
}

bool drawnWhole(QWidget* widget, const QRect& rect, const QString& text, const QFont& font)
{
    const QImage drawn = widget->grab(rect).toImage();
    const QRgb background = mostCommonColour(drawn);
    const QFontMetricsF metrics(font, widget);
    // At the grab's scale, so that both are counted in the same pixels.
    const qreal scale = drawn.devicePixelRatio();
    QImage alone(QSize(int(metrics.horizontalAdvance(text)) + 100, int(metrics.height()) + 100) * scale,
                 QImage::Format_RGB32);
    alone.setDevicePixelRatio(scale);
    alone.fill(background);
    QPainter painter(&alone);
    painter.setFont(font);
    painter.setPen(widget->palette().color(QPalette::Text));
    painter.drawText(QPointF(50, 50 + metrics.ascent()), text);
    painter.end();
    return sameBlock(inkExtent(drawn, background), inkExtent(alone, background), text);
}

QRect inkOf(platform::FitLabel* label)
{
    return inkExtent(label->grab().toImage(), label->palette().color(QPalette::Window).rgb());
}

QRegion inkCutOff(platform::FitLabel* label)
{
    // The label's own painting of its text, on a canvas with room all round the label's rectangle.
    const QRgb background = label->palette().color(QPalette::Window).rgb();
    const int room = label->height();
    QImage canvas(label->size() + QSize(2 * room, 2 * room), QImage::Format_RGB32);
    canvas.fill(background);
    QPainter painter(&canvas);
    painter.translate(room, room);
    label->paintText(painter);
    painter.end();
    QRegion cut;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (canvas.pixel(x, y) != background && !label->rect().contains(x - room, y - room))
                cut += QRect(x - room, y - room, 1, 1);
        }
    }
    return cut;
}

double readableInkShare(platform::FitLabel* label)
{
    QWidget* window = label->window();
    const QImage shown = window->grab(QRect(label->mapTo(window, QPoint(0, 0)), label->size())).toImage();
    const int readable = pixelsStandingOut(shown, mostCommonColour(shown), 3);
    // The reference counts the glyphs' core, the pixels the text covers at least 80 %: black covering 80 % of a
    // white pixel stands out from white by 12.6 : 1. Antialiased edges count in neither.
    const QRgb white = qRgb(255, 255, 255);
    const int reference =
        pixelsStandingOut(drawnAlone(label, label->size(), QPoint(0, 0), white, Qt::black), white, 12.6);
    return reference > 0 ? double(readable) / reference : 0.0;
}
