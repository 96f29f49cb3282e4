#include "TestEnv.h"

#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "settings/frmSettei.h"
#include "shared/QmrM.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

using namespace QmrM;
using platform::vbExclamation;
using platform::vbInformation;

namespace {

const QString kNamePrompt = QStringLiteral("項目名は何ですか？");
const QString kNameTitle = QStringLiteral("項目名入力");
const QString kCountPrompt = QStringLiteral("指示数をいくつにしますか？（半角文字で入力）");
const QString kCountTitle = QStringLiteral("指示数入力");
const QString kChooseFirst = QStringLiteral("先に項目を選んで下さい");
const QString kRecord = QStringLiteral("\"12月06日\",\"09時18分07秒\",");
const QString kItems = QStringLiteral("項目一覧.txt");
const int kConfirm = platform::vbOKCancel | vbExclamation;

// Opens the settings window on the given items list, as the end of a training pass does.
frmSettei& openSettings(const QString& items)
{
    if (!items.isNull())
        writeDataFile(kItems, items);
    LoadItems();
    LoadSettings();
    frmSettei& form = frmSettei::instance();
    platform::runGuarded([&] { form.Show(); });
    return form;
}

void click(QToolButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// Clicks an entry of the item list as the user does.
void clickEntry(QListWidget* list, int row)
{
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

QString itemsOf(int count)
{
    QString items;
    for (int i = 1; i <= count; ++i)
        items += QStringLiteral("\"item%1\",%1\r\n").arg(i);
    return items;
}

}  // namespace

class TestItems : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { platform::setUpApplication(*qobject_cast<QApplication*>(qApp)); }

    void registrationStopsAtTwentyItems();
    void registrationCancelsAtEitherBox();
    void registrationAsksForTheCountUntilItFits();
    void registrationWritesTheCountAsTyped();
    void sameNameSharesTheHistoryFile();
    void refusedNamesAreAskedAgainAndWriteNothing_data();
    void refusedNamesAreAskedAgainAndWriteNothing();
    void namesAreTakenInTheirStoredForm();
    void blankNamesKeepTheirBlanks();

    void clickFillsTheEditBoxes();
    void editBoxesShowTheStartAndWholeCounts();
    void savingRoundsTheCountAndRewritesTheList();
    void savingNeedsAChosenItem();
    void renameKeepsTheListsAndHistoryFile();
    void savingRefusesWithoutChangingAnything();

    void deletionCancelledChangesNothing();
    void deletingTheMiddleItemKeepsOrder();
    void sharedHistoryGoesWithTheLastItemOfThatName();
    void deletingTheOnlyItemEmptiesEverything();
    void deletionRemovesOnlyTheSelectedItemsFile();

    void clearingEmptiesTheHistoryKeepingTheItem();
    void clearingAnotherItemLeavesTheViewAlone();
};

void TestItems::registrationStopsAtTwentyItems()
{
    TestEnv env;
    frmSettei& form = openSettings(itemsOf(20));
    env.dialogs().expectMessage(QStringLiteral("登録できる項目数は２０項目までです。"), QStringLiteral("項目数上限制約"),
                                vbExclamation);
    click(form.cmdNew);
    QVERIFY(env.dialogs().verify());

    // The nineteenth item leaves room for one more.
    form.Unload();
    openSettings(itemsOf(19));
    env.dialogs()
        .expectInput(kNamePrompt, kNameTitle, QStringLiteral("ラスト"))
        .expectInput(kCountPrompt, kCountTitle, QStringLiteral("5"))
        .expectMessage(QStringLiteral("ラスト の設定を新規登録しました"), QStringLiteral("新規登録終了"), vbInformation);
    click(form.cmdNew);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(gKoumokuSu, int16_t(20));
    QCOMPARE(form.lstKoumoku->count(), 20);
}

void TestItems::registrationCancelsAtEitherBox()
{
    TestEnv env;
    frmSettei& form = openSettings(QString());
    const QString cancel = QStringLiteral("新規追加をキャンセルします");
    env.dialogs()
        .expectInput(kNamePrompt, kNameTitle, QString())
        .expectMessage(cancel, QStringLiteral("キャンセル"), vbExclamation);
    click(form.cmdNew);
    env.dialogs()
        .expectInput(kNamePrompt, kNameTitle, QStringLiteral("腕立て"))
        .expectInput(kCountPrompt, kCountTitle, QStringLiteral("0"))
        .expectMessage(QStringLiteral("必ず１以上を入力して下さい"), QStringLiteral("下限値制限"), vbExclamation)
        .expectInput(kCountPrompt, kCountTitle, QString())
        .expectMessage(cancel, QStringLiteral("キャンセル"), vbExclamation);
    click(form.cmdNew);
    QVERIFY(env.dialogs().verify());
    QVERIFY(QDir().entryList(QDir::Files).isEmpty());  // nothing written, not even the items list
    QCOMPARE(form.lstKoumoku->count(), 0);
}

void TestItems::registrationAsksForTheCountUntilItFits()
{
    TestEnv env;
    frmSettei& form = openSettings(QString());
    env.dialogs().expectInput(kNamePrompt, kNameTitle, QStringLiteral("スクワット"));
    for (const char* below : {"0", "-3", "0.5", "abc", "１０"}) {
        env.dialogs()
            .expectInput(kCountPrompt, kCountTitle, QString::fromUtf8(below))
            .expectMessage(QStringLiteral("必ず１以上を入力して下さい"), QStringLiteral("下限値制限"), vbExclamation);
    }
    env.dialogs()
        .expectInput(kCountPrompt, kCountTitle, QStringLiteral("40000"))
        .expectMessage(QStringLiteral("指示数は 32767 までにして下さい"), QStringLiteral("上限値制限"), vbExclamation)
        .expectInput(kCountPrompt, kCountTitle, QStringLiteral("3回"))
        .expectMessage(QStringLiteral("スクワット の設定を新規登録しました"), QStringLiteral("新規登録終了"),
                       vbInformation);
    click(form.cmdNew);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readDataFile(kItems), QStringLiteral("\"スクワット\",3\r\n"));
    QCOMPARE(gShijiSu[1], int16_t(3));
}

