// SPDX-License-Identifier: GPL-3.0-or-later
#include "Pictures.h"
#include "LayoutSnapshot.h"
#include "TestEnv.h"
#include "Windows.h"

#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "platform/FitLabel.h"
#include "platform/Controls.h"
#include "help/HtmlHelp.h"
#include "settings/HistoryList.h"
#include "settings/frmSettei.h"
#include "shared/QmrM.h"
#include "shared/Wait.h"
#include "training/frmMain.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <functional>

using namespace QmrM;

namespace {

constexpr qint64 kMinuteMs = 60 * 1000;

// The controls of the loaded settings window that the tests change.
QScrollBar* waitBar()
{
    return control<QScrollBar>(frmSettei::instance(), QStringLiteral("hsbTime"));
}

QCheckBox* randomTimingBox()
{
    return control<QCheckBox>(frmSettei::instance(), QStringLiteral("chkTim"));
}

QString shown(const char* name)
{
    return textOf(frmSettei::instance(), QLatin1String(name));
}

QStringList historyShown()
{
    return entriesOf(frmSettei::instance(), QStringLiteral("lstRireki"));
}

// Chooses an entry of the history combo as the user does: opens its list, moves to the entry with the
// arrow keys and takes it with Enter (also the entry already chosen).
void chooseInCombo(int index)
{
    auto* combo = control<QComboBox>(frmSettei::instance(), QStringLiteral("cboKoumoku"));
    if (!combo)
        return;
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    QVERIFY(list->isVisible());
    for (int row = list->currentIndex().row(); row < index; ++row)
        QTest::keyClick(list, Qt::Key_Down);
    for (int row = list->currentIndex().row(); row > index; --row)
        QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(list->currentIndex().row(), index);
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(!list->isVisible());
}

// Clicks the start button as the user does; returns how long the start wait lasted on the test clock (the
// click returns once the wait is over and the training window is back).
qint64 clickStart(TestEnv& env)
{
    const qint64 before = env.clock().elapsedMs();
    clickButton(frmSettei::instance(), QStringLiteral("cmdAgain"));
    return env.clock().elapsedMs() - before;
}

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { platform::setUpApplication(*qobject_cast<QApplication*>(qApp)); }

    void layoutMatchesTheDesign();
    void tabOrderAndPictures();
    void everyControlHasAnAccessibleName();
    void startUpWithoutItemsKeepsTheDesignValues();
    void startUpFillsListsOptionsAndFirstHistory();
    void storedOptionsOutsideTheirRangeShowSafely();
    void historyLinesAndTotals();
    void historyWithUnreadableBytesIsShownNotFatal_data();
    void historyWithUnreadableBytesIsShownNotFatal();
    void historyTotalsRoundHalfToEvenAndNeverOverflow();
    void comboChoiceShowsThatItemsHistory();
    void longNamesShowTheirStartInTheCombo();
    void typingInTheComboChoosesNothing();
    void missingOrUnreadableHistoryShowsEmpty();
    void longRowsShowTheirCountWhole();
    void historyListIsReadRowByRow();
    void longHistoryIsReadInTheBackground();
    void waitLabelFollowsTheScrollBar();

    void confirmSavesTheOptions();
    void startNeedsItems();
    void startWaitsWithTheTrainingWindowPreparedAndMinimised();
    void startUsesTheSavedOptionsNotTheControls();
    void randomWaitIsWholeMinutesUpToTheSetting();
    void waitEndedEarlyOrCancelled();
    void trainingDuringTheWaitIsNotRepeated();
    void startingAgainAfterTrainingDuringTheWaitRunsOneWait();
    void closingTheTrainingWindowDuringTheWaitStillReminds();
    void helpAndExitGoThroughTheViewer();
    void closingTheSettingsWindowEndsTheProgram();
    void wholeCycleFromAnEmptyFolder();
    void keyboardAloneDrivesTheWindows();
};

void TestSettings::layoutMatchesTheDesign()
{
    TestEnv env;
    compareWithLayoutSnapshot(openSettings(itemsNamed({})).window());
}

