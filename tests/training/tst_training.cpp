#include "Pictures.h"
#include "TestEnv.h"

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
#include <QTimer>
#include <QToolButton>

using namespace QmrM;
using platform::vbExclamation;

namespace {

const QString kConfirmZero = QStringLiteral("回数ゼロで次へ進もうとしていますがよろしいいですか？");
const QString kHistoryRecordAt0918 = QStringLiteral("\"12月06日\",\"09時18分07秒\",");

void fixClock()
{
    gNow = [] { return QDateTime(QDate(2026, 12, 6), QTime(9, 18, 7)); };
}

// Writes the items list and a settings file, then loads the training window as the program does.
frmMain& startTraining(const QString& items, const QString& settings = QStringLiteral("0,0,1"))
{
    writeDataFile(QStringLiteral("項目一覧.txt"), items);
    writeDataFile(QStringLiteral("設定.txt"), settings + QStringLiteral("\r\n"));
    fixClock();
    frmMain& form = frmMain::instance();
    platform::runGuarded([&] { form.Load(); });
    return form;
}

QColor textColour(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
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
            if (colour != frmMain::buttonFaceColor())
                flashes.append(colour);
        }
        return false;
    }

private:
    QWidget* mWindow;
};

// Notes whether a window of the given name was ever shown.
class ShowWatcher : public QObject {
public:
    explicit ShowWatcher(const QString& name) : mName(name) { qApp->installEventFilter(this); }
    ~ShowWatcher() override { qApp->removeEventFilter(this); }
    bool shown = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == mName)
            shown = true;
        return false;
    }

private:
    QString mName;
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

    void layoutMatchesTheDesign_data();
    void layoutMatchesTheDesign();
    void tabOrderVisitsTheFourControls();
    void noItemsShowsTheMessageAndTheSettingsWindowOnly();
    void startUpShowsThePlanAndTheFirstItem();
    void nameFontSizeFollowsTheLength();
    void countsShownFixedOrRandom();
    void countsOutsideTheScrollBarRangeStayInTheBox();
    void numbersAndNamesShowWhole();
    void planStepsReadOnEveryBackground();
    void countBelowOneNeedsConfirmation();
    void recordsAreAppendedAndTheListRewritten();
    void passEndsOnTheLastItemAndHandsOver();
    void flashColoursRunOnAcrossPasses();
    void secondPressDuringTheFlashRecordsNothing();
    void scrollBarFillsTheBoxAndTheBoxWins();
    void enterActsAsNextAndLeaveRecordsNothing();
    void unwritableHistoryKeepsTheUserOnTheItem();
    void countTooLargeIsNotRecorded();
    void malformedItemsListEndsTheProgramWithAMessage();
    void closingDuringTheFlashStopsThePass();
};

void TestTraining::layoutMatchesTheDesign_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<double>("points");
    QTest::newRow("lblKoumoku") << "lblKoumoku" << QRect(177, 39, 449, 101) << 65.0;
    QTest::newRow("txtKaisu") << "txtKaisu" << QRect(450, 380, 81, 34) << 21.75;
    QTest::newRow("cmdNext") << "cmdNext" << QRect(550, 375, 66, 66) << 9.0;
    QTest::newRow("hsbKaisu") << "hsbKaisu" << QRect(450, 420, 81, 16) << 0.0;
    QTest::newRow("lblKaisu") << "lblKaisu" << QRect(180, 150, 448, 191) << 150.0;
    QTest::newRow("Frame1") << "Frame1" << QRect(5, 10, 170, 431) << 11.25;
    QTest::newRow("lblSnd_1") << "lblSnd_1" << QRect(7, 25, 161, 16) << 11.25;
    QTest::newRow("lblSnd_20") << "lblSnd_20" << QRect(7, 405, 161, 16) << 11.25;
    QTest::newRow("cmdCut") << "cmdCut" << QRect(600, 5, 26, 23) << 0.0;
}