void TestItems::registrationWritesTheCountAsTyped()
{
    TestEnv env;
    writeDataFile(QStringLiteral("A.txt"), kRecord + QStringLiteral("4\r\n"));
    frmSettei& form = openSettings(QStringLiteral("\"A\",10\r\n"));
    env.dialogs()
        .expectInput(kNamePrompt, kNameTitle, QStringLiteral("ストレッチ"))
        .expectInput(kCountPrompt, kCountTitle, QStringLiteral("1.5"))
        .expectMessage(QStringLiteral("ストレッチ の設定を新規登録しました"), QStringLiteral("新規登録終了"),
                       vbInformation);
    click(form.cmdNew);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readBytes(kItems), cp932(QStringLiteral("\"A\",10\r\n\"ストレッチ\",1.5\r\n")));
    QVERIFY(QFile::exists(QStringLiteral("ストレッチ.txt")));
    QCOMPARE(readBytes(QStringLiteral("ストレッチ.txt")), QByteArray());
    QCOMPARE(gKoumokuSu, int16_t(2));
    QCOMPARE(gShijiSu[2], int16_t(2));  // 1.5 read back to the even 2
    QCOMPARE(entries(form.lstKoumoku), QStringList({"A", "ストレッチ"}));
    // The history combo offers the new item only when its list is rebuilt; the view is unchanged.
    QCOMPARE(entries(form.cboKoumoku), QStringList({"A"}));
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("合計回数 ： 4"));
}