void TestSettings::tabOrderAndPictures()
{
    TestEnv env;
    frmSettei& form = openSettings(itemsNamed({"a"}));
    QList<QWidget*> order;
    for (const char* name :
         {"cmdAgain", "cmdNew", "cmdHozon", "cmdClear", "cmdDel", "cmdHelp", "cmdEnd", "cboKoumoku", "lstKoumoku",
          "txtKaisu", "txtKoumoku", "lstRireki", "chkTim", "chkKaisu", "hsbTime", "cmdSettei", "cmdAgain"})
        order.append(control(form, QLatin1String(name)));
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QCOMPARE(nextTabStop(order[i]), order[i + 1]);
    QCOMPARE(focusIn(form), control(form, QStringLiteral("cmdAgain")));

    QCOMPARE(control<QLabel>(form, QStringLiteral("Image1"))->pixmap().size(), QSize(211, 66));
    // Six different button pictures, each with a large and a small image.
    QSet<QByteArray> pictures;
    for (const char* name : {"cmdNew", "cmdHozon", "cmdClear", "cmdDel", "cmdHelp", "cmdEnd"}) {
        const QIcon icon = control<QToolButton>(form, QLatin1String(name))->icon();
        QCOMPARE(icon.availableSizes(), QList<QSize>({QSize(32, 32), QSize(16, 16)}));
        const QImage image = icon.pixmap(32, 32).toImage();
        pictures.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    QCOMPARE(pictures.size(), 6);
    // The program reads its icons itself: the same pixels as the toolkit's own reader makes of them.
    QDirIterator icons(QStringLiteral(":/pictures"), {QStringLiteral("*.ico")});
    while (icons.hasNext()) {
        const QString file = icons.next();
        const QIcon ours = platform::picture(file);
        const QIcon toolkits(file);
        QCOMPARE(ours.availableSizes(), toolkits.availableSizes());
        for (const QSize size : toolkits.availableSizes())
            QCOMPARE(ours.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                     toolkits.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    QCOMPARE(control<QToolButton>(form, QStringLiteral("cmdAgain"))->icon().availableSizes(),
             QList<QSize>({QSize(32, 32)}));
}

void TestSettings::everyControlHasAnAccessibleName()
{
    TestEnv env;
    const auto checkNames = [](QWidget* window) {
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (control->focusPolicy() == Qt::NoFocus || control->focusProxy() || control->objectName().isEmpty())
                continue;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY(accessible);
            QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
        }
    };
    checkNames(openSettings(itemsNamed({"A"})).window());
    frmSettei::instance().Unload();
    frmMain::instance().Load();
    checkNames(frmMain::instance().window());
    auto* cut = control(frmMain::instance(), QStringLiteral("cmdCut"));
    QCOMPARE(cut->accessibleName(), QStringLiteral("中断"));
    QVERIFY(!cut->accessibleDescription().isEmpty());
}

void TestSettings::startUpWithoutItemsKeepsTheDesignValues()
{
    TestEnv env;
    frmSettei& form = openSettings(itemsNamed({}), QStringLiteral("1,1,30"));
    QCOMPARE(entriesOf(form, QStringLiteral("lstKoumoku")), QStringList());
    QCOMPARE(entriesOf(form, QStringLiteral("cboKoumoku")), QStringList());
    QCOMPARE(historyShown(), QStringList());
    QCOMPARE(shown("lblGoukei"), QString());
    QVERIFY(!randomTimingBox()->isChecked());
    QVERIFY(!control<QCheckBox>(form, QStringLiteral("chkKaisu"))->isChecked());
    QCOMPARE(waitBar()->value(), 1);
    QCOMPARE(shown("lblJikan"), QStringLiteral("1分"));
    // The help file is known from the start-up on, items or not.
    clickButton(form, QStringLiteral("cmdHelp"));
    QCOMPARE(env.helpCalls().size(), 1);
    QCOMPARE(env.helpCalls()[0].file, QStringLiteral("KvHelp.chm"));
}

void TestSettings::startUpFillsListsOptionsAndFirstHistory()
{
    TestEnv env;
    writeHistory(QStringLiteral("A"), recordsOf({"20", "5"}));
    writeHistory(QStringLiteral("B"), recordsOf({"7"}));
    frmSettei& form = openSettings(itemsNamed({"A", "B", "C"}), QStringLiteral("1,0,15"));
    const QStringList historyOfA = {"1 _ 12月06日 _ 09時18分07秒 _ 20", "2 _ 12月06日 _ 09時18分07秒 _ 5"};
    QCOMPARE(entriesOf(form, QStringLiteral("lstKoumoku")), QStringList({"A", "B", "C"}));
    QCOMPARE(entriesOf(form, QStringLiteral("cboKoumoku")), QStringList({"A", "B", "C"}));
    QCOMPARE(shown("cboKoumoku"), QStringLiteral("A"));
    QCOMPARE(historyShown(), historyOfA);
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 25"));
    QVERIFY(randomTimingBox()->isChecked());
    QVERIFY(!control<QCheckBox>(form, QStringLiteral("chkKaisu"))->isChecked());
    QCOMPARE(waitBar()->value(), 15);
    QCOMPARE(shown("lblJikan"), QStringLiteral("15分"));

    // Shown again, the window starts over with the first item, whatever was chosen before.
    chooseInCombo(1);
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 7"));
    form.Unload();
    form.Show();
    QCOMPARE(shown("cboKoumoku"), QStringLiteral("A"));
    QCOMPARE(historyShown(), historyOfA);
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 25"));
}

void TestSettings::storedOptionsOutsideTheirRangeShowSafely()
{
    TestEnv env;
    frmSettei& form = openSettings(itemsNamed({"A"}), QStringLiteral("2,-1,2.5"));
    QVERIFY(!randomTimingBox()->isChecked());
    QVERIFY(!control<QCheckBox>(form, QStringLiteral("chkKaisu"))->isChecked());
    QCOMPARE(randomTimingBox()->checkState(), Qt::Unchecked);
    QCOMPARE(waitBar()->value(), 2);  // 2.5 rounds to the even 2
    QCOMPARE(shown("lblJikan"), QStringLiteral("2分"));
    form.Unload();
    openSettings(itemsNamed({"A"}), QStringLiteral("0,0,3.5"));
    QCOMPARE(waitBar()->value(), 4);
}

void TestSettings::historyLinesAndTotals()
{
    TestEnv env;
    writeHistory(QStringLiteral("腕立て"), recordsOf({"10", "20"}) + recordsOf({"5"}, QStringLiteral("12月07日"),
                                                                               QStringLiteral("23時59分59秒")));
    openSettings(itemsNamed({"腕立て"}));
    QCOMPARE(historyShown(), QStringList({"1 _ 12月06日 _ 09時18分07秒 _ 10", "2 _ 12月06日 _ 09時18分07秒 _ 20",
                                          "3 _ 12月07日 _ 23時59分59秒 _ 5"}));
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 35"));

    // A count that is not a number is shown as stored and adds nothing.
    writeHistory(QStringLiteral("腕立て"), recordsOf({"many", "3"}));
    chooseInCombo(0);
    QCOMPARE(historyShown().value(0), QStringLiteral("1 _ 12月06日 _ 09時18分07秒 _ many"));
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 3"));

    writeBytes(QStringLiteral("腕立て.txt"), QByteArray());
    chooseInCombo(0);
    QCOMPARE(historyShown(), QStringList());
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 0"));
}

void TestSettings::longNamesShowTheirStartInTheCombo()
{
    TestEnv env;
    const QString start = QStringLiteral("ゆっくり腕立て伏せ（膝をついて）と肩回しのストレッチ");
    frmSettei& form = openSettings(itemsNamed({start + QStringLiteral("を十回"), start + QStringLiteral("を二十回")}));
    auto* combo = control<platform::NameComboBox>(form, QStringLiteral("cboKoumoku"));
    control<QWidget>(form, QStringLiteral("lstKoumoku"))->setFocus();
    // The start of the name and "…", not its tail; so both names look alike.
    const QString shownFirst = combo->shownText();
    QVERIFY2(shownFirst.endsWith(QChar(0x2026)) && start.startsWith(shownFirst.chopped(1)), qPrintable(shownFirst));
    const QImage first = combo->grab().toImage();
    chooseInCombo(1);
    control<QWidget>(form, QStringLiteral("lstKoumoku"))->setFocus();
    QCOMPARE(combo->shownText(), shownFirst);
    QCOMPARE(combo->grab().toImage(), first);
}

void TestSettings::historyWithUnreadableBytesIsShownNotFatal_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    const QByteArray good = cp932(QStringLiteral("\"12月06日\",\"09時18分07秒\",5"));
    const QString goodLine = QStringLiteral("1 _ 12月06日 _ 09時18分07秒 _ 5");
    QTest::newRow("a stray byte in a record") << good + "\x80\r\n" << QStringList{goodLine + QChar(0xFFFD)};
    QTest::newRow("a stray byte on a line of its own") << good + "\r\n\x80\r\n"
                                                       << QStringList{goodLine, QStringLiteral("2 _ \uFFFD _  _ ")};
    QTest::newRow("a record saved as UTF-8")
        << good + "\r\n" + QStringLiteral("\"12月07日\",\"10時00分00秒\",7\r\n").toUtf8()
        << QStringList{goodLine, QStringLiteral("2 _ 12月07日 _ 10時00分00秒 _ 7")};
    // Pairs of code page 932 hide in these bytes, but 0x88 0x30 (月 then "0") is none: the file is not code
    // page 932 throughout.
    QTest::newRow("a record saved as UTF-8 that looks like code page 932 for a while")
        << good + "\r\n" + QStringLiteral("\"12月07日\",\"10:00\",7\r\n").toUtf8()
        << QStringList{goodLine, QStringLiteral("2 _ 12月07日 _ 10:00 _ 7")};
    QTest::newRow("a byte-order mark and LF line ends")
        << QByteArray("\xEF\xBB\xBF") + good + "\n" + cp932(QStringLiteral("\"12月07日\",\"10時00分00秒\",7")) + "\n"
        << QStringList{goodLine, QStringLiteral("2 _ 12月07日 _ 10時00分00秒 _ 7")};
    QTest::newRow("a NUL byte") << good + "\r\n\"a" + QByteArray(1, '\0') + "b\",\"x\",3\r\n"
                                << QStringList{goodLine, QStringLiteral("2 _ a\uFFFDb _ x _ 3")};
    QTest::newRow("a 1 MB line and a lead byte at the end")
        << good + "\r\n" + QByteArray(1 << 19, 'a') + QByteArray(1 << 19, 'z') + "\r\n\x82"
        << QStringList{goodLine,
                       QStringLiteral("2 _ ") + QString(100, u'a') + QChar(0x2026) + QString(99, u'z') +
                           QStringLiteral(" _  _ "),
                       QStringLiteral("3 _ \uFFFD _  _ ")};
    // 凜 is EA A3 in code page 932, which UTF-8 would take for a character cut at the line's end.
    QTest::newRow("code page 932 ending like cut UTF-8")
        << "\"a\",\"b\",6" + cp932(QStringLiteral("凜")) + "\r\n\x80\r\n"
        << QStringList{QStringLiteral("1 _ a _ b _ 6凜"), QStringLiteral("2 _ \uFFFD _  _ ")};
}

void TestSettings::historyWithUnreadableBytesIsShownNotFatal()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    TestEnv env;
    writeBytes(QStringLiteral("A.txt"), bytes);
    settingsAfterCut(itemsNamed({"A"}));
    // Nothing fatal: no box at all (the scripted dialogs fail on any), the program goes on.
    QVERIFY(env.dialogs().verify());
    QVERIFY(env.endings().isEmpty());
    QCOMPARE(historyShown(), lines);
    QCOMPARE(readBytes(QStringLiteral("A.txt")), bytes);  // only shown, never rewritten
}

