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

// How a row is drawn: in the list's font when the line fits, else in the largest smaller size that holds it,
// down to 9 points; below that, the part before the count gives way in its middle with "…". The count
// itself stays whole (unless it alone is wider than the row).
struct ShownRow {
    QFont font;
    QString text;
};

class HistoryModel;
class HistoryRowDelegate;

// The history list: a list that the user and assistive technology read row by row, one row per record of
// the history file. A long file is read in the background: the list then says how far it got and fills in
// when the whole file is read, and only then is the total known.
// Its rows, all of one height, are placed by arithmetic: the list view's own layout would keep two numbers
// per row (16 MB for a million records). It scrolls by rows, as a list box does.
class HistoryList : public QListView {
    Q_OBJECT
public:
    explicit HistoryList(QWidget* parent = nullptr);
    ~HistoryList() override;

    // Shows the history of an item. historyShown() follows at once for a file read in a moment, later for a
    // long one; for a file that cannot be read, historyUnreadable() with the reason, and the list stays empty.
    void showHistory(const QString& itemName);
    // Empties the list and lets go of the history it held; a history being read is stopped and forgotten.
    void clear();
    int count() const { return model()->rowCount(); }
    bool isReading() const { return mReading != nullptr; }
    // How row `row` is drawn now.
    ShownRow shownRow(int row) const;

    QRect visualRect(const QModelIndex& index) const override;
    QModelIndex indexAt(const QPoint& point) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;

    // Files from this size on are read in the background: reading 8 MB takes about 30 ms on a quiet two-core
    // machine and twice that under load, which is as long as the window may stand still.
    static constexpr qint64 kReadInBackgroundFrom = 8 << 20;

signals:
    // The history asked for is shown, with its total.
    void historyShown(double total);
    // The history asked for cannot be read (a folder in its place, no permission): why, naming the file.
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
    // Shows the history `read` gives, or tells why it cannot be read.
    void present(const std::function<QmrM::HistoryIndex()>& read);
    void stopReading();

    HistoryModel* mModel;
    HistoryRowDelegate* mDelegate;
    std::unique_ptr<platform::BackgroundWork> mReading;  // a long history being read
    int mRowHeight = 1;
    QTimer mProgressTimer;
};

}  // namespace settings
