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

// Where a help page's link leads inside the file ("/dir/page.html#anchor"), with our "chm:" addresses understood and
// relative links taken against base; empty for a link out of the file (http:, mailto:, ...).
QString helpPathForLink(const QUrl& link, const QUrl& base = QUrl());

// The viewer's page part: serves pages, pictures and style sheets from the CHM, follows links, marks search words.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpBrowser(std::unique_ptr<ChmFile> chm, QWidget* parent = nullptr);
    ~HelpBrowser() override;

    const ChmFile& chm() const { return *mChm; }

    // Shows a page of the file; path as helpPathForLink returns it. An empty path, or "/", is the start page.
    void showTopic(const QString& path);

    // Marks where the words occur on the page (case and width ignored) and scrolls to the first; the marks go with it.
    void highlight(const QString& words);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    std::unique_ptr<ChmFile> mChm;
};

// A help window of our own: a toolbar over the navigation tabs (目次, キーワード, 検索) and the page, side by side in a
// splitter. Its title is the help file's own. It keeps nothing on disk.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    // Takes the opened file; opens over `owner`, the window asking for help, and gives it the focus back on closing.
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