void TestSettings::historyTotalsRoundHalfToEvenAndNeverOverflow()
{
    TestEnv env;
    writeHistory(QStringLiteral("a"), recordsOf({"2.5", "2.5"}));
    openSettings(itemsNamed({"a"}));
    QCOMPARE(historyShown().value(1), QStringLiteral("2 _ 12月06日 _ 09時18分07秒 _ 2.5"));
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 4"));  // 2.5 -> 2, then 4.5 -> 4
    auto* total =
        qobject_cast<platform::FitLabel*>(control<QLabel>(frmSettei::instance(), QStringLiteral("lblGoukei")));
    // A pixel clear above and below the text, at its described size and at a smaller one.
    for (const char* count : {"5", "1310680"}) {
        writeHistory(QStringLiteral("a"), recordsOf({count}));
        chooseInCombo(0);
        const QRect ink = inkOf(total);
        QVERIFY2(ink.top() >= 1 && ink.bottom() <= total->height() - 2, count);
    }

    // Far beyond 32 bits: each count is the largest the training records.
    writeHistory(QStringLiteral("a"), recordsOf({"2147483647", "2147483647", "2147483647", "-0.4"}));
    chooseInCombo(0);
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 6442450941"));
    // Shown whole in a smaller size, the label keeping its described one.
    QVERIFY(total->shownText().font.pointSizeF() < 11.25 && total->font().pointSizeF() == 11.25);
    QVERIFY(drawnWhole(total));
    writeHistory(QStringLiteral("a"), recordsOf({"-0.4"}));
    chooseInCombo(0);
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 0"));
    // Counts beyond any number add nothing, as in the chart.
    writeHistory(QStringLiteral("a"), recordsOf({"1e999", "-1e999", "5"}));
    chooseInCombo(0);
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 5"));
}

