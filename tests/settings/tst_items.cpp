// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestEnv.h"
#include "Windows.h"

#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "settings/frmSettei.h"
#include "shared/QmrM.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

using namespace QmrM;
using platform::vbExclamation;
using platform::vbInformation;

namespace {

const QString kChooseFirst = QStringLiteral("先に項目を選んで下さい");
const QString kItems = QmrM::kItemsFile;
const int kConfirm = platform::vbOKCancel | vbExclamation;

void click(const char* button)
{
    clickButton(frmSettei::instance(), QLatin1String(button));
}

// Clicks an entry of the item list as the user does.
void clickEntry(int row)
{
    auto* list = control<QListWidget>(frmSettei::instance(), QStringLiteral("lstKoumoku"));
    if (!list)
        return;
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

// What the settings window shows in a control, and its lists' entries.
QString shown(const char* name)
{
    return textOf(frmSettei::instance(), QLatin1String(name));
}

QStringList entriesShown(const char* name)
{
    return entriesOf(frmSettei::instance(), QLatin1String(name));
}

// Puts a text into one of the edit boxes in place of what it holds, as typing over it does.
void typeInto(const char* box, const QString& text)
{
    if (auto* edit = control<QLineEdit>(frmSettei::instance(), QLatin1String(box)))
        edit->setText(text);
}

QListWidget* itemList()
{
    return control<QListWidget>(frmSettei::instance(), QStringLiteral("lstKoumoku"));
}

// Expects the question whether to delete `name`, confirmed, and the message that it was deleted.
void expectDeletion(TestEnv& env, const QString& name)
{
    env.dialogs()
        .expectMessage(name + QStringLiteral("を削除します。よろしいですか？"), QStringLiteral("クリア確認"), kConfirm)
        .expectMessage(QStringLiteral("削除しました"), QStringLiteral("削除終了"), vbInformation);
}

// Deletes the entry at `row` as the user does, confirming the deletion of `name`.
void deleteEntry(TestEnv& env, int row, const QString& name)
{
    clickEntry(row);
    expectDeletion(env, name);
    click("cmdDel");
}

// Expects the confirmation and the completion message of clearing `name`'s history.
void expectClearing(TestEnv& env, const QString& name)
{
    env.dialogs()
        .expectMessage(name + QStringLiteral("のカウント数と履歴データをクリアします。よろしいですか？"),
                       QStringLiteral("クリア確認"), kConfirm)
        .expectMessage(name + QStringLiteral(" のカウント数と履歴データをクリアしました"), QStringLiteral("クリア終了"),
                       vbInformation);
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
    void registrationNeedsAHistoryFileThatCanBeMade();
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
    void clearingNamesTheSelectedItem();

    void filesThatAreNotThisItemsHistoryStay();
    void editedListsNeverBreakTheWindow();
};

void TestItems::registrationStopsAtTwentyItems()
{
    TestEnv env;
    frmSettei& form = openSettings(itemsOf(20));
    env.dialogs().expectMessage(QStringLiteral("登録できる項目数は２０項目までです。"),
                                QStringLiteral("項目数上限制約"), vbExclamation);
    click("cmdNew");
    QVERIFY(env.dialogs().verify());

    // The nineteenth item leaves room for one more.
    form.Unload();
    openSettings(itemsOf(19));
    registerItem(env, QStringLiteral("ラスト"), QStringLiteral("5"));
    QVERIFY(env.dialogs().verify());
    QCOMPARE(gKoumokuSu, int16_t(20));
    QCOMPARE(entriesShown("lstKoumoku").size(), qsizetype(20));
}

void TestItems::registrationCancelsAtEitherBox()
{
    TestEnv env;
    showSettings();
    const QString cancel = QStringLiteral("新規追加をキャンセルします");
    env.dialogs()
        .expectInput(kNamePrompt, kNameTitle, QString())
        .expectMessage(cancel, QStringLiteral("キャンセル"), vbExclamation);
    click("cmdNew");
    env.dialogs()
        .expectInput(kNamePrompt, kNameTitle, QStringLiteral("腕立て"))
        .expectInput(kCountPrompt, kCountTitle, QStringLiteral("0"))
        .expectMessage(QStringLiteral("必ず１以上を入力して下さい"), QStringLiteral("下限値制限"), vbExclamation)
        .expectInput(kCountPrompt, kCountTitle, QString())
        .expectMessage(cancel, QStringLiteral("キャンセル"), vbExclamation);
    click("cmdNew");
    QVERIFY(env.dialogs().verify());
    QVERIFY(QDir().entryList(QDir::Files).isEmpty());  // nothing written, not even the items list
    QCOMPARE(entriesShown("lstKoumoku"), QStringList());
}

void TestItems::registrationAsksForTheCountUntilItFits()
{
    TestEnv env;
    showSettings();
    env.dialogs().expectInput(kNamePrompt, kNameTitle, QStringLiteral("スクワット"));
    for (const char* below : {"0", "-3", "0.5", "abc", "１０"}) {
        env.dialogs()
            .expectInput(kCountPrompt, kCountTitle, QString::fromUtf8(below))
            .expectMessage(QStringLiteral("必ず１以上を入力して下さい"), QStringLiteral("下限値制限"), vbExclamation);
    }
    // 32767.5 rounds to 32768, which the next start could not load.
    for (const char* above : {"40000", "32767.5"}) {
        env.dialogs()
            .expectInput(kCountPrompt, kCountTitle, QString::fromUtf8(above))
            .expectMessage(QStringLiteral("指示数は 32767 までにして下さい"), QStringLiteral("上限値制限"),
                           vbExclamation);
    }
    env.dialogs()
        .expectInput(kCountPrompt, kCountTitle, QStringLiteral("3回"))
        .expectMessage(QStringLiteral("スクワット の設定を新規登録しました"), QStringLiteral("新規登録終了"),
                       vbInformation);
    click("cmdNew");
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readDataFile(kItems), QStringLiteral("\"スクワット\",3\r\n"));
    QCOMPARE(gShijiSu[1], int16_t(3));
    // The largest count is taken, and the next start reads it.
    registerItem(env, QStringLiteral("B"), QStringLiteral("32767"));
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readDataFile(kItems), QStringLiteral("\"スクワット\",3\r\n\"B\",32767\r\n"));
    LoadItems();
    QCOMPARE(gShijiSu[2], int16_t(32767));
}

