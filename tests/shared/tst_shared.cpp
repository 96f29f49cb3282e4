// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlainHistory.h"
#include "TestEnv.h"

#include "shared/TextEncoding.h"
#include "shared/DataFiles.h"
#include "shared/Errors.h"
#include "shared/HistoryFile.h"
#include "shared/Numbers.h"
#include "shared/QmrM.h"
#include "shared/RecordForm.h"
#include "shared/Seams.h"
#include "shared/Wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <sys/stat.h>

using namespace QmrM;

namespace {

template <class F>
QString formatErrorOf(F&& action)
{
    try {
        action();
    } catch (const DataFileError& error) {
        return error.description();
    }
    return QString();
}

}  // namespace

class TestShared : public QObject {
    Q_OBJECT

private slots:
    void textValueReadsTheLeadingNumber_data();
    void textValueReadsTheLeadingNumber();
    void roundingGoesHalfToEvenAndCountsStayRecordable();
    void realsAreWrittenInPlainDecimal();
    void cp932KeepsItsOwnCharacters();
    void recordsRoundTripThroughTheFileForm();
    void readerSplitsFieldsLikeTheWriterWrites();
    void loadItemsReadsWhatRegistrationAndRewritesWrite();
    void loadItemsOnEmptyOrMissingFile();
    void loadItemsRejectsMalformedFilesWithoutTouchingState_data();
    void loadItemsRejectsMalformedFilesWithoutTouchingState();
    void loadSettingsDefaultsClampsAndReportsLine();
    void fileNamesResolveWhateverTheCase();
    void rewritesReplaceTheFileWhole();
    void historyRecordsAreAppendedWithDateAndTime();
    void appendedRecordsStartOnALineOfTheirOwn();
    void onlyHistoryRecordsMakeAHistoryFile();
    void longHistoriesReadTheSameIndexed_data();
    void longHistoriesReadTheSameIndexed();
    void readingsFollowedAndStopped();
    void rewritesReplaceWhatALinkPointsTo();
    void pauseOfZeroHandlesNoEvent();
    void pauseWaitsItsTimeAndHandlesEvents();
    void pausesNestAndCostNoCpu();
    void startWaitTellsEachMinuteAndCountsThroughSuspend();
    void randomFractionStaysBelowOne();
    void randomCountsRunFromOneToTheInstructed_data();
    void randomCountsRunFromOneToTheInstructed();
    void randomWaitsRunFromOneToTheSetMinutes_data();
    void randomWaitsRunFromOneToTheSetMinutes();
    void itemNamesThatCannotBeFilesAreRefused_data();
    void itemNamesThatCannotBeFilesAreRefused();
    void unstorableCharacterIsNamed();
};

void TestShared::textValueReadsTheLeadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "15" << 15.0;
    QTest::newRow("blanks anywhere") << " 1 2\t3\n4" << 1234.0;
    QTest::newRow("sign and blanks") << " - 7" << -7.0;
    QTest::newRow("plus") << "+3" << 3.0;
    QTest::newRow("exponent") << "1.5e3" << 1500.0;
    QTest::newRow("exponent with sign") << "25E-1" << 2.5;
    QTest::newRow("exponent without digits") << "4e" << 4.0;
    QTest::newRow("unit after number") << "3回" << 3.0;
    QTest::newRow("full-width digits") << "１０" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("point first") << ".5" << 0.5;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("no number") << "abc" << 0.0;
    QTest::newRow("lone sign") << "-" << 0.0;
    QTest::newRow("sign after digits stops") << "5-3" << 5.0;
    QTest::newRow("beyond a double") << "-1e400" << -qInf();
    QTest::newRow("below a double") << "1e-400" << 0.0;
}

void TestShared::textValueReadsTheLeadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(TextValue(text), value);
}

void TestShared::roundingGoesHalfToEvenAndCountsStayRecordable()
{
    QCOMPARE(toInt16(2.5, {}), int16_t(2));
    QCOMPARE(toInt16(3.5, {}), int16_t(4));
    QCOMPARE(toInt16(-2.5, {}), int16_t(-2));
    QCOMPARE(toInt16(32767.4, {}), int16_t(32767));
    QCOMPARE(toInt16(-32768.5, {}), int16_t(-32768));
    QCOMPARE(roundHalfEven(4503599627370497.0), 4503599627370497.0);  // from 2^52 on every double is whole
    QVERIFY(std::signbit(roundHalfEven(-0.4)));
    QVERIFY_THROWS_EXCEPTION(ValueOverflowError, toInt16(32767.5, {}));
    QVERIFY_THROWS_EXCEPTION(ValueOverflowError, toInt16(INFINITY, {}));
    // A count done is recorded as typed, up to the largest the records take either way from 0.
    QVERIFY(fitsRecordedCount(2147483647.0));
    QVERIFY(fitsRecordedCount(-2147483647.0));
    QVERIFY(fitsRecordedCount(0.5));
    QVERIFY(!fitsRecordedCount(2147483647.5));
    QVERIFY(!fitsRecordedCount(-2147483648.0));
    QVERIFY(!fitsRecordedCount(INFINITY));
    QVERIFY(!fitsRecordedCount(NAN));
}

