#include "Pictures.h"
#include "TestEnv.h"

#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "platform/FitLabel.h"
#include "platform/Guard.h"
#include "platform/HtmlHelp.h"
#include "settings/frmSettei.h"
#include "shared/QmrM.h"
#include "training/frmMain.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <functional>

using namespace QmrM;

namespace {

// Sets the shared state as the training window's start-up would leave it, then opens the settings window.
frmSettei& openSettings(const QStringList& names, const QString& settings = QStringLiteral("0,0,1"))
{
    QString items;
    for (const QString& name : names)
        items += QStringLiteral("\"%1\",10\r\n").arg(name);
    writeDataFile(QStringLiteral("項目一覧.txt"), items);
    writeDataFile(QStringLiteral("設定.txt"), settings + QStringLiteral("\r\n"));
    LoadItems();
    LoadSettings();
    frmSettei& form = frmSettei::instance();
    platform::runGuarded([&] { form.Show(); });
    return form;
}

// Chooses an entry of the history combo as the user does.
void chooseInCombo(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// Calls back whenever a window of the given name is shown.
class ShowRecorder : public QObject {
public:
    ShowRecorder(const QString& name, std::function<void(QWidget*)> shown) : mName(name), mShown(std::move(shown))
    {
        qApp->installEventFilter(this);
    }
    ~ShowRecorder() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == mName && watched->isWidgetType())
            mShown(static_cast<QWidget*>(watched));
        return false;
    }

private:
    QString mName;
    std::function<void(QWidget*)> mShown;
};

const QString kRecord = QStringLiteral("\"12月06日\",\"09時18分07秒\",");

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { platform::setUpApplication(*qobject_cast<QApplication*>(qApp)); }

    void layoutMatchesTheDesign_data();
    void layoutMatchesTheDesign();
    void tabOrderAndPictures();
    void everyControlHasAnAccessibleName();
    void startUpWithoutItemsKeepsTheDesignValues();
    void startUpFillsListsOptionsAndFirstHistory();
    void storedOptionsOutsideTheirRangeShowSafely();
    void historyLinesAndTotals();
    void historyTotalsRoundHalfToEvenAndNeverOverflow();
    void comboChoiceShowsThatItemsHistory();
    void typingInTheComboChoosesNothing();
    void missingHistoryShowsEmptyAndUnreadableEnds();
    void waitLabelFollowsTheScrollBar();

    void confirmSavesTheOptions();
    void startNeedsItems();
    void startWaitsWithTheTrainingWindowPreparedAndMinimised();
    void startUsesTheSavedOptionsNotTheControls();
    void randomWaitIsWholeMinutesUpToTheSetting();
    void trainingDuringTheWaitIsNotRepeated();
    void closingTheTrainingWindowDuringTheWaitStillReminds();
    void helpAndExitGoThroughTheViewer();
    void closingTheSettingsWindowEndsTheProgram();
    void wholeCycleFromAnEmptyFolder();
    void keyboardAloneDrivesTheWindows();

private:
    // The waits the start button asked for; set by init().
    QList<float> mWaits;
    std::function<void()> mDuringWait;

private slots:
    void init();
    void cleanup();
};

void TestSettings::init()
{
    mWaits.clear();
    mDuringWait = nullptr;
    frmSettei::startWait() = [this](float seconds) {
        mWaits.append(seconds);
        if (mDuringWait)
            mDuringWait();
    };
}

void TestSettings::cleanup()
{
    frmSettei::startWait() = nullptr;
    platform::setHtmlHelpHandler({});
}

