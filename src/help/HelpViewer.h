// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HelpBrowser.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QAction;
class QCloseEvent;
class QTabWidget;

namespace help {

class ChmFile;
class ContentsPane;

// A help window of our own: a toolbar over the navigation tabs (目次, キーワード, 検索) and
// the page, side by side in a splitter. Its title is the help file's own. It keeps nothing
// on disk.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    // Takes the opened file. owner is the window that asked for help: the viewer opens
    // over it and gives it back the focus when the viewer is closed.
    HelpViewer(std::unique_ptr<ChmFile> chm, QWidget* owner = nullptr);

    HelpBrowser* browser() const { return mBrowser; }

    // True once the window was closed (it is then about to be deleted).
    bool isClosed() const { return mClosed; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolBar(QLayout* layout);
    void buildNavigation();
    void setNavigationShown(bool shown);
    void showToggle(bool shown);
    void turnToTab(int index);
    void showRequestedTopic(const QString& path);

    HelpBrowser* mBrowser = nullptr;
    QTabWidget* mTabs = nullptr;
    ContentsPane* mContents = nullptr;
    QAction* mToggle = nullptr;
    QPointer<QWidget> mOwner;
    bool mClosed = false;
};

}  // namespace help
