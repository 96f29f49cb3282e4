// SPDX-License-Identifier: GPL-3.0-or-later
#include "NavigationPanes.h"

#include "ChmFile.h"
#include "platform/Guard.h"
#include "platform/FitLabel.h"
#include "HelpBrowser.h"
#include "HtmlText.h"

#include <QCollator>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QCoreApplication>

#include <algorithm>

namespace help {

namespace {

constexpr int kPathRole = Qt::UserRole;

// The search reads at most this much of a help file's pages (ours are some 55 KB in all): a file
// of very many pages that hold little text must not keep the first search decompressing for long.
constexpr qint64 kMaxIndexedBytes = 32 * 1024 * 1024;

// The line a pane shows when the file has nothing for it: not selectable, read out as it is.
void makeNotice(QTreeWidgetItem* item)
{
    item->setFlags(Qt::ItemIsEnabled);
    item->setForeground(0, QPalette().color(QPalette::Disabled, QPalette::Text));
}

void makeNotice(QListWidgetItem* item)
{
    item->setFlags(Qt::ItemIsEnabled);
    item->setForeground(QPalette().color(QPalette::Disabled, QPalette::Text));
}

QVBoxLayout* paneLayout(QWidget* pane)
{
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    return layout;
}

// Gives a control its object name, and the name and description assistive technology reads.
template <typename Control>
Control* named(Control* control, const char* objectName, const QString& name, const QString& description = {})
{
    control->setObjectName(QLatin1String(objectName));
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
    return control;
}

// A field for what the user types, under its prompt, at the end of the pane's layout.
QLineEdit* addField(QVBoxLayout* layout, const QString& prompt, const char* objectName, const QString& name,
                    const QString& description)
{
    auto* label = new QLabel(prompt, layout->parentWidget());
    auto* field = named(new QLineEdit(layout->parentWidget()), objectName, name, description);
    label->setBuddy(field);
    layout->addWidget(label);
    layout->addWidget(field);
    return field;
}

// A page named in a sitemap ("page.html#part"), as a path inside the file.
QString pathOf(const QString& local)
{
    return helpPathForLink(QUrl(local), QUrl(QStringLiteral("chm:/")));
}

// The entries of a sitemap file of the help file; none when there is no such file.
QList<SitemapEntry> readSitemapFile(const ChmFile& chm, const QString& path)
{
    bool ok = false;
    const QByteArray bytes = chm.read(path, &ok, ChmFile::kMaxPageSize);
    return ok ? readSitemap(decodeHtmlPage(bytes)) : QList<SitemapEntry>();
}

QString pageOf(const QString& path)
{
    return path.left(path.indexOf(QLatin1Char('#'))).toLower();  // the whole path when it has no part
}

}  // namespace

// ---------------------------------------------------------------------------------------

NavigationPane::NavigationPane(const ChmFile& chm, QWidget* parent) : QWidget(parent), mChm(chm) {}

void NavigationPane::ensureFilled()
{
    if (mFilled)
        return;
    mFilled = true;
    fill();
}

void NavigationPane::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    platform::runGuarded([this] { ensureFilled(); });
}

// ---------------------------------------------------------------------------------------

ContentsPane::ContentsPane(const ChmFile& chm, QWidget* parent) : NavigationPane(chm, parent)
{
    mTree = named(new QTreeWidget(this), "contentsTree", QCoreApplication::translate("Help", "目次"),
                  QCoreApplication::translate("Help", "ヘルプの内容の一覧です。項目を選ぶとそのページを表示します"));
    mTree->setHeaderHidden(true);
    mTree->setUniformRowHeights(true);
    mTree->setExpandsOnDoubleClick(false);  // a double click on a book opens and closes it below
    paneLayout(this)->addWidget(mTree);
    mFocusTarget = mTree;

    // Walking the contents with the keys shows each page. The first entry the tree makes current
    // by itself when it first gets the focus (there was none before) is not the user's choice.
    connect(mTree, &QTreeWidget::currentItemChanged, this,
            platform::guardedSlot([this](QTreeWidgetItem* item, QTreeWidgetItem* previous) {
                if (!mSelecting && item && previous)
                    emit topicRequested(item->data(0, kPathRole).toString());
            }));
    connect(mTree, &QTreeWidget::itemClicked, this, platform::guardedSlot([this](QTreeWidgetItem* item, int) {
                emit topicRequested(item->data(0, kPathRole).toString());
            }));
    connect(mTree, &QTreeWidget::itemActivated, this,
            platform::guardedSlot([this](QTreeWidgetItem* item, int) { openEntry(item); }));
    const auto showState = platform::guardedSlot([this](QTreeWidgetItem* item) { showBookState(item); });
    connect(mTree, &QTreeWidget::itemExpanded, this, showState);
    connect(mTree, &QTreeWidget::itemCollapsed, this, showState);
}