void TestItems::registrationWritesTheCountAsTyped()
{
    TestEnv env;
    writeHistory(QStringLiteral("A"), recordsOf({"4"}));
    openSettings(QStringLiteral("\"A\",10\r\n"));
    registerItem(env, QStringLiteral("ストレッチ"), QStringLiteral("1.5"));
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readBytes(kItems), cp932(QStringLiteral("\"A\",10\r\n\"ストレッチ\",1.5\r\n")));
    QVERIFY(QFile::exists(QStringLiteral("ストレッチ.txt")));
    QCOMPARE(readBytes(QStringLiteral("ストレッチ.txt")), QByteArray());
    QCOMPARE(gKoumokuSu, int16_t(2));
    QCOMPARE(gShijiSu[2], int16_t(2));  // 1.5 read back to the even 2
    QCOMPARE(entriesShown("lstKoumoku"), QStringList({"A", "ストレッチ"}));
    // The history combo offers the new item only when its list is rebuilt; the view is unchanged.
    QCOMPARE(entriesShown("cboKoumoku"), QStringList({"A"}));
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 4"));
}

void TestItems::registrationNeedsAHistoryFileThatCanBeMade()
{
    // A shared folder where the files may be written but no file may be made: the item would stay in the list
    // without a history, and every pass would stop at it.
    QUILLMORA_SKIP_ON_WINDOWS("Wine keeps no access lists on files: such a folder cannot be made there");
    TestEnv env;
    openSettings(QStringLiteral("\"A\",10\r\n"));
    FolderWithoutNewFiles shared({kItems, QmrM::kSettingsFile});
    QVERIFY(shared.isSetUp());
    env.dialogs()
        .expectInput(kNamePrompt, kNameTitle, QStringLiteral("B"))
        .expectInput(kCountPrompt, kCountTitle, QStringLiteral("5"))
        .expectAnyMessage(QStringLiteral("新規登録中止"), vbExclamation);
    click("cmdNew");
    QVERIFY(env.dialogs().verify());
    QVERIFY(env.dialogs().shownTexts().last().contains(QStringLiteral("「B.txt」")));
    QCOMPARE(readDataFile(kItems), QStringLiteral("\"A\",10\r\n"));
    QCOMPARE(entriesShown("lstKoumoku"), QStringList({"A"}));
    QVERIFY(env.endings().isEmpty());
}

