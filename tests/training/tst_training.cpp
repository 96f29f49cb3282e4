// SPDX-License-Identifier: GPL-3.0-or-later
#include "Pictures.h"
#include "LayoutSnapshot.h"
#include "TestEnv.h"
#include "Windows.h"

#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "platform/FitLabel.h"
#include "platform/Guard.h"
#include "settings/frmSettei.h"
#include "shared/QmrM.h"
#include "training/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <cmath>

using namespace QmrM;
using platform::vbExclamation;

namespace {

// Expects the question whether to go on with a count below one, answered with `answer`.
void expectConfirmZero(TestEnv& env, int answer)
{
    env.dialogs().expectMessage(QStringLiteral("回数ゼロで次へ進もうとしていますがよろしいいですか？"),
                                QStringLiteral("確認"), platform::vbOKCancel | vbExclamation, answer);
}
// The records written carry the test clock's time of day, as recordsOf() writes them: the 0.1 s flashes of
// a few presses do not move it to the next second.

// The controls of the loaded training window.
QLineEdit* countBox()
{
    return control<QLineEdit>(frmMain::instance(), QStringLiteral("txtKaisu"));
}

QScrollBar* countBar()
{
    return control<QScrollBar>(frmMain::instance(), QStringLiteral("hsbKaisu"));
}

QLabel* stepLabel(int step)
{
    return control<QLabel>(frmMain::instance(), QStringLiteral("lblSnd_%1").arg(step));
}

QString shown(const char* name)
{
    return textOf(frmMain::instance(), QLatin1String(name));
}

void pressNext()
{
    clickButton(frmMain::instance(), QStringLiteral("cmdNext"));
}

QColor textColour(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

// The step of the plan shown as the current one (the only step in its colour), or 0 when there is none.
int currentStep()
{
    int current = 0;
    for (int step = 1; step <= 20; ++step) {
        QLabel* label = stepLabel(step);
        if (label && label->isVisibleTo(label->window()) && textColour(label) == PaletteColor(12)) {
            if (current != 0)
                return 0;
            current = step;
        }
    }
    return current;
}

// Records every background colour the training window takes.
class BackgroundRecorder : public QObject {
public:
    explicit BackgroundRecorder(QWidget* window) : mWindow(window) { window->installEventFilter(this); }
    QList<QColor> flashes;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == mWindow && event->type() == QEvent::PaletteChange) {
            const QColor colour = mWindow->palette().color(QPalette::Window);
            if (colour != buttonFaceColor())
                flashes.append(colour);
        }
        return false;
    }

private:
    QWidget* mWindow;
};

void pressEnterIn(QLineEdit* box)
{
    QTest::keyClick(box, Qt::Key_Return);
}

}  // namespace

class TestTraining : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { platform::setUpApplication(*qobject_cast<QApplication*>(qApp)); }

    void layoutMatchesTheDesign();
    void tabOrderVisitsTheFourControls();
    void noItemsShowsTheMessageAndTheSettingsWindowOnly();
    void startUpShowsThePlanAndTheFirstItem();
    void nameFontSizeFollowsTheLength();
    void countsShownFixedOrRandom();
    void countsOutsideTheScrollBarRangeStayInTheBox();
    void numbersAndNamesShowWhole();
    void planStepsReadOnEveryBackground();
    void planStepsAreNeverCutOff();
    void countBelowOneNeedsConfirmation();
    void recordsAreAppendedAndTheListRewritten();
    void passEndsOnTheLastItemAndHandsOver();
    void flashColoursRunOnAcrossPasses();
    void secondPressDuringTheFlashRecordsNothing();
    void passStartedDuringTheFlashIsNotThePressOfTheOldOne();
    void scrollBarFillsTheBoxAndTheBoxWins();
    void enterActsAsNextAndLeaveRecordsNothing();
    void countTypedOnTheNextButtonGoesIntoTheBox();
    void unwritableHistoryKeepsTheUserOnTheItem();
    void countTooLargeIsNotRecorded();
    void itemNamedAfterADataFileGetsNoRecord_data();
    void itemNamedAfterADataFileGetsNoRecord();
    void malformedItemsListEndsTheProgramWithAMessage();
    void closingDuringTheFlashStopsThePass();
};