void TestItems::sameNameSharesTheHistoryFile()
{
    TestEnv env;
    writeDataFile(QStringLiteral("A.txt"), kRecord + QStringLiteral("4\r\n"));
    frmSettei& form = openSettings(QStringLiteral("\"A\",10\r\n"));
    env.dialogs()
        .expectInput(kNamePrompt, kNameTitle, QStringLiteral("A"))
        .expectInput(kCountPrompt, kCountTitle, QStringLiteral("7"))
        .expectMessage(QStringLiteral("A の設定を新規登録しました"), QStringLiteral("新規登録終了"), vbInformation);
    click(form.cmdNew);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readDataFile(QStringLiteral("A.txt")), kRecord + QStringLiteral("4\r\n"));
    QCOMPARE(gKoumokuSu, int16_t(2));
}

void TestItems::refusedNamesAreAskedAgainAndWriteNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("double quote") << "say \"hi\"";
    QTest::newRow("slash") << "../escape";
    QTest::newRow("backslash") << "a\\b";
    QTest::newRow("colon") << "a:b";
    QTest::newRow("star") << "a*";
    QTest::newRow("question mark") << "a?";
    QTest::newRow("angle brackets") << "<a>";
    QTest::newRow("bar") << "a|b";
    QTest::newRow("control character") << "a\tb";
    QTest::newRow("emoji") << "腕立て😀";
    QTest::newRow("not in code page 932") << "𠮷野家";
    QTest::newRow("items list") << "項目一覧";
    QTest::newRow("settings") << "設定";
    QTest::newRow("device") << "con";
    QTest::newRow("yen becomes backslash") << "¥100";
    QTest::newRow("too long") << QString(100, QChar(u'長'));
}

