// SPDX-License-Identifier: GPL-3.0-or-later
// The chart's arithmetic on hand-made histories whose answers are worked out by hand: the years of the
// records, the days and weeks, the figures, and the CSV file with the ways its write can fail.

#include "PlainHistory.h"
#include "TestEnv.h"
#include "Windows.h"

#include "chart/CsvExport.h"
#include "chart/DailyHistories.h"
#include "chart/ProgressActions.h"
#include "chart/ProgressFigures.h"
#include "shared/QmrM.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#ifndef Q_OS_WIN
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace chart;
using QmrM::HistoryRecord;

namespace {

const QDate kToday(2026, 12, 7);  // a Monday

std::vector<HistoryRecord> recordsOn(const QStringList& dates)
{
    std::vector<HistoryRecord> records;
    for (const QString& date : dates)
        records.push_back(HistoryRecord{date, QStringLiteral("09時00分00秒"), QStringLiteral("1")});
    return records;
}

// A history of (date, count) records placed by the anchor 2026-12-06; "??" is a date nobody can read.
DailyHistory handMadeHistory()
{
    const std::pair<const char*, const char*> records[] = {
        {"11月01日", "10"},   {"11月09日", "4"},  {"11月10日", "5"},  {"11月10日", "5"},  {"11月11日", "12"},
        {"11月12日", "0"},    {"??", "7"},        {"11月20日", "30"}, {"12月01日", "20"}, {"12月01日", "2.5"},
        {"12月02日", "22.5"}, {"12月03日", "30"}, {"12月05日", "10"}, {"12月06日", "8"},
    };
    std::vector<HistoryRecord> history;
    for (const auto& [date, count] : records)
        history.push_back(
            HistoryRecord{QString::fromUtf8(date), QStringLiteral("07時00分00秒"), QString::fromUtf8(count)});
    return summarise(history, QDate(2026, 12, 6));
}

// Every file in a folder, hidden ones (a left-over temporary file) included.
QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Rows of a CSV file as Python's csv module reads them, or nothing when Python is not installed.
std::optional<QList<QStringList>> rowsReadByPython(const QString& file)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(python, {QStringLiteral("-c"),
                           QStringLiteral("import csv, json, sys\n"
                                          "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                                          "    print(json.dumps(list(csv.reader(f, strict=True))))\n"),
                           file});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QList<QStringList>{
            {QStringLiteral("python failed: ") + QString::fromUtf8(process.readAllStandardError())}};
    QList<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(process.readAllStandardOutput()).array()) {
        QStringList fields;
        for (const QJsonValue& field : row.toArray())
            fields.append(field.toString());
        rows.append(fields);
    }
    return rows;
}

void registerItems(const QStringList& names)
{
    setItems(names, QList<int>(names.size(), 10));
}

}  // namespace

class TestProgress : public QObject {
    Q_OBJECT

private slots:
    void yearsAreWorkedOutFromTheOrder_data();
    void yearsAreWorkedOutFromTheOrder();
    void figuresOfAHandMadeHistory();
    void runsEndTodayOrYesterday_data();
    void runsEndTodayOrYesterday();
    void barsAreDaysOrWeeksWithGaps();
    void historiesAddUpDayByDay();
    void csvHoldsEveryRecordQuotedAsSpreadsheetsRead();
    void exportsNeverReplaceTheProgramsFiles();
    void failedWritesLeaveNothingBehind();
    void longExportsShowProgressAndStopOnCancel();
    void fileSizeLimitKeepsTheOldFile();
    void exportsTidyUpAfterAStoppedOneAndTakeLongNames();
};

