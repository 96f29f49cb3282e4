// SPDX-License-Identifier: GPL-3.0-or-later
// The help viewer: its window with the navigation tabs, and the page part (HelpBrowser).
#include "HelpViewer.h"

#include "ChmFile.h"
#include "HtmlText.h"
#include "PagePictures.h"
#include "Printing.h"
#include "Sitemap.h"
#include "TextSearch.h"
#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "platform/FitLabel.h"
#include "platform/Guard.h"
#include "platform/OnScreen.h"
#include "shared/TextEncoding.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QCollator>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHash>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <utility>

namespace help {

namespace {

const QString kOwnScheme = QStringLiteral("chm");
const QColor kHighlightColour(255, 230, 90);

// The title of the help's windows and message boxes.
QString boxTitle()
{
    return QCoreApplication::translate("Help", "HTML ヘルプ");
}

// A path without its part ("/page.html" of "/page.html#part"); the whole path when it has none.
QString pagePart(const QString& path)
{
    return path.left(path.indexOf(QLatin1Char('#')));
}

// The address under which a path of the file is shown ("chm:/page.html").
QUrl topicUrl(const QString& path)
{
    QUrl url;
    url.setScheme(kOwnScheme);
    url.setPath(pagePart(path));
    const qsizetype hash = path.indexOf(QLatin1Char('#'));
    if (hash >= 0)
        url.setFragment(path.mid(hash + 1));
    return url;
}

// Only web pages are opened outside, each once the user agreed: the desktop would open any file or program a
// link names as well (file:, a desktop's own schemes).
void openOutside(const QUrl& link, QWidget* browser)
{
    const QString scheme = link.scheme().toLower();
    const QString address = link.toDisplayString();
    if ((scheme != QLatin1String("http") && scheme != QLatin1String("https")) || link.host().isEmpty()) {
        platform::MsgBox(QCoreApplication::translate("Help", "このリンクはヘルプからは開けません。\n\n%1").arg(address),
                         platform::vbExclamation, boxTitle());
        return;
    }
    const QPointer<QWidget> self(browser);
    const int answer = platform::MsgBox(
        QCoreApplication::translate("Help", "次のページをブラウザーで開きます。よろしいですか？\n\n%1").arg(address),
        platform::vbOKCancel | platform::vbInformation, boxTitle());
    // The help window may have been closed while the box was open.
    if (answer == platform::vbOK && self)
        QDesktopServices::openUrl(link);
}

QString pageNotShown(const ChmFile& chm, const QString& path)
{
    // A page that is there but cannot be read is damaged or longer than any help page should be.
    const QString reason =
        (chm.holds(path)
             ? QCoreApplication::translate("Help", "ページ「%1」は大きすぎるか壊れているため表示できません。")
             : QCoreApplication::translate("Help", "ページ「%1」はヘルプファイルの中に見つかりません。"))
            .arg(path.toHtmlEscaped());
    //: %1 says which page cannot be shown and why
    return QCoreApplication::translate("Help",
                                       "<html><head><title>ページを表示できません</title></head><body>"
                                       "<h2>ページを表示できません</h2>"
                                       "<p>%1</p>"
                                       "<p><a href=\"chm:/\">ヘルプの最初のページへ戻る</a></p>"
                                       "</body></html>")
        .arg(reason);
}

constexpr int kPathRole = Qt::UserRole;

// The most the search reads of a file's pages (ours are some 55 KB): many tiny pages must not stall the first search.
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

// A column of controls `gap` pixels apart and from the widget's edges.
QVBoxLayout* columnLayout(QWidget* widget, int gap = 4)
{
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(gap, gap, gap, gap);
    layout->setSpacing(gap);
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
    return pagePart(path).toLower();
}

QString tipWithKey(const QString& tip, const QKeySequence& key)
{
    return QStringLiteral("%1 (%2)").arg(tip, key.toString(QKeySequence::NativeText));
}

// Qt's own tab bar takes its current tab's name and marks that tab focused wherever the focus is, telling a screen
// reader neither what the bar is nor which tab is on. This one reads as a page tab list with its accessible name,
// each tab under its accessible tab name ("目次", not "目次(C)"), the current one selected.
class TabInterface : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TabInterface(QTabBar* bar, int index) : mBar(bar), mIndex(index) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    bool isValid() const override { return mBar && mIndex < mBar->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return mBar ? parent()->window() : nullptr; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.focusable = true;
        s.selectable = true;
        s.selected = mBar->currentIndex() == mIndex;
        s.focused = s.selected && mBar->hasFocus();
        s.disabled = !mBar->isEnabled() || !mBar->isTabEnabled(mIndex);
        s.invisible = !mBar->isVisible() || !mBar->isTabVisible(mIndex);
        return s;
    }

    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const QRect tab = mBar->tabRect(mIndex);
        return QRect(mBar->mapToGlobal(tab.topLeft()), tab.size());
    }