void TestItems::refusedNamesAreAskedAgainAndWriteNothing()
{
    QFETCH(QString, name);
    TestEnv env;
    frmSettei& form = openSettings(QString());
    env.dialogs()
        .expectInput(kNamePrompt, kNameTitle, name)
        .expectAnyMessage(QStringLiteral("項目名エラー"), vbExclamation)
        // Asked again with the refused name in the box, as typed, to be corrected.
        .expectInput(kNamePrompt, kNameTitle, QString(), name)
        .expectMessage(QStringLiteral("新規追加をキャンセルします"), QStringLiteral("キャンセル"), vbExclamation);
    click(form.cmdNew);
    QVERIFY(env.dialogs().verify());
    QVERIFY(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    QVERIFY(!QFile::exists(QStringLiteral("../escape.txt")));
}

void TestItems::namesAreTakenInTheirStoredForm()
{
    TestEnv env;
    frmSettei& form = openSettings(QString());
    const QString stored = QStringLiteral("伸び～");
    env.dialogs()
        .expectInput(kNamePrompt, kNameTitle, QStringLiteral("伸び〜"))  // U+301C
        .expectInput(kCountPrompt, kCountTitle, QStringLiteral("2"))
        .expectMessage(stored + QStringLiteral(" の設定を新規登録しました"), QStringLiteral("新規登録終了"),
                       vbInformation);
    click(form.cmdNew);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(entries(form.lstKoumoku), QStringList({stored}));
    QCOMPARE(gKoumoku[1], stored);
    QVERIFY(QFile::exists(stored + QStringLiteral(".txt")));
    LoadItems();
    QCOMPARE(gKoumoku[1], stored);
}

void TestItems::blankNamesKeepTheirBlanks()
{
    TestEnv env;
    frmSettei& form = openSettings(QString());
    for (const QString& name : {QStringLiteral(" 前後 "), QStringLiteral("   ")}) {
        env.dialogs()
            .expectInput(kNamePrompt, kNameTitle, name)
            .expectInput(kCountPrompt, kCountTitle, QStringLiteral("1"))
            .expectMessage(name + QStringLiteral(" の設定を新規登録しました"), QStringLiteral("新規登録終了"),
                           vbInformation);
        click(form.cmdNew);
    }
    QVERIFY(env.dialogs().verify());
    QVERIFY(QFile::exists(QStringLiteral(" 前後 .txt")));
    QVERIFY(QFile::exists(QStringLiteral("   .txt")));
    QCOMPARE(readDataFile(kItems), QStringLiteral("\" 前後 \",1\r\n\"   \",1\r\n"));
}

void TestItems::clickFillsTheEditBoxes()
{
    TestEnv env;
    frmSettei& form = openSettings(QStringLiteral("\"A\",10\r\n\"B\",-4\r\n"));
    clickEntry(form.lstKoumoku, 1);
    QCOMPARE(form.txtKoumoku->text(), QStringLiteral("B"));
    QCOMPARE(form.txtKaisu->text(), QStringLiteral("-4"));
    form.txtKoumoku->setText(QStringLiteral("edited"));
    clickEntry(form.lstKoumoku, 1);  // the same entry again fills the boxes anew
    QCOMPARE(form.txtKoumoku->text(), QStringLiteral("B"));
    form.lstKoumoku->setFocus();
    QTest::keyClick(form.lstKoumoku, Qt::Key_Up);  // the keyboard chooses too
    QCOMPARE(form.txtKoumoku->text(), QStringLiteral("A"));
    QVERIFY(env.dialogs().verify());
}

void TestItems::editBoxesShowTheStartAndWholeCounts()
{
    TestEnv env;
    const QString longName = QStringLiteral("はじめ") + QString(34, QChar(u'腕')) + QStringLiteral("おわり");
    frmSettei& form =
        openSettings(QStringLiteral("\"A\",10\r\n\"") + longName + QStringLiteral("\",32767\r\n\"C\",-32768\r\n"));
    QLineEdit* name = form.window()->findChild<QLineEdit*>(QStringLiteral("txtKoumoku"));
    QLineEdit* count = form.window()->findChild<QLineEdit*>(QStringLiteral("txtKaisu"));
    const QFont described = count->font();
    for (int row : {1, 2, 0}) {
        clickEntry(form.lstKoumoku, row);
        // The name box shows the start of the name.
        QCOMPARE(name->text(), gKoumoku[row + 1]);
        QCOMPARE(name->cursorPosition(), 0);
        QVERIFY(drawnCursor(name).center().x() < 8);
        // The count box shows the whole count: with the cursor after it, nothing is scrolled out.
        count->setCursorPosition(count->text().size());
        QVERIFY2(drawnCursor(count).center().x() >= QFontMetricsF(count->font()).horizontalAdvance(count->text()),
                 qPrintable(count->text()));
    }
    QCOMPARE(count->font(), described);  // "10" fits at the described size
    QVERIFY(env.dialogs().verify());
}

void TestItems::savingRoundsTheCountAndRewritesTheList()
{
    TestEnv env;
    frmSettei& form = openSettings(QStringLiteral("\"A\",10\r\n\"B\",12.5\r\n"));
    clickEntry(form.lstKoumoku, 0);
    const QList<QPair<QString, int16_t>> cases = {{"7.5", 8}, {"6.5", 6}, {"", 0}, {"-3", -3}, {"10", 10}};
    for (const auto& [typed, stored] : cases) {
        form.txtKaisu->setText(typed);
        env.dialogs().expectMessage(QStringLiteral("A の設定を更新しました"), QStringLiteral("設定更新終了"),
                                    vbInformation);
        click(form.cmdHozon);
        QVERIFY(env.dialogs().verify());
        QCOMPARE(gShijiSu[1], stored);
        QCOMPARE(readDataFile(kItems), QStringLiteral("\"A\",%1\r\n\"B\",12\r\n").arg(stored));
    }
}

void TestItems::savingNeedsAChosenItem()
{
    TestEnv env;
    frmSettei& form = openSettings(QStringLiteral("\"A\",10\r\n"));
    const QByteArray before = readBytes(kItems);
    // Typed without choosing an entry.
    form.txtKoumoku->setText(QStringLiteral("B"));
    env.dialogs().expectMessage(kChooseFirst, QStringLiteral("項目未選定"), vbInformation);
    click(form.cmdHozon);
    // Chosen, but the name box emptied.
    clickEntry(form.lstKoumoku, 0);
    form.txtKoumoku->clear();
    for (QToolButton* button : {form.cmdHozon, form.cmdDel, form.cmdClear}) {
        env.dialogs().expectMessage(kChooseFirst, QStringLiteral("項目未選定"), vbInformation);
        click(button);
    }
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readBytes(kItems), before);
    QCOMPARE(gKoumoku[1], QStringLiteral("A"));
}

