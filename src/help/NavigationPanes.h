// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Sitemap.h"
#include "TextSearch.h"

#include <QHash>
#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTreeWidget;
class QTreeWidgetItem;

// The three tabs beside the help page: contents, keyword index and full-text search. Each
// reads what it shows from the help file the first time it is shown, and asks the viewer
// for a page with topicRequested.
namespace help {

class ChmFile;

// A pane that is filled once, when it is first shown.
class NavigationPane : public QWidget {
    Q_OBJECT
public:
    explicit NavigationPane(const ChmFile& chm, QWidget* parent = nullptr);
    void ensureFilled();
    bool isFilled() const { return mFilled; }
    // The control that takes the focus when the user turns to this tab.
    QWidget* focusTarget() const { return mFocusTarget; }

signals:
    // The page of an entry chosen; empty for an entry that leads to no page, which the viewer passes over.
    void topicRequested(const QString& path);

protected:
    // Reads what the pane shows; a pane that reads nothing before it is used has nothing to do.
    virtual void fill() {}
    void showEvent(QShowEvent* event) override;

    const ChmFile& mChm;
    QWidget* mFocusTarget = nullptr;

private:
    bool mFilled = false;
};

// 目次: the contents file as a tree of books and pages.
class ContentsPane : public NavigationPane {
    Q_OBJECT
public:
    explicit ContentsPane(const ChmFile& chm, QWidget* parent = nullptr);
    // Selects the entry of the page shown, opening the books above it; the page is not
    // requested again.
    void selectPage(const QString& path);

protected:
    void fill() override;

private:
    void addEntries(const QList<SitemapEntry>& entries, QTreeWidgetItem* parent);
    void openEntry(QTreeWidgetItem* item);
    void showBookState(QTreeWidgetItem* item);

    QTreeWidget* mTree = nullptr;
    QHash<QString, QTreeWidgetItem*> mItemByPath;  // lower-case path, with and without part
    QString mShownPage;
    bool mSelecting = false;
};

// キーワード: the index file as a sorted list, selected as the user types.
class IndexPane : public NavigationPane {
    Q_OBJECT
public:
    explicit IndexPane(const ChmFile& chm, QWidget* parent = nullptr);

protected:
    void fill() override;

private:
    struct Keyword {
        QString name;
        QString key;      // folded, for matching what is typed and what "see also" names
        QString reading;  // folded, the order of the index
        QList<SitemapTopic> topics;
        QStringList seeAlso;
        int depth = 0;
    };
    void addSorted(const QList<SitemapEntry>& entries, int depth);
    void selectClosest(const QString& typed);
    void openCurrent();
    void hideTopics();

    QLineEdit* mField = nullptr;
    QListWidget* mList = nullptr;
    QLabel* mTopicsLabel = nullptr;
    QListWidget* mTopics = nullptr;
    QList<Keyword> mKeywords;  // in the order of the list's rows
};

// 検索: full-text search over every page of the file.
class SearchPane : public NavigationPane {
    Q_OBJECT
public:
    explicit SearchPane(const ChmFile& chm, QWidget* parent = nullptr);
    // Runs a search for the words in the field (what the 検索開始 button does).
    void search();

signals:
    // A result chosen: the page, and the words to mark on it.
    void resultChosen(const QString& path, const QString& words);

private:
    QLineEdit* mField = nullptr;
    QLabel* mStatus = nullptr;
    QTreeWidget* mResults = nullptr;
    std::unique_ptr<SearchIndex> mIndex;  // built on the first search, kept for the window's life
    QString mWords;
};

}  // namespace help
