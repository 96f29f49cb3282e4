// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DailyHistories.h"
#include "ProgressFigures.h"

#include <QImage>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;

namespace chart {

class ChartView;
class FiguresLabel;
class StatusLine;

// The chart window "Quillmora - グラフ": an item and a range to choose, the chart with its figures, the chosen
// bar's text, buttons to save the chart as a picture and the history as CSV, and a status line that says
// where they went. It reads a history when its item is chosen and its file changed since, and never
// writes them. It keeps nothing on disk: each one starts on 直近 4 週間. It is owned by the settings
// window it was opened from and closes with it.
class ChartWindow : public QWidget {
    Q_OBJECT
public:
    explicit ChartWindow(QWidget* parent = nullptr);

    // Shows item `item` (1-based among the registered items, 0 for 全項目), reading its history anew if its file
    // changed.
    void showItem(int item);
    int item() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    void fillItemChooser();
    void nameControls();
    void connectHandlers();
    // Reads the histories of the chosen item and shows them.
    void readChosenItem();
    // Shows the chosen range of the histories read.
    void showChosenRange();
    void showChosenBar(int index);
    // What the window shows of the chart, as saved: the chart with its heading and legend, and the figures.
    QImage picture() const;
    void saveImage();
    void exportChosenItem();

    QComboBox* mItemChooser = nullptr;
    QComboBox* mRangeChooser = nullptr;
    ChartView* mChart = nullptr;
    QLabel* mChosenBar = nullptr;
    FiguresLabel* mFigures = nullptr;
    StatusLine* mStatus = nullptr;
    QPushButton *mSaveImage = nullptr, *mExportCsv = nullptr, *mClose = nullptr;

    DailyHistories mHistories;  // each item's days, read once while its file stays the same
    DailyHistory mHistory;
    double mInstructed = 0;
};

}  // namespace chart