void TestItems::renameKeepsTheListsAndHistoryFile()
{
    TestEnv env;
    writeDataFile(QStringLiteral("A.txt"), kRecord + QStringLiteral("4\r\n"));
    frmSettei& form = openSettings(QStringLiteral("\"A\",10\r\n\"B\",5\r\n"));
    clickEntry(form.lstKoumoku, 0);
    form.txtKoumoku->setText(QStringLiteral("Z"));
    env.dialogs().expectMessage(QStringLiteral("Z の設定を更新しました"), QStringLiteral("設定更新終了"), vbInformation);
    click(form.cmdHozon);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(gKoumoku[1], QStringLiteral("Z"));
    QCOMPARE(entries(form.lstKoumoku), QStringList({"A", "B"}));
    QCOMPARE(entries(form.cboKoumoku), QStringList({"A", "B"}));
    QVERIFY(QFile::exists(QStringLiteral("A.txt")));
    QVERIFY(!QFile::exists(QStringLiteral("Z.txt")));
    clickEntry(form.lstKoumoku, 0);
    QCOMPARE(form.txtKoumoku->text(), QStringLiteral("Z"));
}

void TestItems::savingRefusesWithoutChangingAnything()
{
    TestEnv env;
    frmSettei& form = openSettings(QStringLiteral("\"A\",10\r\n"));
    const QByteArray before = readBytes(kItems);
    clickEntry(form.lstKoumoku, 0);
    form.txtKaisu->setText(QStringLiteral("40000"));
    form.txtKoumoku->setText(QStringLiteral("renamed"));
    env.dialogs().expectMessage(QStringLiteral("指示数は -32768 から 32767 までにして下さい"),
                                QStringLiteral("指示数エラー"), vbExclamation);
    click(form.cmdHozon);
    form.txtKaisu->setText(QStringLiteral("5"));
    form.txtKoumoku->setText(QStringLiteral("a/b"));
    env.dialogs().expectAnyMessage(QStringLiteral("項目名エラー"), vbExclamation);
    click(form.cmdHozon);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(gKoumoku[1], QStringLiteral("A"));
    QCOMPARE(gShijiSu[1], int16_t(10));
    QCOMPARE(readBytes(kItems), before);
}

void TestItems::deletionCancelledChangesNothing()
{
    TestEnv env;
    writeDataFile(QStringLiteral("B.txt"), kRecord + QStringLiteral("4\r\n"));
    frmSettei& form = openSettings(QStringLiteral("\"A\",1\r\n\"B\",2\r\n"));
    clickEntry(form.lstKoumoku, 1);
    const QByteArray before = readBytes(kItems);
    env.dialogs().expectMessage(QStringLiteral("Bを削除します。よろしいですか？"), QStringLiteral("クリア確認"), kConfirm,
                                platform::vbCancel);
    click(form.cmdDel);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readBytes(kItems), before);
    QVERIFY(QFile::exists(QStringLiteral("B.txt")));
    QCOMPARE(gKoumokuSu, int16_t(2));
    QCOMPARE(form.lstKoumoku->currentRow(), 1);
    QCOMPARE(form.txtKoumoku->text(), QStringLiteral("B"));
}