void TestItems::sameNameSharesTheHistoryFile()
{
    TestEnv env;
    writeHistory(QStringLiteral("A"), recordsOf({"4"}));
    openSettings(QStringLiteral("\"A\",10\r\n"));
    registerItem(env, QStringLiteral("A"), QStringLiteral("7"));
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readDataFile(QStringLiteral("A.txt")), recordsOf({"4"}));
    QCOMPARE(gKoumokuSu, int16_t(2));
}

// Which names are refused is checked on itemNameProblem itself (tst_shared); here the window's way with one
// that would escape the folder and one that names the program's own file.
void TestItems::refusedNamesAreAskedAgainAndWriteNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("slash") << "../escape";
    QTest::newRow("items list") << "項目一覧";
}

void TestItems::refusedNamesAreAskedAgainAndWriteNothing()
{
    QFETCH(QString, name);
    TestEnv env;
    showSettings();
    env.dialogs()
        .expectInput(kNamePrompt, kNameTitle, name)
        .expectAnyMessage(QStringLiteral("項目名エラー"), vbExclamation)
        // Asked again with the refused name in the box, as typed, to be corrected.
        .expectInput(kNamePrompt, kNameTitle, QString(), name)
        .expectMessage(QStringLiteral("新規追加をキャンセルします"), QStringLiteral("キャンセル"), vbExclamation);
    click("cmdNew");
    QVERIFY(env.dialogs().verify());
    QVERIFY(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    QVERIFY(!QFile::exists(QStringLiteral("../escape.txt")));
}

void TestItems::namesAreTakenInTheirStoredForm()
{
    TestEnv env;
    showSettings();
    const QString stored = QStringLiteral("伸び～");
    registerItem(env, QStringLiteral("伸び〜"), QStringLiteral("2"), stored);  // U+301C
    QVERIFY(env.dialogs().verify());
    QCOMPARE(entriesShown("lstKoumoku"), QStringList({stored}));
    QCOMPARE(gKoumoku[1], stored);
    QVERIFY(QFile::exists(stored + QStringLiteral(".txt")));
    LoadItems();
    QCOMPARE(gKoumoku[1], stored);
}

void TestItems::blankNamesKeepTheirBlanks()
{
    TestEnv env;
    showSettings();
    for (const QString& name : {QStringLiteral(" 前後 "), QStringLiteral("   ")})
        registerItem(env, name, QStringLiteral("1"));
    QVERIFY(env.dialogs().verify());
    QVERIFY(QFile::exists(QStringLiteral(" 前後 .txt")));
    QVERIFY(QFile::exists(QStringLiteral("   .txt")));
    QCOMPARE(readDataFile(kItems), QStringLiteral("\" 前後 \",1\r\n\"   \",1\r\n"));
}

void TestItems::clickFillsTheEditBoxes()
{
    TestEnv env;
    openSettings(QStringLiteral("\"A\",10\r\n\"B\",-4\r\n"));
    clickEntry(1);
    QCOMPARE(shown("txtKoumoku"), QStringLiteral("B"));
    QCOMPARE(shown("txtKaisu"), QStringLiteral("-4"));
    typeInto("txtKoumoku", QStringLiteral("edited"));
    clickEntry(1);  // the same entry again fills the boxes anew
    QCOMPARE(shown("txtKoumoku"), QStringLiteral("B"));
    itemList()->setFocus();
    QTest::keyClick(itemList(), Qt::Key_Up);  // the keyboard chooses too
    QCOMPARE(shown("txtKoumoku"), QStringLiteral("A"));
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
        clickEntry(row);
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
    openSettings(QStringLiteral("\"A\",10\r\n\"B\",12.5\r\n"));
    clickEntry(0);
    const QList<QPair<QString, int16_t>> cases = {{"7.5", 8}, {"6.5", 6}, {"", 0}, {"-3", -3}, {"10", 10}};
    for (const auto& [typed, stored] : cases) {
        typeInto("txtKaisu", typed);
        expectItemUpdated(env.dialogs(), QStringLiteral("A"));
        click("cmdHozon");
        QVERIFY(env.dialogs().verify());
        QCOMPARE(gShijiSu[1], stored);
        QCOMPARE(readDataFile(kItems), QStringLiteral("\"A\",%1\r\n\"B\",12\r\n").arg(stored));
    }
}

void TestItems::savingNeedsAChosenItem()
{
    TestEnv env;
    openSettings(QStringLiteral("\"A\",10\r\n"));
    const QByteArray before = readBytes(kItems);
    // Typed without choosing an entry.
    typeInto("txtKoumoku", QStringLiteral("B"));
    env.dialogs().expectMessage(kChooseFirst, QStringLiteral("項目未選定"), vbInformation);
    click("cmdHozon");
    // Chosen, but the name box emptied.
    clickEntry(0);
    typeInto("txtKoumoku", QString());
    for (const char* button : {"cmdHozon", "cmdDel", "cmdClear"}) {
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
    writeHistory(QStringLiteral("A"), recordsOf({"4"}));
    openSettings(QStringLiteral("\"A\",10\r\n\"B\",5\r\n"));
    clickEntry(0);
    typeInto("txtKoumoku", QStringLiteral("Z"));
    expectItemUpdated(env.dialogs(), QStringLiteral("Z"));
    click("cmdHozon");
    QVERIFY(env.dialogs().verify());
    QCOMPARE(gKoumoku[1], QStringLiteral("Z"));
    QCOMPARE(entriesShown("lstKoumoku"), QStringList({"A", "B"}));
    QCOMPARE(entriesShown("cboKoumoku"), QStringList({"A", "B"}));
    QVERIFY(QFile::exists(QStringLiteral("A.txt")));
    QVERIFY(!QFile::exists(QStringLiteral("Z.txt")));
    clickEntry(0);
    QCOMPARE(shown("txtKoumoku"), QStringLiteral("Z"));
}

void TestItems::savingRefusesWithoutChangingAnything()
{
    TestEnv env;
    openSettings(QStringLiteral("\"A\",10\r\n"));
    const QByteArray before = readBytes(kItems);
    clickEntry(0);
    typeInto("txtKaisu", QStringLiteral("40000"));
    typeInto("txtKoumoku", QStringLiteral("renamed"));
    env.dialogs().expectMessage(QStringLiteral("指示数は -32768 から 32767 までにして下さい"),
                                QStringLiteral("指示数エラー"), vbExclamation);
    click("cmdHozon");
    typeInto("txtKaisu", QStringLiteral("5"));
    typeInto("txtKoumoku", QStringLiteral("a/b"));
    env.dialogs().expectAnyMessage(QStringLiteral("項目名エラー"), vbExclamation);
    click("cmdHozon");
    QVERIFY(env.dialogs().verify());
    QCOMPARE(gKoumoku[1], QStringLiteral("A"));
    QCOMPARE(gShijiSu[1], int16_t(10));
    QCOMPARE(readBytes(kItems), before);
}

void TestItems::deletionCancelledChangesNothing()
{
    TestEnv env;
    writeHistory(QStringLiteral("B"), recordsOf({"4"}));
    openSettings(QStringLiteral("\"A\",1\r\n\"B\",2\r\n"));
    clickEntry(1);
    const QByteArray before = readBytes(kItems);
    env.dialogs().expectMessage(QStringLiteral("Bを削除します。よろしいですか？"), QStringLiteral("クリア確認"),
                                kConfirm, platform::vbCancel);
    click("cmdDel");
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readBytes(kItems), before);
    QVERIFY(QFile::exists(QStringLiteral("B.txt")));
    QCOMPARE(gKoumokuSu, int16_t(2));
    QCOMPARE(itemList()->currentRow(), 1);
    QCOMPARE(shown("txtKoumoku"), QStringLiteral("B"));
}

void TestItems::deletingTheMiddleItemKeepsOrder()
{
    TestEnv env;
    writeHistory(QStringLiteral("A"), recordsOf({"3"}));
    writeHistory(QStringLiteral("B"), recordsOf({"4"}));
    openSettings(QStringLiteral("\"A\",1\r\n\"B\",2\r\n\"C\",3\r\n"));
    clickEntry(1);
    typeInto("txtKoumoku", QStringLiteral("typed but not saved"));
    expectDeletion(env, QStringLiteral("B"));
    click("cmdDel");
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readDataFile(kItems), QStringLiteral("\"A\",1\r\n\"C\",3\r\n"));
    QCOMPARE(gKoumokuSu, int16_t(2));
    QCOMPARE(gKoumoku[2], QStringLiteral("C"));
    QCOMPARE(entriesShown("lstKoumoku"), QStringList({"A", "C"}));
    QCOMPARE(entriesShown("cboKoumoku"), QStringList({"A", "C"}));
    QCOMPARE(shown("cboKoumoku"), QStringLiteral("A"));
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 3"));
    QVERIFY(!QFile::exists(QStringLiteral("B.txt")));
    QVERIFY(shown("txtKoumoku").isEmpty() && shown("txtKaisu").isEmpty());
    QVERIFY(itemList()->selectedItems().isEmpty());
}

