// SPDX-License-Identifier: GPL-3.0-or-later
// The help window driven as a user drives it: the contents, keyword and search tabs, the
// navigation pane, printing, and damaged help files.
#include "Pictures.h"
#include "ScriptedDialogs.h"
#include "help/HelpViewer.h"
#include "help/HtmlHelp.h"
#include "help/PagePictures.h"
#include "help/Printing.h"
#include "platform/AppSetup.h"
#include "platform/FitLabel.h"
#include "shared/Seams.h"

#include <QAccessible>
#include <QAction>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QString kBuiltChm = QStringLiteral(QUILLMORA_HELP_CHM);

QString damaged(const char* name)
{
    return QStringLiteral(QUILLMORA_DAMAGED_HELP "/") + QLatin1String(name);
}

template <class T>
T* control(QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QLatin1String(name));
    if (!found)
        qWarning("no control %s", name);
    return found;
}

QString pagePath(help::HelpViewer* viewer)
{
    return viewer->browser()->source().path();
}

QStringList treeTexts(const QTreeWidget* tree)
{
    QStringList texts;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree)); *it; ++it) {
        int depth = 0;
        for (QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent())
            ++depth;
        texts.append(QString(depth * 2, QLatin1Char(' ')) + (*it)->text(0));
    }
    return texts;
}

// Types text in place of what the field holds, the way an input method delivers Japanese: first shown
// as being composed, then committed at once.
void typeJapanese(QLineEdit* field, const QString& text)
{
    field->clear();
    QInputMethodEvent composing(text, {});
    QCoreApplication::sendEvent(field, &composing);
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(field, &commit);
}

// Searches the help for text typed as an input method delivers it, from the search tab; returns the
// list of results.
QTreeWidget* searchFor(QWidget* viewer, const QString& text)
{
    control<QTabWidget>(viewer, "navigation")->setCurrentIndex(2);
    auto* field = control<QLineEdit>(viewer, "searchField");
    typeJapanese(field, text);
    QTest::keyClick(field, Qt::Key_Return);
    return control<QTreeWidget>(viewer, "searchResults");
}

QTreeWidgetItem* treeItem(QTreeWidget* tree, const QString& text)
{
    const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

// The copy of a picture the page keeps to draw it: its resource under the picture's name.
QImage pictureHeld(QTextDocument* page, const QString& name)
{
    const QVariant held = page->resource(QTextDocument::ImageResource, QUrl(name));
    return held.userType() == QMetaType::QPixmap ? held.value<QPixmap>().toImage() : held.value<QImage>();
}

// Draws the whole page, every picture on it, as scrolling through it or printing it would.
void drawWholePage(QTextDocument* page)
{
    QImage canvas(8, 8, QImage::Format_RGB32);
    QPainter painter(&canvas);
    page->drawContents(&painter);
}

// Where the pixels of one colour are in a picture.
QRect placeOf(const QImage& picture, QRgb colour)
{
    QRect found;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixel(x, y) == colour)
                found |= QRect(x, y, 1, 1);
        }
    }
    return found;
}

}  // namespace

class TestHelpWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void contentsFollowThePageAndOpenPages();
    void keywordChosenByTyping();
    void keywordWithSeveralPagesAsksWhichOne();
    void searchAndOpenAResult();
    void navigationPaneHidesAndShows();
    void picturesFitThePage();
    void largePicturesAreHeldAtThePagesWidthWithinABudget();
    void printingAndPreview();
    void printedPicturesKeepTheirSizeOnPaper();
    void damagedFilesShowWhatTheyCan();
    void filesWithoutContentsOrIndex_data();
    void filesWithoutContentsOrIndex();
    void overlongPageIsNeitherShownNorSearched();

private:
    help::HelpViewer* open(const QString& file);

    std::unique_ptr<ScriptedBoxesOnly> mBoxes;  // the help viewer is the real one
    std::unique_ptr<QTemporaryDir> mDir;
};

void TestHelpWindow::init()
{
    mBoxes = std::make_unique<ScriptedBoxesOnly>();
    mDir = std::make_unique<QTemporaryDir>();
}

void TestHelpWindow::cleanup()
{
    help::closeAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const bool dialogsAsExpected = mBoxes->dialogs().verify();
    mBoxes.reset();
    QVERIFY(dialogsAsExpected);
}

