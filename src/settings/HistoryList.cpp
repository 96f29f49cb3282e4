// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryList.h"

#include "platform/BackgroundWork.h"
#include "platform/FitLabel.h"
#include "shared/Errors.h"
#include "shared/ShownDates.h"

#include <QAbstractListModel>
#include <QAccessible>
#include <QCache>
#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QHash>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStringBuilder>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QCoreApplication>

#include <algorithm>
#include <exception>
#include <limits>

namespace settings {
namespace {

constexpr int kRowsKept = 512;
// A field of megabytes shows only its start and end.
constexpr qsizetype kFieldShownAtMost = 200;
constexpr double kSmallestRowPoints = 9;
constexpr int kProgressRepaintMs = 100;

// "n _ date _ time _ count" in the language's forms, built in one allocation as rows are remade on scrolling.
QString historyLine(qsizetype number, const QString& date, const QString& time, const QString& count)
{
    const QLatin1String separator(" _ ");
    return QString::number(number) % separator % date % separator % time % separator % count;
}

QString shownField(const QString& field)
{
    if (field.size() <= kFieldShownAtMost)
        return field;
    qsizetype head = kFieldShownAtMost / 2;
    if (field[head - 1].isHighSurrogate())
        --head;
    qsizetype tail = kFieldShownAtMost - head - 1;
    if (field[field.size() - tail].isLowSurrogate())
        --tail;
    return field.left(head) + QChar(0x2026) + field.right(tail);
}

QStyle* styleOf(const QStyleOptionViewItem& option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

// The width the style lays a row's text out in: the text rectangle less the margins it keeps inside.
qreal textRoom(const QStyleOptionViewItem& option)
{
    QStyle* style = styleOf(option);
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &option, option.widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1;
    return text.width() - 2 * margin;
}

}  // namespace

// Rows made from the file's index as they are drawn or asked for (also by assistive technology); a few
// hundred are kept.
class HistoryModel : public QAbstractListModel {
public:
    static constexpr int CountRole = Qt::UserRole + 1;

    explicit HistoryModel(QObject* parent) : QAbstractListModel(parent), mRows(kRowsKept) {}

    void setHistory(QmrM::HistoryIndex history)
    {
        beginResetModel();
        mHistory = std::move(history);
        mRows.clear();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        if (parent.isValid())
            return 0;
        return int(std::min<qsizetype>(mHistory.size(), std::numeric_limits<int>::max()));
    }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override
    {
        if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != CountRole))
            return QVariant();
        const Row shown = row(index.row());
        return role == Qt::DisplayRole ? shown.line : shown.count;
    }

private:
    struct Row {
        QString line;
        QString count;
    };

    Row row(int number) const
    {
        if (const Row* made = mRows.object(number))
            return *made;
        const QmrM::HistoryRecord record = mHistory.record(number);
        const QString count = shownField(record.count);
        auto* made = new Row{historyLine(qsizetype(number) + 1, shownField(QmrM::shownRecordDate(record.date)),
                                         shownField(QmrM::shownRecordTime(record.time)), count),
                             count};
        mRows.insert(number, made);  // the newest row, which the cache keeps
        return *made;
    }

    QmrM::HistoryIndex mHistory;
    mutable QCache<int, Row> mRows;
};

// Draws rows as ShownRow describes.
class HistoryRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // `item`, the list's option, is made the row's.
    ShownRow shownRow(QStyleOptionViewItem& item, const QModelIndex& index) const
    {
        initStyleOption(&item, index);
        const QString& text = item.text;
        const QPaintDevice* device = item.widget;
        const qreal room = textRoom(item);
        const auto fits = [&](const QFont& font) { return platform::neededWidth(text, font, device) <= room; };
        const auto [font, whole] = platform::fittingFont(item.font, kSmallestRowPoints, device, fits);
        if (whole)
            return ShownRow{font, text};
        // Too long even at the smallest size: what comes before the count gives way.
        const QFontMetricsF metrics(font, device);
        const QString count = index.data(HistoryModel::CountRole).toString();
        const qreal countWidth = platform::neededWidth(count, font, device);
        if (countWidth >= room || !text.endsWith(count))
            return ShownRow{font, metrics.elidedText(text, Qt::ElideMiddle, room)};
        const QString before = text.left(text.size() - count.size());
        return ShownRow{font, metrics.elidedText(before, Qt::ElideMiddle, room - countWidth) + count};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        const ShownRow shown = shownRow(item, index);
        item.text = shown.text;
        item.font = shown.font;
        item.fontMetrics = QFontMetrics(shown.font, item.widget);
        styleOf(item)->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
    }
};