void TestItems::sharedHistoryGoesWithTheLastItemOfThatName()
{
    QUILLMORA_SKIP_ON_WINDOWS("names that differ only in case name one file there");
    TestEnv env;
    writeHistory(QStringLiteral("A"), recordsOf({"3"}));
    writeHistory(QStringLiteral("a"), recordsOf({"9"}));
    openSettings(QStringLiteral("\"A\",1\r\n\"a\",1\r\n\"A\",2\r\n"));
    deleteEntry(env, 0, QStringLiteral("A"));
    QVERIFY(QFile::exists(QStringLiteral("A.txt")));  // the other "A" still uses it
    deleteEntry(env, 1, QStringLiteral("A"));
    QVERIFY(env.dialogs().verify());
    QVERIFY(!QFile::exists(QStringLiteral("A.txt")));
    QVERIFY(QFile::exists(QStringLiteral("a.txt")));  // names differ in case: another file
    QCOMPARE(readDataFile(kItems), QStringLiteral("\"a\",1\r\n"));
}

void TestItems::deletingTheOnlyItemEmptiesEverything()
{
    TestEnv env;
    writeHistory(QStringLiteral("A"), recordsOf({"3"}));
    openSettings(QStringLiteral("\"A\",1\r\n"));
    deleteEntry(env, 0, QStringLiteral("A"));
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readBytes(kItems), QByteArray());
    QCOMPARE(gKoumokuSu, int16_t(0));
    QCOMPARE(entriesShown("lstKoumoku"), QStringList());
    QCOMPARE(entriesShown("cboKoumoku"), QStringList());
    QCOMPARE(entriesShown("lstRireki"), QStringList());
    QCOMPARE(shown("lblGoukei"), QStringLiteral("0"));
    QVERIFY(!QFile::exists(QStringLiteral("A.txt")));
}