void TestShared::realsAreWrittenInPlainDecimal()
{
    QCOMPARE(formatReal(15.0), QStringLiteral("15"));
    QCOMPARE(formatReal(1.5), QStringLiteral("1.5"));
    QCOMPARE(formatReal(0.5), QStringLiteral("0.5"));
    QCOMPARE(formatReal(-0.0), QStringLiteral("0"));
    QCOMPARE(formatReal(-3.25), QStringLiteral("-3.25"));
    QCOMPARE(formatReal(1e20), QStringLiteral("100000000000000000000"));
    QCOMPARE(formatReal(double(2.2f)), QStringLiteral("2.200000047683716"));
    // Whatever is written reads back as the same number.
    for (double v : {0.1, 1e-7, 123456.789, 2147483647.0, -2147483647.0}) {
        double back = 0;
        QVERIFY(parseDecimal(formatReal(v), back));
        QCOMPARE(back, v);
    }
    double ignored = 0;
    for (const char* unreadable : {"+-1", "--1", "1e400"})
        QVERIFY(!parseDecimal(QLatin1String(unreadable), ignored));
}

void TestShared::cp932KeepsItsOwnCharacters()
{
    // Characters only the Microsoft variant has, and the backslash kept as such.
    const QString text = QStringLiteral("①髙～\\");
    const auto bytes = QmrM::encodeCp932(text);
    QVERIFY(bytes);
    QCOMPARE(bytes->right(1), QByteArray("\\"));
    QCOMPARE(QmrM::decodeCp932(*bytes), std::optional<QString>(text));
    // Control bytes pass unchanged.
    QCOMPARE(QmrM::decodeCp932(QByteArray("\x1a\x1c\x7f")), std::optional<QString>(QStringLiteral("\x1a\x1c\x7f")));
    // One-way characters are stored in another form; some cannot be stored at all.
    QCOMPARE(QmrM::cp932StoredForm(QStringLiteral("〜")), std::optional<QString>(QStringLiteral("～")));
    QVERIFY(!QmrM::encodeCp932(QStringLiteral("𠮷")));
    QVERIFY(!QmrM::encodeCp932(QStringLiteral("😀")));
    QVERIFY(!QmrM::decodeCp932(QByteArray("\x82")));  // a lead byte without its trail

    // The table check agrees with the decoder: half-width kana stand alone, a lead byte needs its trail.
    // "12月07日" saved as UTF-8 is no code page 932: 0xE6 begins a pair there, and 0x88 0x30 is none.
    for (const QByteArray& valid : {cp932(QStringLiteral("ｱ月①")), QByteArray("\xB1\xDF")})
        QVERIFY(isValidCp932(valid));
    for (const QByteArray& invalid : {QStringLiteral("12月07日").toUtf8(), QByteArray("\x82")})
        QVERIFY2(!isValidCp932(invalid), invalid.toHex().constData());
    // Piece by piece as a file is read, a character split between two pieces.
    const QByteArray kanji = cp932(QStringLiteral("a月"));
    Cp932Check split;
    split.add(kanji.first(2));
    QVERIFY(!split.valid() && split.mayBeValid());
    split.add(kanji.sliced(2));
    QVERIFY(split.valid());
}

void TestShared::recordsRoundTripThroughTheFileForm()
{
    TestEnv env;
    const QStringList names = {QStringLiteral("腕立て, 伏せ"), QStringLiteral("  blank edges  "),
                               QStringLiteral("①髙～"), QStringLiteral("abc")};
    setItems(names, {-5, 5, 15, 25});
    SaveItems();
    QCOMPARE(readBytes(QmrM::kItemsFile).left(27), cp932(QStringLiteral("\"腕立て, 伏せ\",-5\r\n\"  blank")));
    resetSharedState();
    LoadItems();
    QCOMPARE(gKoumokuSu, int16_t(4));
    for (int i = 0; i < names.size(); ++i) {
        QCOMPARE(gKoumoku[i + 1], names[i]);
        QCOMPARE(gShijiSu[i + 1], int16_t(i * 10 - 5));
    }
    // Leaving out one item keeps the others in order.
    SaveItems(2);
    LoadItems();
    QCOMPARE(gKoumokuSu, int16_t(3));
    QCOMPARE(gKoumoku[2], names[2]);
}