void TestItems::deletingTheMiddleItemKeepsOrder()
{
    TestEnv env;
    writeDataFile(QStringLiteral("A.txt"), kRecord + QStringLiteral("3\r\n"));
    writeDataFile(QStringLiteral("B.txt"), kRecord + QStringLiteral("4\r\n"));
    frmSettei& form = openSettings(QStringLiteral("\"A\",1\r\n\"B\",2\r\n\"C\",3\r\n"));
    clickEntry(form.lstKoumoku, 1);
    form.txtKoumoku->setText(QStringLiteral("typed but not saved"));
    env.dialogs()
        .expectMessage(QStringLiteral("Bを削除します。よろしいですか？"), QStringLiteral("クリア確認"), kConfirm)
        .expectMessage(QStringLiteral("削除しました"), QStringLiteral("削除終了"), vbInformation);
    click(form.cmdDel);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readDataFile(kItems), QStringLiteral("\"A\",1\r\n\"C\",3\r\n"));
    QCOMPARE(gKoumokuSu, int16_t(2));
    QCOMPARE(gKoumoku[2], QStringLiteral("C"));
    QCOMPARE(entries(form.lstKoumoku), QStringList({"A", "C"}));
    QCOMPARE(entries(form.cboKoumoku), QStringList({"A", "C"}));
    QCOMPARE(form.cboKoumoku->currentText(), QStringLiteral("A"));
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("合計回数 ： 3"));
    QVERIFY(!QFile::exists(QStringLiteral("B.txt")));
    QVERIFY(form.txtKoumoku->text().isEmpty() && form.txtKaisu->text().isEmpty());
    QVERIFY(form.lstKoumoku->selectedItems().isEmpty());
}

void TestItems::sharedHistoryGoesWithTheLastItemOfThatName()
{
    TestEnv env;
    writeDataFile(QStringLiteral("A.txt"), kRecord + QStringLiteral("3\r\n"));
    writeDataFile(QStringLiteral("a.txt"), kRecord + QStringLiteral("9\r\n"));
    frmSettei& form = openSettings(QStringLiteral("\"A\",1\r\n\"a\",1\r\n\"A\",2\r\n"));
    const auto deleteRow = [&](int row) {
        clickEntry(form.lstKoumoku, row);
        env.dialogs()
            .expectMessage(QStringLiteral("Aを削除します。よろしいですか？"), QStringLiteral("クリア確認"), kConfirm)
            .expectMessage(QStringLiteral("削除しました"), QStringLiteral("削除終了"), vbInformation);
        click(form.cmdDel);
        QVERIFY(env.dialogs().verify());
    };
    deleteRow(0);
    QVERIFY(QFile::exists(QStringLiteral("A.txt")));  // the other "A" still uses it
    deleteRow(1);
    QVERIFY(!QFile::exists(QStringLiteral("A.txt")));
    QVERIFY(QFile::exists(QStringLiteral("a.txt")));  // names differ in case: another file
    QCOMPARE(readDataFile(kItems), QStringLiteral("\"a\",1\r\n"));
}

void TestItems::deletingTheOnlyItemEmptiesEverything()
{
    TestEnv env;
    writeDataFile(QStringLiteral("A.txt"), kRecord + QStringLiteral("3\r\n"));
    frmSettei& form = openSettings(QStringLiteral("\"A\",1\r\n"));
    clickEntry(form.lstKoumoku, 0);
    env.dialogs()
        .expectMessage(QStringLiteral("Aを削除します。よろしいですか？"), QStringLiteral("クリア確認"), kConfirm)
        .expectMessage(QStringLiteral("削除しました"), QStringLiteral("削除終了"), vbInformation);
    click(form.cmdDel);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readBytes(kItems), QByteArray());
    QCOMPARE(gKoumokuSu, int16_t(0));
    QCOMPARE(form.lstKoumoku->count(), 0);
    QCOMPARE(form.cboKoumoku->count(), 0);
    QCOMPARE(form.lstRireki->count(), 0);
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("0"));
    QVERIFY(!QFile::exists(QStringLiteral("A.txt")));
}