void TestItems::deletionRemovesOnlyTheSelectedItemsFile()
{
    // An item without a history file deletes normally; an edited list naming a file outside the folder
    // never makes the deletion remove that file.
    TestEnv env;
    QDir().mkdir(QStringLiteral("sub"));
    writeBytes(QStringLiteral("sub/keep.txt"), QByteArray("x"));
    openSettings(QStringLiteral("\"sub/keep\",1\r\n\"none\",2\r\n"));
    deleteEntry(env, 0, QStringLiteral("sub/keep"));
    deleteEntry(env, 0, QStringLiteral("none"));
    QVERIFY(env.dialogs().verify());
    QVERIFY(QFile::exists(QStringLiteral("sub/keep.txt")));
    QCOMPARE(gKoumokuSu, int16_t(0));
}

void TestItems::clearingEmptiesTheHistoryKeepingTheItem()
{
    TestEnv env;
    writeHistory(QStringLiteral("A"), recordsOf({"3"}));
    openSettings(QStringLiteral("\"A\",12.5\r\n\"B\",2\r\n"));
    clickEntry(0);
    env.dialogs().expectMessage(QStringLiteral("Aのカウント数と履歴データをクリアします。よろしいですか？"),
                                QStringLiteral("クリア確認"), kConfirm, platform::vbCancel);
    click("cmdClear");
    QCOMPARE(readDataFile(QStringLiteral("A.txt")), recordsOf({"3"}));

    expectClearing(env, QStringLiteral("A"));
    click("cmdClear");
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readBytes(QStringLiteral("A.txt")), QByteArray());
    QCOMPARE(entriesShown("lstRireki"), QStringList());
    QCOMPARE(shown("lblGoukei"), QStringLiteral("0"));
    QCOMPARE(gShijiSu[1], int16_t(12));
    QCOMPARE(readDataFile(kItems), QStringLiteral("\"A\",12\r\n\"B\",2\r\n"));
    QCOMPARE(itemList()->currentRow(), 0);  // the same item can be cleared again at once

    // An item without a history file gets an empty one.
    clickEntry(1);
    expectClearing(env, QStringLiteral("B"));
    click("cmdClear");
    QVERIFY(env.dialogs().verify());
    QVERIFY(QFile::exists(QStringLiteral("B.txt")));
}