void TestShared::readerSplitsFieldsLikeTheWriterWrites()
{
    QCOMPARE(splitRecord(QStringLiteral("\"a,b\",12")), QStringList({"a,b", "12"}));
    QCOMPARE(splitRecord(QStringLiteral("  \"x\" , 3 ")), QStringList({"x", "3"}));
    QCOMPARE(splitRecord(QStringLiteral("12,abc,\"\"")), QStringList({"12", "abc", ""}));
    QCOMPARE(splitRecord(QStringLiteral("\"open")), QStringList({"open"}));
    QCOMPARE(splitRecord(QStringLiteral("a,")), QStringList({"a", ""}));
    const auto records = parseRecords(QStringLiteral("\"a\",1\r\n\r\n\"b\",2\n\"c\",3"));
    QCOMPARE(records.size(), size_t(3));
    QCOMPARE(records[1].line, 3);
    QCOMPARE(records[2].fields, QStringList({"c", "3"}));
}

void TestShared::loadItemsReadsWhatRegistrationAndRewritesWrite()
{
    TestEnv env;
    appendItemRecord(QStringLiteral("スクワット"), 12.5);
    appendItemRecord(QStringLiteral("腹筋"), 13.5);
    appendItemRecord(QStringLiteral("背筋"), 7);
    QCOMPARE(readDataFile(QmrM::kItemsFile), QStringLiteral("\"スクワット\",12.5\r\n\"腹筋\",13.5\r\n\"背筋\",7\r\n"));
    LoadItems();
    QCOMPARE(gKoumokuSu, int16_t(3));
    QCOMPARE(gShijiSu[1], int16_t(12));
    QCOMPARE(gShijiSu[2], int16_t(14));
    SaveItems();
    QCOMPARE(readDataFile(QmrM::kItemsFile), QStringLiteral("\"スクワット\",12\r\n\"腹筋\",14\r\n\"背筋\",7\r\n"));
}

void TestShared::loadItemsOnEmptyOrMissingFile()
{
    TestEnv env;
    setItems({QStringLiteral("a"), QStringLiteral("b")}, {1, 2});
    LoadItems();  // missing
    QCOMPARE(gKoumokuSu, int16_t(0));
    QCOMPARE(gKoumoku.size(), size_t(1));
    QCOMPARE(gShijiSu.size(), size_t(1));
    QVERIFY(!QFile::exists(QmrM::kItemsFile));  // reading creates nothing
    writeBytes(QmrM::kItemsFile, QByteArray("\r\n\r\n"));
    LoadItems();
    QCOMPARE(gKoumokuSu, int16_t(0));
}

void TestShared::loadItemsRejectsMalformedFilesWithoutTouchingState_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("count not a number") << "\"a\",1\r\n\"b\",x\r\n"
                                        << "2 行目";
    QTest::newRow("count too big") << "\"a\",32768\r\n"
                                   << "1 行目";
    QTest::newRow("no count") << "\"a\",1\r\n\r\n\"b\"\r\n"
                              << "3 行目";
    QTest::newRow("extra field") << "\"a\",1,2\r\n"
                                 << "1 行目";
    QTest::newRow("quote in unquoted name") << "\"a\",1\r\nb\"c\",2\r\n"
                                            << "2 行目";
    QString many;
    for (int i = 1; i <= 21; ++i)
        many += QStringLiteral("\"n%1\",1\r\n").arg(i);
    QTest::newRow("21 records") << many << "21 行目";
}

void TestShared::loadItemsRejectsMalformedFilesWithoutTouchingState()
{
    QFETCH(QString, content);
    QFETCH(QString, expected);
    TestEnv env;
    setItems({QStringLiteral("kept")}, {5});
    writeDataFile(QmrM::kItemsFile, content);
    const QString message = formatErrorOf([] { LoadItems(); });
    QVERIFY2(message.contains(QmrM::kItemsFile) && message.contains(expected), qPrintable(message));
    QCOMPARE(gKoumokuSu, int16_t(1));
    QCOMPARE(gKoumoku[1], QStringLiteral("kept"));

    writeBytes(QmrM::kItemsFile, QByteArray("\"\x82\",1\r\n"));
    QVERIFY(formatErrorOf([] { LoadItems(); }).contains(QStringLiteral("Shift-JIS")));
}