void TestTraining::layoutMatchesTheDesign()
{
    TestEnv env;
    compareWithLayoutSnapshot(startTraining(QStringLiteral("\"腕立て\",10")).window());
}

void TestTraining::tabOrderVisitsTheFourControls()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"a\",1\r\n\"b\",2"));
    auto* next = control<QToolButton>(form, QStringLiteral("cmdNext"));
    auto* cut = control<QToolButton>(form, QStringLiteral("cmdCut"));
    QWidget* order[] = {countBox(), next, countBar(), cut, countBox()};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(nextTabStop(order[i]), order[i + 1]);
    QCOMPARE(next->icon().availableSizes(), QList<QSize>({QSize(32, 32), QSize(16, 16)}));
    QCOMPARE(cut->icon().availableSizes().value(0), QSize(16, 16));
    QVERIFY(!cut->accessibleName().isEmpty());
}

void TestTraining::noItemsShowsTheMessageAndTheSettingsWindowOnly()
{
    TestEnv env;
    ShowWatcher watcher(QStringLiteral("frmMain"));
    env.dialogs().expectMessage(QStringLiteral("項目登録ボタンを押して項目を設定してください"),
                                QStringLiteral("項目無し"), vbExclamation);
    const quint64 loads = frmMain::instance().loadCount();
    frmMain::instance().Load();  // no data files at all
    QVERIFY(env.dialogs().verify());
    QVERIFY(!frmMain::instance().isLoaded());
    QCOMPARE(frmMain::instance().loadCount(), loads);  // nothing of the window was made
    QVERIFY(!watcher.shown);
    QVERIFY(frmSettei::instance().isLoaded());
    QVERIFY(frmSettei::instance().window()->isVisible());
    QVERIFY(!QFile::exists(QmrM::kItemsFile));
    QVERIFY(!QFile::exists(QmrM::kSettingsFile));
}

void TestTraining::startUpShowsThePlanAndTheFirstItem()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"腕立て\",20\r\n\"腹筋\",15\r\n\"背筋\",0"));
    QVERIFY(form.window()->isVisible());
    QCOMPARE(stepLabel(1)->text(), QStringLiteral("1.腕立て"));
    QCOMPARE(stepLabel(3)->text(), QStringLiteral("3.背筋"));
    for (int i = 1; i <= 20; ++i)
        QCOMPARE(stepLabel(i)->isVisible(), i <= 3);
    QCOMPARE(textColour(stepLabel(1)), PaletteColor(12));
    QCOMPARE(textColour(stepLabel(2)), PaletteColor(15));
    QCOMPARE(currentStep(), 1);
    QCOMPARE(shown("cmdNext"), QStringLiteral("次へ"));
    QCOMPARE(shown("lblKoumoku"), QStringLiteral("腕立て"));
    QCOMPARE(shown("lblKaisu"), QStringLiteral("20"));
    QCOMPARE(countBox()->text(), QStringLiteral("20"));
    QCOMPARE(countBar()->value(), 20);
    QCOMPARE(focusIn(form), control(form, QStringLiteral("cmdNext")));

    form.Unload();
    startTraining(QStringLiteral("\"一つだけ\",5"));
    QCOMPARE(shown("cmdNext"), QStringLiteral("終了"));
}

void TestTraining::nameFontSizeFollowsTheLength()
{
    const QList<QPair<int, double>> table = {{0, 16},  {1, 65},  {5, 65},  {6, 48},  {8, 48},  {9, 36},
                                             {10, 36}, {11, 28}, {14, 28}, {15, 22}, {18, 22}, {19, 16}};
    for (const auto& [length, points] : table)
        QCOMPARE(itemNameFontSize(QString(length, QChar(u'腕'))), points);
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"ストレッチ体操\",3"));
    QCOMPARE(control(form, QStringLiteral("lblKoumoku"))->font().pointSizeF(), 48.0);
}