void TestTraining::layoutMatchesTheDesign()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(double, points);
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"腕立て\",10"));
    QWidget* window = form.window();
    QCOMPARE(window->objectName(), QStringLiteral("frmMain"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillmora"));
    QCOMPARE(window->size(), QSize(629, 450));
    QVERIFY(!window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    auto* control = window->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
    QVERIFY(control->toolTip().isEmpty());
    if (points > 0) {
        QCOMPARE(control->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(control->font().pointSizeF(), points);
    }
    // lblSnd_20 ends inside the frame.
    QVERIFY(geometry.bottom() < 431 || name == QStringLiteral("Frame1") || control->parentWidget() == window);
}

void TestTraining::tabOrderVisitsTheFourControls()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"a\",1\r\n\"b\",2"));
    QWidget* order[] = {form.txtKaisu, form.cmdNext, form.hsbKaisu, form.cmdCut, form.txtKaisu};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(nextTabStop(order[i]), order[i + 1]);
    QCOMPARE(form.cmdNext->icon().availableSizes(), QList<QSize>({QSize(32, 32), QSize(16, 16)}));
    QCOMPARE(form.cmdCut->icon().availableSizes().value(0), QSize(16, 16));
    QVERIFY(!form.cmdCut->accessibleName().isEmpty());
}

void TestTraining::noItemsShowsTheMessageAndTheSettingsWindowOnly()
{
    TestEnv env;
    ShowWatcher watcher(QStringLiteral("frmMain"));
    env.dialogs().expectMessage(QStringLiteral("項目登録ボタンを押して項目を設定してください"),
                                QStringLiteral("項目無し"), vbExclamation);
    frmMain::instance().Load();  // no data files at all
    QVERIFY(env.dialogs().verify());
    QVERIFY(!frmMain::instance().isLoaded());
    QVERIFY(!watcher.shown);
    QVERIFY(frmSettei::instance().isLoaded());
    QVERIFY(frmSettei::instance().window()->isVisible());
    QVERIFY(!QFile::exists(QStringLiteral("項目一覧.txt")));
    QVERIFY(!QFile::exists(QStringLiteral("設定.txt")));
}

void TestTraining::startUpShowsThePlanAndTheFirstItem()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"腕立て\",20\r\n\"腹筋\",15\r\n\"背筋\",0"));
    QVERIFY(form.window()->isVisible());
    QCOMPARE(form.lblSnd[1]->text(), QStringLiteral("1.腕立て"));
    QCOMPARE(form.lblSnd[3]->text(), QStringLiteral("3.背筋"));
    for (int i = 1; i <= 20; ++i)
        QCOMPARE(form.lblSnd[i]->isVisible(), i <= 3);
    QCOMPARE(textColour(form.lblSnd[1]), PaletteColor(12));
    QCOMPARE(textColour(form.lblSnd[2]), PaletteColor(15));
    QCOMPARE(form.cmdNext->text(), QStringLiteral("次へ"));
    QCOMPARE(form.lblKoumoku->text(), QStringLiteral("腕立て"));
    QCOMPARE(form.lblKaisu->text(), QStringLiteral("20"));
    QCOMPARE(form.txtKaisu->text(), QStringLiteral("20"));
    QCOMPARE(form.hsbKaisu->value(), 20);
    QCOMPARE(form.window()->focusWidget(), form.cmdNext);
    QCOMPARE(gGenzai, int16_t(1));

    form.Unload();
    startTraining(QStringLiteral("\"一つだけ\",5"));
    QCOMPARE(form.cmdNext->text(), QStringLiteral("終了"));
}

void TestTraining::nameFontSizeFollowsTheLength()
{
    const QList<QPair<int, double>> table = {{0, 16},  {1, 65},  {5, 65},  {6, 48},  {8, 48},  {9, 36},
                                             {10, 36}, {11, 28}, {14, 28}, {15, 22}, {18, 22}, {19, 16}};
    for (const auto& [length, points] : table)
        QCOMPARE(ItemNameFontSize(QString(length, QChar(u'腕'))), points);
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"ストレッチ体操\",3"));
    QCOMPARE(form.lblKoumoku->font().pointSizeF(), 48.0);
}

void TestTraining::countsShownFixedOrRandom()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"一\",1\r\n\"十\",10"), QStringLiteral("0,1,1"));
    QSet<int> seen;
    for (int i = 0; i < 300; ++i) {
        gGenzai = 1;
        form.ShowCurrentItem();
        QCOMPARE(form.lblKaisu->text(), QStringLiteral("1"));
        gGenzai = 2;
        form.ShowCurrentItem();
        const int count = form.lblKaisu->text().toInt();
        QVERIFY2(count >= 1 && count <= 10, qPrintable(form.lblKaisu->text()));
        QCOMPARE(form.txtKaisu->text(), form.lblKaisu->text());
        seen.insert(count);
    }
    QCOMPARE(seen.size(), 10);
    QCOMPARE(gShijiSu[2], int16_t(10));  // the instructed count itself never changes

    // Random counts off: the count is the instructed one; 0 leaves the box empty.
    form.Unload();
    startTraining(QStringLiteral("\"零\",0\r\n\"二\",2"), QStringLiteral("0,2,1"));
    QCOMPARE(form.lblKaisu->text(), QStringLiteral("0"));
    QCOMPARE(form.txtKaisu->text(), QString());
}