HistoryList::HistoryList(QWidget* parent)
    : QListView(parent), mModel(new HistoryModel(this)), mDelegate(new HistoryRowDelegate(this))
{
    setModel(mModel);
    setItemDelegate(mDelegate);
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mProgressTimer.setInterval(kProgressRepaintMs);
    connect(&mProgressTimer, &QTimer::timeout, viewport(), qOverload<>(&QWidget::update));
}

HistoryList::~HistoryList() = default;

void HistoryList::stopReading()
{
    if (!mReading)
        return;
    // The reading checks between pieces of a few hundred kilobytes, so this ends at once.
    mReading.reset();
    mProgressTimer.stop();
    setAccessibleDescription(QString());
    viewport()->update();
}

void HistoryList::clear()
{
    stopReading();
    mModel->setHistory(QmrM::HistoryIndex());
    doItemsLayout();
}

ShownRow HistoryList::shownRow(int row) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QModelIndex index = mModel->index(row);
    option.rect = visualRect(index);
    return mDelegate->shownRow(option, index);
}

void HistoryList::showHistory(const QString& itemName)
{
    clear();
    if (QFileInfo(QmrM::historyFileName(itemName)).size() < kReadInBackgroundFrom) {
        present([&] { return QmrM::readHistoryIndex(itemName); });
        return;
    }
    // Only the reading writes the index; the list takes it once the reading is over.
    auto read = std::make_shared<QmrM::HistoryIndex>();
    mReading = std::make_unique<platform::BackgroundWork>(
        [read, itemName](QmrM::Progress& progress) { *read = QmrM::readHistoryIndex(itemName, nullptr, &progress); },
        [this, read](std::exception_ptr failure) {
            QmrM::HistoryIndex history = std::move(*read);  // taken before the work that holds it goes
            stopReading();
            present([&] {
                if (failure)
                    std::rethrow_exception(failure);  // anything but an unreadable file goes on to the guard
                return std::move(history);
            });
        });
    mProgressTimer.start();
    setAccessibleDescription(QCoreApplication::translate("frmSettei", "履歴を読み込んでいます"));
}

void HistoryList::present(const std::function<QmrM::HistoryIndex()>& read)
{
    QmrM::HistoryIndex history;
    try {
        history = read();
    } catch (const QmrM::DataFileError& error) {
        emit historyUnreadable(error.description());
        return;
    }
    const double total = history.total();
    mModel->setHistory(std::move(history));
    doItemsLayout();  // the rows' height and the scroll bar now, for whoever asks where a row is
    emit historyShown(total);
}

int HistoryList::rowsInView() const
{
    return std::max(1, viewport()->height() / mRowHeight);
}

void HistoryList::doItemsLayout()
{
    if (mModel->rowCount() > 0) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        mRowHeight = std::max(1, itemDelegate()->sizeHint(option, mModel->index(0)).height());
    }
    QAbstractItemView::doItemsLayout();  // not the list view's layout, which would place every row
}

void HistoryList::updateGeometries()
{
    const int inView = rowsInView();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(inView);
    verticalScrollBar()->setRange(0, std::max(0, mModel->rowCount() - inView));
    horizontalScrollBar()->setRange(0, 0);
    QAbstractItemView::updateGeometries();
}

int HistoryList::verticalOffset() const
{
    return int(std::min<qint64>(qint64(topRow()) * mRowHeight, std::numeric_limits<int>::max()));
}

// The rows in view are few: a scroll or a selection change redraws them all.
void HistoryList::scrollContentsBy(int /*dx*/, int /*dy*/)
{
    viewport()->update();
}