void TestSettings::comboChoiceShowsThatItemsHistory()
{
    TestEnv env;
    writeHistory(QStringLiteral("C"), recordsOf({"9"}));
    openSettings(itemsNamed({"A", "B", "C"}));
    chooseInCombo(2);
    QCOMPARE(shown("cboKoumoku"), QStringLiteral("C"));
    QCOMPARE(historyShown(), QStringList({"1 _ 12月06日 _ 09時18分07秒 _ 9"}));
    // Each choice reads the file anew.
    writeBytes(QStringLiteral("C.txt"), QByteArray());
    chooseInCombo(2);
    QCOMPARE(historyShown(), QStringList());
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 0"));
}

void TestSettings::typingInTheComboChoosesNothing()
{
    TestEnv env;
    writeHistory(QStringLiteral("A"), recordsOf({"1"}));
    frmSettei& form = openSettings(itemsNamed({"A", "B"}));
    QLineEdit* edit = control<QComboBox>(form, QStringLiteral("cboKoumoku"))->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("B"));
    QTest::keyClick(edit, Qt::Key_Return);
    // Still the history of A.
    QCOMPARE(historyShown(), QStringList({"1 _ 12月06日 _ 09時18分07秒 _ 1"}));
    QCOMPARE(entriesOf(form, QStringLiteral("cboKoumoku")), QStringList({"A", "B"}));  // nothing inserted
    QCOMPARE(shown("cboKoumoku"), QStringLiteral("B"));
}

void TestSettings::missingOrUnreadableHistoryShowsEmpty()
{
    TestEnv env;
    writeHistory(QStringLiteral("B"), recordsOf({"3"}));
    openSettings(itemsNamed({"A", "B"}));
    QCOMPARE(historyShown(), QStringList());
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 0"));
    QVERIFY(!QFile::exists(QStringLiteral("A.txt")));  // looking creates nothing

    // A history that cannot be read (a folder in its place) is said to be so, naming the file; the window
    // stays, and the next item shows its own.
    QVERIFY(QDir().mkdir(QStringLiteral("A.txt")));
    chooseInCombo(0);
    QCOMPARE(historyShown(), QStringList());
    QCOMPARE(shown("lblGoukei"), QStringLiteral("履歴を読めません"));
    auto* total = control<QLabel>(frmSettei::instance(), QStringLiteral("lblGoukei"));
    QVERIFY(total->toolTip().contains(QStringLiteral("「A.txt」")));
    chooseInCombo(1);
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 3"));
    QVERIFY(total->toolTip().isEmpty());
    QVERIFY(env.dialogs().verify());
    QVERIFY(env.endings().isEmpty());
}

void TestSettings::longRowsShowTheirCountWhole()
{
    // From row 10 on, five-digit counts make rows longer than the list is wide.
    TestEnv env;
    const QString day = QStringLiteral("11月06日");
    writeHistory(QStringLiteral("A"),
                 recordsOf(QStringList(12, QStringLiteral("32767")), day) +
                     recordsOf({"32767"}, day, QStringLiteral("09時18分07秒 ") + QString(30, u'x')));
    frmSettei& form = openSettings(itemsNamed({"A"}));
    auto* list = control<settings::HistoryList>(form, QStringLiteral("lstRireki"));
    for (const int row : {9, 11, 12}) {
        list->scrollTo(list->model()->index(row, 0));
        const settings::ShownRow shown = list->shownRow(row);
        QVERIFY2(shown.text.startsWith(QStringLiteral("%1 _ 11月06日 _ 09").arg(row + 1)), qPrintable(shown.text));
        QVERIFY2(shown.text.endsWith(QStringLiteral(" _ 32767")), qPrintable(shown.text));
        QVERIFY(drawnWhole(list->viewport(), list->visualRect(list->model()->index(row, 0)), shown.text, shown.font));
    }
    // A smaller size holds the usual row; a time with a note gives way in its middle.
    QCOMPARE(list->shownRow(9).text, QStringLiteral("10 _ 11月06日 _ 09時18分07秒 _ 32767"));
    QVERIFY(list->shownRow(9).font.pointSizeF() < 12);
    QVERIFY(list->shownRow(12).text.contains(QChar(0x2026)));
}

