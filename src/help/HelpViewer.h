// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

#include <memory>

class QAction;
class QCloseEvent;
class QTabWidget;

namespace help {

class ChmFile;
class ContentsPane;

// Where a link of a help page leads inside the help file: "/dir/page.html#anchor".
// Understands our own "chm:" addresses; relative links are taken against base.
// Returns an empty text for a link that leads out of the file (http:, mailto:, ...).
QString helpPathForLink(const QUrl& link, const QUrl& base = QUrl());

// The page part of the viewer: serves pages, pictures and style sheets from the CHM,
// follows the links between them, and marks the words of a search on the page shown.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpBrowser(std::unique_ptr<ChmFile> chm, QWidget* parent = nullptr);
    ~HelpBrowser() override;

    const ChmFile& chm() const { return *mChm; }

    // Shows a page of the file; path as helpPathForLink returns it. An empty path, or "/", is the start page.
    void showTopic(const QString& path);

    // Marks every place the words occur on the page shown (case and width ignored) and
    // scrolls to the first. The marks go with the page.
    void highlight(const QString& words);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    std::unique_ptr<ChmFile> mChm;
};

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
};

}  // namespace help