void TestProgress::yearsAreWorkedOutFromTheOrder_data()
{
    QTest::addColumn<QStringList>("dates");
    QTest::addColumn<QDate>("anchor");
    QTest::addColumn<QStringList>("expected");
    const QDate anchor = kToday;
    QTest::newRow("empty file") << QStringList() << anchor << QStringList();
    QTest::newRow("one record before the file's day") << QStringList{"12月06日"} << anchor << QStringList{"2026-12-06"};
    QTest::newRow("one record on the file's day") << QStringList{"12月07日"} << anchor << QStringList{"2026-12-07"};
    QTest::newRow("one record after the file's day") << QStringList{"12月08日"} << anchor << QStringList{"2025-12-08"};
    QTest::newRow("across New Year") << QStringList{"12月30日", "12月31日", "01月01日", "01月01日", "01月02日"}
                                     << QDate(2027, 1, 3)
                                     << QStringList{"2026-12-30", "2026-12-31", "2027-01-01", "2027-01-01",
                                                    "2027-01-02"};
    QTest::newRow("several years") << QStringList{"03月01日", "06月01日", "02月01日", "11月01日", "01月15日"}
                                   << QDate(2026, 2, 1)
                                   << QStringList{"2024-03-01", "2024-06-01", "2025-02-01", "2025-11-01", "2026-01-15"};
    QTest::newRow("leap day last, in a common year")
        << QStringList{"02月29日"} << QDate(2026, 3, 1) << QStringList{"2024-02-29"};
    QTest::newRow("leap day in a leap year") << QStringList{"02月28日", "02月29日", "03月01日"} << QDate(2028, 3, 5)
                                             << QStringList{"2028-02-28", "2028-02-29", "2028-03-01"};
    // The walk reaches 2025 at 02月29日 and has to go back to 2024; the records before follow from there.
    QTest::newRow("leap day within a common year's walk")
        << QStringList{"12月01日", "02月28日", "02月29日", "03月01日"} << QDate(2025, 3, 2)
        << QStringList{"2023-12-01", "2024-02-28", "2024-02-29", "2025-03-01"};
    // Unreadable dates are left out of the walk: 12月31日 is compared with 01月01日.
    QTest::newRow("unreadable dates") << QStringList{"12月31日",     "??", "13月01日", "02月30日",
                                                     "１２月０１日", "",   "12月31",   "01月01日"}
                                      << QDate(2027, 1, 5)
                                      << QStringList{"2026-12-31", "", "", "", "", "", "", "2027-01-01"};
    QTest::newRow("hand-edited blanks and single digits")
        << QStringList{" 1月5日 ", "1月05日"} << anchor << QStringList{"2026-01-05", "2026-01-05"};
    QTest::newRow("only unreadable dates") << QStringList{"?", "月日"} << anchor << QStringList{"", ""};
}

void TestProgress::yearsAreWorkedOutFromTheOrder()
{
    QFETCH(QStringList, dates);
    QFETCH(QDate, anchor);
    QFETCH(QStringList, expected);
    QStringList placed;
    for (const QDate& date : placeDates(recordsOn(dates), anchor))
        placed.append(date.isValid() ? date.toString(Qt::ISODate) : QString());
    QCOMPARE(placed, expected);
}

void TestProgress::figuresOfAHandMadeHistory()
{
    const DailyHistory history = handMadeHistory();
    QCOMPARE(history.undatedRecords, 1);

    // The last four weeks run from 11月10日: 11月09日 lies outside but lengthens the run that reaches into
    // them, the tie of 30 goes to the first day that reached it, the recorded 0 is a recorded day.
    const Period weeks = periodFor(Range::FourWeeks, kToday, history);
    QCOMPARE(weeks.first, QDate(2026, 11, 10));
    QCOMPARE(figuresText(figuresFor(history, weeks, kToday, false)),
             QStringLiteral("合計 145 回　記録した日数 9 日　1 日平均 16.1 回　最高 30 回（2026年11月20日）　"
                            "連続記録 現在 2 日・この期間の最長 4 日"));

    // Everything: the undated record counts in the total but in no day; 11月09日 lengthens the first run.
    const Period all = periodFor(Range::All, kToday, history);
    QCOMPARE(all.first, QDate(2026, 11, 1));
    QVERIFY(!all.weekly);
    const Figures figures = figuresFor(history, all, kToday, true);
    QCOMPARE(figures.total, 166.0);
    QCOMPARE(figures.recordedDays, 11);
    QCOMPARE(figures.longestRun, 4);
    QCOMPARE(figuresText(figures),
             QStringLiteral("合計 166 回（日付の読めない記録 1 件を含む）　記録した日数 11 日　1 日平均 14.5 回　"
                            "最高 30 回（2026年11月20日）　連続記録 現在 2 日・この期間の最長 4 日"));

    // Nothing recorded in the period: no average and no best day to speak of; today's run goes on.
    const Period empty{QDate(2026, 6, 1), QDate(2026, 6, 28), false};
    QCOMPARE(
        figuresText(figuresFor(history, empty, kToday, false)),
        QStringLiteral("合計 0 回　記録した日数 0 日　1 日平均 ―　最高 ―　連続記録 現在 2 日・この期間の最長 0 日"));
    QCOMPARE(formatCount(1234567.125), QStringLiteral("1,234,567.13"));
    QCOMPARE(formatCount(-0.001), QStringLiteral("0"));
}

