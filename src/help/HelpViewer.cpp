// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpViewer.h"

#include "ChmFile.h"
#include "platform/AppSetup.h"
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
#include <QVBoxLayout>
#include <QCoreApplication>

namespace help {

namespace {

// A toolbar button's tip, with the key that presses it.
QString tipWithKey(const QString& tip, const QKeySequence& key)
{
    return QStringLiteral("%1 (%2)").arg(tip, key.toString(QKeySequence::NativeText));
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
    // A file that names no title has the name of the help windows.
    setWindowTitle(chm->title().isEmpty() ? QCoreApplication::translate("Help", "HTML ヘルプ") : chm->title());

    mBrowser = new HelpBrowser(std::move(chm), this);
    mBrowser->setObjectName(QStringLiteral("helpPage"));
    mBrowser->setAccessibleName(QCoreApplication::translate("Help", "ヘルプのページ"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
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
    // The contents follow the page shown, also when it was reached by a link. The signal comes before the
    // browser's source() tells the new page.
    connect(mBrowser, &QTextBrowser::sourceChanged, this,
            platform::guardedSlot([this](const QUrl& url) { mContents->selectPage(helpPathForLink(url)); }));
    resize(900, 640);
    platform::placeOnScreen(this, mOwner);
}

HelpViewer::~HelpViewer() = default;

void HelpViewer::buildToolBar(QLayout* layout)
{
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("helpToolBar"));
    bar->setAccessibleName(QCoreApplication::translate("Help", "ツールバー"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setMovable(false);
    // Each button has the desktop's icon of its name (the freedesktop icon naming) where its theme has one, else
    // our own.
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
        [this] { mBrowser->showDefaultTopic(); });
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
    mTabs = new ReadableTabWidget(this);
    mTabs->setObjectName(QStringLiteral("navigation"));
    mTabs->setAccessibleName(QCoreApplication::translate("Help", "目次・キーワード・検索"));
    mTabs->tabBar()->setObjectName(QStringLiteral("navigationTabs"));
    mTabs->tabBar()->setAccessibleName(QCoreApplication::translate("Help", "目次・キーワード・検索の切り替え"));
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
    if (shown) {
        //: The toolbar button that hides the contents, index and search pane
        mToggle->setText(QCoreApplication::translate("Help", "非表示"));
        mToggle->setToolTip(tipWithKey(QCoreApplication::translate("Help", "目次・キーワード・検索の欄を隠します"),
                                       mToggle->shortcut()));
    } else {
        //: The toolbar button that shows the contents, index and search pane again
        mToggle->setText(QCoreApplication::translate("Help", "表示"));
        mToggle->setToolTip(tipWithKey(QCoreApplication::translate("Help", "目次・キーワード・検索の欄を表示します"),
                                       mToggle->shortcut()));
    }
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
    // The panes ask again for the page shown (a click on the entry already selected); that
    // must not add to the history.
    if (path.isEmpty() || path.compare(mBrowser->currentPath(), Qt::CaseInsensitive) == 0)
        return;
    mBrowser->showTopic(path);
}

void HelpViewer::closeEvent(QCloseEvent* event)
{
    mClosed = true;
    event->accept();
    // The window that asked for help gets the focus back.
    if (mOwner && mOwner->isVisible())
        mOwner->activateWindow();
}

}  // namespace help