void TestSettings::layoutMatchesTheDesign_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<double>("points");
    const QString none;
    QTest::newRow("Image1") << "Image1" << QRect(10, 10, 211, 66) << none << none << 0.0;
    QTest::newRow("cmdAgain") << "cmdAgain" << QRect(235, 10, 56, 61) << "開始" << "トレーニングを開始します" << 9.0;
    QTest::newRow("cmdNew") << "cmdNew" << QRect(290, 10, 56, 61) << "登録" << "項目を新規登録します" << 9.0;
    QTest::newRow("cmdHozon") << "cmdHozon" << QRect(345, 10, 56, 61) << "保存" << "編集した設定で保存します" << 9.0;
    QTest::newRow("cmdClear") << "cmdClear" << QRect(400, 10, 56, 61) << "クリア" << "カウントと履歴をクリアします"
                              << 9.0;
    QTest::newRow("cmdDel") << "cmdDel" << QRect(455, 10, 56, 61) << "削除" << "項目を削除します" << 9.0;
    QTest::newRow("cmdHelp") << "cmdHelp" << QRect(510, 10, 56, 61) << "ヘルプ" << "ヘルプファイルを開きます" << 9.0;
    QTest::newRow("cmdEnd") << "cmdEnd" << QRect(565, 10, 56, 61) << "終了" << "プログラムを終了します" << 9.0;
    QTest::newRow("Line1_1") << "Line1_1" << QRect(10, 84, 611, 1) << none << none << 0.0;
    QTest::newRow("Line1_0") << "Line1_0" << QRect(10, 85, 611, 1) << none << none << 0.0;
    QTest::newRow("Frame1") << "Frame1" << QRect(6, 95, 326, 351) << "実績履歴リスト" << none << 11.25;
    QTest::newRow("cboKoumoku") << "cboKoumoku" << QRect(10, 25, 306, 23) << none << "各項目の実績履歴を表示します"
                                << 11.25;
    QTest::newRow("lstRireki") << "lstRireki" << QRect(10, 50, 306, 276) << none << none << 12.0;
    QTest::newRow("lblGoukei") << "lblGoukei" << QRect(175, 330, 136, 16) << none << none << 11.25;
    QTest::newRow("Frame2") << "Frame2" << QRect(340, 95, 281, 256) << "登録状態確認" << none << 11.25;
    QTest::newRow("txtKoumoku") << "txtKoumoku" << QRect(10, 25, 216, 21) << none << "修正後設定保存を押して下さい"
                                << 11.25;
    QTest::newRow("txtKaisu") << "txtKaisu" << QRect(230, 25, 41, 21) << none << "修正後設定保存を押して下さい"
                              << 11.25;
    QTest::newRow("lstKoumoku") << "lstKoumoku" << QRect(10, 50, 261, 196) << none << "クリックすると選択されます"
                                << 12.0;
    QTest::newRow("Frame3") << "Frame3" << QRect(340, 355, 281, 91) << "各種設定" << none << 11.25;
    QTest::newRow("Label1") << "Label1" << QRect(10, 27, 46, 16) << "起動Wait" << none << 9.0;
    QTest::newRow("hsbTime") << "hsbTime" << QRect(65, 25, 101, 16) << none << none << 0.0;
    QTest::newRow("lblJikan") << "lblJikan" << QRect(165, 25, 46, 16) << "1分" << none << 11.25;
    QTest::newRow("cmdSettei") << "cmdSettei" << QRect(230, 15, 41, 31) << "確定" << "現在の設定を保存します" << 9.0;
    QTest::newRow("chkTim") << "chkTim" << QRect(10, 50, 231, 12) << "起動タイミングをランダムモードにする" << none
                            << 9.0;
    QTest::newRow("chkKaisu") << "chkKaisu" << QRect(10, 70, 266, 12) << "各種トレーニングの回数をランダムモードにする"
                              << none << 9.0;
}

