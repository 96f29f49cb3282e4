// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ProgressFigures.h"

#include <QColor>
#include <QImage>
#include <QWidget>

namespace chart {

// The colours of the bars, the chosen bar and the instructed count's line or marks.
inline const QColor kBarColour(0x3c, 0x78, 0xb4);
inline const QColor kChosenColour(0xe0, 0x7b, 0x20);
inline const QColor kReferenceColour(0xc0, 0x39, 0x2b);

// The bar chart, drawn with QPainter under its heading: a bar per day or week, gaps where nothing was recorded, and the
// instructed count as a dashed line over days, over weeks as a mark on each week at that count times its recorded days.
// A bar is chosen with the mouse or the arrow keys; the window shows what it stands for.
class ChartView : public QWidget {
    Q_OBJECT
public:
    struct Content {
        QString name;   // the item's, shortened in the middle when a line cannot hold it
        QString range;  // "直近 4 週間（1 日ごと）"
        QString span;   // the period's days, never cut
        std::vector<Bar> bars;
        bool weekly = false;
        double reference = 0;  // the instructed count; 0 draws no line
        // The heading on one line.
        QString heading() const { return name + figureSeparator() + range + figureSeparator() + span; }
    };

    // A date below the axis, where it is drawn.
    struct DateLabel {
        QString text;
        QRect rect;
        int bar = 0;
    };

    explicit ChartView(QWidget* parent = nullptr);

    void setContent(Content content);
    const Content& content() const { return mContent; }

    // The chart as shown, without choice or focus mark, `below` (the figures) under it, at the screen's pixel density.
    QImage picture(QWidget* below) const;

    // Where the heading's lines and the dates below the axis go when the content is drawn within an area in a
    // font, as the view draws itself and its picture.
    struct Layout {
        QStringList heading;
        std::vector<DateLabel> dates;
    };
    static Layout layOut(const Content& content, const QRect& area, const QFont& font);

    QSize sizeHint() const override { return QSize(720, 360); }
    QSize minimumSizeHint() const override { return QSize(360, 200); }

signals:
    // What the bar chosen stands for (barText), empty when none is.
    void selectionChanged(const QString& bar);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int barAt(const QPoint& point) const;
    // Chooses a bar, -1 for none.
    void choose(int index);

    Content mContent;
    int mSelected = -1;
};

}  // namespace chart
