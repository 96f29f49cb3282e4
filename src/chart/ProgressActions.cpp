// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressActions.h"

#include <QComboBox>
#include <QListWidget>

#include "platform/Dialogs.h"
#include "platform/Guard.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QShortcut>
#include <QCoreApplication>

#include <functional>

namespace chart {
namespace {

constexpr QKeyCombination kChartShortcut = Qt::CTRL | Qt::Key_G;

// The context menu of one control, with グラフを表示 and CSV 形式で書き出す..., opened by the right mouse button,
// the Menu key and Shift+F10. `item` tells, when the menu opens, which item it is for. It lives as the control's child
// and watches its events (and its viewport's, where a list receives the mouse).
class ProgressMenu : public QObject {
public:
    ProgressMenu(QWidget* control, std::function<int()> item)
        : QObject(control), mControl(control), mItem(std::move(item)), mMenu(new QMenu(control))
    {
        mMenu->setObjectName(QStringLiteral("mnuProgress"));
        QAction* show = mMenu->addAction(QCoreApplication::translate("Chart", "グラフを表示"));
        show->setObjectName(QStringLiteral("mnuShowChart"));
        // Shown beside the entry; the window's own shortcut does the work, this one only while the menu is open.
        show->setShortcut(QKeySequence(kChartShortcut));
        show->setShortcutContext(Qt::WidgetShortcut);
        QAction* csv = mMenu->addAction(exportCsvMenuText());
        csv->setObjectName(QStringLiteral("mnuExportCsv"));
        connect(show, &QAction::triggered, this, platform::guardedSlot([this] { showChart(mControl, mFor); }));
        connect(csv, &QAction::triggered, this, platform::guardedSlot([this] {
                    // The window the menu belongs to has no status line: a box says where the file went.
                    const QString path = exportCsv(mControl, mFor);
                    if (!path.isEmpty())
                        platform::MsgBox(QCoreApplication::translate("Chart", "「%1」に書き出しました。")
                                             .arg(QDir::toNativeSeparators(path)),
                                         platform::vbInformation, exportCsvTitle());
                }));
        control->installEventFilter(this);
        if (auto* area = qobject_cast<QAbstractScrollArea*>(control))
            area->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ContextMenu) {
            auto* request = static_cast<QContextMenuEvent*>(event);
            open(request->reason() == QContextMenuEvent::Mouse ? request->globalPos() : keyboardPoint());
            return true;
        }
        if (event->type() == QEvent::KeyPress && watched == mControl) {
            const QKeyCombination key = static_cast<QKeyEvent*>(event)->keyCombination();
            if (key == QKeyCombination(Qt::Key_Menu) || key == (Qt::SHIFT | Qt::Key_F10)) {
                open(keyboardPoint());
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // Where a menu opened from the keyboard appears: below the current entry of a list, else mid-control.
    QPoint keyboardPoint() const
    {
        if (auto* view = qobject_cast<QAbstractItemView*>(mControl.data())) {
            const QRect entry = view->visualRect(view->currentIndex());
            if (entry.isValid() && view->viewport()->rect().intersects(entry))
                return view->viewport()->mapToGlobal(entry.bottomLeft());
        }
        return mControl->mapToGlobal(mControl->rect().center());
    }

    void open(const QPoint& at)
    {
        if (!mControl || mMenu->isVisible())
            return;  // the Menu key may come both as a key and as a context menu request
        platform::runGuarded([&] {
            mFor = mItem();
            mMenu->popup(at);
        });
    }

    QPointer<QWidget> mControl;
    std::function<int()> mItem;
    QMenu* mMenu;
    int mFor = 0;
};

}  // namespace

void attachToSettingsWindow(QWidget* window)
{
    auto* itemList = window->findChild<QListWidget*>(QStringLiteral("lstKoumoku"));
    auto* historyList = window->findChild<QAbstractItemView*>(QStringLiteral("lstRireki"));
    auto* shown = window->findChild<QComboBox*>(QStringLiteral("cboKoumoku"));
    if (!itemList || !historyList || !shown)
        return;
    const auto listed = [itemList] { return itemList->currentRow() + 1; };
    const auto historyShown = [shown] { return shown->currentIndex() + 1; };
    // Each menu lives as its control's child.
    new ProgressMenu(itemList, listed);
    new ProgressMenu(historyList, historyShown);
    // Ctrl+G anywhere in the window; as the item list's menu says beside グラフを表示, there it charts its entry.
    auto* shortcut = new QShortcut(QKeySequence(kChartShortcut), window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window,
                     platform::guardedSlot([window, itemList, listed, historyShown] {
                         showChart(window, itemList->hasFocus() && listed() > 0 ? listed() : historyShown());
                     }));
}

}  // namespace chart