void TestSettings::layoutMatchesTheDesign()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QString, toolTip);
    QFETCH(double, points);
    TestEnv env;
    frmSettei& form = openSettings({});
    QWidget* window = form.window();
    QCOMPARE(window->objectName(), QStringLiteral("frmSettei"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillmora"));
    QCOMPARE(window->size(), QSize(631, 452));
    auto* control = window->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(control->toolTip(), toolTip);
    QString shown;
    if (auto* b = qobject_cast<QAbstractButton*>(control))
        shown = b->text();
    else if (auto* l = qobject_cast<QLabel*>(control))
        shown = l->text();
    else if (auto* g = qobject_cast<QGroupBox*>(control))
        shown = g->title();
    QCOMPARE(shown, caption);
    if (points > 0) {
        QCOMPARE(control->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(control->font().pointSizeF(), points);
    }
}

void TestSettings::tabOrderAndPictures()
{
    TestEnv env;
    frmSettei& form = openSettings({QStringLiteral("a")});
    QWidget* order[] = {form.cmdAgain,   form.cmdNew,   form.cmdHozon,   form.cmdClear,  form.cmdDel, form.cmdHelp,
                        form.cmdEnd,     form.cboKoumoku, form.lstKoumoku, form.txtKaisu, form.txtKoumoku,
                        form.lstRireki,  form.chkTim,   form.chkKaisu,   form.hsbTime,   form.cmdSettei, form.cmdAgain};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QCOMPARE(nextTabStop(order[i]), order[i + 1]);
    QCOMPARE(form.window()->focusWidget(), form.cmdAgain);

    QCOMPARE(form.Image1->pixmap().size(), QSize(211, 66));
    // Six different button pictures, each with a large and a small image.
    QSet<QByteArray> pictures;
    for (QToolButton* button : {form.cmdNew, form.cmdHozon, form.cmdClear, form.cmdDel, form.cmdHelp, form.cmdEnd}) {
        QCOMPARE(button->icon().availableSizes(), QList<QSize>({QSize(32, 32), QSize(16, 16)}));
        const QImage image = button->icon().pixmap(32, 32).toImage();
        pictures.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    QCOMPARE(pictures.size(), 6);
    QCOMPARE(form.cmdAgain->icon().availableSizes(), QList<QSize>({QSize(32, 32)}));
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
    checkNames(openSettings({QStringLiteral("A")}).window());
    frmSettei::instance().Unload();
    frmMain::instance().Load();
    checkNames(frmMain::instance().window());
    QCOMPARE(frmMain::instance().cmdCut->accessibleName(), QStringLiteral("中断"));
    QVERIFY(!frmMain::instance().cmdCut->accessibleDescription().isEmpty());
}

void TestSettings::startUpWithoutItemsKeepsTheDesignValues()
{
    TestEnv env;
    frmSettei& form = openSettings({}, QStringLiteral("1,1,30"));
    QCOMPARE(form.mHelpFile, QStringLiteral("KvHelp.chm"));
    QCOMPARE(form.lstKoumoku->count(), 0);
    QCOMPARE(form.cboKoumoku->count(), 0);
    QCOMPARE(form.lstRireki->count(), 0);
    QCOMPARE(form.lblGoukei->text(), QString());
    QVERIFY(!form.chkTim->isChecked());
    QVERIFY(!form.chkKaisu->isChecked());
    QCOMPARE(form.hsbTime->value(), 1);
    QCOMPARE(form.lblJikan->text(), QStringLiteral("1分"));
}

void TestSettings::startUpFillsListsOptionsAndFirstHistory()
{
    TestEnv env;
    writeDataFile(QStringLiteral("A.txt"), kRecord + QStringLiteral("20\r\n") + kRecord + QStringLiteral("5\r\n"));
    writeDataFile(QStringLiteral("B.txt"), kRecord + QStringLiteral("7\r\n"));
    frmSettei& form = openSettings({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")},
                                   QStringLiteral("1,0,15"));
    QCOMPARE(entries(form.lstKoumoku), QStringList({"A", "B", "C"}));
    QCOMPARE(entries(form.cboKoumoku), QStringList({"A", "B", "C"}));
    QCOMPARE(form.cboKoumoku->currentText(), QStringLiteral("A"));
    QCOMPARE(form.mRirekiNo, int16_t(1));
    QCOMPARE(entries(form.lstRireki), QStringList({"1 _ 12月06日 _ 09時18分07秒 _ 20", "2 _ 12月06日 _ 09時18分07秒 _ 5"}));
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("合計回数 ： 25"));
    QVERIFY(form.chkTim->isChecked());
    QVERIFY(!form.chkKaisu->isChecked());
    QCOMPARE(form.hsbTime->value(), 15);
    QCOMPARE(form.lblJikan->text(), QStringLiteral("15分"));

    // Shown again, the window starts over with the first item, whatever was chosen before.
    chooseInCombo(form.cboKoumoku, 1);
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("合計回数 ： 7"));
    form.Unload();
    form.Show();
    QCOMPARE(form.mRirekiNo, int16_t(1));
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("合計回数 ： 25"));
}

void TestSettings::storedOptionsOutsideTheirRangeShowSafely()
{
    TestEnv env;
    frmSettei& form = openSettings({QStringLiteral("A")}, QStringLiteral("2,-1,2.5"));
    QVERIFY(!form.chkTim->isChecked());
    QVERIFY(!form.chkKaisu->isChecked());
    QCOMPARE(form.chkTim->checkState(), Qt::Unchecked);
    QCOMPARE(form.hsbTime->value(), 2);  // 2.5 rounds to the even 2
    QCOMPARE(form.lblJikan->text(), QStringLiteral("2分"));
    form.Unload();
    openSettings({QStringLiteral("A")}, QStringLiteral("0,0,3.5"));
    QCOMPARE(form.hsbTime->value(), 4);
}

void TestSettings::historyLinesAndTotals()
{
    TestEnv env;
    writeDataFile(QStringLiteral("腕立て.txt"), kRecord + QStringLiteral("10\r\n") + kRecord + QStringLiteral("20\r\n") +
                                                 QStringLiteral("\"12月07日\",\"23時59分59秒\",5\r\n"));
    frmSettei& form = openSettings({QStringLiteral("腕立て")});
    QCOMPARE(form.lstRireki->count(), 3);
    QCOMPARE(form.lstRireki->item(0)->text(), QStringLiteral("1 _ 12月06日 _ 09時18分07秒 _ 10"));
    QCOMPARE(form.lstRireki->item(2)->text(), QStringLiteral("3 _ 12月07日 _ 23時59分59秒 _ 5"));
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("合計回数 ： 35"));

    // A count that is not a number is shown as stored and adds nothing.
    writeDataFile(QStringLiteral("腕立て.txt"), kRecord + QStringLiteral("many\r\n") + kRecord + QStringLiteral("3\r\n"));
    form.ShowHistory();
    QCOMPARE(form.lstRireki->item(0)->text(), QStringLiteral("1 _ 12月06日 _ 09時18分07秒 _ many"));
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("合計回数 ： 3"));

    writeBytes(QStringLiteral("腕立て.txt"), QByteArray());
    form.ShowHistory();
    QCOMPARE(form.lstRireki->count(), 0);
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("合計回数 ： 0"));
}