void TestTraining::countsShownFixedOrRandom()
{
    TestEnv env;
    // Random counts: the largest whole number not above instructed × r + 1, so every count from 1 to the
    // instructed one; each item shown takes a fresh draw.
    // The rule's every draw is checked on randomCount itself (tst_shared); here a few through the window.
    const QList<QPair<float, int>> draws = {{0.0f, 1}, {0.55f, 6}, {std::nextafter(1.0f, 0.0f), 10}};
    for (const auto& [r, expected] : draws) {
        env.setRandomDraw(r);
        frmMain& form = startTraining(QStringLiteral("\"一\",1\r\n\"十\",10"), QStringLiteral("0,1,1"));
        QCOMPARE(shown("lblKaisu"), QStringLiteral("1"));
        pressNext();
        QCOMPARE(shown("lblKoumoku"), QStringLiteral("十"));
        QCOMPARE(shown("lblKaisu"), QString::number(expected));
        QCOMPARE(countBox()->text(), shown("lblKaisu"));
        QCOMPARE(countBar()->value(), expected);
        form.Unload();
    }
    // The instructed count itself never changes: the rewritten list keeps it.
    QCOMPARE(readDataFile(QmrM::kItemsFile), QStringLiteral("\"一\",1\r\n\"十\",10\r\n"));
    // With the real generator every count comes up.
    env.setRandomDraw(std::nullopt);
    QSet<int> seen;
    for (int i = 0; i < 300; ++i) {
        const int count = randomCount(10);
        QVERIFY2(count >= 1 && count <= 10, qPrintable(QString::number(count)));
        seen.insert(count);
    }
    QCOMPARE(seen.size(), 10);

    // Random counts off: the count is the instructed one; 0 leaves the box empty.
    startTraining(QStringLiteral("\"零\",0\r\n\"二\",2"), QStringLiteral("0,2,1"));
    QCOMPARE(shown("lblKaisu"), QStringLiteral("0"));
    QCOMPARE(countBox()->text(), QString());
}

void TestTraining::countsOutsideTheScrollBarRangeStayInTheBox()
{
    TestEnv env;
    startTraining(QStringLiteral("\"多\",1500\r\n\"負\",-5"));
    QCOMPARE(countBar()->value(), 1000);
    QCOMPARE(countBox()->text(), QStringLiteral("1500"));
    QCOMPARE(shown("lblKaisu"), QStringLiteral("1500"));
    pressNext();
    QCOMPARE(readDataFile(QStringLiteral("多.txt")), recordsOf({"1500"}));
    QCOMPARE(shown("lblKoumoku"), QStringLiteral("負"));
    QCOMPARE(countBar()->value(), 0);
    QCOMPARE(countBox()->text(), QStringLiteral("-5"));
}