void TestProgress::runsEndTodayOrYesterday_data()
{
    QTest::addColumn<QList<int>>("daysAgo");  // days with a record, counted back from today
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("longest");  // of the last four weeks
    QTest::newRow("through today") << QList<int>{3, 2, 1, 0} << 4 << 4;
    QTest::newRow("up to yesterday, today not yet") << QList<int>{5, 4, 2, 1} << 2 << 2;
    QTest::newRow("today after a skipped day") << QList<int>{6, 5, 4, 2, 0} << 1 << 3;
    QTest::newRow("broken two days ago") << QList<int>{9, 8, 7, 6, 2} << 0 << 4;
    QTest::newRow("reaching into the period, counted whole") << QList<int>{30, 29, 28, 27, 26, 1} << 1 << 5;
    QList<int> streak;
    for (int ago = 119; ago >= 1; --ago)
        streak.append(ago);
    QTest::newRow("119 days up to yesterday") << streak << 119 << 119;
}

void TestProgress::runsEndTodayOrYesterday()
{
    QFETCH(QList<int>, daysAgo);
    QFETCH(int, current);
    QFETCH(int, longest);
    DailyHistory history;
    for (const int ago : daysAgo)
        history.days.push_back(DayCount{kToday.addDays(-ago), 1});
    const Figures figures = figuresFor(history, periodFor(Range::FourWeeks, kToday, history), kToday, false);
    QCOMPARE(figures.currentRun, current);
    QCOMPARE(figures.longestRun, longest);
    // Today's run is a fact of today, whatever range is shown.
    for (const Range range : {Range::TwelveWeeks, Range::OneYear, Range::All})
        QCOMPARE(figuresFor(history, periodFor(range, kToday, history), kToday, true).currentRun, current);
}