    QString text(QAccessible::Text type) const override
    {
        if (!isValid())
            return QString();
        if (type == QAccessible::Description)
            return mBar->tabToolTip(mIndex);
        return type == QAccessible::Name ? mBar->accessibleTabName(mIndex) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}

    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(mBar.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override
    {
        if (isValid() && action == pressAction())
            mBar->setCurrentIndex(mIndex);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    int index() const { return mIndex; }

private:
    QPointer<QTabBar> mBar;
    int mIndex;
};

class TabBarInterface : public QAccessibleWidget {
public:
    explicit TabBarInterface(QTabBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~TabBarInterface() override
    {
        for (const QAccessible::Id id : std::as_const(mTabs))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return bar()->count(); }

    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= bar()->count())
            return nullptr;
        if (const QAccessible::Id id = mTabs.value(index))
            return QAccessible::accessibleInterface(id);
        auto* tab = new TabInterface(bar(), index);
        mTabs.insert(index, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto* tab = dynamic_cast<const TabInterface*>(child);
        return tab && tab->parent() == this ? tab->index() : -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        const int index = bar()->tabAt(bar()->mapFromGlobal(QPoint(x, y)));
        return index >= 0 ? child(index) : nullptr;
    }

private:
    QTabBar* bar() const { return static_cast<QTabBar*>(widget()); }

    mutable QHash<int, QAccessible::Id> mTabs;
};

}  // namespace

QString helpPathForLink(const QUrl& link, const QUrl& base)
{
    if (!link.isValid())
        return QString();
    const QString scheme = link.scheme().toLower();
    if (scheme.isEmpty() && base.isValid() && !base.scheme().isEmpty())
        return helpPathForLink(base.resolved(link), QUrl());
    if (!scheme.isEmpty() && scheme != kOwnScheme)
        return QString();
    QString result = ChmFile::normalizePath(link.path());
    if (link.hasFragment() && !link.fragment().isEmpty())
        result += QLatin1Char('#') + link.fragment();
    return result;
}

HelpBrowser::HelpBrowser(std::unique_ptr<ChmFile> chm, QWidget* parent) : QTextBrowser(parent), mChm(std::move(chm))
{
    // Links are followed here: QTextBrowser would hand our "chm:" addresses to the desktop as external links.
    setOpenLinks(false);
    document()->setDocumentMargin(10);
    PagePictures::registerOn(document());
    connect(this, &QTextBrowser::anchorClicked, this, platform::guardedSlot([this](const QUrl& link) {
                const QString path = helpPathForLink(link, source());
                if (!path.isEmpty())
                    showTopic(path);
                else if (link.isValid() && !link.scheme().isEmpty())
                    openOutside(link, this);
            }));
    // Marks belong to the page they were made on.
    connect(this, &QTextBrowser::sourceChanged, this, [this] { setExtraSelections({}); });
}

HelpBrowser::~HelpBrowser() = default;

void HelpBrowser::showTopic(const QString& path)
{
    // No page, or a link to the file itself, opens its start page (a file without one is not opened).
    const QString page = pagePart(path);
    setSource(topicUrl(page.isEmpty() || page == QLatin1String("/") ? mChm->defaultTopic() : path));
}

void HelpBrowser::highlight(const QString& words)
{
    const QString word = foldKey(words);
    const FoldedText text = foldText(document()->toPlainText());
    QList<QTextEdit::ExtraSelection> marks;
    for (const TextMatch& match : findAll(text, word)) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(document());
        mark.cursor.setPosition(static_cast<int>(match.start));
        mark.cursor.setPosition(static_cast<int>(match.start + match.length), QTextCursor::KeepAnchor);
        mark.format.setBackground(kHighlightColour);
        mark.format.setForeground(Qt::black);
        marks.append(mark);
    }
    setExtraSelections(marks);
    if (!marks.isEmpty()) {
        QTextCursor first = marks.first().cursor;
        first.clearSelection();
        setTextCursor(first);
        ensureCursorVisible();
    }
}