void TestSettings::historyListIsReadRowByRow()
{
    // The list places its rows itself: keys, clicks, scrolling and assistive technology must find them.
    TestEnv env;
    QStringList counts;
    for (int i = 1; i <= 50; ++i)
        counts.append(QString::number(i));
    writeHistory(QStringLiteral("A"), recordsOf(counts));
    frmSettei& form = openSettings(itemsNamed({"A"}));
    auto* list = control<settings::HistoryList>(form, QStringLiteral("lstRireki"));
    list->setFocus();
    const auto currentRow = [list] { return list->currentIndex().row(); };
    const auto inView = [list](int row) {
        return list->viewport()->rect().contains(list->visualRect(list->model()->index(row, 0)));
    };
    // None is current before a key, or the first where the focus came in to a window of the system's.
    const int before = currentRow();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(currentRow(), before + 1);
    QTest::keyClick(list, Qt::Key_End);
    QCOMPARE(currentRow(), 49);
    QVERIFY(inView(49) && !inView(0));
    QTest::keyClick(list, Qt::Key_PageUp);
    const int page = 49 - currentRow();
    QVERIFY(page > 5 && inView(currentRow()));
    QTest::keyClick(list, Qt::Key_Home);
    QCOMPARE(currentRow(), 0);
    QVERIFY(inView(0));
    QTest::keyClick(list, Qt::Key_PageDown);
    QCOMPARE(currentRow(), page);
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(currentRow(), page - 1);

    // A click chooses the row under the mouse.
    const QModelIndex third = list->model()->index(2, 0);
    list->scrollTo(third, QAbstractItemView::PositionAtTop);
    const QModelIndex below = list->model()->index(4, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(below).center());
    QCOMPARE(currentRow(), 4);
    QVERIFY(list->selectionModel()->isSelected(below));

    // Assistive technology reads every row, and where it is drawn.
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list);
    QVERIFY(table && table->tableInterface());
    QCOMPARE(table->tableInterface()->rowCount(), 50);
    QAccessibleInterface* cell = table->tableInterface()->cellAt(4, 0);
    QVERIFY(cell);
    QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("5 _ 12月06日 _ 09時18分07秒 _ 5"));
    QCOMPARE(cell->rect().center(), list->viewport()->mapToGlobal(list->visualRect(below).center()));
}