void TestTraining::countsOutsideTheScrollBarRangeStayInTheBox()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"多\",1500\r\n\"負\",-5"));
    QCOMPARE(form.hsbKaisu->value(), 1000);
    QCOMPARE(form.txtKaisu->text(), QStringLiteral("1500"));
    QCOMPARE(form.lblKaisu->text(), QStringLiteral("1500"));
    gGenzai = 2;
    form.ShowCurrentItem();
    QCOMPARE(form.hsbKaisu->value(), 0);
    QCOMPARE(form.txtKaisu->text(), QStringLiteral("-5"));
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
        gGenzai = static_cast<int16_t>(item);
        form.ShowCurrentItem();
        const QString context = name->text() + QStringLiteral(" / ") + count->text();
        // The described sizes stay the labels' fonts; what is shown fits and is drawn whole.
        QCOMPARE(name->font().pointSizeF(), ItemNameFontSize(name->text()));
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
    QList<QColor> backgrounds = {frmMain::buttonFaceColor()};
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

void TestTraining::countBelowOneNeedsConfirmation()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"a\",0\r\n\"b\",0\r\n\"c\",0"));
    const int style = platform::vbOKCancel | vbExclamation;
    env.dialogs().expectMessage(kConfirmZero, QStringLiteral("確認"), style, platform::vbCancel);
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    QVERIFY(env.dialogs().verify());
    QVERIFY(!QFile::exists(QStringLiteral("a.txt")));
    QCOMPARE(gGenzai, int16_t(1));
    QCOMPARE(form.window()->focusWidget(), form.txtKaisu);

    env.dialogs().expectMessage(kConfirmZero, QStringLiteral("確認"), style, platform::vbOK);
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readDataFile(QStringLiteral("a.txt")), kHistoryRecordAt0918 + QStringLiteral("0\r\n"));
    QCOMPARE(gGenzai, int16_t(2));

    form.txtKaisu->setText(QStringLiteral("0.5"));
    env.dialogs().expectMessage(kConfirmZero, QStringLiteral("確認"), style, platform::vbOK);
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readDataFile(QStringLiteral("b.txt")), kHistoryRecordAt0918 + QStringLiteral("0.5\r\n"));
}

void TestTraining::recordsAreAppendedAndTheListRewritten()
{
    TestEnv env;
    writeDataFile(QStringLiteral("腕立て.txt"), kHistoryRecordAt0918 + QStringLiteral("3\r\n"));
    frmMain& form = startTraining(QStringLiteral("\"腕立て\",12.5\r\n\"腹筋\",15"));
    QCOMPARE(form.txtKaisu->text(), QStringLiteral("12"));
    form.txtKaisu->setText(QStringLiteral("15"));
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);  // no confirmation for 15
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readBytes(QStringLiteral("腕立て.txt")),
             cp932(kHistoryRecordAt0918 + QStringLiteral("3\r\n") + kHistoryRecordAt0918 + QStringLiteral("15\r\n")));
    // The rewrite turns the registered real into a whole number.
    QCOMPARE(readBytes(QStringLiteral("項目一覧.txt")), cp932(QStringLiteral("\"腕立て\",12\r\n\"腹筋\",15\r\n")));
    QCOMPARE(form.lblKoumoku->text(), QStringLiteral("腹筋"));
    QCOMPARE(form.txtKaisu->text(), QStringLiteral("15"));
    QCOMPARE(textColour(form.lblSnd[1]), PaletteColor(15));
    QCOMPARE(textColour(form.lblSnd[2]), PaletteColor(12));
    QCOMPARE(form.window()->focusWidget(), form.cmdNext);
}