void TestSettings::historyTotalsRoundHalfToEvenAndNeverOverflow()
{
    TestEnv env;
    writeDataFile(QStringLiteral("a.txt"), kRecord + QStringLiteral("2.5\r\n") + kRecord + QStringLiteral("2.5\r\n"));
    frmSettei& form = openSettings({QStringLiteral("a")});
    QCOMPARE(form.lstRireki->item(1)->text(), QStringLiteral("2 _ 12月06日 _ 09時18分07秒 _ 2.5"));
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("合計回数 ： 4"));  // 2.5 -> 2, then 4.5 -> 4

    // Far beyond 32 bits: each count is the largest the training records.
    QString big;
    for (int i = 0; i < 3; ++i)
        big += kRecord + QStringLiteral("2147483647\r\n");
    big += kRecord + QStringLiteral("-0.4\r\n");
    writeDataFile(QStringLiteral("a.txt"), big);
    form.ShowHistory();
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("合計回数 ： 6442450941"));
    // Shown whole in a smaller size, the label keeping its described one.
    auto* total = qobject_cast<platform::FitLabel*>(form.window()->findChild<QLabel*>(QStringLiteral("lblGoukei")));
    QVERIFY(total->shownText().font.pointSizeF() < 11.25 && total->font().pointSizeF() == 11.25);
    QVERIFY(drawnWhole(total));
    writeDataFile(QStringLiteral("a.txt"), kRecord + QStringLiteral("-0.4\r\n"));
    form.ShowHistory();
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("合計回数 ： 0"));
}