void TestProgress::barsAreDaysOrWeeksWithGaps()
{
    const DailyHistory history = handMadeHistory();
    const std::vector<Bar> days = barsFor(history, periodFor(Range::FourWeeks, kToday, history));
    QCOMPARE(days.size(), size_t(28));
    QCOMPARE(barText(days[0], false), QStringLiteral("2026年11月10日（火）　10 回"));
    QCOMPARE(barText(days[2], false), QStringLiteral("2026年11月12日（木）　0 回"));
    QCOMPARE(barText(days[3], false), QStringLiteral("2026年11月13日（金）　記録なし"));
    QCOMPARE(barText(days[21], false), QStringLiteral("2026年12月1日（火）　22.5 回"));
    QCOMPARE(days.back().first, kToday);

    // A year: 52 weeks from Monday to Sunday, the last one this week so far.
    const Period year = periodFor(Range::OneYear, kToday, history);
    const std::vector<Bar> weeks = barsFor(history, year);
    QCOMPARE(weeks.size(), size_t(52));
    QCOMPARE(weeks.front().first, QDate(2025, 12, 15));
    QCOMPARE(weeks.front().first.dayOfWeek(), 1);
    QCOMPARE(barText(weeks[47], true), QStringLiteral("2026年11月9日（月）〜11月15日（日）　26 回"));
    QCOMPARE(barText(weeks[50], true), QStringLiteral("2026年11月30日（月）〜12月6日（日）　93 回"));
    QCOMPARE(barText(weeks[51], true), QStringLiteral("2026年12月7日（月）　記録なし"));

    // Everything over more than 12 weeks goes by week, Monday to Sunday, from the first record (a Thursday:
    // the heading starts there, as the first bar does); a week across New Year names both years.
    DailyHistory longer;
    longer.days = {{QDate(2026, 1, 1), 3}, {QDate(2026, 12, 31), 4}, {QDate(2027, 1, 2), 5}};
    const Period all = periodFor(Range::All, QDate(2027, 1, 4), longer);
    QVERIFY(all.weekly);
    QCOMPARE(periodText(all), QStringLiteral("2026年1月1日〜2027年1月4日"));
    const std::vector<Bar> allWeeks = barsFor(longer, all);
    QCOMPARE(barText(allWeeks.front(), true), QStringLiteral("2026年1月1日（木）〜1月4日（日）　3 回"));
    QCOMPARE(allWeeks[1].first, QDate(2026, 1, 5));
    QCOMPARE(barText(allWeeks[allWeeks.size() - 2], true),
             QStringLiteral("2026年12月28日（月）〜2027年1月3日（日）　9 回"));
    QCOMPARE(allWeeks.back().first, QDate(2027, 1, 4));

    // The text alternative: the heading, the figures and the last seven days.
    const Figures figures = figuresFor(history, periodFor(Range::FourWeeks, kToday, history), kToday, false);
    const QString summary = accessibleSummary(QStringLiteral("A"), figures, days, false);
    QVERIFY(summary.startsWith(QStringLiteral("A。合計 145 回")));
    QVERIFY(
        summary.endsWith(QStringLiteral("最近 7 日：2026年12月1日（火）　22.5 回、2026年12月2日（水）　22.5 回、"
                                        "2026年12月3日（木）　30 回、2026年12月4日（金）　記録なし、"
                                        "2026年12月5日（土）　10 回、2026年12月6日（日）　8 回、"
                                        "2026年12月7日（月）　記録なし。")));
}

void TestProgress::historiesAddUpDayByDay()
{
    DailyHistory a;
    a.days = {{QDate(2026, 1, 1), 1}, {QDate(2026, 1, 3), 2}};
    a.undatedCount = 5;
    a.undatedRecords = 1;
    DailyHistory b;
    b.days = {{QDate(2025, 12, 31), 10}, {QDate(2026, 1, 3), 20}};
    const DailyHistory sum = combine({a, b});
    QCOMPARE(sum.days.size(), size_t(3));
    QCOMPARE(sum.days[0].date, QDate(2025, 12, 31));
    QCOMPARE(sum.days[2].count, 22.0);
    QCOMPARE(sum.undatedCount, 5.0);

    // Counts too large for the arithmetic stay at the largest number instead of becoming infinite.
    const DailyHistory huge = summarise(
        {{"01月01日", "t", "1e308"}, {"01月01日", "t", "1e308"}, {"01月02日", "t", "1e999"}}, QDate(2026, 1, 5));
    QVERIFY(std::isfinite(huge.days[0].count));
    QCOMPARE(huge.days[1].count, 0.0);
}