void ContentsPane::fill()
{
    const QList<SitemapEntry> entries = readSitemapFile(mChm, mChm.contentsFile());
    if (entries.isEmpty()) {
        makeNotice(new QTreeWidgetItem(mTree, {QCoreApplication::translate("Help", "目次がありません")}));
        return;
    }
    mSelecting = true;
    addEntries(entries, nullptr);
    mSelecting = false;
    selectPage(mShownPage);
}

void ContentsPane::addEntries(const QList<SitemapEntry>& entries, QTreeWidgetItem* parent)
{
    for (const SitemapEntry& entry : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(mTree);
        item->setText(0, entry.name);
        const QString path = entry.topics.isEmpty() ? QString() : pathOf(entry.topics.first().local);
        item->setData(0, kPathRole, path);
        if (!path.isEmpty()) {
            item->setToolTip(0, path.mid(1));
            // Several entries can lead to one page: the first one in the contents stands for it.
            if (!mItemByPath.contains(path.toLower()))
                mItemByPath.insert(path.toLower(), item);
            if (!mItemByPath.contains(pageOf(path)))
                mItemByPath.insert(pageOf(path), item);
        }
        addEntries(entry.children, item);
        showBookState(item);
    }
}

void ContentsPane::showBookState(QTreeWidgetItem* item)
{
    QStyle::StandardPixmap icon = QStyle::SP_FileIcon;
    if (item->childCount() > 0)
        icon = item->isExpanded() ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon;
    item->setIcon(0, style()->standardIcon(icon));
}

void ContentsPane::openEntry(QTreeWidgetItem* item)
{
    const QString path = item->data(0, kPathRole).toString();
    if (item->childCount() > 0 && (path.isEmpty() || !item->isExpanded() || mShownPage == path))
        item->setExpanded(!item->isExpanded());
    emit topicRequested(path);
}

void ContentsPane::selectPage(const QString& path)
{
    mShownPage = path;
    if (!isFilled() || path.isEmpty())
        return;
    // The entry the user chose stays chosen, also when another entry leads to the same page.
    QTreeWidgetItem* current = mTree->currentItem();
    if (current && current->isSelected() &&
        current->data(0, kPathRole).toString().compare(path, Qt::CaseInsensitive) == 0)
        return;
    QTreeWidgetItem* item = mItemByPath.value(path.toLower(), mItemByPath.value(pageOf(path)));
    if (!item || (item == current && item->isSelected()))
        return;
    for (QTreeWidgetItem* book = item->parent(); book; book = book->parent())
        book->setExpanded(true);
    mSelecting = true;
    mTree->setCurrentItem(item);
    mSelecting = false;
    mTree->scrollToItem(item);
}

// ---------------------------------------------------------------------------------------

IndexPane::IndexPane(const ChmFile& chm, QWidget* parent) : NavigationPane(chm, parent)
{
    QVBoxLayout* layout = paneLayout(this);
    mField = addField(layout, QCoreApplication::translate("Help", "キーワードを入力してください:"), "indexField",
                      QCoreApplication::translate("Help", "キーワードの入力"),
                      QCoreApplication::translate(
                          "Help", "入力するとその語で始まるキーワードを選びます。Enter でトピックを表示します"));
    mList = named(new QListWidget(this), "indexList", QCoreApplication::translate("Help", "キーワード一覧"));
    mList->setUniformItemSizes(true);
    mTopicsLabel = new QLabel(QCoreApplication::translate("Help", "このキーワードのトピック:"), this);
    mTopics =
        named(new QListWidget(this), "indexTopics", QCoreApplication::translate("Help", "このキーワードのトピック"),
              QCoreApplication::translate("Help", "表示するトピックを選んで Enter を押してください"));
    mTopicsLabel->setBuddy(mTopics);
    hideTopics();

    layout->addWidget(mList, 3);
    layout->addWidget(mTopicsLabel);
    layout->addWidget(mTopics, 1);
    mFocusTarget = mField;

    connect(mField, &QLineEdit::textChanged, this,
            platform::guardedSlot([this](const QString& text) { selectClosest(text); }));
    connect(mField, &QLineEdit::returnPressed, this, platform::guardedSlot([this] { openCurrent(); }));
    connect(mList, &QListWidget::itemActivated, this,
            platform::guardedSlot([this](QListWidgetItem*) { openCurrent(); }));
    connect(mList, &QListWidget::currentRowChanged, this, platform::guardedSlot([this](int) { hideTopics(); }));
    connect(mTopics, &QListWidget::itemActivated, this, platform::guardedSlot([this](QListWidgetItem* item) {
                emit topicRequested(item->data(kPathRole).toString());
            }));
}