void TestSettings::comboChoiceShowsThatItemsHistory()
{
    TestEnv env;
    writeDataFile(QStringLiteral("C.txt"), kRecord + QStringLiteral("9\r\n"));
    frmSettei& form = openSettings({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    chooseInCombo(form.cboKoumoku, 2);
    QCOMPARE(form.mRirekiNo, int16_t(3));
    QCOMPARE(entries(form.lstRireki), QStringList({"1 _ 12月06日 _ 09時18分07秒 _ 9"}));
    // Each choice reads the file anew.
    writeBytes(QStringLiteral("C.txt"), QByteArray());
    chooseInCombo(form.cboKoumoku, 2);
    QCOMPARE(form.lstRireki->count(), 0);
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("合計回数 ： 0"));
}

void TestSettings::typingInTheComboChoosesNothing()
{
    TestEnv env;
    writeDataFile(QStringLiteral("A.txt"), kRecord + QStringLiteral("1\r\n"));
    frmSettei& form = openSettings({QStringLiteral("A"), QStringLiteral("B")});
    QLineEdit* edit = form.cboKoumoku->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("B"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(form.mRirekiNo, int16_t(1));
    QCOMPARE(form.lstRireki->count(), 1);
    QCOMPARE(entries(form.cboKoumoku), QStringList({"A", "B"}));  // nothing inserted
    QCOMPARE(form.cboKoumoku->currentText(), QStringLiteral("B"));
}

void TestSettings::missingHistoryShowsEmptyAndUnreadableEnds()
{
    TestEnv env;
    frmSettei& form = openSettings({QStringLiteral("A"), QStringLiteral("B")});
    QCOMPARE(form.lstRireki->count(), 0);
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("合計回数 ： 0"));
    QVERIFY(!QFile::exists(QStringLiteral("A.txt")));  // looking creates nothing

    // A history that cannot be read is an unexpected failure: the message names the file, the program ends.
    QDir().mkdir(QStringLiteral("B.txt"));
    env.dialogs().expectAnyMessage(QStringLiteral("Quillmora"), platform::vbCritical);
    form.cboKoumoku->setCurrentIndex(1);
    platform::runGuarded([&] { form.cboKoumoku_Click(); });
    QVERIFY(env.dialogs().verify());
    QVERIFY(env.dialogs().shownTexts().last().contains(QStringLiteral("B.txt")));
    QCOMPARE(env.endings(), QList<int>({1}));
    QCOMPARE(form.lstRireki->count(), 0);
}

void TestSettings::waitLabelFollowsTheScrollBar()
{
    TestEnv env;
    frmSettei& form = openSettings({QStringLiteral("A")}, QStringLiteral("0,0,10"));
    form.hsbTime->setSliderDown(true);
    for (int v = 1; v <= 60; ++v) {
        form.hsbTime->setSliderPosition(v);
        QCOMPARE(form.lblJikan->text(), QString::number(v) + QStringLiteral("分"));
    }
    form.hsbTime->setSliderDown(false);
    form.hsbTime->setValue(61);
    QCOMPARE(form.hsbTime->value(), 60);
    form.hsbTime->setValue(0);
    QCOMPARE(form.lblJikan->text(), QStringLiteral("1分"));
    form.hsbTime->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(form.lblJikan->text(), QStringLiteral("2分"));
    // Moving the scroll bar changes neither the shared wait nor the settings file.
    QCOMPARE(gWaitJikan, 10.0f);
    QCOMPARE(readBytes(QStringLiteral("設定.txt")), QByteArray("0,0,10\r\n"));
}

void TestSettings::confirmSavesTheOptions()
{
    TestEnv env;
    frmSettei& form = openSettings({QStringLiteral("A")});
    form.chkTim->setChecked(true);
    form.hsbTime->setValue(15);
    for (int press = 0; press < 2; ++press) {
        QFile::remove(QStringLiteral("設定.txt"));
        env.dialogs().expectMessage(QStringLiteral("設定を保存しました"), QStringLiteral("設定保存終了"),
                                    platform::vbInformation);
        QTest::mouseClick(form.cmdSettei, Qt::LeftButton);
        QVERIFY(env.dialogs().verify());
        QCOMPARE(readBytes(QStringLiteral("設定.txt")), QByteArray("1,0,15\r\n"));
    }
    QCOMPARE(gRandomTim, int16_t(1));
    QCOMPARE(gRandomKaisu, int16_t(0));
    QCOMPARE(gWaitJikan, 15.0f);
    // From the keyboard: Enter presses the focused button.
    env.dialogs().expectMessage(QStringLiteral("設定を保存しました"), QStringLiteral("設定保存終了"),
                                platform::vbInformation);
    QTest::keyClick(form.cmdSettei, Qt::Key_Return);
    QVERIFY(env.dialogs().verify());
}

void TestSettings::startNeedsItems()
{
    TestEnv env;
    frmSettei& form = openSettings({});
    env.dialogs().expectMessage(QStringLiteral("先に項目を入力して下さい"), QStringLiteral("項目未登録"),
                                platform::vbExclamation);
    QTest::mouseClick(form.cmdAgain, Qt::LeftButton);
    QVERIFY(env.dialogs().verify());
    QVERIFY(form.isLoaded() && form.window()->isVisible());
    QVERIFY(mWaits.isEmpty());
    QVERIFY(!frmMain::instance().isLoaded());
}

void TestSettings::startWaitsWithTheTrainingWindowPreparedAndMinimised()
{
    TestEnv env;
    frmSettei& form = openSettings({QStringLiteral("A"), QStringLiteral("B")}, QStringLiteral("0,0,5"));
    frmMain& training = frmMain::instance();
    // The training window goes straight to the task bar: it is never shown in its normal state first.
    QList<bool> shownMinimised;
    ShowRecorder recorder(QStringLiteral("frmMain"), [&](QWidget* window) { shownMinimised.append(window->isMinimized()); });
    bool checkedDuringWait = false;
    mDuringWait = [&] {
        QVERIFY(!form.isLoaded());
        QVERIFY(training.isLoaded());
        QCOMPARE(training.WindowState(), int(platform::Form::vbMinimized));
        QCOMPARE(training.lblKoumoku->text(), QStringLiteral("A"));
        QCOMPARE(gGenzai, int16_t(1));
        // The program must not end while it waits, even with no window left open.
        QVERIFY(platform::Form::waiting());
        checkedDuringWait = true;
    };
    QTest::mouseClick(form.cmdAgain, Qt::LeftButton);
    QVERIFY(checkedDuringWait);
    QCOMPARE(shownMinimised.value(0, false), true);
    QCOMPARE(mWaits, QList<float>({300.0f}));
    QVERIFY(training.isLoaded());
    QCOMPARE(training.WindowState(), int(platform::Form::vbNormal));
    QVERIFY(training.window()->isVisible());
    QVERIFY(!form.isLoaded());
    QVERIFY(!platform::Form::waiting());
}

void TestSettings::startUsesTheSavedOptionsNotTheControls()
{
    TestEnv env;
    frmSettei& form = openSettings({QStringLiteral("A")}, QStringLiteral("0,0,10"));
    form.hsbTime->setValue(30);
    form.chkTim->setChecked(true);
    QTest::mouseClick(form.cmdAgain, Qt::LeftButton);
    QCOMPARE(mWaits, QList<float>({600.0f}));
    frmMain::instance().cmdCut_Click();
    QVERIFY(form.isLoaded());
    QCOMPARE(form.hsbTime->value(), 10);
    QVERIFY(!form.chkTim->isChecked());

    // Random timing with one minute always waits a minute.
    form.Unload();
    openSettings({QStringLiteral("A")}, QStringLiteral("1,0,1"));
    for (int i = 0; i < 5; ++i) {
        QTest::mouseClick(form.cmdAgain, Qt::LeftButton);
        frmMain::instance().cmdCut_Click();
    }
    QCOMPARE(mWaits.mid(1), QList<float>(5, 60.0f));
}

void TestSettings::randomWaitIsWholeMinutesUpToTheSetting()
{
    TestEnv env;
    gWaitJikan = 5;
    gRandomTim = 0;
    QCOMPARE(frmSettei::WaitSeconds(), 300.0f);
    gRandomTim = 1;
    gWaitJikan = 60;
    QSet<int> minutes;
    for (int i = 0; i < 5000; ++i) {
        const float seconds = frmSettei::WaitSeconds();
        QCOMPARE(std::fmod(seconds, 60.0f), 0.0f);
        QVERIFY(seconds >= 60.0f && seconds <= 3600.0f);
        minutes.insert(int(seconds / 60));
    }
    QCOMPARE(minutes.size(), 60);
}

void TestSettings::trainingDuringTheWaitIsNotRepeated()
{
    TestEnv env;
    frmSettei& form = openSettings({QStringLiteral("A"), QStringLiteral("B")});
    frmMain& training = frmMain::instance();
    mDuringWait = [&] {
        // The user restores the waiting window and trains the whole pass before the wait is over.
        training.setWindowState(platform::Form::vbNormal);
        training.cmdNext_Click();
        training.cmdNext_Click();
    };
    QTest::mouseClick(form.cmdAgain, Qt::LeftButton);
    QCOMPARE(mWaits.size(), 1);
    QVERIFY(!training.isLoaded());
    QVERIFY(form.isLoaded() && form.window()->isVisible());
    QCOMPARE(readDataFile(QStringLiteral("A.txt")).count(u'\n'), 1);
    QCOMPARE(readDataFile(QStringLiteral("B.txt")).count(u'\n'), 1);
}

void TestSettings::closingTheTrainingWindowDuringTheWaitStillReminds()
{
    TestEnv env;
    frmSettei& form = openSettings({QStringLiteral("A")});
    frmMain& training = frmMain::instance();
    mDuringWait = [&] {
        training.window()->close();  // through its title bar
        QTest::qWait(20);            // the check for a program left without windows runs meanwhile
        QVERIFY(env.endings().isEmpty());
        QVERIFY(!training.isLoaded());
    };
    QTest::mouseClick(form.cmdAgain, Qt::LeftButton);
    QVERIFY(training.isLoaded());
    QVERIFY(training.window()->isVisible());
    QCOMPARE(training.lblKoumoku->text(), QStringLiteral("A"));
    QTest::qWait(20);
    QVERIFY(env.endings().isEmpty());
}

void TestSettings::helpAndExitGoThroughTheViewer()
{
    TestEnv env;
    frmSettei& form = openSettings({QStringLiteral("A")});
    struct Call {
        QWidget* caller;
        QByteArray file;
        int command;
        quintptr data;
    };
    QList<Call> calls;
    platform::setHtmlHelpHandler([&](QWidget* caller, const QByteArray& file, int command, quintptr data) {
        calls.append({caller, file, command, data});
        return static_cast<QWidget*>(nullptr);
    });
    QTest::mouseClick(form.cmdHelp, Qt::LeftButton);
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].caller, form.window());
    QCOMPARE(calls[0].file, QByteArray("KvHelp.chm"));
    QCOMPARE(calls[0].command, platform::HH_DISPLAY_TOPIC);
    QCOMPARE(calls[0].data, quintptr(0));
    QVERIFY(env.endings().isEmpty());

    form.hsbTime->setValue(42);  // not confirmed: lost
    QTest::mouseClick(form.cmdEnd, Qt::LeftButton);
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls[1].command, platform::HH_CLOSE_ALL);
    QCOMPARE(env.endings(), QList<int>({0}));
    QCOMPARE(readBytes(QStringLiteral("設定.txt")), QByteArray("0,0,1\r\n"));
    // Nothing runs after the exit.
    QTest::mouseClick(form.cmdSettei, Qt::LeftButton);
    QVERIFY(env.dialogs().verify());
}