// Only what the help file holds is shown. A refusal is an empty resource, never none: QTextDocument would fetch
// that itself (a file: address, a path on the computer).
QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    const QString path = helpPathForLink(name, source());
    const QString stored = pagePart(path);
    const bool isText = type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource;
    bool ok = false;  // stays false for a path out of the file (empty)
    const QByteArray bytes = mChm->read(stored, &ok, isText ? ChmFile::kMaxPageSize : ChmFile::kMaxObjectSize);
    switch (type) {
    case QTextDocument::HtmlResource:
        return ok ? decodeHtmlPage(bytes) : pageNotShown(*mChm, stored);
    case QTextDocument::StyleSheetResource:
        return ok ? QmrM::decodeUtf8OrCp932(bytes) : QString();
    case QTextDocument::ImageResource:
        // Decoded by the page's PagePictures, only as large as they are drawn.
        return QVariant::fromValue(PictureFile{bytes});
    default:
        return bytes;
    }
}

// The tabs beside the page (contents, keywords, full-text search): each is filled from the help file when first
// shown, and asks the viewer for a page with topicRequested.
class NavigationPane : public QWidget {
    Q_OBJECT
public:
    explicit NavigationPane(const ChmFile& chm, QWidget* parent = nullptr) : QWidget(parent), mChm(chm) {}
    void ensureFilled()
    {
        if (!std::exchange(mFilled, true))
            fill();
    }
    // The control that takes the focus when the user turns to this tab.
    QWidget* focusTarget() const { return mFocusTarget; }

signals:
    // The page of an entry chosen; empty for an entry that leads to no page, which the viewer passes over.
    void topicRequested(const QString& path);

protected:
    // Reads what the pane shows; a pane that reads nothing before it is used has nothing to do.
    virtual void fill() {}
    void showEvent(QShowEvent* event) override
    {
        QWidget::showEvent(event);
        platform::runGuarded([this] { ensureFilled(); });
    }

    const ChmFile& mChm;
    QWidget* mFocusTarget = nullptr;
    bool mFilled = false;
};