void TestItems::clearingNamesTheSelectedItem()
{
    // The history emptied is the selected item's, and the messages name that item, not the name box.
    TestEnv env;
    writeHistory(QStringLiteral("A"), recordsOf({"3"}));
    writeHistory(QStringLiteral("B"), recordsOf({"8"}));
    openSettings(QStringLiteral("\"A\",1\r\n\"B\",2\r\n"));
    clickEntry(1);
    typeInto("txtKoumoku", QStringLiteral("別名"));
    expectClearing(env, QStringLiteral("B"));
    click("cmdClear");
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 3"));  // the view shows A: left alone
    writeHistory(QStringLiteral("B"), recordsOf({"8"}));
    clickEntry(0);
    typeInto("txtKoumoku", QStringLiteral("B"));
    expectClearing(env, QStringLiteral("A"));
    click("cmdClear");
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readBytes(QStringLiteral("A.txt")), QByteArray());
    QCOMPARE(shown("lblGoukei"), QStringLiteral("0"));  // A's history, just emptied, is no longer shown
    QCOMPARE(readDataFile(QStringLiteral("B.txt")), recordsOf({"8"}));
}

void TestItems::filesThatAreNotThisItemsHistoryStay()
{
    // The user's notes, and a history that "a" shares with "A" on a folder that ignores letters' case (a
    // link stands in for one here).
    TestEnv env;
    const QByteArray notes = cp932(QStringLiteral("買い物: 牛乳, 卵\r\n"));
    writeBytes(QStringLiteral("memo.txt"), notes);
    writeHistory(QStringLiteral("A"), recordsOf({"3"}));
#ifndef Q_OS_WIN  // where the folders themselves ignore letters' case
    QVERIFY(QFile::link(QStringLiteral("A.txt"), QStringLiteral("a.txt")));
#endif
    openSettings(QStringLiteral("\"A\",1\r\n\"memo\",2\r\n\"a\",3\r\n"));  // a list edited by hand
    const QString refusal = QStringLiteral(
        "「memo.txt」には履歴ではない内容が入っているため、この項目名は使えません。\n"
        "別の項目名にするか、ファイルの名前を変えて下さい。");
    env.dialogs()
        .expectInput(kNamePrompt, kNameTitle, QStringLiteral("memo"))
        .expectMessage(refusal, QStringLiteral("項目名エラー"), vbExclamation)
        .expectInput(kNamePrompt, kNameTitle, QString(), QStringLiteral("memo"))
        .expectMessage(QStringLiteral("新規追加をキャンセルします"), QStringLiteral("キャンセル"), vbExclamation)
        .expectMessage(refusal, QStringLiteral("項目名エラー"), vbExclamation)
        .expectMessage(
            QStringLiteral("memo の履歴はクリアできません。\n「memo.txt」には履歴ではない内容が入っています。"),
            QStringLiteral("クリア中止"), vbExclamation)
        .expectMessage(QStringLiteral("a の履歴はクリアできません。\n「a.txt」は A の履歴ファイルでもあります。"),
                       QStringLiteral("クリア中止"), vbExclamation);
    click("cmdNew");
    clickEntry(0);
    typeInto("txtKoumoku", QStringLiteral("memo"));
    click("cmdHozon");
    for (int row : {1, 2}) {
        clickEntry(row);
        click("cmdClear");
    }
    deleteEntry(env, 2, QStringLiteral("a"));
    deleteEntry(env, 1, QStringLiteral("memo"));
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readDataFile(kItems), QStringLiteral("\"A\",1\r\n"));
    QCOMPARE(readBytes(QStringLiteral("memo.txt")), notes);
