// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ProgressFigures.h"

#include <QImage>
#include <QWidget>

class QPainter;

namespace chart {

// The bar chart, drawn with QPainter: one bar per day or week, gaps where nothing was recorded, the
// instructed count as a dashed reference line. A bar can be chosen with the mouse or the arrow keys; the
// window shows what it stands for.
class ChartView : public QWidget {
    Q_OBJECT
public:
    struct Content {
        QString heading;
        std::vector<Bar> bars;
        bool weekly = false;
        double reference = 0;  // the instructed count; 0 draws no line
    };

    explicit ChartView(QWidget* parent = nullptr);

    void setContent(Content content);
    const Content& content() const { return mContent; }

    // The chosen bar, -1 for none.
    int selectedBar() const { return mSelected; }
    void selectBar(int index);

    // The chart alone at the given size, without the choice or the focus mark, as saved to a picture.
    QImage picture(const QSize& size) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void selectionChanged(int index);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Where things go within an area: the plot rectangle and the values at its bottom and top.
    struct Geometry {
        QRect plot;
        double low = 0;
        double high = 1;
        double step = 1;
        int y(double value) const;
        double slot(size_t bars) const;
    };
    Geometry geometryFor(const QRect& area, const QFontMetrics& metrics) const;
    void draw(QPainter& painter, const QRect& area, bool withChoice) const;
    void drawGrid(QPainter& painter, const Geometry& g) const;
    void drawBars(QPainter& painter, const Geometry& g, bool withChoice) const;
    void drawReference(QPainter& painter, const Geometry& g) const;
    void drawDateLabels(QPainter& painter, const Geometry& g) const;
    QRectF barRect(const Geometry& g, size_t index) const;
    int barAt(const QPoint& point) const;

    Content mContent;
    int mSelected = -1;
};

}  // namespace chart