void TestShared::loadSettingsDefaultsClampsAndReportsLine()
{
    TestEnv env;
    LoadSettings();
    QCOMPARE(gRandomTim, int16_t(0));
    QCOMPARE(gRandomKaisu, int16_t(0));
    QCOMPARE(gWaitJikan, 1.0f);

    writeDataFile(QmrM::kSettingsFile, QStringLiteral("0,1,5\r\n"));
    LoadSettings();
    QCOMPARE(gRandomKaisu, int16_t(1));
    QCOMPARE(gWaitJikan, 5.0f);

    writeDataFile(QmrM::kSettingsFile, QStringLiteral("2,-1,2.5\r\n"));
    LoadSettings();
    QCOMPARE(gRandomTim, int16_t(2));  // kept as stored; only 1 counts as on
    QCOMPARE(gWaitJikan, 2.5f);

    writeDataFile(QmrM::kSettingsFile, QStringLiteral("0,0,600\r\n"));
    LoadSettings();
    QCOMPARE(gWaitJikan, 60.0f);
    writeDataFile(QmrM::kSettingsFile, QStringLiteral("0,0,0\r\n"));
    LoadSettings();
    QCOMPARE(gWaitJikan, 1.0f);

    writeDataFile(QmrM::kSettingsFile, QStringLiteral("\r\n1,x,5\r\n"));
    QVERIFY(formatErrorOf([] { LoadSettings(); }).contains(QStringLiteral("2 行目")));
    writeDataFile(QmrM::kSettingsFile, QStringLiteral("1,0\r\n"));
    QVERIFY(!formatErrorOf([] { LoadSettings(); }).isEmpty());
}

void TestShared::fileNamesResolveWhateverTheCase()
{
    TestEnv env;
    writeDataFile(QStringLiteral("項目一覧.TXT"), QStringLiteral("\"a\",3\r\n"));
    LoadItems();
    QCOMPARE(gKoumokuSu, int16_t(1));
    // A rewrite replaces the existing file under its own name instead of adding a second one.
    SaveItems();
    QCOMPARE(QDir().entryList(QDir::Files).filter(QStringLiteral("項目一覧"), Qt::CaseInsensitive),
             QStringList{QStringLiteral("項目一覧.TXT")});
    // The settings file is written by the settings window only: see tst_settings.
}

void TestShared::rewritesReplaceTheFileWhole()
{
    TestEnv env;
    writeDataFile(QmrM::kItemsFile, QStringLiteral("\"old\",1\r\n\"older\",2\r\n"));
    LoadItems();
    // A folder where the temporary file would go cannot be made: the old list must stay intact.
    gKoumoku[1] = QStringLiteral("new");
    QDir().mkdir(QStringLiteral("sub"));
    QVERIFY(QDir::setCurrent(QStringLiteral("sub")));
    QDir().mkdir(QmrM::kItemsFile);
    QVERIFY(!formatErrorOf([] { SaveItems(); }).isEmpty());
    QVERIFY(QDir::setCurrent(env.dir()));
    SaveItems();
    QCOMPARE(readDataFile(QmrM::kItemsFile), QStringLiteral("\"new\",1\r\n\"older\",2\r\n"));
    QCOMPARE(QDir().entryList(QDir::Files).size(), 1);  // no temporary file left behind
    // A name that cannot be stored is refused before anything is written.
    gKoumoku[1] = QStringLiteral("😀");
    QVERIFY(!formatErrorOf([] { SaveItems(); }).isEmpty());
    QCOMPARE(readDataFile(QmrM::kItemsFile), QStringLiteral("\"new\",1\r\n\"older\",2\r\n"));
#ifndef Q_OS_WIN  // no modes there: tst_windows sees the attributes kept
    // The new file keeps the old one's mode.
    gKoumoku[1] = QStringLiteral("new");
    for (const mode_t mode : {mode_t(0644), mode_t(0600), mode_t(0664)}) {
        QVERIFY(::chmod(QFile::encodeName(QmrM::kItemsFile).constData(), mode) == 0);
        SaveItems();
        struct stat after {};
        QVERIFY(::stat(QFile::encodeName(QmrM::kItemsFile).constData(), &after) == 0);
        QCOMPARE(after.st_mode & 0777, mode);
    }
#endif
}

void TestShared::historyRecordsAreAppendedWithDateAndTime()
{
    TestEnv env;  // its clock says 2026-12-06 09:18:07
    appendHistoryRecord(QStringLiteral("腕立て"), 20);
    appendHistoryRecord(QStringLiteral("腕立て"), 0.5);
    QCOMPARE(readBytes(QStringLiteral("腕立て.txt")),
             cp932(QStringLiteral("\"12月06日\",\"09時18分07秒\",20\r\n\"12月06日\",\"09時18分07秒\",0.5\r\n")));
    bool missing = true;
    const HistoryIndex history = readHistoryIndex(QStringLiteral("腕立て"), &missing);
    QVERIFY(!missing);
    QCOMPARE(history.size(), 2);
    QCOMPARE(history.record(0).date, QStringLiteral("12月06日"));
    QCOMPARE(history.record(1).count, QStringLiteral("0.5"));
    QCOMPARE(readHistoryIndex(QStringLiteral("none"), &missing).size(), 0);
    QVERIFY(missing);
    // A folder standing where the history file should be: reported, naming the file.
    QDir().mkdir(QStringLiteral("dir.txt"));
    QVERIFY(formatErrorOf([] { appendHistoryRecord(QStringLiteral("dir"), 1); }).contains(QStringLiteral("dir.txt")));
    QVERIFY(formatErrorOf([] { readHistoryIndex(QStringLiteral("dir")); }).contains(QStringLiteral("フォルダー")));
}