void TestProgress::csvHoldsEveryRecordQuotedAsSpreadsheetsRead()
{
    TestEnv env;
    registerItems(
        {QStringLiteral("腕立て,速く"), QStringLiteral("背筋"), QStringLiteral("腕立て,速く"), QStringLiteral("=2+3")});
    // A hand-edited history: a quote inside an unquoted count, a time nobody can read, an unreadable date.
    const QDateTime written(QDate(2027, 1, 5), QTime(12, 0));
    writeHistory(QStringLiteral("腕立て,速く"),
                 QStringLiteral("\"12月31日\",\"23時59分59秒\",20\n"
                                "\"01月01日\",\"00時00分01秒\",2.5\n"
                                "\"??\",\"朝\",1\"5\n"),
                 written);
    writeHistory(QStringLiteral("背筋"), QStringLiteral("\"01月02日\",\"07時05分09秒\",-3\n"), written);
    // Texts a spreadsheet would run as formulas, in every text field; counts that are numbers stay numbers.
    // Blanks before them, half-width or ideographic, and full-width signs are no way round.
    writeHistory(QStringLiteral("=2+3"),
                 QStringLiteral("\"01月02日\",\"@SUM(A1)\",=1+1\n"
                                "\"01月03日\",\"+1\",-1+2\n"
                                "\"01月04日\",\"\t=A1\",-7.5\n"
                                "\"01月05日\",\" =1+1\",＝1+1\n"
                                "\"01月05日\",\"\u3000+1\",－1\n"
                                "\"01月05日\",\"＠SUM(A1)\",＋1\n"),
                 written);
    const QByteArray historyBefore = readBytes(QStringLiteral("腕立て,速く.txt"));

    const QString path = QDir(env.dir()).filePath(QStringLiteral("書き出し.csv"));
    env.answerSaveDialogs(path);
    exportCsv(nullptr, 0);  // every item; the two of the same name share one history
    QCOMPARE(env.saveRequests().size(), 1);
    QCOMPARE(QFileInfo(env.saveRequests()[0].suggestedPath).fileName(), QStringLiteral("全項目.csv"));

    const QByteArray expected = QByteArray("\xEF\xBB\xBF") + QStringLiteral(
                                                                 "項目,日付,時刻,回数\r\n"
                                                                 "\"腕立て,速く\",2026-12-31,23:59:59,20\r\n"
                                                                 "\"腕立て,速く\",2027-01-01,00:00:01,2.5\r\n"
                                                                 "\"腕立て,速く\",,朝,\"1\"\"5\"\r\n"
                                                                 "背筋,2027-01-02,07:05:09,-3\r\n"
                                                                 "'=2+3,2027-01-02,'@SUM(A1),'=1+1\r\n"
                                                                 "'=2+3,2027-01-03,'+1,'-1+2\r\n"
                                                                 "'=2+3,2027-01-04,'\t=A1,-7.5\r\n"
                                                                 "'=2+3,2027-01-05,' =1+1,'＝1+1\r\n"
                                                                 "'=2+3,2027-01-05,'\u3000+1,'－1\r\n"
                                                                 "'=2+3,2027-01-05,'＠SUM(A1),'＋1\r\n")
                                                                 .toUtf8();
    QCOMPARE(readBytes(path), expected);
    QCOMPARE(readBytes(QStringLiteral("腕立て,速く.txt")), historyBefore);

    const auto rows = rowsReadByPython(path);
    if (rows) {
        const QList<QStringList> expectedRows{
            {"項目", "日付", "時刻", "回数"},
            {"腕立て,速く", "2026-12-31", "23:59:59", "20"},
            {"腕立て,速く", "2027-01-01", "00:00:01", "2.5"},
            {"腕立て,速く", "", "朝", "1\"5"},
            {"背筋", "2027-01-02", "07:05:09", "-3"},
            {"'=2+3", "2027-01-02", "'@SUM(A1)", "'=1+1"},
            {"'=2+3", "2027-01-03", "'+1", "'-1+2"},
            {"'=2+3", "2027-01-04", "'\t=A1", "-7.5"},
            {"'=2+3", "2027-01-05", "' =1+1", "'＝1+1"},
            {"'=2+3", "2027-01-05", "'\u3000+1", "'－1"},
            {"'=2+3", "2027-01-05", "'＠SUM(A1)", "'＋1"},
        };
        QCOMPARE(*rows, expectedRows);
    }

    // One item: its rows only, offered under its own name in the folder chosen last.
    env.answerSaveDialogs(QDir(env.dir()).filePath(QStringLiteral("one.csv")));
    exportCsv(nullptr, 2);
    QCOMPARE(env.saveRequests()[0].suggestedPath, QDir(env.dir()).filePath(QStringLiteral("背筋.csv")));
    QCOMPARE(
        readBytes(QStringLiteral("one.csv")),
        QByteArray("\xEF\xBB\xBF") + QStringLiteral("項目,日付,時刻,回数\r\n背筋,2027-01-02,07:05:09,-3\r\n").toUtf8());
    QVERIFY(env.dialogs().verify());
    if (!rows)
        QSKIP("python3 is not installed: the file was not read back by its csv module");
}