void TestTraining::passEndsOnTheLastItemAndHandsOver()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"A\",5\r\n\"B\",6"));
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    QCOMPARE(form.cmdNext->text(), QStringLiteral("終わり"));
    QCOMPARE(form.lblKoumoku->text(), QStringLiteral("B"));
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    QVERIFY(!form.isLoaded());
    QVERIFY(frmSettei::instance().isLoaded());
    QVERIFY(frmSettei::instance().window()->isVisible());
    QCOMPARE(readDataFile(QStringLiteral("B.txt")), kHistoryRecordAt0918 + QStringLiteral("6\r\n"));
    // The settings window shows the first item's history as just recorded.
    QCOMPARE(frmSettei::instance().lstRireki->item(0)->text(), QStringLiteral("1 _ 12月06日 _ 09時18分07秒 _ 5"));
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
            QTest::mouseClick(form.cmdNext, Qt::LeftButton);
        QVERIFY(!form.isLoaded());
        flashes += recorder.flashes;
    }
    const int expectedIndexes[] = {0, 1, 3, 4, 6, 9, 11, 12, 14, 15};
    QCOMPARE(flashes.size(), 10);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(flashes[i], PaletteColor(expectedIndexes[i]));
    QCOMPARE(form.mIro, int16_t(1));  // fourteen colours in the cycle: the fifteenth press used colour 0 again
}

void TestTraining::secondPressDuringTheFlashRecordsNothing()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"a\",1\r\n\"b\",1\r\n\"c\",1"));
    int pressesDuringFlash = 0;
    QTimer::singleShot(30, [&] {
        if (form.isLoaded()) {
            form.cmdNext->click();
            pressEnterIn(form.txtKaisu);
            ++pressesDuringFlash;
        }
    });
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    QCOMPARE(pressesDuringFlash, 1);
    QCOMPARE(gGenzai, int16_t(2));
    QCOMPARE(readDataFile(QStringLiteral("a.txt")).count(u'\n'), 1);
    QVERIFY(!QFile::exists(QStringLiteral("b.txt")));
    QCOMPARE(form.mIro, int16_t(1));
}

void TestTraining::scrollBarFillsTheBoxAndTheBoxWins()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"a\",5\r\n\"b\",6"));
    form.hsbKaisu->setValue(37);
    QCOMPARE(form.txtKaisu->text(), QStringLiteral("37"));
    form.hsbKaisu->setFocus();
    QTest::keyClick(form.hsbKaisu, Qt::Key_End);
    QCOMPARE(form.txtKaisu->text(), QStringLiteral("1000"));
    form.hsbKaisu->triggerAction(QAbstractSlider::SliderPageStepSub);  // a click in the track
    QCOMPARE(form.txtKaisu->text(), QStringLiteral("990"));
    QTest::keyClick(form.hsbKaisu, Qt::Key_Left);
    QCOMPARE(form.txtKaisu->text(), QStringLiteral("989"));
    QTest::keyClick(form.hsbKaisu, Qt::Key_PageDown);
    QCOMPARE(form.txtKaisu->text(), QStringLiteral("979"));
    // Dragging the thumb: the box follows it.
    QSignalSpy moved(form.hsbKaisu, &QScrollBar::sliderMoved);
    form.hsbKaisu->setSliderDown(true);
    form.hsbKaisu->setSliderPosition(0);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(form.txtKaisu->text(), QStringLiteral("0"));
    form.hsbKaisu->setSliderPosition(1000);
    QCOMPARE(form.txtKaisu->text(), QStringLiteral("1000"));
    form.hsbKaisu->setSliderDown(false);

    form.hsbKaisu->setValue(40);
    form.txtKaisu->setText(QStringLiteral("25"));
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    QCOMPARE(readDataFile(QStringLiteral("a.txt")), kHistoryRecordAt0918 + QStringLiteral("25\r\n"));
}

void TestTraining::enterActsAsNextAndLeaveRecordsNothing()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"a\",5\r\n\"b\",6\r\n\"c\",7"));
    form.txtKaisu->clear();
    QTest::keyClicks(form.txtKaisu, QStringLiteral("25"));
    pressEnterIn(form.txtKaisu);
    QCOMPARE(readDataFile(QStringLiteral("a.txt")), kHistoryRecordAt0918 + QStringLiteral("25\r\n"));
    QCOMPARE(gGenzai, int16_t(2));
    // The focus is then on the next button, which Enter presses too: a pass can be done with Enter alone.
    QCOMPARE(form.window()->focusWidget(), form.cmdNext);
    QTest::keyClick(form.cmdNext, Qt::Key_Return);
    QCOMPARE(readDataFile(QStringLiteral("b.txt")), kHistoryRecordAt0918 + QStringLiteral("6\r\n"));
    QCOMPARE(gGenzai, int16_t(3));

    // Enter with an empty box asks first; Cancel puts the focus back into the box.
    form.txtKaisu->clear();
    env.dialogs().expectMessage(kConfirmZero, QStringLiteral("確認"), platform::vbOKCancel | vbExclamation,
                                platform::vbCancel);
    pressEnterIn(form.txtKaisu);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(form.window()->focusWidget(), form.txtKaisu);

    const QByteArray itemsBefore = readBytes(QStringLiteral("項目一覧.txt"));
    const int16_t colourBefore = form.mIro;
    QTest::mouseClick(form.cmdCut, Qt::LeftButton);
    QVERIFY(!form.isLoaded());
    QVERIFY(frmSettei::instance().window()->isVisible());
    QVERIFY(!QFile::exists(QStringLiteral("c.txt")));
    QCOMPARE(readBytes(QStringLiteral("項目一覧.txt")), itemsBefore);
    QCOMPARE(form.mIro, colourBefore);
    QCOMPARE(gGenzai, int16_t(3));
}