void TestShared::appendedRecordsStartOnALineOfTheirOwn()
{
    TestEnv env;
    // Files an editor saved without a final line end.
    writeBytes(QmrM::kItemsFile, cp932(QStringLiteral("\"A\",5")));
    writeBytes(QStringLiteral("腕立て.txt"), cp932(QStringLiteral("\"12月05日\",\"08時00分00秒\",7")));
    appendItemRecord(QStringLiteral("B"), 3);
    appendHistoryRecord(QStringLiteral("腕立て"), 20);
    QCOMPARE(readDataFile(QmrM::kItemsFile), QStringLiteral("\"A\",5\r\n\"B\",3\r\n"));
    const HistoryIndex history = readHistoryIndex(QStringLiteral("腕立て"));
    QCOMPARE(history.record(history.size() - 1).count, QStringLiteral("20"));
}

void TestShared::longHistoriesReadTheSameIndexed_data()
{
    QTest::addColumn<bool>("cp932Throughout");
    QTest::newRow("code page 932 throughout") << true;
    QTest::newRow("lines of other origins") << false;
}

void TestShared::longHistoriesReadTheSameIndexed()
{
    // Thousands of records, long lines and blank ones among them: the index finds every record, in any order,
    // as the plain reader reads it, far beyond the short files a fuzzer tries.
    QFETCH(bool, cp932Throughout);
    TestEnv env;
    QList<QByteArray> pieces{cp932(QStringLiteral("\"12月06日\",\"09時18分07秒\",20")), "\"a\",\"b\",2.5", "  \t",
                             cp932(QStringLiteral("\u3000")), "\"x\",,"};
    if (!cp932Throughout)
        pieces +=
            {QStringLiteral("\"12月07日\",\"10時00分00秒\",7").toUtf8(), "\xEF\xBB\xBF\"z\",\"w\",1", "\"y\",\x82"};
    QRandomGenerator random(20261207);
    QByteArray bytes;
    for (int i = 0; i < 10000; ++i) {
        const int kind = random.bounded(int(pieces.size()) + 1);
        bytes += kind < pieces.size() ? pieces[kind] : QByteArray(random.bounded(1, 9000), 'x');
        bytes += random.bounded(3) == 0 ? "\n" : "\r\n";
    }
    writeBytes(QStringLiteral("A.txt"), bytes);
    QCOMPARE(readHistoryBytes(QStringLiteral("A")).decoding == HistoryDecoding::Cp932, cp932Throughout);

    const std::vector<HistoryRecord> records = plainHistoryRecords(bytes);
    const HistoryIndex index = readHistoryIndex(QStringLiteral("A"));
    QCOMPARE(size_t(index.size()), records.size());
    double total = 0;
    for (const HistoryRecord& record : records)
        total = roundHalfEven(addHistoryCounts(total, historyCount(record.count)));
    QCOMPARE(index.total(), total);
    for (int i = 0; i < 3000; ++i) {
        const auto row = qsizetype(random.bounded(int(records.size())));
        const HistoryRecord found = index.record(row);
        const HistoryRecord& expected = records[size_t(row)];
        QVERIFY2(found.date == expected.date && found.time == expected.time && found.count == expected.count,
                 qPrintable(QString::number(row)));
    }
}

void TestShared::readingsFollowedAndStopped()
{
    // A reading in the background is followed by its steps (reading, then indexing) and stopped from another
    // thread: it looks between pieces of the file, and every megabyte of indexing.
    TestEnv env;
    const QByteArray record = cp932(QStringLiteral("\"12月06日\",\"09時18分07秒\",7\r\n"));
    const int records = (4 << 20) / int(record.size());
    writeBytes(QStringLiteral("A.txt"), record.repeated(records));
    const qint64 size = qint64(record.size()) * records;

    Progress whole;
    QCOMPARE(readHistoryIndex(QStringLiteral("A"), nullptr, &whole).size(), records);
    QCOMPARE(whole.inAll.load(), 2 * size);
    QCOMPARE(whole.done.load(), 2 * size);

    Progress stopped;
    stopped.cancelled = true;
    QCOMPARE(readHistoryIndex(QStringLiteral("A"), nullptr, &stopped).size(), 0);
    QVERIFY2(stopped.done > 0 && stopped.done <= size / 4, qPrintable(QString::number(stopped.done)));

    const HistoryBytes read = readHistoryBytes(QStringLiteral("A"));
    QCOMPARE(read.decoding, HistoryDecoding::Cp932);
    const HistoryIndex partial(read.bytes, read.decoding, &stopped);
    QVERIFY2(partial.size() > 0 && partial.size() < records / 2, qPrintable(QString::number(partial.size())));
}