void TestProgress::exportsNeverReplaceTheProgramsFiles()
{
    QUILLMORA_SKIP_ON_WINDOWS("a link a user makes is a .lnk shortcut there, which no file operation follows");
    TestEnv env;
    registerItems({QStringLiteral("腹筋")});
    writeDataFolder(itemsNamed({QStringLiteral("腹筋")}), QString());  // no settings file yet
    writeHistory(QStringLiteral("腹筋"), recordsOf({"20"}));
    QVERIFY(QFile::link(env.dir(), QStringLiteral("alias")));  // the data folder by another path
    QVERIFY(QFile::link(QStringLiteral("腹筋.txt"), QStringLiteral("link.csv")));
    QVERIFY(QFile::link(QStringLiteral("腹筋.TXT"), QStringLiteral("case.csv")));  // the history, as loaders find it
    // A folder elsewhere that links into the data folder: ".." after the link is the data folder.
    QTemporaryDir elsewhere;
    QVERIFY(QDir().mkdir(QStringLiteral("inner")));
    QVERIFY(
        QFile::link(QDir(env.dir()).filePath(QStringLiteral("inner")), elsewhere.filePath(QStringLiteral("linked"))));
    writeBytes(QStringLiteral("old.csv"), "old");
    const QByteArray history = readBytes(QStringLiteral("腹筋.txt"));
    const QByteArray items = readBytes(QmrM::kItemsFile);

    // Each data file is refused, whatever its letters' case and however it is reached, and the dialog comes
    // back; a file of the user's is replaced once the user says so.
    const QString title = QStringLiteral("CSV 形式で書き出す");
    // So are the program's own options and a temporary file of a rewrite.
    const char* temporary = ".設定.txt.quillmora-tmp-Ab12Cd";
    for (const char* name : {"腹筋.txt", "項目一覧.txt", "設定.txt", "腹筋.txt", "腹筋.txt", "腹筋.txt", "腹筋.txt",
                             ".quillmora-options", temporary}) {
        env.dialogs().expectMessage(
            QStringLiteral("「%1」は Quillmora のデータファイルなので、書き出し先にできません。\n"
                           "別の名前か別のフォルダーを選んでください。")
                .arg(QString::fromUtf8(name)),
            title, platform::vbExclamation);
    }
    env.dialogs().expectMessage(QStringLiteral("「old.csv」は既にあります。\n置き換えますか？"), title,
                                platform::vbOKCancel | platform::vbExclamation);
    const QDir data(env.dir());
    env.answerSaveDialogs({data.filePath(QStringLiteral("腹筋.TXT")), data.filePath(QmrM::kItemsFile),
                           data.filePath(QStringLiteral("設定.TXT")), data.filePath(QStringLiteral("alias/腹筋.txt")),
                           data.filePath(QStringLiteral("link.csv")), data.filePath(QStringLiteral("case.csv")),
                           elsewhere.filePath(QStringLiteral("linked/../腹筋.txt")),
                           data.filePath(QmrM::kOwnOptionsFile), data.filePath(QString::fromUtf8(temporary)),
                           data.filePath(QStringLiteral("old.csv"))});
    exportCsv(nullptr, 1);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(readBytes(QStringLiteral("腹筋.txt")), history);
    QCOMPARE(readBytes(QmrM::kItemsFile), items);
    QVERIFY(readBytes(QStringLiteral("old.csv")).endsWith(",09:18:07,20\r\n"));
    QVERIFY(!QFileInfo::exists(QStringLiteral("腹筋.TXT")));
    // The dialog first opened away from the data folder.
    QVERIFY(QFileInfo(env.saveRequests()[0].suggestedPath).absolutePath() != data.absolutePath());
}