help::HelpViewer* TestHelpWindow::open(const QString& file)
{
    auto* viewer = qobject_cast<help::HelpViewer*>(help::showTopic(nullptr, file));
    if (viewer && !QTest::qWaitForWindowActive(viewer))
        qWarning("the help window did not become active");
    return viewer;
}

void TestHelpWindow::contentsFollowThePageAndOpenPages()
{
    help::HelpViewer* viewer = open(kBuiltChm);
    QVERIFY(viewer);
    auto* tree = control<QTreeWidget>(viewer, "contentsTree");
    QVERIFY(tree && tree->isVisible());
    QCOMPARE(tree->topLevelItemCount(), 11);
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("目次"));

    // A click on an entry shows its page.
    QTreeWidgetItem* files = treeItem(tree, QStringLiteral("データファイル"));
    QVERIFY(files);
    const QPoint at = tree->visualItemRect(files).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(pagePath(viewer), QStringLiteral("/files.html"));

    // Following a link in the page moves the selection along, without a second page load.
    emit viewer->browser()->anchorClicked(QUrl(QStringLiteral("trouble.html")));
    QCOMPARE(pagePath(viewer), QStringLiteral("/trouble.html"));
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("困ったときは"));
    viewer->browser()->backward();
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("データファイル"));
    viewer->browser()->backward();
    QCOMPARE(pagePath(viewer), QStringLiteral("/index.html"));

    // From the keyboard: the arrow keys walk the contents, each entry showing its page.
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(pagePath(viewer), QStringLiteral("/overview.html"));
    QTest::keyClick(tree, Qt::Key_End);
    QCOMPARE(pagePath(viewer), QStringLiteral("/trouble.html"));
}

void TestHelpWindow::keywordChosenByTyping()
{
    help::HelpViewer* viewer = open(kBuiltChm);
    QVERIFY(viewer);
    auto* tabs = control<QTabWidget>(viewer, "navigation");
    QTest::keyClick(viewer, Qt::Key_N, Qt::AltModifier);
    QCOMPARE(tabs->currentIndex(), 1);
    auto* field = control<QLineEdit>(viewer, "indexField");
    auto* list = control<QListWidget>(viewer, "indexList");
    QTRY_VERIFY(field->hasFocus());
    QVERIFY(list->count() >= 27);

    // The list is sorted, and follows what is typed, without regard to width or case.
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names.append(list->item(i)->text());
    QVERIFY(names.indexOf(QStringLiteral("Enter キー")) < names.indexOf(QStringLiteral("スクロールバー")));
    QVERIFY(names.indexOf(QStringLiteral("スクロールバー")) < names.indexOf(QStringLiteral("待ち時間")));
    // Japanese keywords in the order of their readings (かいし, がぞう, みぎ, らんだむ), kanji or not; typed
    // in kana, a reading finds its keyword.
    const QStringList byReading = {QStringLiteral("開始ボタン"), QStringLiteral("画像として保存"),
                                   QStringLiteral("右クリックメニュー"), QStringLiteral("ランダムモード（回数）")};
    for (qsizetype i = 0; i + 1 < byReading.size(); ++i)
        QVERIFY2(names.indexOf(byReading[i]) < names.indexOf(byReading[i + 1]), qPrintable(byReading[i]));
    typeJapanese(field, QStringLiteral("がぞう"));
    QCOMPARE(list->currentItem()->text(), QStringLiteral("画像として保存"));
    typeJapanese(field, QStringLiteral("ｽｸ"));
    QCOMPARE(list->currentItem()->text(), QStringLiteral("スクロールバー"));
    typeJapanese(field, QStringLiteral("ｓｈｉｆ"));
    QCOMPARE(list->currentItem()->text(), QStringLiteral("Shift-JIS"));
    // Voiced and long-vowel marks typed in half-width kana, or the word typed in hiragana, select what the
    // full-width katakana selects.
    for (const QString& typed : {QStringLiteral("ランダムモード（起"), QStringLiteral("ﾗﾝﾀﾞﾑﾓｰﾄﾞ（起"),
                                 QStringLiteral("らんだむもーど（起")}) {
        typeJapanese(field, typed);
        QCOMPARE(list->currentItem()->text(), QStringLiteral("ランダムモード（起動タイミング）"));
    }
    typeJapanese(field, QStringLiteral("待ち"));
    QCOMPARE(list->currentItem()->text(), QStringLiteral("待ち時間"));

    // Enter shows the keyword's page, at its part.
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(viewer->browser()->source(), QUrl(QStringLiteral("chm:/start.html#wait")));
    // A double click on another keyword shows its page.
    QListWidgetItem* history = list->findItems(QStringLiteral("実績履歴"), Qt::MatchExactly).value(0);
    QVERIFY(history);
    const QPoint at = list->visualItemRect(history).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(pagePath(viewer), QStringLiteral("/history.html"));
}