void TestShared::onlyHistoryRecordsMakeAHistoryFile()
{
    TestEnv env;
    // Whatever the history view reads as records is a history; the user's notes, or a line of them, are not.
    // The file is read piece by piece (a few hundred kilobytes): lines across pieces, and a note far in.
    const QByteArray record = cp932(QStringLiteral("\"12月06日\",\"09時18分07秒\",7\r\n"));
    const QByteArray many = record.repeated(300000 / int(record.size()));
    const QByteArray bom("\xEF\xBB\xBF");
    const std::pair<QByteArray, bool> files[] = {
        {cp932(QStringLiteral(" \"\" , \"x\",many\n\n\"a\",\"b\",1e999\r\n\u3000\r\n")), true},
        {cp932(QStringLiteral("\"a\",\"b\",1\r\nメモ\r\n")), false},
        {"\"a\",\"b\",1,2\r\n", false},
        {many + cp932(QStringLiteral("メモ")), false},
        {"\"a\",\"" + QByteArray(600000, 'x') + "\",1\r\n" + many, true},
        // A byte-order mark before a line is dropped: no code page 932 file holds one, so its lines are read
        // one by one, each as UTF-8 or code page 932 (which only the whole file tells).
        {QStringLiteral("\"12月07日\",\"x\",1\r\n").toUtf8() + bom + "\"a\",\"b\",1\r\n", true},
        {many + bom + "\"a\",\"b\",1\r\n" + many, true},
        {many + bom + "メモ\r\n", false},
    };
    for (const auto& [bytes, isHistory] : files) {
        writeBytes(QStringLiteral("x.txt"), bytes);
        QVERIFY2(isHistoryFile(QStringLiteral("x")) == isHistory, bytes.left(40).constData());
    }
}

void TestShared::rewritesReplaceWhatALinkPointsTo()
{
    // A chain of links: the list is a link to a link in the synchronised folder, which points to the file.
    QUILLMORA_SKIP_ON_WINDOWS("a link a user makes is a .lnk shortcut there, which no file operation follows");
    TestEnv env;
    QVERIFY(QDir().mkdir(QStringLiteral("sync")));
    writeDataFile(QStringLiteral("sync/items.txt"), QStringLiteral("\"old\",1\r\n"));
    QVERIFY(QFile::link(QStringLiteral("items.txt"), QStringLiteral("sync/latest.txt")));
    QVERIFY(QFile::link(QStringLiteral("sync/latest.txt"), QmrM::kItemsFile));
    LoadItems();
    gKoumoku[1] = QStringLiteral("new");
    SaveItems();
    QVERIFY(QFileInfo(QmrM::kItemsFile).isSymLink());
    QVERIFY(QFileInfo(QStringLiteral("sync/latest.txt")).isSymLink());
    QCOMPARE(readDataFile(QStringLiteral("sync/items.txt")), QStringLiteral("\"new\",1\r\n"));
    QCOMPARE(QDir(QStringLiteral("sync")).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList({"items.txt", "latest.txt"}));
}

void TestShared::pauseOfZeroHandlesNoEvent()
{
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    Pause(0);
    Pause(-1);
    QVERIFY(!ran);
    QTRY_VERIFY(ran);
}

void TestShared::pauseWaitsItsTimeAndHandlesEvents()
{
    bool ran = false;
    QTimer::singleShot(20, [&] { ran = true; });
    QElapsedTimer clock;
    clock.start();
    Pause(0.1f);
    const qint64 elapsed = clock.elapsed();
    QVERIFY(ran);
    QVERIFY2(elapsed >= 100, qPrintable(QString::number(elapsed)));

    // On the system's clock no wait ends early, not by a fraction of a millisecond: a reading or a
    // deadline rounded the wrong way would end most of these short ones too soon.
    for (int i = 0; i < 40; ++i) {
        const float seconds = float(1 + i % 8) / 256;  // exact in binary: no rounding of the request
        clock.restart();
        Pause(seconds);
        const qint64 elapsedNs = clock.nsecsElapsed();
        QVERIFY2(elapsedNs >= qint64(double(seconds) * 1e9),
                 qPrintable(QStringLiteral("%1 s took %2 ns").arg(double(seconds)).arg(elapsedNs)));
    }
}

