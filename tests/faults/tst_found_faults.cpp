// SPDX-License-Identifier: GPL-3.0-or-later
// Faults a user met, and the edges where a one-character slip in the code would let them back: a history
// file the view cannot read, an edited items list naming a data file, counts and names at their limits,
// the random wait at its largest draw, a wait across a suspend, and rewrites that must keep a file's mode.

#include "TestEnv.h"

#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "settings/frmSettei.h"
#include "shared/DataFiles.h"
#include "shared/ItemNames.h"
#include "shared/QmrM.h"
#include "shared/Wait.h"
#include "training/frmMain.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

using namespace QmrM;

namespace {

const QString& kItems = QmrM::kItemsFile;
const QString& kSettings = QmrM::kSettingsFile;

// Starts the program on the given data files and leaves the pass for the settings window.
frmSettei& settingsAfterCut(const QString& items)
{
    writeDataFile(kItems, items);
    writeDataFile(kSettings, QStringLiteral("0,0,1\n"));
    frmMain::instance().Load();
    clickButton(frmMain::instance(), QStringLiteral("cmdCut"));
    return frmSettei::instance();
}

QByteArray record(const char* date, const char* time, const char* count)
{
    return cp932(QStringLiteral("\"%1\",\"%2\",").arg(QString::fromUtf8(date), QString::fromUtf8(time))) + count;
}

}  // namespace

class TestFoundFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { platform::setUpApplication(*qobject_cast<QApplication*>(qApp)); }

    void historyWithUnreadableBytesIsShownNotFatal_data();
    void historyWithUnreadableBytesIsShownNotFatal();
    void itemNamedAfterADataFileGetsNoRecord_data();
    void itemNamedAfterADataFileGetsNoRecord();
    void registrationTakesCountsUpTo32767Only();
    void nameLengthLimitIsExact();
    void randomWaitStaysWithinTheSetMinutes();
    void waitDueDuringSuspendEndsOnWakeUp();
    void rewritesKeepTheFilesMode();
};

void TestFoundFaults::historyWithUnreadableBytesIsShownNotFatal_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    const QByteArray good = record("12月06日", "09時18分07秒", "5");
    const QString goodLine = QStringLiteral("1 _ 12月06日 _ 09時18分07秒 _ 5");
    QTest::newRow("a stray byte in a record") << good + "\x80\r\n" << QStringList{goodLine + QChar(0xFFFD)};
    QTest::newRow("a stray byte on a line of its own") << good + "\r\n\x80\r\n"
                                                       << QStringList{goodLine, QStringLiteral("2 _ \uFFFD _  _ ")};
    QTest::newRow("a record saved as UTF-8")
        << good + "\r\n" + QStringLiteral("\"12月07日\",\"10時00分00秒\",7\r\n").toUtf8()
        << QStringList{goodLine, QStringLiteral("2 _ 12月07日 _ 10時00分00秒 _ 7")};
    QTest::newRow("a byte-order mark and LF line ends")
        << QByteArray("\xEF\xBB\xBF") + good + "\n" + record("12月07日", "10時00分00秒", "7") + "\n"
        << QStringList{goodLine, QStringLiteral("2 _ 12月07日 _ 10時00分00秒 _ 7")};
    QTest::newRow("a NUL byte") << good + "\r\n\"a" + QByteArray(1, '\0') + "b\",\"x\",3\r\n"
                                << QStringList{goodLine, QStringLiteral("2 _ a\uFFFDb _ x _ 3")};
    QTest::newRow("a 1 MB line and a lead byte at the end")
        << good + "\r\n" + QByteArray(1 << 20, 'x') + "\r\n\x82"
        << QStringList{goodLine,
                       QStringLiteral("2 _ ") + QString(100, u'x') + QChar(0x2026) + QString(99, u'x') +
                           QStringLiteral(" _  _ "),
                       QStringLiteral("3 _ \uFFFD _  _ ")};
    // 凜 is EA A3 in code page 932, which UTF-8 would take for a character cut at the line's end.
    QTest::newRow("code page 932 ending like cut UTF-8")
        << "\"a\",\"b\",6" + cp932(QStringLiteral("凜")) + "\r\n\x80\r\n"
        << QStringList{QStringLiteral("1 _ a _ b _ 6凜"), QStringLiteral("2 _ \uFFFD _  _ ")};
}

void TestFoundFaults::historyWithUnreadableBytesIsShownNotFatal()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    TestEnv env;
    writeBytes(QStringLiteral("A.txt"), bytes);
    frmSettei& settings = settingsAfterCut(QStringLiteral("\"A\",5\n"));
    // Nothing fatal: no box at all (the scripted dialogs fail on any), the program goes on.
    QVERIFY(env.dialogs().verify());
    QVERIFY(env.endings().isEmpty());
    QCOMPARE(entriesOf(settings, QStringLiteral("lstRireki")), lines);
    QCOMPARE(readBytes(QStringLiteral("A.txt")), bytes);  // only shown, never rewritten
}

void TestFoundFaults::itemNamedAfterADataFileGetsNoRecord_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("items list") << QStringLiteral("項目一覧");
    QTest::newRow("settings") << QStringLiteral("設定");
}