void TestTraining::numbersAndNamesShowWhole()
{
    TestEnv env;
    const QString longFullWidth =
        QStringLiteral("肩と首と背中をゆっくり伸ばすストレッチ体操") + QString(19, QChar(u'腕'));
    const QString longAscii = QStringLiteral("ShoulderStretchWithTheArmsHeldBehindBack");
    QCOMPARE(longFullWidth.size(), 40);
    QCOMPARE(longAscii.size(), 40);
    frmMain& form = startTraining(QStringLiteral("\"腕立て\",20\r\n\"腕立て伏せ腕立て\",1000\r\n\"Pushups!\",12345\r\n"
                                                 "\"腕立て伏せ腕立て伏せ\",32767\r\n\"Stretching\",-32768\r\n\"") +
                                  longFullWidth + QStringLiteral("\",1\r\n\"") + longAscii + QStringLiteral("\",5"));
    QWidget* window = form.window();
    auto* name = qobject_cast<platform::FitLabel*>(window->findChild<QLabel*>(QStringLiteral("lblKoumoku")));
    auto* count = qobject_cast<platform::FitLabel*>(window->findChild<QLabel*>(QStringLiteral("lblKaisu")));
    auto* box = window->findChild<QLineEdit*>(QStringLiteral("txtKaisu"));
    QVERIFY(name && count && box);
    for (int item = 1; item <= gKoumokuSu; ++item) {
        if (item > 1) {  // on to the next item as the user goes
            box->setText(QStringLiteral("1"));
            pressNext();
        }
        const QString context = name->text() + QStringLiteral(" / ") + count->text();
        // The described sizes stay the labels' fonts; what is shown fits and is drawn whole.
        QCOMPARE(name->font().pointSizeF(), itemNameFontSize(name->text()));
        QCOMPARE(count->font().pointSizeF(), 150.0);
        for (platform::FitLabel* label : {name, count}) {
            const platform::ShownText shown = label->shownText();
            QVERIFY2(shown.whole, qPrintable(context));
            for (const QString& line : shown.lines)
                QVERIFY2(platform::neededWidth(line, shown.font, label) <= label->width(), qPrintable(context));
            QVERIFY2(drawnWhole(label), qPrintable(context));
        }
        if (item == 1)  // short enough: at the described size
            QCOMPARE(name->shownText().font.pointSizeF(), 65.0);
        const bool shrunk = count->shownText().font.pointSizeF() < 150;
        QCOMPARE(shrunk, count->text().size() >= 4);
        if (shrunk) {  // but just enough: one pixel more would not fit
            QFont larger = count->shownText().font;
            larger.setPixelSize(QFontInfo(larger).pixelSize() + 1);
            QVERIFY2(platform::neededWidth(count->text(), larger, count) > count->width(), qPrintable(context));
        }
        // The count box too shows the whole count: with the cursor after it, nothing is scrolled out.
        QCOMPARE(box->text(), count->text());
        QCOMPARE(box->cursorPosition(), 0);
        box->setCursorPosition(box->text().size());
        QVERIFY2(drawnCursor(box).center().x() >= QFontMetricsF(box->font()).horizontalAdvance(box->text()),
                 qPrintable(context));
    }
}

void TestTraining::planStepsReadOnEveryBackground()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"腕立て伏せ\",20\r\n\"腹筋\",30\r\n\"首のストレッチ\",10"));
    QWidget* window = form.window();
    QList<QColor> backgrounds = {buttonFaceColor()};
    for (int i = 0; i < 16; ++i)  // the flash colours, and the two the flash leaves out
        backgrounds.append(PaletteColor(i));
    for (const QColor& background : backgrounds) {
        QPalette palette = window->palette();  // as the flash sets it
        palette.setColor(QPalette::Window, background);
        window->setPalette(palette);
        for (int step = 1; step <= 3; ++step) {
            auto* label =
                qobject_cast<platform::FitLabel*>(window->findChild<QLabel*>(QStringLiteral("lblSnd_%1").arg(step)));
            QVERIFY(label);
            QCOMPARE(textColour(label), PaletteColor(step == 1 ? 12 : 15));  // the described colours
            const double share = readableInkShare(label);
            // The glyphs' core, or an outline at least as large, stands out from the background by 3 : 1.
            QVERIFY2(share >= 1.0,
                     qPrintable(QStringLiteral("step %1 on %2: %3").arg(step).arg(background.name()).arg(share)));
        }
    }
}

void TestTraining::planStepsAreNeverCutOff()
{
    TestEnv env;
    startTraining(QStringLiteral("\"腹筋\",5"));
    auto* label = qobject_cast<platform::FitLabel*>(stepLabel(1));
    QVERIFY(label && label->parentWidget()->rect().contains(label->geometry()));
    // Wide and narrow glyphs in every mix fill the width to each last pixel, at the described size and smaller
    // ones down to 9 points (W inks its whole advance); longer names cut with "…"; accents, descenders and
    // brackets.
    QStringList names = {QStringLiteral("ЁЙ ёй Qgjpqy_|"), QStringLiteral("【首】のストレッチ｜肩回し"),
                         QString(40, u'腕'), QString(40, u'j')};
    for (int wide = 0; wide <= 12; ++wide) {
        for (int narrow = 0; narrow <= 16; ++narrow)
            names.append(QString(wide, u'腕') + QString(narrow, u'i') + u'W');
    }
    // The current step's outline gives way only in the row above or below glyphs as high as the label; a glyph
    // cut off would leave its outline further out.
    const QRegion rowsAboveAndBelow =
        QRegion(0, -1, label->width(), 1) + QRegion(0, label->height(), label->width(), 1);
    QVERIFY(qobject_cast<platform::OutlinedLabel*>(label)->outlineColour().isValid());
    for (const QString& name : names) {
        label->setText(QStringLiteral("20.") + name);
        QVERIFY2(inkCutOff(label).subtracted(rowsAboveAndBelow).isEmpty(), qPrintable(label->text()));
        QVERIFY2(label->shownText().font.pointSizeF() >= 9, qPrintable(label->text()));
    }
}