void TestShared::pausesNestAndCostNoCpu()
{
    QElapsedTimer clock;
    clock.start();
    qint64 innerEnded = -1;
    QTimer::singleShot(50, [&] {
        Pause(0.2f);
        innerEnded = clock.elapsed();
    });
    const double cpuBefore = processorSeconds();
    Pause(1.0f);
    const double cpuUsed = processorSeconds() - cpuBefore;
    const qint64 outerEnded = clock.elapsed();
    QVERIFY2(innerEnded >= 250, qPrintable(QString::number(innerEnded)));
    QVERIFY2(outerEnded >= 1000, qPrintable(QString::number(outerEnded)));
    // A busy loop would use the whole second.
    QVERIFY2(cpuUsed < 0.2, qPrintable(QString::number(cpuUsed)));
}

void TestShared::startWaitTellsEachMinuteAndCountsThroughSuspend()
{
    TestEnv env;
    QList<int> minutesLeft;  // at the beginning, then at each whole minute that passed
    int ended = 0;
    QObject listener;
    StartWaits& waits = StartWaits::instance();
    const auto noteMinutes = [&](StartWait* wait) { minutesLeft.append(minutesLeftIn(wait->remainingMs())); };
    connect(&waits, &StartWaits::began, &listener, noteMinutes);
    connect(&waits, &StartWaits::minutePassed, &listener, noteMinutes);
    connect(&waits, &StartWaits::ended, &listener, [&] { ++ended; });

    StartWait wait(3.5 * 60);
    QCOMPARE(wait.dueAt(), QDateTime(QDate(2026, 12, 6), QTime(9, 21, 37)));
    QCOMPARE(wait.run(), Wait::Outcome::TimeUp);
    QCOMPARE(minutesLeft, QList<int>({4, 3, 2, 1}));
    QCOMPARE(env.clock().elapsedMs(), qint64(210 * 1000));
    QCOMPARE(ended, 1);
    QVERIFY(!StartWaits::current());

    // Suspended for two hours ten minutes into a thirty-minute wait: it is over when the computer wakes,
    // and no minute is told after the time is up.
    minutesLeft.clear();
    const qint64 start = env.clock().elapsedMs();
    env.clock().after(10 * 60 * 1000, [&] { env.clock().jump(2 * 3600 * 1000); });
    StartWait suspended(30 * 60);
    QCOMPARE(suspended.run(), Wait::Outcome::TimeUp);
    QCOMPARE(env.clock().elapsedMs() - start, qint64((10 * 60 + 2 * 3600) * 1000));
    QCOMPARE(minutesLeft.size(), 10);
    QCOMPARE(minutesLeft.last(), 21);
    QCOMPARE(ended, 2);

    // A plain wait likewise: a sleep past its end ends it on waking, a shorter one leaves the rest of it.
    for (const auto& [asleepMs, lastsMs] : {std::pair{qint64(2 * 3600 * 1000), qint64(125 * 60 * 1000)},
                                            std::pair{qint64(10 * 60 * 1000), qint64(30 * 60 * 1000)}}) {
        const qint64 before = env.clock().elapsedMs();
        bool slept = false;
        env.clock().after(5 * 60 * 1000, [&, asleepMs = asleepMs] {
            env.clock().jump(asleepMs);
            slept = true;
        });
        Wait plain(30 * 60);
        QCOMPARE(plain.run(), Wait::Outcome::TimeUp);
        QVERIFY(slept);
        QCOMPARE(env.clock().elapsedMs() - before, lastsMs);
    }

    QCOMPARE(minutesLeftIn(0), 0);
    QCOMPARE(minutesLeftIn(1), 1);
    QCOMPARE(minutesLeftIn(60 * 1000), 1);
    QCOMPARE(minutesLeftIn(60 * 1000 + 1), 2);
}