void TestSettings::longHistoryIsReadInTheBackground()
{
    TestEnv env;
    const QByteArray record = cp932(recordsOf({"7"}));
    const int records = int(2 * settings::HistoryList::kReadInBackgroundFrom / record.size());
    writeBytes(QStringLiteral("A.txt"), record.repeated(records));
    writeHistory(QStringLiteral("B"), recordsOf({"3"}));
    frmSettei& form = openSettings(itemsNamed({"A", "B"}));
    const QPointer<settings::HistoryList> list = control<settings::HistoryList>(form, QStringLiteral("lstRireki"));
    // What assistive technology hears of the list while it is read.
    const auto reading = [list] {
        return QAccessible::queryAccessibleInterface(list)->text(QAccessible::Description) ==
               QStringLiteral("履歴を読み込んでいます");
    };
    QVERIFY(reading());
    QCOMPARE(list->count(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!reading(), 60000);
    QCOMPARE(list->count(), records);
    QCOMPARE(list->model()->index(records - 1, 0).data().toString(),
             QStringLiteral("%1 _ 12月06日 _ 09時18分07秒 _ 7").arg(records));
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： %1").arg(7 * records));

    // Another item chosen while the long one is read: only that item is shown,
    // then and later. Until the long one's total is known, the label says so, not the other item's total.
    chooseInCombo(1);
    chooseInCombo(0);
    QVERIFY(reading());
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 集計中…"));
    chooseInCombo(1);
    QCOMPARE(historyShown(), QStringList({"1 _ 12月06日 _ 09時18分07秒 _ 3"}));
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 3"));
    QTest::qWait(50);
    QCOMPARE(list->count(), 1);

    // The window unloaded, as 開始 does for its whole wait: the list lets go of its history (and stops a
    // reading) at once, though the window goes only when the wait is over.
    form.Unload();
    QVERIFY(list && list->count() == 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    openSettings(itemsNamed({"A", "B"}));
    frmSettei::instance().Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(env.dialogs().verify());
}

void TestSettings::waitLabelFollowsTheScrollBar()
{
    TestEnv env;
    openSettings(itemsNamed({"A"}), QStringLiteral("0,0,10"));
    QScrollBar* bar = waitBar();
    bar->setSliderDown(true);
    for (int v = 1; v <= 60; ++v) {
        bar->setSliderPosition(v);
        QCOMPARE(shown("lblJikan"), QString::number(v) + QStringLiteral("分"));
    }
    bar->setSliderDown(false);
    bar->setValue(61);
    QCOMPARE(bar->value(), 60);
    bar->setValue(0);
    QCOMPARE(shown("lblJikan"), QStringLiteral("1分"));
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(shown("lblJikan"), QStringLiteral("2分"));
    // Moving the scroll bar changes neither the shared wait nor the settings file.
    QCOMPARE(gWaitJikan, 10.0f);
    QCOMPARE(readBytes(QmrM::kSettingsFile), QByteArray("0,0,10\r\n"));
}

void TestSettings::confirmSavesTheOptions()
{
    TestEnv env;
    frmSettei& form = openSettings(itemsNamed({"A"}));
    randomTimingBox()->setChecked(true);
    waitBar()->setValue(15);
    for (int press = 0; press < 2; ++press) {
        QFile::remove(QmrM::kSettingsFile);
        expectOptionsSaved(env.dialogs());
        clickButton(form, QStringLiteral("cmdSettei"));
        QVERIFY(env.dialogs().verify());
        QCOMPARE(readBytes(QmrM::kSettingsFile), QByteArray("1,0,15\r\n"));
    }
    QCOMPARE(gRandomTim, int16_t(1));
    QCOMPARE(gRandomKaisu, int16_t(0));
    QCOMPARE(gWaitJikan, 15.0f);
    // From the keyboard: Enter presses the focused button.
    expectOptionsSaved(env.dialogs());
    QTest::keyClick(control(form, QStringLiteral("cmdSettei")), Qt::Key_Return);
    QVERIFY(env.dialogs().verify());
    // A settings file spelled otherwise is replaced under its own name instead of getting a second one.
    // (Made afresh: Wine takes a rename that changes only the case as done, and leaves the name.)
    QVERIFY(QFile::remove(QmrM::kSettingsFile));
    writeBytes(QStringLiteral("設定.TXT"), "1,0,15\r\n");
    waitBar()->setValue(7);
    expectOptionsSaved(env.dialogs());
    clickButton(form, QStringLiteral("cmdSettei"));
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readBytes(QStringLiteral("設定.TXT")), QByteArray("1,0,7\r\n"));
    QCOMPARE(QDir().entryList({QStringLiteral("設定.*")}, QDir::Files), QStringList{QStringLiteral("設定.TXT")});
}

void TestSettings::startNeedsItems()
{
    TestEnv env;
    frmSettei& form = openSettings(itemsNamed({}));
    env.dialogs().expectMessage(QStringLiteral("先に項目を入力して下さい"), QStringLiteral("項目未登録"),
                                platform::vbExclamation);
    QCOMPARE(clickStart(env), qint64(0));  // no wait was begun
    QVERIFY(env.dialogs().verify());
    QVERIFY(form.isLoaded() && form.window()->isVisible());
    QVERIFY(!frmMain::instance().isLoaded());
}

void TestSettings::startWaitsWithTheTrainingWindowPreparedAndMinimised()
{
    TestEnv env;
    frmSettei& form = openSettings(itemsNamed({"A", "B"}), QStringLiteral("0,0,5"));
    frmMain& training = frmMain::instance();
    // The training window goes straight to the task bar: it is never shown in its normal state first.
    QList<bool> shownMinimised;
    ShowWatcher watcher(QStringLiteral("frmMain"),
                        [&](QWidget* window) { shownMinimised.append(window->isMinimized()); });
    bool checkedDuringWait = false;
    env.clock().after(30 * 1000, [&] {
        QVERIFY(!form.isLoaded());
        QVERIFY(training.isLoaded());
        QCOMPARE(training.WindowState(), int(platform::Form::vbMinimized));
        QCOMPARE(textOf(training, QStringLiteral("lblKoumoku")), QStringLiteral("A"));
        QCOMPARE(gGenzai, int16_t(1));
        // The program must not end while it waits, even with no window left open.
        QVERIFY(StartWaits::current() != nullptr);
        checkedDuringWait = true;
    });
    QCOMPARE(clickStart(env), 5 * kMinuteMs);
    QVERIFY(checkedDuringWait);
    QCOMPARE(shownMinimised.value(0, false), true);
    QVERIFY(training.isLoaded());
    QCOMPARE(training.WindowState(), int(platform::Form::vbNormal));
    QVERIFY(training.window()->isVisible());
    QVERIFY(!form.isLoaded());
    QVERIFY(StartWaits::current() == nullptr);
}

void TestSettings::startUsesTheSavedOptionsNotTheControls()
{
    TestEnv env;
    frmSettei& form = openSettings(itemsNamed({"A"}), QStringLiteral("0,0,10"));
    waitBar()->setValue(30);
    randomTimingBox()->setChecked(true);
    QCOMPARE(clickStart(env), 10 * kMinuteMs);
    lookAtThePass(env);
    clickButton(frmMain::instance(), QStringLiteral("cmdCut"));
    QVERIFY(form.isLoaded());
    QCOMPARE(waitBar()->value(), 10);
    QVERIFY(!randomTimingBox()->isChecked());

    // Random timing with one minute always waits a minute.
    form.Unload();
    openSettings(itemsNamed({"A"}), QStringLiteral("1,0,1"));
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(clickStart(env), kMinuteMs);
        lookAtThePass(env);
        clickButton(frmMain::instance(), QStringLiteral("cmdCut"));
    }
}

// The rule itself is the shared layer's (tst_shared); here the start button waits what the window's options say.
void TestSettings::randomWaitIsWholeMinutesUpToTheSetting()
{
    TestEnv env;
    openSettings(itemsNamed({"A"}), QStringLiteral("1,0,60"));
    env.setRandomDraw(0.5f);
    QCOMPARE(clickStart(env), 31 * kMinuteMs);
    lookAtThePass(env);
    clickButton(frmMain::instance(), QStringLiteral("cmdCut"));
    // Nor beyond a setting where single precision would round the largest draw up to a minute more.
    frmSettei::instance().Unload();
    openSettings(itemsNamed({"A"}), QStringLiteral("1,0,32"));
    env.setRandomDraw(std::nextafter(1.0f, 0.0f));
    QCOMPARE(clickStart(env), 32 * kMinuteMs);
    QVERIFY(frmMain::instance().window()->isVisible());
}

