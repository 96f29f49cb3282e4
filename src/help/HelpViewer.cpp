// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpViewer.h"

#include "ChmFile.h"
#include "platform/OwnPictures.h"
#include "platform/Guard.h"
#include "platform/OnScreen.h"
#include "NavigationPanes.h"
#include "Printing.h"
#include "ReadableTabs.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QCoreApplication>

namespace help {

namespace {

// The title of a file that names none.
QString untitledText()
{
    return QCoreApplication::translate("Help", "HTML ヘルプ");
}

// The desktop's icon of that name (the freedesktop icon naming) where its theme has one, else our own.
QIcon themed(const char* name, const QIcon& ownIcon)
{
    return QIcon::fromTheme(QLatin1String(name), ownIcon);
}

QIcon themed(const char* name, const QString& ownPicture)
{
    return themed(name, platform::picture(ownPicture));
}

QString hideText()
{
    //: The toolbar button that hides the contents, index and search pane
    return QCoreApplication::translate("Help", "非表示");
}
QString showText()
{
    //: The toolbar button that shows the contents, index and search pane again
    return QCoreApplication::translate("Help", "表示");
}

}  // namespace

HelpViewer::HelpViewer(std::unique_ptr<ChmFile> chm, QWidget* owner)
    : QWidget(nullptr), mOwner(owner ? owner->window() : nullptr)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Closing the help must never end the program, also when it is the only window shown
    // (the training waits minimised, or hidden, while the help is open).
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(chm->title().isEmpty() ? untitledText() : chm->title());