void TestItems::deletionRemovesOnlyTheSelectedItemsFile()
{
    // An item without a history file deletes normally; an edited list naming a file outside the folder
    // never makes the deletion remove that file.
    TestEnv env;
    QDir().mkdir(QStringLiteral("sub"));
    writeBytes(QStringLiteral("sub/keep.txt"), QByteArray("x"));
    frmSettei& form = openSettings(QStringLiteral("\"sub/keep\",1\r\n\"none\",2\r\n"));
    for (int i = 0; i < 2; ++i) {
        clickEntry(form.lstKoumoku, 0);
        env.dialogs()
            .expectAnyMessage(QStringLiteral("クリア確認"), kConfirm)
            .expectMessage(QStringLiteral("削除しました"), QStringLiteral("削除終了"), vbInformation);
        click(form.cmdDel);
    }
    QVERIFY(env.dialogs().verify());
    QVERIFY(QFile::exists(QStringLiteral("sub/keep.txt")));
    QCOMPARE(gKoumokuSu, int16_t(0));
}

void TestItems::clearingEmptiesTheHistoryKeepingTheItem()
{
    TestEnv env;
    writeDataFile(QStringLiteral("A.txt"), kRecord + QStringLiteral("3\r\n"));
    frmSettei& form = openSettings(QStringLiteral("\"A\",12.5\r\n\"B\",2\r\n"));
    clickEntry(form.lstKoumoku, 0);
    env.dialogs().expectMessage(QStringLiteral("Aのカウント数と履歴データをクリアします。よろしいですか？"),
                                QStringLiteral("クリア確認"), kConfirm, platform::vbCancel);
    click(form.cmdClear);
    QCOMPARE(readDataFile(QStringLiteral("A.txt")), kRecord + QStringLiteral("3\r\n"));

    env.dialogs()
        .expectMessage(QStringLiteral("Aのカウント数と履歴データをクリアします。よろしいですか？"),
                       QStringLiteral("クリア確認"), kConfirm)
        .expectMessage(QStringLiteral("A のカウント数と履歴データをクリアしました"), QStringLiteral("クリア終了"),
                       vbInformation);
    click(form.cmdClear);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readBytes(QStringLiteral("A.txt")), QByteArray());
    QCOMPARE(form.lstRireki->count(), 0);
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("0"));
    QCOMPARE(gShijiSu[1], int16_t(12));
    QCOMPARE(readDataFile(kItems), QStringLiteral("\"A\",12\r\n\"B\",2\r\n"));
    QCOMPARE(form.lstKoumoku->currentRow(), 0);  // the same item can be cleared again at once

    // An item without a history file gets an empty one.
    clickEntry(form.lstKoumoku, 1);
    env.dialogs()
        .expectAnyMessage(QStringLiteral("クリア確認"), kConfirm)
        .expectAnyMessage(QStringLiteral("クリア終了"), vbInformation);
    click(form.cmdClear);
    QVERIFY(env.dialogs().verify());
    QVERIFY(QFile::exists(QStringLiteral("B.txt")));
}

void TestItems::clearingAnotherItemLeavesTheViewAlone()
{
    TestEnv env;
    writeDataFile(QStringLiteral("A.txt"), kRecord + QStringLiteral("3\r\n"));
    writeDataFile(QStringLiteral("B.txt"), kRecord + QStringLiteral("8\r\n"));
    frmSettei& form = openSettings(QStringLiteral("\"A\",1\r\n\"B\",2\r\n"));
    clickEntry(form.lstKoumoku, 1);
    form.txtKoumoku->setText(QStringLiteral("別名"));  // messages use the box; the file is the selected item's
    env.dialogs()
        .expectMessage(QStringLiteral("別名のカウント数と履歴データをクリアします。よろしいですか？"),
                       QStringLiteral("クリア確認"), kConfirm)
        .expectMessage(QStringLiteral("別名 のカウント数と履歴データをクリアしました"), QStringLiteral("クリア終了"),
                       vbInformation);
    click(form.cmdClear);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readBytes(QStringLiteral("B.txt")), QByteArray());
    QCOMPARE(form.lstRireki->count(), 1);
    QCOMPARE(form.lblGoukei->text(), QStringLiteral("合計回数 ： 3"));
    QVERIFY(!QFile::exists(QStringLiteral("別名.txt")));
}

QTEST_MAIN(TestItems)
#include "tst_items.moc"