void TestHelpWindow::keywordWithSeveralPagesAsksWhichOne()
{
    help::HelpViewer* viewer = open(damaged("damaged.chm"));
    QVERIFY(viewer);
    control<QTabWidget>(viewer, "navigation")->setCurrentIndex(1);
    auto* field = control<QLineEdit>(viewer, "indexField");
    auto* list = control<QListWidget>(viewer, "indexList");
    auto* topics = control<QListWidget>(viewer, "indexTopics");
    QVERIFY(!topics->isVisible());

    QTest::keyClicks(field, QStringLiteral("sev"));
    QTest::keyClick(field, Qt::Key_Return);
    QVERIFY(topics->isVisible());
    QVERIFY(topics->hasFocus());
    QCOMPARE(topics->count(), 2);
    QCOMPARE(topics->item(0)->text(), QStringLiteral("The start"));
    QCOMPARE(topics->item(1)->text(), QStringLiteral("The undeclared one"));
    QCOMPARE(pagePath(viewer), QStringLiteral("/cover.html"));  // nothing shown before the choice
    QTest::keyClick(topics, Qt::Key_Down);
    QTest::keyClick(topics, Qt::Key_Return);
    QCOMPARE(pagePath(viewer), QStringLiteral("/undeclared.html"));

    // A keyword that only refers to another selects that one; choosing another hides the choice.
    field->setFocus();
    field->clear();
    QTest::keyClicks(field, QStringLiteral("Else"));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(list->currentItem()->text(), QStringLiteral("Several pages"));
    QVERIFY(!topics->isVisible());
    // A keyword whose page is missing shows the notice in the page area.
    field->clear();
    QTest::keyClicks(field, QStringLiteral("nowhere"));
    QTest::keyClick(field, Qt::Key_Return);
    QVERIFY(viewer->browser()->toPlainText().contains(QStringLiteral("見つかりません")));
}

void TestHelpWindow::searchAndOpenAResult()
{
    help::HelpViewer* viewer = open(kBuiltChm);
    QVERIFY(viewer);
    QTest::keyClick(viewer, Qt::Key_S, Qt::AltModifier);
    auto* field = control<QLineEdit>(viewer, "searchField");
    auto* results = control<QTreeWidget>(viewer, "searchResults");
    auto* status = control<QLabel>(viewer, "searchStatus");
    QTRY_VERIFY(field->hasFocus());

    // Words typed in hiragana find the pages that write them in katakana. A search that then finds nothing
    // empties the list on screen, not only in its model.
    auto* start = control<QPushButton>(viewer, "searchButton");
    typeJapanese(field, QStringLiteral("ぐらふ"));
    QTest::mouseClick(start, Qt::LeftButton);
    QCOMPARE(results->findItems(QStringLiteral("グラフと CSV 書き出し"), Qt::MatchExactly).size(), 1);
    QVERIFY(shownAsPainted(results->viewport()));
    typeJapanese(field, QStringLiteral("ぱんだ"));
    QTest::mouseClick(start, Qt::LeftButton);
    QCOMPARE(results->topLevelItemCount(), 0);
    QVERIFY(shownAsPainted(results->viewport()));

    field->setFocus();
    typeJapanese(field, QStringLiteral("ﾗﾝﾀﾞﾑﾓｰﾄﾞ"));
    QTest::keyClick(field, Qt::Key_Return);
    QVERIFY(results->topLevelItemCount() >= 2);
    QVERIFY(results->hasFocus());
    int previous = INT_MAX;
    for (int i = 0; i < results->topLevelItemCount(); ++i) {
        const int count = results->topLevelItem(i)->text(1).toInt();
        QVERIFY(count > 0 && count <= previous);
        previous = count;
    }
    QTreeWidgetItem* options = results->findItems(QStringLiteral("各種設定と確定ボタン"), Qt::MatchExactly).value(0);
    QVERIFY(options);

    // Enter on a result shows its page with each hit marked, as many as the list says.
    results->setCurrentItem(options);
    QTest::keyClick(results, Qt::Key_Return);
    QCOMPARE(pagePath(viewer), QStringLiteral("/options.html"));
    QCOMPARE(int(viewer->browser()->extraSelections().size()), options->text(1).toInt());
    // The marks go when the user moves on.
    emit viewer->browser()->anchorClicked(QUrl(QStringLiteral("index.html")));
    QVERIFY(viewer->browser()->extraSelections().isEmpty());

    field->setFocus();
    typeJapanese(field, QStringLiteral("存在しない語句"));
    QTest::mouseClick(control<QPushButton>(viewer, "searchButton"), Qt::LeftButton);
    QCOMPARE(results->topLevelItemCount(), 0);
    QCOMPARE(platform::withoutWordJoiners(status->text()),
             QStringLiteral("「存在しない語句」は見つかりませんでした。"));
}