// 目次: the contents file as a tree of books and pages.
class ContentsPane : public NavigationPane {
    Q_OBJECT
public:
    explicit ContentsPane(const ChmFile& chm, QWidget* parent = nullptr) : NavigationPane(chm, parent)
    {
        mTree =
            named(new QTreeWidget(this), "contentsTree", QCoreApplication::translate("Help", "目次"),
                  QCoreApplication::translate("Help", "ヘルプの内容の一覧です。項目を選ぶとそのページを表示します"));
        mTree->setHeaderHidden(true);
        mTree->setUniformRowHeights(true);
        mTree->setExpandsOnDoubleClick(false);  // a double click on a book opens and closes it below
        columnLayout(this)->addWidget(mTree);
        mFocusTarget = mTree;

        // Walking the contents with the keys shows each page, but not the entry the tree makes current itself on
        // its first focus.
        connect(mTree, &QTreeWidget::currentItemChanged, this,
                platform::guardedSlot([this](QTreeWidgetItem* item, QTreeWidgetItem* previous) {
                    if (item && previous)
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

    // Selects the page's entry, opening the books above it, without requesting the page again.
    void selectPage(const QString& path)
    {
        mShownPage = path;
        if (!mFilled || path.isEmpty())
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
        const QSignalBlocker selecting(mTree);  // the page is shown already, not asked for
        mTree->setCurrentItem(item);
        mTree->scrollToItem(item);
    }

protected:
    void fill() override
    {
        const QList<SitemapEntry> entries = readSitemapFile(mChm, mChm.contentsFile());
        if (entries.isEmpty()) {
            makeNotice(new QTreeWidgetItem(mTree, {QCoreApplication::translate("Help", "目次がありません")}));
            return;
        }
        QSignalBlocker filling(mTree);
        addEntries(entries, nullptr);
        filling.unblock();
        selectPage(mShownPage);
    }

private:
    void addEntries(const QList<SitemapEntry>& entries, QTreeWidgetItem* parent)
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

    void showBookState(QTreeWidgetItem* item)
    {
        QStyle::StandardPixmap icon = QStyle::SP_FileIcon;
        if (item->childCount() > 0)
            icon = item->isExpanded() ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon;
        item->setIcon(0, style()->standardIcon(icon));
    }

    void openEntry(QTreeWidgetItem* item)
    {
        const QString path = item->data(0, kPathRole).toString();
        if (item->childCount() > 0 && (path.isEmpty() || !item->isExpanded() || mShownPage == path))
            item->setExpanded(!item->isExpanded());
        emit topicRequested(path);
    }

    QTreeWidget* mTree = nullptr;
    QHash<QString, QTreeWidgetItem*> mItemByPath;  // lower-case path, with and without part
    QString mShownPage;
};

// キーワード: the index file as a sorted list, selected as the user types.
class IndexPane : public NavigationPane {
    Q_OBJECT
public:
    explicit IndexPane(const ChmFile& chm, QWidget* parent = nullptr) : NavigationPane(chm, parent)
    {
        QVBoxLayout* layout = columnLayout(this);
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

protected:
    void fill() override
    {
        addSorted(readSitemapFile(mChm, mChm.indexFile()), 0);
        for (const Keyword& keyword : std::as_const(mKeywords)) {
            // Sub-keywords stand indented under their keyword, as in a printed index.
            auto* item = new QListWidgetItem(QString(keyword.depth * 2, QLatin1Char(' ')) + keyword.entry.name, mList);
            item->setData(Qt::AccessibleTextRole, keyword.entry.name);
        }
        if (mKeywords.isEmpty()) {
            makeNotice(new QListWidgetItem(QCoreApplication::translate("Help", "キーワードがありません"), mList));
            return;
        }
        mList->setCurrentRow(0);
    }

private:
    struct Keyword {
        SitemapEntry entry;
        QString key;      // folded, for matching what is typed and what "see also" names
        QString reading;  // folded, the order of the index
        int depth = 0;
    };

    void addSorted(const QList<SitemapEntry>& entries, int depth)
    {
        QCollator collator{QLocale(QLocale::Japanese, QLocale::Japan)};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        collator.setNumericMode(true);
        QList<SitemapEntry> sorted = entries;
        // In order of their readings, as a Japanese index is: あいうえお順, a keyword in kanji where its kana stand.
        const auto readingOf = [](const SitemapEntry& entry) {
            return foldKey(entry.reading.isEmpty() ? entry.name : entry.reading);
        };
        std::stable_sort(sorted.begin(), sorted.end(), [&](const SitemapEntry& a, const SitemapEntry& b) {
            return collator.compare(readingOf(a), readingOf(b)) < 0;
        });
        for (const SitemapEntry& entry : std::as_const(sorted)) {
            mKeywords.append({entry, foldKey(entry.name), readingOf(entry), depth});
            addSorted(entry.children, depth + 1);
        }
    }

    // Selects the first keyword beginning with what is typed (as written or read), else where the word would stand.
    void selectClosest(const QString& typed)
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
        const int row =
            static_cast<int>((found == mKeywords.cend() ? mKeywords.size() - 1 : found - mKeywords.cbegin()));
        mList->setCurrentRow(row);
        mList->scrollToItem(mList->item(row), QAbstractItemView::PositionAtTop);
    }

    void openCurrent()
    {
        // The rows are the keywords, in their order; a file without keywords has its notice alone.
        const int row = mList->currentRow();
        if (row < 0 || row >= mKeywords.size())
            return;
        // The keyword's pages the file holds, offered when there are several (the list is otherwise hidden and empty).
        hideTopics();
        for (const SitemapTopic& topic : mKeywords[row].entry.topics) {
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
        for (const QString& other : mKeywords[row].entry.seeAlso) {
            const QString key = foldKey(other);
            for (qsizetype i = 0; i < mKeywords.size(); ++i) {
                if (mKeywords[i].key == key) {
                    mList->setCurrentRow(static_cast<int>(i));
                    return;
                }
            }
        }
    }

    void hideTopics()
    {
        mTopicsLabel->hide();
        mTopics->hide();
        mTopics->clear();
    }

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
    explicit SearchPane(const ChmFile& chm, QWidget* parent = nullptr) : NavigationPane(chm, parent)
    {
        QVBoxLayout* layout = columnLayout(this);
        mField = addField(layout, QCoreApplication::translate("Help", "検索する語句を入力してください:"), "searchField",
                          QCoreApplication::translate("Help", "検索する語句"),
                          QCoreApplication::translate("Help", "Enter でヘルプのすべてのページから探します"));
        // The button is read by its text.
        auto* start =
            named(new QPushButton(QCoreApplication::translate("Help", "検索開始"), this), "searchButton", QString(),
                  QCoreApplication::translate("Help", "入力した語句をヘルプのすべてのページから探します"));
        start->setAutoDefault(false);
        mStatus = named(new QLabel(this), "searchStatus", QString());
        mStatus->setWordWrap(true);
        mResults = named(new QTreeWidget(this), "searchResults", QCoreApplication::translate("Help", "検索結果"),
                         QCoreApplication::translate(
                             "Help", "語句が見つかったページと見つかった数です。選ぶとそのページを表示します"));
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

    void search()
    {
        mWords = mField->text().trimmed();
        mResults->clear();
        // The emptied list lays itself out later; inside a paint that comes first (the focus leaving the old row),
        // that layout's repaint is lost and rows of the previous search stay drawn. So all of it is repainted.
        mResults->viewport()->update();
        if (mWords.isEmpty()) {
            platform::setTextKeptWhole(mStatus,
                                       QCoreApplication::translate("Help", "検索する語句を入力してください。"));
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
            platform::setTextKeptWhole(
                mStatus, QCoreApplication::translate("Help", "「%1」は見つかりませんでした。").arg(mWords));
            return;
        }
        platform::setTextKeptWhole(
            mStatus, QCoreApplication::translate("Help", "%n ページで見つかりました。", nullptr, int(hits.size())));
        mResults->setCurrentItem(mResults->topLevelItem(0));
        mResults->setFocus(Qt::OtherFocusReason);
    }

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

HelpViewer::HelpViewer(std::unique_ptr<ChmFile> chm, QWidget* owner)
    : QWidget(nullptr), mOwner(owner ? owner->window() : nullptr)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Closing the help never ends the program, even as the only window shown (the training waits minimised or hidden).
    setAttribute(Qt::WA_QuitOnClose, false);
    // A file that names no title has the name of the help windows.
    setWindowTitle(chm->title().isEmpty() ? boxTitle() : chm->title());

    mBrowser =
        named(new HelpBrowser(std::move(chm), this), "helpPage", QCoreApplication::translate("Help", "ヘルプのページ"));

    QVBoxLayout* layout = columnLayout(this, 0);
    buildToolBar(layout);
    buildNavigation();
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("helpSplitter"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(mTabs);
    splitter->addWidget(mBrowser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({250, 570});
    layout->addWidget(splitter, 1);

    setTabOrder(mTabs, mBrowser);
    // The window opens with the keys in the contents, ready to walk them.
    mContents->focusTarget()->setFocus(Qt::OtherFocusReason);
    // The contents follow the page shown, also one reached by a link; the signal comes before source() tells it.
    connect(mBrowser, &QTextBrowser::sourceChanged, this,
            platform::guardedSlot([this](const QUrl& url) { mContents->selectPage(helpPathForLink(url)); }));
    resize(900, 640);
    platform::placeOnScreen(this, mOwner);
}

void HelpViewer::buildToolBar(QLayout* layout)
{
    auto* bar = named(new QToolBar(this), "helpToolBar", QCoreApplication::translate("Help", "ツールバー"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setMovable(false);
    // Each button has the theme's freedesktop icon of its name where there is one, else our own.
    auto add = [&](const char* name, const char* iconName, const QIcon& ownIcon, const QString& text,
                   const QKeySequence& key, const QString& tip, auto handler) {
        QAction* action = bar->addAction(QIcon::fromTheme(QLatin1String(iconName), ownIcon), text);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(key);
        action->setToolTip(tipWithKey(tip, key));
        // The buttons are on the Tab key's way too, not only reachable by their keys.
        bar->widgetForAction(action)->setFocusPolicy(Qt::TabFocus);
        connect(action, &QAction::triggered, this, platform::guardedSlot(handler));
        return action;
    };
    // Its texts say what it does next (showToggle).
    mToggle =
        add("actionNavigation", "sidebar-show", platform::picture(QStringLiteral(":/pictures/pane.ico")), QString(),
            QKeySequence(Qt::ALT | Qt::Key_T), QString(), [this] { setNavigationShown(!mTabs->isVisible()); });
    showToggle(true);
    bar->addSeparator();
    QAction* back =
        add("actionBack", "go-previous", style()->standardIcon(QStyle::SP_ArrowBack),
            QCoreApplication::translate("Help", "戻る"), QKeySequence::Back,
            QCoreApplication::translate("Help", "前に見たページへ戻ります"), [this] { mBrowser->backward(); });
    QAction* forward =
        add("actionForward", "go-next", style()->standardIcon(QStyle::SP_ArrowForward),
            QCoreApplication::translate("Help", "進む"), QKeySequence::Forward,
            QCoreApplication::translate("Help", "戻る前のページへ進みます"), [this] { mBrowser->forward(); });
    add("actionHome", "go-home", platform::picture(QStringLiteral(":/pictures/home.ico")),
        QCoreApplication::translate("Help", "ホーム"), QKeySequence(Qt::ALT | Qt::Key_Home),
        QCoreApplication::translate("Help", "ヘルプの最初のページを表示します"),
        [this] { mBrowser->showTopic(QString()); });  // the start page
    bar->addSeparator();
    add("actionPrint", "document-print", platform::picture(QStringLiteral(":/pictures/print.ico")),
        QCoreApplication::translate("Help", "印刷"), QKeySequence::Print,
        QCoreApplication::translate("Help", "表示しているページを印刷します"),
        [this] { printDocument(*mBrowser->document(), this); });
    add("actionPreview", "document-print-preview", style()->standardIcon(QStyle::SP_FileDialogContentsView),
        QCoreApplication::translate("Help", "印刷プレビュー"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P),
        QCoreApplication::translate("Help", "表示しているページを印刷したときの様子を表示します"),
        [this] { printDocument(*mBrowser->document(), this, true); });
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(mBrowser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(mBrowser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    layout->addWidget(bar);
}

void HelpViewer::buildNavigation()
{
    // The tab bar is read as what it is (TabBarInterface); Qt asks installed factories before its own.
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory([](const QString& className, QObject* object) -> QAccessibleInterface* {
            auto* bar = className == QLatin1String("QTabBar") ? static_cast<QTabBar*>(object) : nullptr;
            return bar && qobject_cast<HelpViewer*>(bar->window()) ? new TabBarInterface(bar) : nullptr;
        });
        return true;
    }();
    mTabs = named(new QTabWidget(this), "navigation", QCoreApplication::translate("Help", "目次・キーワード・検索"));
    named(mTabs->tabBar(), "navigationTabs", QCoreApplication::translate("Help", "目次・キーワード・検索の切り替え"));
    mContents = new ContentsPane(mBrowser->chm(), mTabs);
    auto* search = new SearchPane(mBrowser->chm(), mTabs);
    // Alt with the letter turns to the tab, as Japanese programs write it: "目次(&C)".
    const struct {
        NavigationPane* pane;
        QString title;
        QString tip;
        QString name;
    } panes[] = {
        {mContents, QCoreApplication::translate("Help", "目次(&C)"),
         QCoreApplication::translate("Help", "ヘルプの目次 (Alt+C)"), QCoreApplication::translate("Help", "目次")},
        {new IndexPane(mBrowser->chm(), mTabs), QCoreApplication::translate("Help", "キーワード(&N)"),
         QCoreApplication::translate("Help", "キーワードから探します (Alt+N)"),
         QCoreApplication::translate("Help", "キーワード")},
        {search, QCoreApplication::translate("Help", "検索(&S)"),
         QCoreApplication::translate("Help", "ヘルプのすべてのページから語句を探します (Alt+S)"),
         QCoreApplication::translate("Help", "検索")},
    };
    for (const auto& tab : panes) {
        const int index = mTabs->addTab(tab.pane, tab.title);
        mTabs->setTabToolTip(index, tab.tip);
        mTabs->tabBar()->setAccessibleTabName(index, tab.name);
        tab.pane->setAccessibleName(tab.name);
        connect(tab.pane, &NavigationPane::topicRequested, this,
                platform::guardedSlot([this](const QString& path) { showRequestedTopic(path); }));
    }
    connect(search, &SearchPane::resultChosen, this,
            platform::guardedSlot([this](const QString& path, const QString& words) {
                showRequestedTopic(path);
                mBrowser->highlight(words);
            }));
    connect(mTabs, &QTabWidget::currentChanged, this, platform::guardedSlot([this](int index) { turnToTab(index); }));
}

void HelpViewer::turnToTab(int index)
{
    auto* shown = qobject_cast<NavigationPane*>(mTabs->widget(index));
    if (!shown)
        return;
    shown->ensureFilled();
    // Whoever turns to a tab (Alt+N, a click) means to use it: its field or list takes the keys.
    if (isVisible())
        shown->focusTarget()->setFocus(Qt::ShortcutFocusReason);
}

// The toggle's texts say what pressing it does while the tabs are shown or hidden.
void HelpViewer::showToggle(bool shown)
{
    //: The toolbar button that hides the contents, index and search pane
    const QString hide = QCoreApplication::translate("Help", "非表示");
    //: The toolbar button that shows the contents, index and search pane again
    const QString show = QCoreApplication::translate("Help", "表示");
    mToggle->setText(shown ? hide : show);
    mToggle->setToolTip(tipWithKey(shown
                                       ? QCoreApplication::translate("Help", "目次・キーワード・検索の欄を隠します")
                                       : QCoreApplication::translate("Help", "目次・キーワード・検索の欄を表示します"),
                                   mToggle->shortcut()));
}

void HelpViewer::setNavigationShown(bool shown)
{
    mTabs->setVisible(shown);
    showToggle(shown);
    if (shown)
        turnToTab(mTabs->currentIndex());
    else
        mBrowser->setFocus(Qt::OtherFocusReason);
}

void HelpViewer::showRequestedTopic(const QString& path)
{
    // The panes ask again for the page shown (a click on the selected entry); that adds nothing to the history.
    if (path.isEmpty() || path.compare(helpPathForLink(mBrowser->source()), Qt::CaseInsensitive) == 0)
        return;
    mBrowser->showTopic(path);
}

void HelpViewer::closeEvent(QCloseEvent*)
{
    // The window that asked for help gets the focus back.
    if (mOwner && mOwner->isVisible())
        mOwner->activateWindow();
}

}  // namespace help

#include "HelpViewer.moc"