void TestTraining::countBelowOneNeedsConfirmation()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"a\",0\r\n\"b\",0\r\n\"c\",0"));
    expectConfirmZero(env, platform::vbCancel);
    pressNext();
    QVERIFY(env.dialogs().verify());
    QVERIFY(!QFile::exists(QStringLiteral("a.txt")));
    QCOMPARE(currentStep(), 1);
    QCOMPARE(focusIn(form), countBox());

    expectConfirmZero(env, platform::vbOK);
    pressNext();
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readDataFile(QStringLiteral("a.txt")), recordsOf({"0"}));
    QCOMPARE(currentStep(), 2);

    countBox()->setText(QStringLiteral("0.5"));
    expectConfirmZero(env, platform::vbOK);
    pressNext();
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readDataFile(QStringLiteral("b.txt")), recordsOf({"0.5"}));
}

void TestTraining::recordsAreAppendedAndTheListRewritten()
{
    TestEnv env;
    writeHistory(QStringLiteral("腕立て"), recordsOf({"3"}));
    frmMain& form = startTraining(QStringLiteral("\"腕立て\",12.5\r\n\"腹筋\",15"));
    QCOMPARE(countBox()->text(), QStringLiteral("12"));
    countBox()->setText(QStringLiteral("15"));
    pressNext();  // no confirmation for 15
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readBytes(QStringLiteral("腕立て.txt")), cp932(recordsOf({"3", "15"})));
    // The rewrite turns the registered real into a whole number.
    QCOMPARE(readBytes(QmrM::kItemsFile), cp932(QStringLiteral("\"腕立て\",12\r\n\"腹筋\",15\r\n")));
    QCOMPARE(shown("lblKoumoku"), QStringLiteral("腹筋"));
    QCOMPARE(countBox()->text(), QStringLiteral("15"));
    QCOMPARE(textColour(stepLabel(1)), PaletteColor(15));
    QCOMPARE(textColour(stepLabel(2)), PaletteColor(12));
    QCOMPARE(focusIn(form), control(form, QStringLiteral("cmdNext")));
}

void TestTraining::passEndsOnTheLastItemAndHandsOver()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"A\",5\r\n\"B\",6"));
    pressNext();
    QCOMPARE(shown("cmdNext"), QStringLiteral("終わり"));
    QCOMPARE(shown("lblKoumoku"), QStringLiteral("B"));
    pressNext();
    QVERIFY(!form.isLoaded());
    QVERIFY(frmSettei::instance().isLoaded());
    QVERIFY(frmSettei::instance().window()->isVisible());
    QCOMPARE(readDataFile(QStringLiteral("B.txt")), recordsOf({"6"}));
    // The settings window shows the first item's history as just recorded.
    QCOMPARE(entriesOf(frmSettei::instance(), QStringLiteral("lstRireki")),
             QStringList({"1 _ 12月06日 _ 09時18分07秒 _ 5"}));
    QVERIFY(env.dialogs().verify());
    QVERIFY(env.endings().isEmpty());
}