void TestHelpWindow::navigationPaneHidesAndShows()
{
    help::HelpViewer* viewer = open(kBuiltChm);
    QVERIFY(viewer);
    auto* tabs = control<QTabWidget>(viewer, "navigation");
    auto* toggle = control<QAction>(viewer, "actionNavigation");
    QCOMPARE(toggle->text(), QStringLiteral("非表示"));
    QTest::keyClick(viewer, Qt::Key_T, Qt::AltModifier);
    QVERIFY(!tabs->isVisible());
    QCOMPARE(toggle->text(), QStringLiteral("表示"));
    QTRY_VERIFY(viewer->browser()->width() > viewer->width() - 30);
    toggle->trigger();
    QVERIFY(tabs->isVisible());
    QCOMPARE(toggle->text(), QStringLiteral("非表示"));

    // Every control of the pane and the tabs themselves can be named by a screen reader.
    for (const char* name : {"navigation", "contentsTree", "indexField", "indexList", "indexTopics", "searchField",
                             "searchResults", "helpPage"})
        QVERIFY2(!control<QWidget>(viewer, name)->accessibleName().isEmpty(), name);
    QCOMPARE(tabs->tabText(0), QStringLiteral("目次(&C)"));
    // The tab bar reads under its own name, and each tab knows its place in it.
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(tabs->tabBar());
    QCOMPARE(bar->text(QAccessible::Name), tabs->tabBar()->accessibleName());
    QCOMPARE(bar->indexOfChild(bar->child(2)), 2);
    // The buttons without a picture in the desktop's theme have the program's own.
    platform::registerResources();
    for (const char* name : {"actionNavigation", "actionHome", "actionPrint"})
        QVERIFY2(!control<QAction>(viewer, name)->icon().pixmap(16).isNull(), name);
}

void TestHelpWindow::picturesFitThePage()
{
    help::HelpViewer* viewer = open(kBuiltChm);
    QVERIFY(viewer);
    viewer->browser()->showTopic(QStringLiteral("/training.html"));
    // The window's picture (631 pixels) is drawn smaller where the page is narrower, at the window's size and
    // below: nothing to scroll sideways. With room, it has its own width again.
    for (int width : {viewer->width(), 520}) {
        viewer->resize(width, viewer->height());
        QTRY_VERIFY(!viewer->browser()->horizontalScrollBar()->isVisible());
    }
    viewer->resize(1200, viewer->height());
    QTRY_VERIFY(viewer->browser()->document()->idealWidth() >= 631);
}