void TestFoundFaults::itemNamedAfterADataFileGetsNoRecord()
{
    QFETCH(QString, name);
    TestEnv env;
    const QString items = QStringLiteral("\"%1\",5\n\"B\",3\n").arg(name);
    writeDataFile(kItems, items);
    writeDataFile(kSettings, QStringLiteral("0,0,1\n"));
    const QByteArray itemsBefore = readBytes(kItems);
    const QByteArray settingsBefore = readBytes(kSettings);
    frmMain& training = frmMain::instance();
    training.Load();
    env.dialogs().expectAnyMessage(QStringLiteral("記録できません"), platform::vbExclamation);
    QTest::keyClick(control<QLineEdit>(training, QStringLiteral("txtKaisu")), Qt::Key_Return);
    QVERIFY(env.dialogs().verify());
    QVERIFY(env.dialogs().shownTexts().value(0).contains(QStringLiteral("回数は記録されていません")));
    // The user stays on the item; neither data file took the count.
    QCOMPARE(control<QLabel>(training, QStringLiteral("lblKoumoku"))->text(), name);
    QCOMPARE(readBytes(kItems), itemsBefore);
    QCOMPARE(readBytes(kSettings), settingsBefore);
    QVERIFY(env.endings().isEmpty());
}

void TestFoundFaults::registrationTakesCountsUpTo32767Only()
{
    TestEnv env;
    frmSettei& settings = settingsAfterCut(QStringLiteral("\"A\",5\n"));
    const QString namePrompt = QStringLiteral("項目名は何ですか？");
    const QString countPrompt = QStringLiteral("指示数をいくつにしますか？（半角文字で入力）");
    // 32767.5 rounds to 32768, which the next start could not load.
    env.dialogs()
        .expectInput(namePrompt, QStringLiteral("項目名入力"), QStringLiteral("B"))
        .expectInput(countPrompt, QStringLiteral("指示数入力"), QStringLiteral("32767.5"))
        .expectMessage(QStringLiteral("指示数は 32767 までにして下さい"), QStringLiteral("上限値制限"),
                       platform::vbExclamation)
        .expectInput(countPrompt, QStringLiteral("指示数入力"), QStringLiteral("32767"))
        .expectMessage(QStringLiteral("B の設定を新規登録しました"), QStringLiteral("新規登録終了"),
                       platform::vbInformation);
    clickButton(settings, QStringLiteral("cmdNew"));
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readDataFile(kItems), QStringLiteral("\"A\",5\r\n\"B\",32767\r\n"));
    LoadItems();  // the next start reads it
    QCOMPARE(gShijiSu[2], int16_t(32767));
}

void TestFoundFaults::nameLengthLimitIsExact()
{
    TestEnv env;
    // 251 bytes of name and ".txt" make the longest file name most file systems take, 255 bytes.
    const QString longest(251, u'a');
    QVERIFY(!itemNameProblem(longest));
    QVERIFY(itemNameProblem(longest + u'a'));
    // In UTF-8 a kana takes three bytes: 83 of them (249 bytes) fit, 84 (252) do not.
    QVERIFY(!itemNameProblem(QString(83, u'あ')));
    QVERIFY(itemNameProblem(QString(84, u'あ')));
    // What the check lets through can really be created and recorded.
    createHistoryFile(longest);
    appendHistoryRecord(longest, 3);
    QCOMPARE(readHistory(longest).size(), size_t(1));
}

void TestFoundFaults::randomWaitStaysWithinTheSetMinutes()
{
    TestEnv env;
    gRandomTim = 1;
    const float largestDraw = 1.0f - 1.0f / 16777216.0f;
    for (int minutes = 1; minutes <= 60; ++minutes) {
        gWaitJikan = static_cast<float>(minutes);
        env.setRandomDraw(0.0f);
        QCOMPARE(startWaitSeconds(), 60.0);
        env.setRandomDraw(largestDraw);
        QCOMPARE(startWaitSeconds(), minutes * 60.0);
    }
    // Through the start button: random timing with the largest draw and 32 minutes waits 32 minutes.
    frmSettei& settings = settingsAfterCut(QStringLiteral("\"A\",5\n"));
    gRandomTim = 1;
    gWaitJikan = 32;
    writeDataFile(kSettings, QStringLiteral("1,0,32\n"));
    env.setRandomDraw(largestDraw);
    const qint64 before = env.clock().elapsedMs();
    clickButton(settings, QStringLiteral("cmdAgain"));
    QCOMPARE(env.clock().elapsedMs() - before, qint64(32 * 60 * 1000));
    QVERIFY(frmMain::instance().window()->isVisible());
}

void TestFoundFaults::waitDueDuringSuspendEndsOnWakeUp()
{
    TestEnv env;
    // A 30-minute wait: the computer sleeps for two hours five minutes in; the wait is over on waking.
    Wait wait(30 * 60);
    bool suspended = false;
    env.clock().after(5 * 60 * 1000, [&] {
        env.clock().jump(2 * 60 * 60 * 1000);
        suspended = true;
    });
    QCOMPARE(wait.run(), Wait::Outcome::TimeUp);
    QVERIFY(suspended);
    QCOMPARE(env.clock().elapsedMs(), qint64((5 + 120) * 60 * 1000));
    // A shorter sleep leaves the rest of the wait: 10 minutes asleep in a 30-minute wait.
    const qint64 start = env.clock().elapsedMs();
    Wait shorter(30 * 60);
    env.clock().after(5 * 60 * 1000, [&] { env.clock().jump(10 * 60 * 1000); });
    shorter.run();
    QCOMPARE(env.clock().elapsedMs() - start, qint64(30 * 60 * 1000));
}

void TestFoundFaults::rewritesKeepTheFilesMode()
{
    TestEnv env;
    for (const mode_t mode : {mode_t(0644), mode_t(0600), mode_t(0664)}) {
        writeDataFile(kItems, QStringLiteral("\"A\",5\n"));
        QVERIFY(::chmod(QFile::encodeName(kItems).constData(), mode) == 0);
        LoadItems();
        SaveItems();
        struct stat after {};
        QVERIFY(::stat(QFile::encodeName(kItems).constData(), &after) == 0);
        QCOMPARE(after.st_mode & 0777, mode);
    }
}

QTEST_MAIN(TestFoundFaults)
#include "tst_found_faults.moc"