QRect HistoryList::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != mModel || index.row() >= mModel->rowCount())
        return QRect();
    // Far away rows lie far above or below the viewport, where no arithmetic overflows.
    constexpr qint64 kFar = 1 << 24;
    const qint64 top = std::clamp(qint64(index.row() - topRow()) * mRowHeight, -kFar, kFar);
    return QRect(0, int(top), viewport()->width(), mRowHeight);
}

QModelIndex HistoryList::indexAt(const QPoint& point) const
{
    if (point.y() < 0 || point.x() < 0 || point.x() >= viewport()->width())
        return QModelIndex();
    const qint64 row = topRow() + qint64(point.y() / mRowHeight);
    return row < mModel->rowCount() ? mModel->index(int(row)) : QModelIndex();
}

void HistoryList::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!index.isValid())
        return;
    executeDelayedItemsLayout();
    const int row = index.row();
    const int inView = rowsInView();
    const int top = hint == PositionAtTop      ? row
                    : hint == PositionAtBottom ? row - inView + 1
                    : hint == PositionAtCenter ? row - inView / 2
                                               : std::clamp(topRow(), row - inView + 1, row);  // EnsureVisible
    verticalScrollBar()->setValue(top);
}

QModelIndex HistoryList::moveCursor(CursorAction action, Qt::KeyboardModifiers /*modifiers*/)
{
    const int rows = mModel->rowCount();
    if (rows == 0)
        return QModelIndex();
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return mModel->index(0);
    // A page keeps one row in view; Home and End move by every row, clamped to the first and last.
    const qint64 page = std::max(1, rowsInView() - 1);
    const QHash<int, qint64> moves{{MoveUp, -1},        {MovePrevious, -1},   {MoveDown, 1},     {MoveNext, 1},
                                   {MovePageUp, -page}, {MovePageDown, page}, {MoveHome, -rows}, {MoveEnd, rows}};
    return mModel->index(int(std::clamp<qint64>(current.row() + moves.value(action), 0, rows - 1)));
}

// One row at a time: the view asks for the row under the mouse.
void HistoryList::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command)
{
    selectionModel()->select(indexAt(rect.topLeft()), command);
}

QRegion HistoryList::visualRegionForSelection(const QItemSelection& /*selection*/) const
{
    return viewport()->rect();
}

// Tells assistive technology with the row as the child: the list view's own way of counting it needs its layout.
void HistoryList::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (QAccessible::isActive() && current.isValid() && hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(current.row());
        QAccessible::updateAccessibility(&event);
    }
    QAbstractItemView::currentChanged(current, previous);
}

void HistoryList::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    if (QAccessible::isActive()) {
        const auto tell = [this](const QItemSelection& rows, QAccessible::Event what) {
            if (rows.isEmpty() || !rows.first().isValid())
                return;
            QAccessibleEvent event(this, what);
            event.setChild(rows.first().top());
            QAccessible::updateAccessibility(&event);
        };
        tell(selected, QAccessible::SelectionAdd);
        tell(deselected, QAccessible::SelectionRemove);
    }
    QAbstractItemView::selectionChanged(selected, deselected);
}

void HistoryList::paintEvent(QPaintEvent* event)
{
    const QRect& area = event->rect();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QModelIndex hover = indexAt(viewport()->mapFromGlobal(QCursor::pos()));
    QPainter painter(viewport());
    const int first = topRow() + std::max(0, area.top()) / mRowHeight;
    const int last = std::min(mModel->rowCount() - 1, topRow() + area.bottom() / mRowHeight);
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = mModel->index(row);
        option.rect = visualRect(index);
        // Each row sets the three states it may have, whatever the row before it had.
        option.state.setFlag(QStyle::State_Selected, selectionModel()->isSelected(index));
        option.state.setFlag(QStyle::State_HasFocus, focus && index == current);
        option.state.setFlag(QStyle::State_MouseOver, index == hover && underMouse());
        itemDelegate()->paint(&painter, option, index);
    }
    if (!mReading)
        return;
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(
        viewport()->rect(), Qt::AlignCenter | Qt::TextWordWrap,
        QCoreApplication::translate("frmSettei", "履歴を読み込んでいます… %1 %").arg(mReading->progress().percent()));
}

}  // namespace settings