void TestHelpWindow::largePicturesAreHeldAtThePagesWidthWithinABudget()
{
    help::HelpViewer* viewer = open(damaged("pictures.chm"));
    QVERIFY(viewer);
    QTextDocument* page = viewer->browser()->document();
    // One picture of 8000 x 4000 named twenty times ("large.png?1", ...): decoded once, as wide as the page.
    drawWholePage(page);
    const QImage large = pictureHeld(page, QStringLiteral("large.png?1"));
    QVERIFY(!large.isNull());
    QVERIFY2(large.width() < 2 * page->textWidth(), qPrintable(QString::number(large.width())));
    for (int i = 2; i <= 20; ++i)
        QCOMPARE(pictureHeld(page, QStringLiteral("large.png?%1").arg(i)).cacheKey(), large.cacheKey());
    // A wider window draws it wider, from a larger copy.
    const qreal narrow = page->textWidth();
    viewer->resize(viewer->width() + 800, viewer->height());
    QTRY_VERIFY(page->textWidth() > narrow + 600);
    drawWholePage(page);
    QVERIFY(pictureHeld(page, QStringLiteral("large.png?20")).width() > large.width() + 600);

    // Five different pictures of 400 x 10000 (16 MB each decoded): the page keeps no more than its budget
    // and draws those that fit in it.
    viewer->browser()->showTopic(QStringLiteral("/tall.html"));
    drawWholePage(page);
    qint64 bytes = 0;
    int held = 0;
    for (int i = 1; i <= 5; ++i) {
        const QImage tall = pictureHeld(page, QStringLiteral("tall%1.png").arg(i));
        bytes += tall.sizeInBytes();
        held += tall.isNull() ? 0 : 1;
    }
    QVERIFY2(bytes <= help::PagePictures::kMaxPageBytes, qPrintable(QString::number(bytes)));
    QVERIFY(held >= 3);
}

void TestHelpWindow::printingAndPreview()
{
    help::HelpViewer* viewer = open(kBuiltChm);
    QVERIFY(viewer);
    const QString pdf = mDir->filePath(QStringLiteral("page.pdf"));
    int answer = QDialog::Rejected;
    QStringList shown;
    QmrM::Seams seams = QmrM::seams();
    seams.runModalDialog = [&](QObject* object) {
        auto& dialog = *qobject_cast<QDialog*>(object);
        shown.append(dialog.windowTitle());
        if (auto* print = qobject_cast<QPrintDialog*>(&dialog)) {
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(pdf);
        } else if (auto* preview = qobject_cast<QPrintPreviewDialog*>(&dialog)) {
            auto* pages = preview->findChild<QPrintPreviewWidget*>();
            pages->updatePreview();
            shown.append(QStringLiteral("%1 pages").arg(pages->pageCount()));
        }
        return answer;
    };
    QmrM::SeamsScope printing(std::move(seams));

    // Cancelled: nothing printed.
    QTest::keyClick(viewer, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(shown, QStringList{QStringLiteral("印刷")});
    QVERIFY(!QFile::exists(pdf));

    answer = QDialog::Accepted;
    control<QAction>(viewer, "actionPrint")->trigger();
    QFile printed(pdf);
    QVERIFY(printed.open(QIODevice::ReadOnly));
    QVERIFY(printed.read(5) == "%PDF-" && printed.size() > 1000);

    shown.clear();
    control<QAction>(viewer, "actionPreview")->trigger();
    QCOMPARE(shown, QStringList({QStringLiteral("印刷プレビュー"), QStringLiteral("1 pages")}));
}

void TestHelpWindow::printedPicturesKeepTheirSizeOnPaper()
{
    help::HelpViewer* viewer = open(damaged("pictures.chm"));
    QVERIFY(viewer);
    viewer->browser()->showTopic(QStringLiteral("/printed.html"));
    QImage printed;
    QmrM::Seams seams = QmrM::seams();
    seams.runModalDialog = [&](QObject* object) {
        auto* preview = qobject_cast<QDialog*>(object);
        auto* pages = preview->findChild<QPrintPreviewWidget*>();
        preview->resize(700, 900);
        preview->show();
        pages->setZoomMode(QPrintPreviewWidget::FitToWidth);
        pages->updatePreview();
        printed = pages->grab().toImage().convertToFormat(QImage::Format_RGB32);
        return int(QDialog::Rejected);
    };
    QmrM::SeamsScope previewing(std::move(seams));
    control<QAction>(viewer, "actionPreview")->trigger();

    // The window-wide picture (631 pixels, 6.6 inches on the screen) takes most of the paper's width
    // (8.3 inches for A4, 8.5 for Letter), whole.
    const QRect paper = placeOf(printed, qRgb(255, 255, 255));
    const QRect picture = placeOf(printed, qRgb(30, 90, 200));
    QVERIFY(paper.contains(picture));
    const double share = double(picture.width()) / paper.width();
    QVERIFY2(share > 0.7 && share < 0.85, qPrintable(QString::number(share)));
}

void TestHelpWindow::damagedFilesShowWhatTheyCan()
{
    help::HelpViewer* viewer = open(damaged("damaged.chm"));
    QVERIFY(viewer);
    QCOMPARE(viewer->windowTitle(), QStringLiteral("HTML ヘルプ"));  // the file names no title
    auto* tree = control<QTreeWidget>(viewer, "contentsTree");
    // The start page is in no entry: the contents, which have the keys, leave it shown.
    QTRY_VERIFY(tree->hasFocus());
    QCOMPARE(pagePath(viewer), QStringLiteral("/cover.html"));
    QVERIFY(tree->selectedItems().isEmpty());
    QCOMPARE(
        treeTexts(tree),
        QStringList({QStringLiteral("Start"), QStringLiteral("  Missing page"), QStringLiteral("  Undeclared charset"),
                     QStringLiteral("After the extra end"), QStringLiteral("  Deep, never closed")}));

    // A page that is not in the file: a notice, and the window goes on working.
    tree->setCurrentItem(treeItem(tree, QStringLiteral("Missing page")));
    QVERIFY(viewer->browser()->toPlainText().contains(QStringLiteral("見つかりません")));
    // A Shift-JIS page that declares nothing is read in the file's code page. The entry chosen
    // stays selected, although a later entry leads to the same page.
    QTreeWidgetItem* undeclared = treeItem(tree, QStringLiteral("Undeclared charset"));
    tree->setCurrentItem(undeclared);
    QVERIFY(viewer->browser()->toPlainText().contains(QStringLiteral("トレーニングの開始")));
    QCOMPARE(tree->currentItem(), undeclared);
    QVERIFY(!treeItem(tree, QStringLiteral("After the extra end"))->isExpanded());

    QTreeWidget* results = searchFor(viewer, QStringLiteral("トレーニング"));
    QCOMPARE(results->topLevelItemCount(), 2);
}

void TestHelpWindow::filesWithoutContentsOrIndex_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("no contents or index file") << damaged("bare.chm");
    QTest::newRow("empty contents and index files") << damaged("empty.chm");
}