void TestTraining::unwritableHistoryKeepsTheUserOnTheItem()
{
    TestEnv env;
    QDir().mkdir(QStringLiteral("a.txt"));
    frmMain& form = startTraining(QStringLiteral("\"a\",12.5\r\n\"b\",6"));
    const QByteArray itemsBefore = readBytes(QStringLiteral("項目一覧.txt"));
    env.dialogs().expectAnyMessage(QStringLiteral("記録できません"), vbExclamation);
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    QVERIFY(env.dialogs().verify());
    QVERIFY(env.dialogs().shownTexts().last().contains(QStringLiteral("a.txt")));
    QVERIFY(env.endings().isEmpty());
    QCOMPARE(readBytes(QStringLiteral("項目一覧.txt")), itemsBefore);
    QCOMPARE(gGenzai, int16_t(1));
    QCOMPARE(form.cmdNext->text(), QStringLiteral("次へ"));
    QCOMPARE(form.txtKaisu->text(), QStringLiteral("12"));
    QCOMPARE(form.mIro, int16_t(0));
}

void TestTraining::countTooLargeIsNotRecorded()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"a\",1\r\n\"b\",1"));
    for (const QString& text : {QStringLiteral("1e999"), QStringLiteral("2147483648"), QStringLiteral("-3e10")}) {
        form.txtKaisu->setText(text);
        env.dialogs().expectMessage(
            QStringLiteral("回数が大きすぎます。-2147483647 から 2147483647 までの数を入力して下さい。"),
            QStringLiteral("回数入力エラー"), vbExclamation);
        QTest::mouseClick(form.cmdNext, Qt::LeftButton);
        QVERIFY(env.dialogs().verify());
        QCOMPARE(form.window()->focusWidget(), form.txtKaisu);
    }
    QVERIFY(!QFile::exists(QStringLiteral("a.txt")));
    form.txtKaisu->setText(QStringLiteral("2147483647"));
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    QCOMPARE(readDataFile(QStringLiteral("a.txt")), kHistoryRecordAt0918 + QStringLiteral("2147483647\r\n"));
}

void TestTraining::malformedItemsListEndsTheProgramWithAMessage()
{
    TestEnv env;
    env.dialogs().expectAnyMessage(QStringLiteral("Quillmora"), platform::vbCritical);
    startTraining(QStringLiteral("\"a\",1\r\n\"b\",lots"));
    QVERIFY(env.dialogs().verify());
    const QString message = env.dialogs().shownTexts().last();
    QVERIFY2(message.contains(QStringLiteral("項目一覧.txt")) && message.contains(QStringLiteral("2 行目")),
             qPrintable(message));
    QCOMPARE(env.endings(), QList<int>({1}));
    QVERIFY(!frmMain::instance().isLoaded() || !frmMain::instance().window()->isVisible());
    // Once the program is ending, no handler runs any more.
    platform::runGuarded([] { QFAIL("a handler ran after the program began to end"); });
}

void TestTraining::closingDuringTheFlashStopsThePass()
{
    TestEnv env;
    frmMain& form = startTraining(QStringLiteral("\"a\",1\r\n\"b\",1"));
    QTimer::singleShot(20, [&] { form.window()->close(); });  // the title bar's close box
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    QVERIFY(!form.isLoaded());
    QCOMPARE(gGenzai, int16_t(1));
    QVERIFY(!QFile::exists(QStringLiteral("b.txt")));
    QVERIFY(!frmSettei::instance().isLoaded());
    // With no window left and no wait running, the program ends.
    QTRY_COMPARE(env.endings(), QList<int>({0}));
}

QTEST_MAIN(TestTraining)
#include "tst_training.moc"