void TestTraining::flashColoursRunOnAcrossPasses()
{
    TestEnv env;
    frmMain& form = frmMain::instance();
    QList<QColor> flashes;
    // Five passes of three items: fifteen presses, ten flashes (none on a last item).
    for (int pass = 0; pass < 5; ++pass) {
        frmSettei::instance().Unload();
        startTraining(QStringLiteral("\"a\",1\r\n\"b\",1\r\n\"c\",1"));
        BackgroundRecorder recorder(form.window());
        for (int press = 0; press < 3; ++press)
            pressNext();
        QVERIFY(!form.isLoaded());
        flashes += recorder.flashes;
    }
    const int expectedIndexes[] = {0, 1, 3, 4, 6, 9, 11, 12, 14, 15};
    QCOMPARE(flashes.size(), 10);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(flashes[i], PaletteColor(expectedIndexes[i]));
    // Fourteen colours in the cycle: the fifteenth press used colour 0 again, so the next flash is colour 1.
    frmSettei::instance().Unload();
    startTraining(QStringLiteral("\"a\",1\r\n\"b\",1"));
    BackgroundRecorder recorder(form.window());
    pressNext();
    QCOMPARE(recorder.flashes, QList<QColor>({PaletteColor(1)}));
}

void TestTraining::secondPressDuringTheFlashRecordsNothing()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"a\",1\r\n\"b\",1\r\n\"c\",1"));
    BackgroundRecorder recorder(form.window());
    int pressesDuringFlash = 0;
    env.clock().after(30, [&] {  // 30 ms into the 0.1 s flash
        if (form.isLoaded() && form.window()->palette().color(QPalette::Window) != buttonFaceColor()) {
            control<QToolButton>(form, QStringLiteral("cmdNext"))->click();
            pressEnterIn(countBox());
            ++pressesDuringFlash;
        }
    });
    pressNext();
    QCOMPARE(pressesDuringFlash, 1);
    QCOMPARE(currentStep(), 2);
    QCOMPARE(readDataFile(QStringLiteral("a.txt")).count(u'\n'), 1);
    QVERIFY(!QFile::exists(QStringLiteral("b.txt")));
    // One flash, and the presses during it took no colour: the next flash has the next colour.
    pressNext();
    QCOMPARE(recorder.flashes, QList<QColor>({PaletteColor(0), PaletteColor(1)}));
}

void TestTraining::passStartedDuringTheFlashIsNotThePressOfTheOldOne()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"a\",1\r\n\"b\",1\r\n\"c\",1"));
    // Inside the flash the user leaves the pass and starts the next one: its wait runs inside the flash,
    // and the user trains the new pass's first item during the wait.
    env.clock().after(20, [&] {
        clickButton(form, QStringLiteral("cmdCut"));
        env.clock().after(30 * 1000, [&] {
            form.setWindowState(platform::Form::vbNormal);
            pressNext();
        });
        clickButton(frmSettei::instance(), QStringLiteral("cmdAgain"));
    });
    pressNext();
    // The old press, back from its flash, left the new pass alone; the new pass's press counted.
    QVERIFY(form.isLoaded());
    QCOMPARE(currentStep(), 2);
    QCOMPARE(readDataFile(QStringLiteral("a.txt")).count(u'\n'), 2);
    pressNext();
    QCOMPARE(currentStep(), 3);
    QCOMPARE(readDataFile(QStringLiteral("b.txt")).count(u'\n'), 1);
}

void TestTraining::scrollBarFillsTheBoxAndTheBoxWins()
{
    TestEnv env;
    startTraining(QStringLiteral("\"a\",5\r\n\"b\",6"));
    QScrollBar* bar = countBar();
    QLineEdit* box = countBox();
    bar->setValue(37);
    QCOMPARE(box->text(), QStringLiteral("37"));
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_End);
    QCOMPARE(box->text(), QStringLiteral("1000"));
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);  // a click in the track
    QCOMPARE(box->text(), QStringLiteral("990"));
    QTest::keyClick(bar, Qt::Key_Left);
    QCOMPARE(box->text(), QStringLiteral("989"));
    QTest::keyClick(bar, Qt::Key_PageDown);
    QCOMPARE(box->text(), QStringLiteral("979"));
    // Dragging the thumb: the box follows it.
    QSignalSpy moved(bar, &QScrollBar::sliderMoved);
    bar->setSliderDown(true);
    bar->setSliderPosition(0);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(box->text(), QStringLiteral("0"));
    bar->setSliderPosition(1000);
    QCOMPARE(box->text(), QStringLiteral("1000"));
    bar->setSliderDown(false);

    bar->setValue(40);
    box->setText(QStringLiteral("25"));
    pressNext();
    QCOMPARE(readDataFile(QStringLiteral("a.txt")), recordsOf({"25"}));
}