void TestHelpWindow::filesWithoutContentsOrIndex()
{
    QFETCH(QString, file);
    help::HelpViewer* viewer = open(file);
    QVERIFY(viewer);
    auto* tabs = control<QTabWidget>(viewer, "navigation");
    QCOMPARE(treeTexts(control<QTreeWidget>(viewer, "contentsTree")), QStringList{QStringLiteral("目次がありません")});
    tabs->setCurrentIndex(1);
    auto* list = control<QListWidget>(viewer, "indexList");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("キーワードがありません"));
    auto* field = control<QLineEdit>(viewer, "indexField");
    QTest::keyClicks(field, QStringLiteral("a"));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(pagePath(viewer), QStringLiteral("/index.html"));
    // The page area and the search still work.
    QCOMPARE(searchFor(viewer, QStringLiteral("ﾄﾚｰﾆﾝｸﾞ"))->topLevelItemCount(), 2);
}

void TestHelpWindow::overlongPageIsNeitherShownNorSearched()
{
    // Its second page holds 1.4 MB of "トレーニングの記録".
    help::HelpViewer* viewer = open(damaged("huge.chm"));
    QVERIFY(viewer);
    viewer->browser()->showTopic(QStringLiteral("/huge.html"));
    QVERIFY(viewer->browser()->toPlainText().contains(QStringLiteral("大きすぎるか壊れているため表示できません")));
    QTreeWidget* results = searchFor(viewer, QStringLiteral("トレーニング"));
    QVERIFY(results->findItems(QStringLiteral("Huge"), Qt::MatchExactly).isEmpty());
    QCOMPARE(results->findItems(QStringLiteral("Start"), Qt::MatchExactly).size(), 1);
}

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