void TestProgress::failedWritesLeaveNothingBehind()
{
    TestEnv env;
    registerItems({QStringLiteral("A")});
    writeHistory(QStringLiteral("A"), recordsOf({"20"}));
    const QString folder = QDir(env.dir()).filePath(QStringLiteral("out.csv"));
    QVERIFY(QDir().mkdir(folder));
    const QString end = QStringLiteral("\n書き出しは行われませんでした。");
    const QString title = QStringLiteral("CSV 形式で書き出す");

    // A folder where the file should go.
    env.answerSaveDialogs(folder);
    env.dialogs().expectMessage(
        QStringLiteral("ファイル「%1」に書き込めませんでした。\n（同じ名前のフォルダーがあります）").arg(folder) + end,
        title, platform::vbExclamation);
    exportCsv(nullptr, 1);
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(filesIn(folder).isEmpty());

    // The full device, chosen directly and through a link: refused before anything is written, so the
    // device stays a device and no temporary file appears beside it.
    QStringList left = {"A.txt", "out.csv"};
    struct stat device {};
    if (::stat("/dev/full", &device) == 0 && S_ISCHR(device.st_mode)) {
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), QStringLiteral("full.csv")));
        left.insert(1, QStringLiteral("full.csv"));
        for (const QString& path :
             {QStringLiteral("/dev/full"), QDir(env.dir()).filePath(QStringLiteral("full.csv"))}) {
            env.answerSaveDialogs(path);
            env.dialogs().expectMessage(
                QStringLiteral("ファイル「%1」に書き込めませんでした。\n（書き出し先がふつうのファイルではありません）")
                        .arg(path) +
                    end,
                title, platform::vbExclamation);
            exportCsv(nullptr, 1);
        }
        QVERIFY(::stat("/dev/full", &device) == 0 && S_ISCHR(device.st_mode));
        QVERIFY(filesIn(QStringLiteral("/dev")).filter(QStringLiteral(".full.")).isEmpty());
        QVERIFY(QFileInfo(QStringLiteral("full.csv")).isSymLink());
    }
    QCOMPARE(filesIn(env.dir()), left);
    QVERIFY(env.dialogs().verify());
}

void TestProgress::longExportsShowProgressAndStopOnCancel()
{
    TestEnv env;
    registerItems({QStringLiteral("A"), QStringLiteral("B")});
    const QByteArray record = cp932(recordsOf({"7"}));
    const int records = int((8 << 20) / record.size()) + 1;
    writeBytes(QStringLiteral("A.txt"), record.repeated(records));
    setModified(QStringLiteral("A.txt"), QDateTime(QDate(2026, 12, 6), QTime(10, 0)));
    writeBytes(QStringLiteral("A.csv"), "old");
    const QString path = QDir(env.dir()).filePath(QStringLiteral("A.csv"));
    const QString title = QStringLiteral("CSV 形式で書き出す");
    const auto expectReplacing = [&] {
        env.dialogs().expectMessage(QStringLiteral("「A.csv」は既にあります。\n置き換えますか？"), title,
                                    platform::vbOKCancel | platform::vbExclamation);
    };
    // From the chart window. Its progress shows at once, once: キャンセル leaves the window up until the work
    // has stopped. Even before anything is written it leaves the file as it was, and the status line says so.
    chart::showChart(nullptr, 1);
    QWidget* chart = chart::openChartWindow();
    int shown = 0;
    ShowWatcher progress(QStringLiteral("dlgProgress"), [&shown](QWidget* window) {
        if (++shown != 1)
            return;
        window->findChild<QPushButton*>()->click();
        window->close();  // the close button too only asks the work to stop
        QVERIFY(window->isVisible());
    });
    env.answerSaveDialogs(path);
    expectReplacing();
    chart->findChild<QPushButton*>(QStringLiteral("cmdExportCsv"))->click();
    QCOMPARE(shown, 1);
    QCOMPARE(chart->findChild<QLabel*>(QStringLiteral("lblStatus"))->accessibleName(),
             QStringLiteral("書き出しを取り消しました。"));
    chart->close();
    QCOMPARE(readBytes(path), QByteArray("old"));
    QCOMPARE(filesIn(env.dir()), (QStringList{"A.csv", "A.txt"}));

    env.answerSaveDialogs(path);
    expectReplacing();
    QCOMPARE(exportCsv(nullptr, 1), path);
    QCOMPARE(shown, 2);
    const QByteArray csv = readBytes(path);
    QCOMPARE(csv.count('\n'), records + 1);
    QVERIFY(csv.endsWith("\r\nA,2026-12-06,09:18:07,7\r\n"));

    // Where the file cannot go, that is told before any history is read: here B's, which cannot be.
    QVERIFY(QDir().mkdir(QStringLiteral("B.txt")));
    env.answerSaveDialogs(QDir(env.dir()).filePath(QStringLiteral("missing/B.csv")));
    env.dialogs().expectMessage(
        QStringLiteral("ファイル「%1」に書き込めませんでした。\n（ファイルまたはフォルダーが見つかりません）\n"
                       "書き出しは行われませんでした。")
            .arg(QDir(env.dir()).filePath(QStringLiteral("missing/B.csv"))),
        title, platform::vbExclamation);
    QCOMPARE(exportCsv(nullptr, 2), QString());
    QVERIFY(env.dialogs().verify());
}