    mBrowser = new HelpBrowser(std::move(chm), this);
    mBrowser->setObjectName(QStringLiteral("helpPage"));
    mBrowser->setAccessibleName(QCoreApplication::translate("Help", "ヘルプのページ"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolBar(layout);
    buildNavigation();
    mSplitter = new QSplitter(Qt::Horizontal, this);
    mSplitter->setObjectName(QStringLiteral("helpSplitter"));
    mSplitter->setChildrenCollapsible(false);
    mSplitter->addWidget(mTabs);
    mSplitter->addWidget(mBrowser);
    mSplitter->setStretchFactor(1, 1);
    mSplitter->setSizes({250, 570});
    layout->addWidget(mSplitter, 1);

    setTabOrder(mTabs, mBrowser);
    // The window opens with the keys in the contents, ready to walk them.
    mContents->focusTarget()->setFocus(Qt::OtherFocusReason);
    connect(mBrowser, &QTextBrowser::sourceChanged, this,
            platform::guardedSlot([this](const QUrl& url) { followPage(url); }));
    placeOver(mOwner);
}

HelpViewer::~HelpViewer() = default;

void HelpViewer::buildToolBar(QLayout* layout)
{
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("helpToolBar"));
    bar->setAccessibleName(QCoreApplication::translate("Help", "ツールバー"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setMovable(false);
    auto add = [&](const char* name, const QIcon& icon, const QString& text, const QKeySequence& key,
                   const QString& tip) {
        QAction* action = bar->addAction(icon, text);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(key);
        action->setToolTip(QStringLiteral("%1 (%2)").arg(tip, key.toString(QKeySequence::NativeText)));
        // The buttons are on the Tab key's way too, not only reachable by their keys.
        bar->widgetForAction(action)->setFocusPolicy(Qt::TabFocus);
        return action;
    };
    mToggle = add("actionNavigation", themed("sidebar-show", QStringLiteral(":/pictures/pane.ico")), hideText(),
                  QKeySequence(Qt::ALT | Qt::Key_T),
                  QCoreApplication::translate("Help", "目次・キーワード・検索の欄を隠します"));
    bar->addSeparator();
    mBack = add("actionBack", themed("go-previous", style()->standardIcon(QStyle::SP_ArrowBack)),
                QCoreApplication::translate("Help", "戻る"), QKeySequence::Back,
                QCoreApplication::translate("Help", "前に見たページへ戻ります"));
    mForward = add("actionForward", themed("go-next", style()->standardIcon(QStyle::SP_ArrowForward)),
                   QCoreApplication::translate("Help", "進む"), QKeySequence::Forward,
                   QCoreApplication::translate("Help", "戻る前のページへ進みます"));
    QAction* home = add("actionHome", themed("go-home", QStringLiteral(":/pictures/home.ico")),
                        QCoreApplication::translate("Help", "ホーム"), QKeySequence(Qt::ALT | Qt::Key_Home),
                        QCoreApplication::translate("Help", "ヘルプの最初のページを表示します"));
    bar->addSeparator();
    QAction* print = add("actionPrint", themed("document-print", QStringLiteral(":/pictures/print.ico")),
                         QCoreApplication::translate("Help", "印刷"), QKeySequence::Print,
                         QCoreApplication::translate("Help", "表示しているページを印刷します"));
    QAction* preview =
        add("actionPreview", themed("document-print-preview", style()->standardIcon(QStyle::SP_FileDialogContentsView)),
            QCoreApplication::translate("Help", "印刷プレビュー"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P),
            QCoreApplication::translate("Help", "表示しているページを印刷したときの様子を表示します"));
    mBack->setEnabled(false);
    mForward->setEnabled(false);

    connect(mToggle, &QAction::triggered, this,
            platform::guardedSlot([this] { setNavigationShown(!mTabs->isVisible()); }));
    connect(mBack, &QAction::triggered, mBrowser, &QTextBrowser::backward);
    connect(mForward, &QAction::triggered, mBrowser, &QTextBrowser::forward);
    connect(home, &QAction::triggered, this, platform::guardedSlot([this] { showDefaultTopic(); }));
    connect(print, &QAction::triggered, this,
            platform::guardedSlot([this] { printDocument(*mBrowser->document(), this); }));
    connect(preview, &QAction::triggered, this,
            platform::guardedSlot([this] { previewDocument(*mBrowser->document(), this); }));
    connect(mBrowser, &QTextBrowser::backwardAvailable, mBack, &QAction::setEnabled);
    connect(mBrowser, &QTextBrowser::forwardAvailable, mForward, &QAction::setEnabled);
    layout->addWidget(bar);
}

void HelpViewer::buildNavigation()
{
    auto* tabs = new ReadableTabWidget(this);
    mTabs = tabs;
    mTabs->setObjectName(QStringLiteral("navigation"));
    mTabs->setAccessibleName(QCoreApplication::translate("Help", "目次・キーワード・検索"));
    tabs->readableTabBar()->setObjectName(QStringLiteral("navigationTabs"));
    tabs->readableTabBar()->setAccessibleName(QCoreApplication::translate("Help", "目次・キーワード・検索の切り替え"));
    mContents = new ContentsPane(mBrowser->chm(), mTabs);
    mIndex = new IndexPane(mBrowser->chm(), mTabs);
    mSearch = new SearchPane(mBrowser->chm(), mTabs);
    // Alt with the letter turns to the tab, as Japanese programs write it: "目次(&C)".
    mTabs->addTab(mContents, QCoreApplication::translate("Help", "目次(&C)"));
    mTabs->addTab(mIndex, QCoreApplication::translate("Help", "キーワード(&N)"));
    mTabs->addTab(mSearch, QCoreApplication::translate("Help", "検索(&S)"));
    mTabs->setTabToolTip(0, QCoreApplication::translate("Help", "ヘルプの目次 (Alt+C)"));
    mTabs->setTabToolTip(1, QCoreApplication::translate("Help", "キーワードから探します (Alt+N)"));
    mTabs->setTabToolTip(2, QCoreApplication::translate("Help", "ヘルプのすべてのページから語句を探します (Alt+S)"));
    mContents->setAccessibleName(QCoreApplication::translate("Help", "目次"));
    mIndex->setAccessibleName(QCoreApplication::translate("Help", "キーワード"));
    mSearch->setAccessibleName(QCoreApplication::translate("Help", "検索"));

    for (NavigationPane* p : {static_cast<NavigationPane*>(mContents), static_cast<NavigationPane*>(mIndex),
                              static_cast<NavigationPane*>(mSearch)})
        connect(p, &NavigationPane::topicRequested, this,
                platform::guardedSlot([this](const QString& path) { showRequestedTopic(path); }));
    connect(
        mSearch, &SearchPane::resultChosen, this,
        platform::guardedSlot([this](const QString& path, const QString& words) { showSearchResult(path, words); }));
    connect(mTabs, &QTabWidget::currentChanged, this, platform::guardedSlot([this](int index) { turnToTab(index); }));
}

NavigationPane* HelpViewer::pane(int index) const
{
    return qobject_cast<NavigationPane*>(mTabs->widget(index));
}

void HelpViewer::turnToTab(int index)
{
    NavigationPane* shown = pane(index);
    if (!shown)
        return;
    shown->ensureFilled();
    // Whoever turns to a tab (Alt+N, a click) means to use it: its field or list takes the keys.
    if (isVisible())
        shown->focusTarget()->setFocus(Qt::ShortcutFocusReason);
}

void HelpViewer::setNavigationShown(bool shown)
{
    mTabs->setVisible(shown);
    mToggle->setText(shown ? hideText() : showText());
    mToggle->setToolTip(QStringLiteral("%1 (%2)").arg(
        shown ? QCoreApplication::translate("Help", "目次・キーワード・検索の欄を隠します")
              : QCoreApplication::translate("Help", "目次・キーワード・検索の欄を表示します"),
        mToggle->shortcut().toString(QKeySequence::NativeText)));
    if (shown)
        turnToTab(mTabs->currentIndex());
    else
        mBrowser->setFocus(Qt::OtherFocusReason);
}

QString HelpViewer::fileName() const
{
    return mBrowser->chm().fileName();
}

void HelpViewer::showTopic(const QString& path)
{
    mBrowser->showTopic(path);
}

void HelpViewer::showDefaultTopic()
{
    mBrowser->showDefaultTopic();
}

void HelpViewer::showRequestedTopic(const QString& path)
{
    // The panes ask again for the page shown (a click on the entry already selected); that
    // must not add to the history.
    if (path.isEmpty() || path.compare(mBrowser->currentPath(), Qt::CaseInsensitive) == 0)
        return;
    mBrowser->showTopic(path);
}

void HelpViewer::showSearchResult(const QString& path, const QString& words)
{
    showRequestedTopic(path);
    mBrowser->highlight(words);
}

// The contents follow the page shown, also when it was reached by a link.
void HelpViewer::followPage(const QUrl& url)
{
    // The signal comes before the browser's source() tells the new page.
    mContents->selectPage(helpPathForLink(url));
}

void HelpViewer::closeEvent(QCloseEvent* event)
{
    mClosed = true;
    event->accept();
    // The window that asked for help gets the focus back.
    if (mOwner && mOwner->isVisible())
        mOwner->activateWindow();
}

void HelpViewer::placeOver(QWidget* owner)
{
    resize(900, 640);
    platform::placeOnScreen(this, owner);
}

}  // namespace help