void TestTraining::enterActsAsNextAndLeaveRecordsNothing()
{
    TestEnv env;
    const QString items = QStringLiteral("\"a\",5\r\n\"b\",6\r\n\"c\",7");
    frmMain& form = startTraining(items);
    BackgroundRecorder recorder(form.window());
    countBox()->clear();
    QTest::keyClicks(countBox(), QStringLiteral("25"));
    pressEnterIn(countBox());
    QCOMPARE(readDataFile(QStringLiteral("a.txt")), recordsOf({"25"}));
    QCOMPARE(currentStep(), 2);
    // The focus is then on the next button, which Enter presses too: a pass can be done with Enter alone.
    QCOMPARE(focusIn(form), control(form, QStringLiteral("cmdNext")));
    env.clock().jump(200);  // pressed anew, not held
    QTest::keyClick(focusIn(form), Qt::Key_Return);
    QCOMPARE(readDataFile(QStringLiteral("b.txt")), recordsOf({"6"}));
    QCOMPARE(currentStep(), 3);

    // Enter with an empty box asks first; Cancel puts the focus back into the box.
    countBox()->clear();
    expectConfirmZero(env, platform::vbCancel);
    env.clock().jump(200);
    pressEnterIn(countBox());
    QVERIFY(env.dialogs().verify());
    QCOMPARE(focusIn(form), countBox());

    const QByteArray itemsBefore = readBytes(QmrM::kItemsFile);
    clickButton(form, QStringLiteral("cmdCut"));
    QVERIFY(!form.isLoaded());
    QVERIFY(frmSettei::instance().window()->isVisible());
    QVERIFY(!QFile::exists(QStringLiteral("c.txt")));
    QCOMPARE(readBytes(QmrM::kItemsFile), itemsBefore);
    QCOMPARE(gGenzai, int16_t(3));
    // Leaving took no flash colour: the next pass flashes on with the colour after the two used.
    frmSettei::instance().Unload();
    startTraining(items);
    BackgroundRecorder nextPass(form.window());
    pressNext();
    QCOMPARE(recorder.flashes + nextPass.flashes, QList<QColor>({PaletteColor(0), PaletteColor(1), PaletteColor(2)}));
}

void TestTraining::countTypedOnTheNextButtonGoesIntoTheBox()
{
    // The focus is on the next button when an item comes; the count typed there replaces the one shown.
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"a\",30\r\n\"b\",6"));
    QCOMPARE(focusIn(form), control(form, QStringLiteral("cmdNext")));
    typeKey(form, Qt::Key_2);
    typeKey(form, Qt::Key_5);
    typeKey(form, Qt::Key_Return);
    QCOMPARE(readDataFile(QStringLiteral("a.txt")), recordsOf({"25"}));
}

void TestTraining::unwritableHistoryKeepsTheUserOnTheItem()
{
    TestEnv env;
    QDir().mkdir(QStringLiteral("a.txt"));
    frmMain& form = startTraining(QStringLiteral("\"a\",12.5\r\n\"b\",6"));
    BackgroundRecorder recorder(form.window());
    const QByteArray itemsBefore = readBytes(QmrM::kItemsFile);
    env.dialogs().expectAnyMessage(QStringLiteral("記録できません"), vbExclamation);
    pressNext();
    QVERIFY(env.dialogs().verify());
    QVERIFY(env.dialogs().shownTexts().last().contains(QStringLiteral("a.txt")));
    QVERIFY(env.endings().isEmpty());
    QCOMPARE(readBytes(QmrM::kItemsFile), itemsBefore);
    QCOMPARE(currentStep(), 1);
    QCOMPARE(shown("cmdNext"), QStringLiteral("次へ"));
    QCOMPARE(countBox()->text(), QStringLiteral("12"));
    QVERIFY(recorder.flashes.isEmpty());
    // Once the file can be written, the same press records and flashes the first colour.
    QVERIFY(QDir().rmdir(QStringLiteral("a.txt")));
    pressNext();
    QCOMPARE(readDataFile(QStringLiteral("a.txt")), recordsOf({"12"}));
    QCOMPARE(recorder.flashes, QList<QColor>({PaletteColor(0)}));
}