#ifndef Q_OS_WIN
    QVERIFY(QFileInfo(QStringLiteral("a.txt")).isSymLink());
#endif
    QCOMPARE(readDataFile(QStringLiteral("A.txt")), recordsOf({"3"}));
}

void TestItems::editedListsNeverBreakTheWindow()
{
    TestEnv env;
    // A name too long for a file name: shown without history (the scripted boxes fail on any error), deleted.
    const QString tooLong(100, u'腕');
    openSettings(QStringLiteral("\"%1\",1\r\n\"B\",2\r\n\"C\",3\r\n").arg(tooLong));
    QCOMPARE(shown("lblGoukei"), QStringLiteral("合計回数 ： 0"));
    deleteEntry(env, 0, tooLong);
    // The list changes outside the program, then an item is registered: the lists show what the file holds.
    writeDataFile(kItems, QStringLiteral("\"B\",2\r\n"));
    registerItem(env, QStringLiteral("D"), QStringLiteral("4"));
    QCOMPARE(entriesShown("lstKoumoku"), QStringList({"B", "D"}));
    QCOMPARE(entriesShown("cboKoumoku"), QStringList({"B", "D"}));
    deleteEntry(env, 1, QStringLiteral("D"));
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readDataFile(kItems), QStringLiteral("\"B\",2\r\n"));
    // The first item's history cannot be read (a folder stands in its place): the window opens all the same
    // and says so, and the item can be deleted.
    QVERIFY(QDir().mkdir(QStringLiteral("B.txt")));
    frmSettei::instance().Unload();
    showSettings();
    QCOMPARE(shown("lblGoukei"), QStringLiteral("履歴を読めません"));
    deleteEntry(env, 0, QStringLiteral("B"));
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readDataFile(kItems), QString());
}

QTEST_MAIN(TestItems)
#include "tst_items.moc"