void IndexPane::fill()
{
    addSorted(readSitemapFile(mChm, mChm.indexFile()), 0);
    for (const Keyword& keyword : std::as_const(mKeywords)) {
        // Sub-keywords stand indented under their keyword, as in a printed index.
        auto* item = new QListWidgetItem(QString(keyword.depth * 2, QLatin1Char(' ')) + keyword.name, mList);
        item->setData(Qt::AccessibleTextRole, keyword.name);
    }
    if (mKeywords.isEmpty()) {
        makeNotice(new QListWidgetItem(QCoreApplication::translate("Help", "キーワードがありません"), mList));
        return;
    }
    mList->setCurrentRow(0);
}

void IndexPane::addSorted(const QList<SitemapEntry>& entries, int depth)
{
    QCollator collator{QLocale(QLocale::Japanese, QLocale::Japan)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    QList<const SitemapEntry*> sorted;
    for (const SitemapEntry& entry : entries)
        sorted.append(&entry);
    // In order of their readings, as a Japanese index is: あいうえお順, a keyword in kanji where its kana stand.
    const auto readingOf = [](const SitemapEntry* entry) {
        return foldKey(entry->reading.isEmpty() ? entry->name : entry->reading);
    };
    std::stable_sort(sorted.begin(), sorted.end(), [&](const SitemapEntry* a, const SitemapEntry* b) {
        return collator.compare(readingOf(a), readingOf(b)) < 0;
    });
    for (const SitemapEntry* entry : std::as_const(sorted)) {
        mKeywords.append({entry->name, foldKey(entry->name), readingOf(entry), entry->topics, entry->seeAlso, depth});
        addSorted(entry->children, depth + 1);
    }
}

// Selects the first keyword that begins with what is typed, as written or as it reads; when none does, the
// first that sorts after it, so the list stays where the word would be.
void IndexPane::selectClosest(const QString& typed)
{
    const QString key = foldKey(typed);
    if (key.isEmpty() || mKeywords.isEmpty())
        return;
    auto found = std::find_if(mKeywords.cbegin(), mKeywords.cend(), [&](const Keyword& keyword) {
        return keyword.key.startsWith(key) || keyword.reading.startsWith(key);
    });
    if (found == mKeywords.cend()) {
        QCollator collator{QLocale(QLocale::Japanese, QLocale::Japan)};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        found = std::find_if(mKeywords.cbegin(), mKeywords.cend(), [&](const Keyword& keyword) {
            return keyword.depth == 0 && collator.compare(keyword.reading, key) >= 0;
        });
    }
    const int row = static_cast<int>((found == mKeywords.cend() ? mKeywords.size() - 1 : found - mKeywords.cbegin()));
    mList->setCurrentRow(row);
    mList->scrollToItem(mList->item(row), QAbstractItemView::PositionAtTop);
}

void IndexPane::openCurrent()
{
    // The rows are the keywords, in their order; a file without keywords has its notice alone.
    const int row = mList->currentRow();
    if (row < 0 || row >= mKeywords.size())
        return;
    // The keyword's pages that the file holds, to choose from when there are several. (The list is empty
    // and hidden before: it holds the topics of the current keyword only while they are offered.)
    hideTopics();
    for (const SitemapTopic& topic : mKeywords[row].topics) {
        const QString path = pathOf(topic.local);
        if (path.isEmpty())
            continue;
        auto* item = new QListWidgetItem(topic.title, mTopics);
        item->setData(kPathRole, path);
        item->setToolTip(path.mid(1));
    }
    if (mTopics->count() == 1) {
        const QString path = mTopics->item(0)->data(kPathRole).toString();
        mTopics->clear();
        emit topicRequested(path);
        return;
    }
    if (mTopics->count() > 1) {
        mTopicsLabel->show();
        mTopics->show();
        mTopics->setCurrentRow(0);
        mTopics->setFocus(Qt::OtherFocusReason);
        return;
    }
    // A keyword without pages of its own refers to another: go to that one.
    for (const QString& other : mKeywords[row].seeAlso) {
        const QString key = foldKey(other);
        for (qsizetype i = 0; i < mKeywords.size(); ++i) {
            if (mKeywords[i].key == key) {
                mList->setCurrentRow(static_cast<int>(i));
                return;
            }
        }
    }
}

void IndexPane::hideTopics()
{
    mTopicsLabel->hide();
    mTopics->hide();
    mTopics->clear();
}

// ---------------------------------------------------------------------------------------

SearchPane::SearchPane(const ChmFile& chm, QWidget* parent) : NavigationPane(chm, parent)
{
    QVBoxLayout* layout = paneLayout(this);
    mField = addField(layout, QCoreApplication::translate("Help", "検索する語句を入力してください:"), "searchField",
                      QCoreApplication::translate("Help", "検索する語句"),
                      QCoreApplication::translate("Help", "Enter でヘルプのすべてのページから探します"));
    // The button is read by its text.
    auto* start =
        named(new QPushButton(QCoreApplication::translate("Help", "検索開始"), this), "searchButton", QString(),
              QCoreApplication::translate("Help", "入力した語句をヘルプのすべてのページから探します"));
    start->setAutoDefault(false);
    mStatus = new QLabel(this);
    mStatus->setObjectName(QStringLiteral("searchStatus"));
    mStatus->setWordWrap(true);
    mResults = named(
        new QTreeWidget(this), "searchResults", QCoreApplication::translate("Help", "検索結果"),
        QCoreApplication::translate("Help", "語句が見つかったページと見つかった数です。選ぶとそのページを表示します"));
    mResults->setColumnCount(2);
    //: The headers of the search results: a page's title, and how often the words were found on it
    mResults->setHeaderLabels(
        {QCoreApplication::translate("Help", "タイトル"), QCoreApplication::translate("Help", "件数")});
    mResults->setRootIsDecorated(false);
    mResults->setUniformRowHeights(true);
    mResults->header()->setStretchLastSection(false);
    mResults->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    mResults->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);

    layout->addWidget(start, 0, Qt::AlignRight);
    layout->addWidget(mStatus);
    layout->addWidget(mResults, 1);
    mFocusTarget = mField;

    connect(mField, &QLineEdit::returnPressed, this, platform::guardedSlot([this] { search(); }));
    connect(start, &QPushButton::clicked, this, platform::guardedSlot([this] { search(); }));
    const auto open = platform::guardedSlot([this](QTreeWidgetItem* item, int) {
        if (item)
            emit resultChosen(item->data(0, kPathRole).toString(), mWords);
    });
    connect(mResults, &QTreeWidget::itemActivated, this, open);
    connect(mResults, &QTreeWidget::itemClicked, this, open);
}