void TestProgress::fileSizeLimitKeepsTheOldFile()
{
    // The system refuses the write half-way (a file size limit, in a child process): the file that was
    // there stays whole and the temporary file goes.
#ifdef Q_OS_WIN
    QSKIP("a file size limit in a child process: fork and setrlimit are POSIX's");
#else
    TestEnv env;
    const QByteArray old("old content\r\n");
    writeBytes(QStringLiteral("out.csv"), old);
    env.dialogs().expectAnyMessage(QStringLiteral("CSV 形式で書き出す"), platform::vbExclamation);
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        const bool written =
            writeWholeFile(QStringLiteral("out.csv"), QByteArray(100000, 'x'), QStringLiteral("CSV 形式で書き出す"));
        _exit(!written && env.dialogs().allShown() && env.dialogs().failures().isEmpty() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QCOMPARE(readBytes(QStringLiteral("out.csv")), old);
    QCOMPARE(filesIn(env.dir()), QStringList{"out.csv"});
#endif
}

void TestProgress::exportsTidyUpAfterAStoppedOneAndTakeLongNames()
{
    TestEnv env;
    registerItems({QStringLiteral("A")});
    writeHistory(QStringLiteral("A"), recordsOf({"20"}));
    // An export killed in its middle left its temporary file in the folder; the user's own hidden file with
    // a name much like it stays.
    QVERIFY(QDir().mkdir(QStringLiteral("out")));
    const QDir out(QDir(env.dir()).filePath(QStringLiteral("out")));
    writeBytes(out.filePath(QStringLiteral(".k.csv.quillmora-tmp-6l85RL")), QByteArray(1000, 'x'));
    writeBytes(out.filePath(QStringLiteral(".k.csv.quillmora-tmp-notes")), "mine");
    // A name as long as a file's name may be (244 bytes): the temporary file beside it must not be longer.
    const QString longName = QString(80, QChar(0x3042)) + QStringLiteral(".csv");
    QCOMPARE(longName.toUtf8().size(), 244);
    env.answerSaveDialogs(out.filePath(longName));
    QCOMPARE(exportCsv(nullptr, 1), out.filePath(longName));
    QVERIFY(readBytes(out.filePath(longName)).endsWith(",09:18:07,20\r\n"));
    QCOMPARE(filesIn(out.path()), (QStringList{".k.csv.quillmora-tmp-notes", longName}));
    QVERIFY(env.dialogs().verify());
}

QTEST_MAIN(TestProgress)
#include "tst_progress.moc"