void TestSettings::waitEndedEarlyOrCancelled()
{
    TestEnv env;
    frmSettei& form = openSettings(itemsNamed({"A"}), QStringLiteral("0,0,10"));
    frmMain& training = frmMain::instance();
    // Ended early: the pass comes at once.
    env.clock().after(30 * 1000, [] { StartWaits::current()->endNow(); });
    QCOMPARE(clickStart(env), qint64(30 * 1000));
    QVERIFY(training.isLoaded() && training.window()->isVisible());
    QCOMPARE(training.WindowState(), int(platform::Form::vbNormal));
    clickButton(training, QStringLiteral("cmdCut"));

    // Cancelled: no pass comes, and the settings window is back.
    env.clock().after(30 * 1000, [] { StartWaits::current()->cancel(); });
    QCOMPARE(clickStart(env), qint64(30 * 1000));
    QVERIFY(!training.isLoaded());
    QVERIFY(form.isLoaded() && form.window()->isVisible());
    QVERIFY(!StartWaits::current());
    QVERIFY(!QFile::exists(QStringLiteral("A.txt")));
}

void TestSettings::trainingDuringTheWaitIsNotRepeated()
{
    TestEnv env;
    frmSettei& form = openSettings(itemsNamed({"A", "B"}));
    frmMain& training = frmMain::instance();
    env.clock().after(30 * 1000, [&] {
        // The user restores the waiting window and trains the whole pass before the wait is over.
        training.setWindowState(platform::Form::vbNormal);
        clickButton(training, QStringLiteral("cmdNext"));
        clickButton(training, QStringLiteral("cmdNext"));
    });
    // Back in the settings window the wait is over: its pass has been done.
    QVERIFY(clickStart(env) < kMinuteMs);
    QVERIFY(!StartWaits::current());
    bool minutePassed = false;
    env.clock().after(kMinuteMs, [&] { minutePassed = true; });
    QTRY_VERIFY(minutePassed);
    // No second pass follows, neither when the wait would have run out.
    QVERIFY(!training.isLoaded());
    QVERIFY(form.isLoaded() && form.window()->isVisible());
    QCOMPARE(readDataFile(QStringLiteral("A.txt")).count(u'\n'), 1);
    QCOMPARE(readDataFile(QStringLiteral("B.txt")).count(u'\n'), 1);
}

void TestSettings::startingAgainAfterTrainingDuringTheWaitRunsOneWait()
{
    TestEnv env;
    openSettings(itemsNamed({"A"}));
    frmMain& training = frmMain::instance();
    QList<StartWait*> announced;
    QObject listening;  // the connection ends with this test
    connect(&StartWaits::instance(), &StartWaits::began, &listening, [&](StartWait* wait) { announced.append(wait); });
    qint64 secondWait = -1;
    env.clock().after(10 * 1000, [&] {
        // Trained during the first wait, back in the settings window, the user starts the next wait.
        training.setWindowState(platform::Form::vbNormal);
        clickButton(training, QStringLiteral("cmdNext"));
        QVERIFY(!StartWaits::current());
        secondWait = clickStart(env);
    });
    clickStart(env);
    QCOMPARE(announced.size(), 2);
    QCOMPARE(secondWait, kMinuteMs);  // the second wait is a whole one of its own
    QVERIFY(!StartWaits::current());
    // One pass is on screen, the second one; the first item has the one record of the first pass.
    QVERIFY(training.isLoaded() && training.window()->isVisible());
    QCOMPARE(training.WindowState(), int(platform::Form::vbNormal));
    QCOMPARE(readDataFile(QStringLiteral("A.txt")).count(u'\n'), 1);
}

void TestSettings::closingTheTrainingWindowDuringTheWaitStillReminds()
{
    TestEnv env;
    openSettings(itemsNamed({"A"}));
    frmMain& training = frmMain::instance();
    env.clock().after(30 * 1000, [&] {
        training.window()->close();  // through its title bar
        QVERIFY(!training.isLoaded());
        QTest::qWait(20);  // the check for a program left without windows runs meanwhile
        QVERIFY(env.endings().isEmpty());
    });
    QCOMPARE(clickStart(env), kMinuteMs);
    QVERIFY(training.isLoaded());
    QVERIFY(training.window()->isVisible());
    QCOMPARE(textOf(training, QStringLiteral("lblKoumoku")), QStringLiteral("A"));
    QTest::qWait(20);
    QVERIFY(env.endings().isEmpty());
}

void TestSettings::helpAndExitGoThroughTheViewer()
{
    TestEnv env;
    frmSettei& form = openSettings(itemsNamed({"A"}));
    clickButton(form, QStringLiteral("cmdHelp"));
    QCOMPARE(env.helpCalls().size(), 1);
    QCOMPARE(env.helpCalls()[0].caller, static_cast<QObject*>(form.window()));
    QCOMPARE(env.helpCalls()[0].file, QStringLiteral("KvHelp.chm"));
    QCOMPARE(env.helpCalls()[0].command, int(help::HelpCommand::DisplayTopic));
    QVERIFY(env.endings().isEmpty());

    waitBar()->setValue(42);  // not confirmed: lost
    clickButton(form, QStringLiteral("cmdEnd"));
    QCOMPARE(env.helpCalls().size(), 2);
    QCOMPARE(env.helpCalls()[1].file, QStringLiteral("KvHelp.chm"));
    QCOMPARE(env.helpCalls()[1].command, int(help::HelpCommand::CloseAll));
    QCOMPARE(env.endings(), QList<int>({0}));
    QCOMPARE(readBytes(QmrM::kSettingsFile), QByteArray("0,0,1\r\n"));
    // Nothing runs after the exit.
    clickButton(form, QStringLiteral("cmdSettei"));
    QVERIFY(env.dialogs().verify());
}