void SearchPane::search()
{
    mWords = mField->text().trimmed();
    mResults->clear();
    // The emptied list lays itself out later; when the window repaints a part of it first (the focus leaving
    // the old current row), that layout runs inside the paint and its repaint of the whole list is lost,
    // leaving rows of the previous search drawn. The whole list is marked for repainting now.
    mResults->viewport()->update();
    if (mWords.isEmpty()) {
        platform::setTextKeptWhole(mStatus, QCoreApplication::translate("Help", "検索する語句を入力してください。"));
        return;
    }
    // The pages are read at the first search.
    if (!mIndex) {
        mIndex = std::make_unique<SearchIndex>();
        qint64 budget = kMaxIndexedBytes;
        for (const QString& path : mChm.pages()) {
            if (mIndex->isFull() || budget <= 0)
                break;
            bool ok = false;
            const QByteArray bytes = mChm.read(path, &ok, qMin(budget, ChmFile::kMaxPageSize));
            if (!ok)
                continue;
            budget -= bytes.size();
            const PageText page = pageText(decodeHtmlPage(bytes));
            mIndex->addPage(path, page.title.isEmpty() ? QFileInfo(path).fileName() : page.title, page.text);
        }
    }
    const QList<SearchIndex::Hit> hits = mIndex->search(mWords);
    for (const SearchIndex::Hit& hit : hits) {
        auto* item = new QTreeWidgetItem(mResults, {hit.title, QString::number(hit.count)});
        item->setData(0, kPathRole, hit.path);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, Qt::AccessibleTextRole,
                      //: A page found and how often the words were found on it
                      QCoreApplication::translate("Help", "%1 %n 件", nullptr, hit.count).arg(hit.title));
    }
    if (hits.isEmpty()) {
        platform::setTextKeptWhole(mStatus,
                                   QCoreApplication::translate("Help", "「%1」は見つかりませんでした。").arg(mWords));
        return;
    }
    platform::setTextKeptWhole(
        mStatus, QCoreApplication::translate("Help", "%n ページで見つかりました。", nullptr, int(hits.size())));
    mResults->setCurrentItem(mResults->topLevelItem(0));
    mResults->setFocus(Qt::OtherFocusReason);
}

}  // namespace help