void TestShared::randomFractionStaysBelowOne()
{
    float lowest = 1, highest = 0;
    for (int i = 0; i < 20000; ++i) {
        const float r = drawRandomFraction();
        QVERIFY(r >= 0.0f && r < 1.0f);
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    QVERIFY(lowest < 0.01f && highest > 0.99f);
}

// The largest whole number not above instructed × r + 1: every count from 1 to the instructed one.
void TestShared::randomCountsRunFromOneToTheInstructed_data()
{
    QTest::addColumn<float>("r");
    QTest::addColumn<int>("count");
    const QList<QPair<float, int>> draws = {{0.0f, 1},  {0.05f, 1}, {0.15f, 2},  {0.25f, 3},
                                            {0.35f, 4}, {0.45f, 5}, {0.55f, 6},  {0.65f, 7},
                                            {0.75f, 8}, {0.85f, 9}, {0.95f, 10}, {std::nextafter(1.0f, 0.0f), 10}};
    for (const auto& [r, count] : draws)
        QTest::addRow("r=%.9g", double(r)) << r << count;
}

void TestShared::randomCountsRunFromOneToTheInstructed()
{
    QFETCH(float, r);
    QFETCH(int, count);
    TestEnv env;
    env.setRandomDraw(r);
    QCOMPARE(randomCount(10), count);
    QCOMPARE(randomCount(1), 1);
}

// Whole minutes from 1 to the setting, never beyond it, also for the largest draw at every setting (single
// precision would round it up to a minute more at some).
void TestShared::randomWaitsRunFromOneToTheSetMinutes_data()
{
    QTest::addColumn<float>("r");
    QTest::addColumn<double>("setting");
    QTest::addColumn<double>("minutes");
    const float largest = std::nextafter(1.0f, 0.0f);
    const QList<QPair<float, double>> draws = {{0.25f, 16}, {0.5f, 31}, {0.75f, 46}, {59.5f / 60.0f, 60}};
    for (const auto& [r, minutes] : draws)
        QTest::addRow("r=%.9g", double(r)) << r << 60.0 << minutes;
    for (int setting = 1; setting <= 60; ++setting) {
        QTest::addRow("r=0 of %d", setting) << 0.0f << double(setting) << 1.0;
        QTest::addRow("r=largest of %d", setting) << largest << double(setting) << double(setting);
    }
}

void TestShared::randomWaitsRunFromOneToTheSetMinutes()
{
    QFETCH(float, r);
    QFETCH(double, setting);
    QFETCH(double, minutes);
    TestEnv env;
    env.setRandomDraw(r);
    gWaitJikan = float(setting);
    gRandomTim = 1;
    QCOMPARE(startWaitSeconds(), minutes * 60);
    gRandomTim = 0;
    QCOMPARE(startWaitSeconds(), setting * 60);
}

// An item's name is its history file's name: what no file system or no code page 932 file can hold, and
// the names of the program's own files, are refused; names close to them are not.
void TestShared::itemNamesThatCannotBeFilesAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("refused");
    const QList<QPair<QString, bool>> names = {{"say \"hi\"", true},
                                               {"../escape", true},
                                               {"a\\b", true},
                                               {"a:b", true},
                                               {"a*", true},
                                               {"a?", true},
                                               {"<a>", true},
                                               {"a|b", true},
                                               {"a\tb", true},
                                               {"腕立て😀", true},
                                               {"𠮷野家", true},
                                               {"項目一覧", true},
                                               {"設定", true},
                                               {"con", true},
                                               {"COM1", true},
                                               {"¥100", true},
                                               {QString(100, QChar(u'長')), true},
                                               {".", true},
                                               {"..", true},
                                               {"腕立て伏せ", false},
                                               {"COM0", false},
                                               {"console", false},
                                               {"項目一覧2", false},
                                               {"a.b", false},
                                               {QString(80, QChar(u'長')), false},
                                               // ".txt" after 251 bytes makes 255, the longest file name most
                                               // file systems take; a kana is three bytes in UTF-8.
                                               {QString(251, u'a'), false},
                                               {QString(252, u'a'), true},
                                               {QString(83, u'あ'), false},
                                               {QString(84, u'あ'), true}};
    for (const auto& [name, refused] : names)
        QTest::addRow("%s (%d)", qPrintable(name.left(8)), int(name.size())) << name << refused;
}

// A name Shift-JIS cannot hold is refused naming the first character it cannot: whole where it takes two
// UTF-16 units, with the letter a combining mark sits on.
void TestShared::unstorableCharacterIsNamed()
{
    const auto problem = [](const QString& name) { return itemNameProblem(name).value_or(QString()); };
    QCOMPARE(problem(QStringLiteral("Plié")),
             QStringLiteral("項目名に Shift-JIS で保存できない文字「é」（U+00E9）があります。"));
    QCOMPARE(problem(QStringLiteral("腕立て😀と🙂")),
             QStringLiteral("項目名に Shift-JIS で保存できない文字「😀」（U+1F600）があります。"));
    QCOMPARE(problem(QStringLiteral("Plie\u0301")),
             QStringLiteral("項目名に Shift-JIS で保存できない文字「e\u0301」（U+0301）があります。"));
}

void TestShared::itemNamesThatCannotBeFilesAreRefused()
{
    QFETCH(QString, name);
    QFETCH(bool, refused);
    QCOMPARE(itemNameProblem(name).has_value(), refused);
    if (refused)
        return;
    // What the check lets through can really be created and recorded.
    TestEnv env;
    createHistoryFile(name);
    appendHistoryRecord(name, 3);
    QCOMPARE(readHistoryIndex(name).size(), 1);
}

QTEST_GUILESS_MAIN(TestShared)
#include "tst_shared.moc"