void TestSettings::closingTheSettingsWindowEndsTheProgram()
{
    TestEnv env;
    frmSettei& form = openSettings(itemsNamed({"A"}));
    form.window()->close();
    QVERIFY(!form.isLoaded());
    QTRY_COMPARE(env.endings(), QList<int>({0}));
}

void TestSettings::wholeCycleFromAnEmptyFolder()
{
    // A new user: no files at all, registers an item, confirms the options, starts, trains, reads the history.
    TestEnv env;
    env.dialogs().expectMessage(QStringLiteral("項目登録ボタンを押して項目を設定してください"),
                                QStringLiteral("項目無し"), platform::vbExclamation);
    frmMain::instance().Load();
    frmSettei& form = frmSettei::instance();
    QVERIFY(form.window()->isVisible());
    expectOptionsSaved(expectRegistration(env.dialogs(), QStringLiteral("腕立て"), QStringLiteral("20")));
    clickButton(form, QStringLiteral("cmdNew"));
    waitBar()->setValue(3);
    clickButton(form, QStringLiteral("cmdSettei"));
    QCOMPARE(clickStart(env), 3 * kMinuteMs);
    frmMain& training = frmMain::instance();
    QCOMPARE(textOf(training, QStringLiteral("txtKaisu")), QStringLiteral("20"));
    lookAtThePass(env);
    QTest::keyClick(control(training, QStringLiteral("txtKaisu")), Qt::Key_Return);
    QVERIFY(frmSettei::instance().isLoaded());
    // The record carries the time the count was done: after the three minutes' wait and a look at the pass.
    QCOMPARE(historyShown(), QStringList({"1 _ 12月06日 _ 09時21分10秒 _ 20"}));
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 20"));
    QVERIFY(env.dialogs().verify());
}

void TestSettings::keyboardAloneDrivesTheWindows()
{
    TestEnv env;
    frmSettei& form = openSettings(itemsNamed({"A"}));
    const auto named = [&form](const char* name) { return control(form, QLatin1String(name)); };
    QVERIFY(QTest::qWaitForWindowActive(form.window()));
    QCOMPARE(QApplication::focusWidget(), named("cmdAgain"));

    // Register: Tab to the register button, Enter.
    pressKey(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), named("cmdNew"));
    expectRegistration(env.dialogs(), QStringLiteral("B"), QStringLiteral("4"));
    pressKey(Qt::Key_Return);
    QVERIFY(env.dialogs().verify());

    // Edit: into the item list, choose the new item with the arrow keys, change its count, save.
    named("lstKoumoku")->setFocus();
    pressKey(Qt::Key_Down);
    pressKey(Qt::Key_Down);
    QCOMPARE(shown("txtKoumoku"), QStringLiteral("B"));
    pressKey(Qt::Key_Tab);
    auto* count = control<QLineEdit>(form, QStringLiteral("txtKaisu"));
    QCOMPARE(QApplication::focusWidget(), count);
    count->selectAll();
    QTest::keyClicks(count, QStringLiteral("9"));
    named("cmdHozon")->setFocus();
    expectItemUpdated(env.dialogs(), QStringLiteral("B"));
    env.clock().jump(200);  // each key pressed anew, not held
    pressKey(Qt::Key_Return);
    QCOMPARE(readDataFile(QmrM::kItemsFile), QStringLiteral("\"A\",10\r\n\"B\",9\r\n"));

    // Options: tick random timing with the space bar, the wait with the arrow keys, confirm with Enter.
    randomTimingBox()->setFocus();
    env.clock().jump(200);  // each key pressed anew, not held
    pressKey(Qt::Key_Space);
    pressKey(Qt::Key_Tab);
    pressKey(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), named("hsbTime"));
    pressKey(Qt::Key_Right);
    pressKey(Qt::Key_Right);
    pressKey(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), named("cmdSettei"));
    expectOptionsSaved(env.dialogs());
    env.clock().jump(200);  // each key pressed anew, not held
    pressKey(Qt::Key_Return);
    QCOMPARE(readBytes(QmrM::kSettingsFile), QByteArray("1,0,3\r\n"));

    // Start, train the pass with Enter alone, come back to the settings window.
    pressKey(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), named("cmdAgain"));
    env.clock().jump(200);  // each key pressed anew, not held
    pressKey(Qt::Key_Return);
    frmMain& training = frmMain::instance();
    // The pass comes without the keyboard; the user switches to it (Alt+Tab: the desktop activates it)
    // and looks at it.
    lookAtThePass(env);
    training.window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(training.window()));
    QCOMPARE(QApplication::focusWidget(), control(training, QStringLiteral("cmdNext")));
    env.clock().jump(200);  // each key pressed anew, not held
    pressKey(Qt::Key_Return);
    env.clock().jump(200);  // each key pressed anew, not held
    pressKey(Qt::Key_Return);
    QVERIFY(!training.isLoaded());
    QVERIFY(QTest::qWaitForWindowActive(form.window()));
    QCOMPARE(readDataFile(QStringLiteral("B.txt")).count(u'\n'), 1);
    QVERIFY(env.dialogs().verify());
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
