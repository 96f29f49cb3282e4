// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/HistoryFile.h"

#include <QFont>
#include <QListView>
#include <QScrollBar>
#include <QTimer>

#include <functional>
#include <memory>

namespace platform {
class BackgroundWork;
}

namespace settings {

// How a row is drawn: in the list's font if it fits, else the largest smaller size that holds it down to 9
// points; below that the text before the count is elided in its middle, the count kept whole if it fits.
struct ShownRow {
    QFont font;
    QString text;
};

class HistoryModel;
class HistoryRowDelegate;

// The history list, one row per record, read row by row by the user and assistive technology. A long file is
// read in the background: the list shows progress and fills in, with the total, once it is read. Rows of one
// height are placed by arithmetic, as the view's own layout keeps two numbers per row (16 MB for a million).
class HistoryList : public QListView {
    Q_OBJECT
public:
    explicit HistoryList(QWidget* parent = nullptr);
    ~HistoryList() override;

    // historyShown() follows at once, or later for a long file; an unreadable file gives historyUnreadable()
    // and leaves the list empty.
    void showHistory(const QString& itemName);
    // Empties the list and lets go of the history it held; a history being read is stopped and forgotten.
    void clear();
    int count() const { return model()->rowCount(); }
    bool isReading() const { return mReading != nullptr; }
    ShownRow shownRow(int row) const;

    QRect visualRect(const QModelIndex& index) const override;
    QModelIndex indexAt(const QPoint& point) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;

    // Files from this size on are read in the background: 8 MB take about 30 ms on a quiet two-core machine,
    // twice that under load, as long as the window may stand still.
    static constexpr qint64 kReadInBackgroundFrom = 8 << 20;

signals:
    void historyShown(double total);
    // E.g. a folder in the file's place, or no permission; the description names the file.
    void historyUnreadable(const QString& description);

protected:
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    int horizontalOffset() const override { return 0; }
    int verticalOffset() const override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    int topRow() const { return verticalScrollBar()->value(); }
    // Rows wholly in view (at least one).
    int rowsInView() const;
    void present(const std::function<QmrM::HistoryIndex()>& read);
    void stopReading();

    HistoryModel* mModel;
    HistoryRowDelegate* mDelegate;
    std::unique_ptr<platform::BackgroundWork> mReading;  // a long history being read
    int mRowHeight = 1;
    QTimer mProgressTimer;
};

}  // namespace settings
