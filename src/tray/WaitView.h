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

// The start wait in view. The minimised training window's title counts the minutes down on the task bar, if any,
// and a tray icon, if any, tells the time left and when the pass comes; its menu starts now, stops waiting or
// ends the program. Where neither shows, a lasting notification does, with 今すぐ始める and 待機をやめる.
// When the pass comes, a notification's 始める brings the training window forward (on Wayland only the desktop
// may); if the desktop still keeps the keyboard from it, the notice says where the pass is. Notices go when
// their wait or pass ends. Until a count is entered, notice and menu offer 5 分後に: five minutes more, as after
// 開始. Everything follows QmrM::StartWaits' announcements and wakes only when the wait does, once a minute.
class WaitView : public QObject {
    Q_OBJECT
public:
    WaitView();
    ~WaitView() override;

    // For a second start during the wait: a notification, or a message box where no service answers; either
    // offers to start now or stop waiting, and goes when the wait ends.
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
    // At the wait's start where nothing else shows it, on a second start, and kept up to date (`update`).
    void showWaitNotice(const QmrM::StartWait& wait, bool update, std::function<void()> unavailable = {});
    void showTitle(const QmrM::StartWait& wait);
    void restoreTitle();
    void makeTrayIcon();
    void updateMenu();
    void notificationAction(DesktopNotifications::Kind kind, const QString& key, const QString& activationToken);

    // The load of the training window whose title counts down (0: none), and its own title. No pointer is
    // kept: the user may close the window, and its widget goes, at any time.
    quint64 mTitledLoad = 0;
    QString mPlainTitle;
    std::unique_ptr<platform::NoticeBox> mTimeLeftBox;  // where no notification service answers
    // The due pass's notice went out while it waited for a pause in the user's input.
    bool mPassAnnounced = false;

    // The menu outlives the icon that shows it.
    std::unique_ptr<QMenu> mMenu;
    std::unique_ptr<QSystemTrayIcon> mIcon;
    DesktopNotifications mNotifications;
};

}  // namespace tray