void TestSettings::closingTheSettingsWindowEndsTheProgram()
{
    TestEnv env;
    frmSettei& form = openSettings({QStringLiteral("A")});
    form.window()->close();
    QVERIFY(!form.isLoaded());
    QTRY_COMPARE(env.endings(), QList<int>({0}));
}

void TestSettings::wholeCycleFromAnEmptyFolder()
{
    // A new user: no files at all, registers an item, confirms the options, starts, trains, reads the history.
    TestEnv env;
    gNow = [] { return QDateTime(QDate(2026, 12, 6), QTime(9, 18, 7)); };
    env.dialogs().expectMessage(QStringLiteral("項目登録ボタンを押して項目を設定してください"),
                                QStringLiteral("項目無し"), platform::vbExclamation);
    frmMain::instance().Load();
    frmSettei& form = frmSettei::instance();
    QVERIFY(form.window()->isVisible());
    env.dialogs()
        .expectInput(QStringLiteral("項目名は何ですか？"), QStringLiteral("項目名入力"), QStringLiteral("腕立て"))
        .expectInput(QStringLiteral("指示数をいくつにしますか？（半角文字で入力）"), QStringLiteral("指示数入力"),
                     QStringLiteral("20"))
        .expectMessage(QStringLiteral("腕立て の設定を新規登録しました"), QStringLiteral("新規登録終了"),
                       platform::vbInformation)
        .expectMessage(QStringLiteral("設定を保存しました"), QStringLiteral("設定保存終了"), platform::vbInformation);
    QTest::mouseClick(form.cmdNew, Qt::LeftButton);
    form.hsbTime->setValue(3);
    QTest::mouseClick(form.cmdSettei, Qt::LeftButton);
    QTest::mouseClick(form.cmdAgain, Qt::LeftButton);
    QCOMPARE(mWaits, QList<float>({180.0f}));
    frmMain& training = frmMain::instance();
    QCOMPARE(training.txtKaisu->text(), QStringLiteral("20"));
    QTest::keyClick(training.txtKaisu, Qt::Key_Return);
    QVERIFY(form.window()->isVisible());
    QCOMPARE(entries(form.lstRireki), QStringList({"1 _ 12月06日 _ 09時18分07秒 _ 20"}));
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("合計回数 ： 20"));
    QVERIFY(env.dialogs().verify());
}