void TestTraining::countTooLargeIsNotRecorded()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"a\",1\r\n\"b\",1"));
    for (const QString& text : {QStringLiteral("1e999"), QStringLiteral("2147483648"), QStringLiteral("-3e10")}) {
        countBox()->setText(text);
        env.dialogs().expectMessage(
            QStringLiteral("回数が大きすぎます。-2147483647 から 2147483647 までの数を入力して下さい。"),
            QStringLiteral("回数入力エラー"), vbExclamation);
        pressNext();
        QVERIFY(env.dialogs().verify());
        QCOMPARE(focusIn(form), countBox());
    }
    QVERIFY(!QFile::exists(QStringLiteral("a.txt")));
    countBox()->setText(QStringLiteral("2147483647"));
    pressNext();
    QCOMPARE(readDataFile(QStringLiteral("a.txt")), recordsOf({"2147483647"}));
}

void TestTraining::itemNamedAfterADataFileGetsNoRecord_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("items list") << QStringLiteral("項目一覧");
    QTest::newRow("settings") << QStringLiteral("設定");
}

void TestTraining::itemNamedAfterADataFileGetsNoRecord()
{
    // An items list edited by hand names one of the program's own files.
    QFETCH(QString, name);
    TestEnv env;
    startTraining(QStringLiteral("\"%1\",5\n\"B\",3\n").arg(name));
    const QByteArray itemsBefore = readBytes(QmrM::kItemsFile);
    const QByteArray settingsBefore = readBytes(QmrM::kSettingsFile);
    env.dialogs().expectAnyMessage(QStringLiteral("記録できません"), vbExclamation);
    pressEnterIn(countBox());
    QVERIFY(env.dialogs().verify());
    QVERIFY(env.dialogs().shownTexts().value(0).contains(QStringLiteral("回数は記録されていません")));
    // The user stays on the item; neither data file took the count.
    QCOMPARE(shown("lblKoumoku"), name);
    QCOMPARE(readBytes(QmrM::kItemsFile), itemsBefore);
    QCOMPARE(readBytes(QmrM::kSettingsFile), settingsBefore);
    QVERIFY(env.endings().isEmpty());
}

void TestTraining::malformedItemsListEndsTheProgramWithAMessage()
{
    TestEnv env;
    env.dialogs().expectAnyMessage(QStringLiteral("Quillmora"), platform::vbCritical);
    startTraining(QStringLiteral("\"a\",1\r\n\"b\",lots"));
    QVERIFY(env.dialogs().verify());
    const QString message = env.dialogs().shownTexts().last();
    QVERIFY2(message.contains(QmrM::kItemsFile) && message.contains(QStringLiteral("2 行目")), qPrintable(message));
    QCOMPARE(env.endings(), QList<int>({1}));
    QVERIFY(!frmMain::instance().isLoaded() || !frmMain::instance().window()->isVisible());
    // Once the program is ending, no handler runs any more.
    platform::runGuarded([] { QFAIL("a handler ran after the program began to end"); });
}

void TestTraining::closingDuringTheFlashStopsThePass()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"a\",1\r\n\"b\",1"));
    env.clock().after(20, [&] { form.window()->close(); });  // the title bar's close box, during the flash
    pressNext();
    QVERIFY(!form.isLoaded());
    QCOMPARE(gGenzai, int16_t(1));
    QVERIFY(!QFile::exists(QStringLiteral("b.txt")));
    QVERIFY(!frmSettei::instance().isLoaded());
    // With no window left and no wait running, the program ends.
    QTRY_COMPARE(env.endings(), QList<int>({0}));
}

QTEST_MAIN(TestTraining)
#include "tst_training.moc"
