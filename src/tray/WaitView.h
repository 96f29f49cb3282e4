// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopNotifications.h"
#include "platform/Dialogs.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace QmrM {
class StartWait;
}

namespace tray {

// The start wait in view. While it runs, the minimised training window's title counts the minutes down
// on the task bar (where the desktop keeps minimised windows; elsewhere the window waits out of sight),
// and an icon in the tray (where the desktop has one) tells the time left and the time of day the pass
// comes; its menu starts the pass now, stops waiting or ends the program. Where neither shows the wait, a
// notification that stays does, with 今すぐ始める and 待機をやめる. When the pass comes, a desktop
// notification says so, and its action 始める brings the training window to the front, which on Wayland
// only the desktop may do; where the desktop keeps the keyboard from it all the same, the notice says where
// the pass is. Each notice is withdrawn when its wait or its pass ends. Until a count is entered, the
// notice and the tray's menu offer 5 分後に: the window waits five minutes more, as after 開始, and the pass comes
// again. Everything follows the announcements of QmrM::StartWaits and wakes only when the wait does, once a minute.
class WaitView : public QObject {
    Q_OBJECT
public:
    WaitView();
    ~WaitView() override;

    // Tells a user who started the program again during the wait when the pass comes: as a notification,
    // or as a message box where no notification service answers; either offers to start now or to stop
    // waiting, and goes when the wait ends.
    void tellTimeLeft(const QmrM::StartWait& wait);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void waitBegan(const QmrM::StartWait& wait);
    void waitEnded();
    void phaseChanged();
    void passCame();
    void showPassNotice(const QString& body);
    void showTimeLeft(const QmrM::StartWait& wait);
    // The notice of the wait: at its start where nothing else shows it, on a second start, and kept up to
    // date (`update`) where it stays.
    void showWaitNotice(const QmrM::StartWait& wait, bool update, std::function<void()> unavailable = {});
    void showTitle(const QmrM::StartWait& wait);
    void restoreTitle();
    void makeTrayIcon();
    void updateMenu();
    void notificationAction(DesktopNotifications::Kind kind, const QString& key, const QString& activationToken);

    // The load of the training window whose title counts down (0: none), and its own title. The view
    // keeps no pointer to the window: the user may close it, and its widget goes, at any time.
    quint64 mTitledLoad = 0;
    QString mPlainTitle;
    // The time-left box shown where no notification service answers.
    std::unique_ptr<platform::NoticeBox> mTimeLeftBox;
    // The notice of the pass that is due went out while it waited for a pause in the user's input.
    bool mPassAnnounced = false;

    // The menu outlives the icon that shows it.
    std::unique_ptr<QMenu> mMenu;
    std::unique_ptr<QSystemTrayIcon> mIcon;
    DesktopNotifications mNotifications;
};

}  // namespace tray