// Presses a key in whatever control has the keyboard focus, as a keyboard user does.
static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* focused = QApplication::focusWidget();
    QVERIFY(focused);
    QTest::keyClick(focused, key, modifiers);
}

void TestSettings::keyboardAloneDrivesTheWindows()
{
    TestEnv env;
    gNow = [] { return QDateTime(QDate(2026, 12, 6), QTime(9, 18, 7)); };
    frmSettei& form = openSettings({QStringLiteral("A")});
    QVERIFY(QTest::qWaitForWindowActive(form.window()));
    QCOMPARE(QApplication::focusWidget(), form.cmdAgain);

    // Register: Tab to the register button, Enter.
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.cmdNew);
    env.dialogs()
        .expectInput(QStringLiteral("項目名は何ですか？"), QStringLiteral("項目名入力"), QStringLiteral("B"))
        .expectInput(QStringLiteral("指示数をいくつにしますか？（半角文字で入力）"), QStringLiteral("指示数入力"),
                     QStringLiteral("4"))
        .expectMessage(QStringLiteral("B の設定を新規登録しました"), QStringLiteral("新規登録終了"),
                       platform::vbInformation);
    press(Qt::Key_Return);
    QVERIFY(env.dialogs().verify());

    // Edit: into the item list, choose the new item with the arrow keys, change its count, save.
    form.lstKoumoku->setFocus();
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    QCOMPARE(form.txtKoumoku->text(), QStringLiteral("B"));
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.txtKaisu);
    form.txtKaisu->selectAll();
    QTest::keyClicks(form.txtKaisu, QStringLiteral("9"));
    form.cmdHozon->setFocus();
    env.dialogs().expectMessage(QStringLiteral("B の設定を更新しました"), QStringLiteral("設定更新終了"),
                                platform::vbInformation);
    press(Qt::Key_Return);
    QCOMPARE(gShijiSu[2], int16_t(9));

    // Options: tick random timing with the space bar, the wait with the arrow keys, confirm with Enter.
    form.chkTim->setFocus();
    press(Qt::Key_Space);
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.hsbTime);
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.cmdSettei);
    env.dialogs().expectMessage(QStringLiteral("設定を保存しました"), QStringLiteral("設定保存終了"),
                                platform::vbInformation);
    press(Qt::Key_Return);
    QCOMPARE(readBytes(QStringLiteral("設定.txt")), QByteArray("1,0,3\r\n"));

    // Start, train the pass with Enter alone, come back to the settings window.
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.cmdAgain);
    press(Qt::Key_Return);
    frmMain& training = frmMain::instance();
    QVERIFY(QTest::qWaitForWindowActive(training.window()));
    QCOMPARE(QApplication::focusWidget(), training.cmdNext);
    press(Qt::Key_Return);
    press(Qt::Key_Return);
    QVERIFY(!training.isLoaded());
    QVERIFY(QTest::qWaitForWindowActive(form.window()));
    QCOMPARE(readDataFile(QStringLiteral("B.txt")).count(u'\n'), 1);
    QVERIFY(env.dialogs().verify());
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
