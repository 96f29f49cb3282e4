// SPDX-License-Identifier: GPL-3.0-or-later
// The program under an English locale (or another translated one, given as LC_ALL): the catalogue is loaded, the two
// fixed-size windows keep their English layout with every caption whole, and a session through the windows, their menus
// and boxes shows no Japanese but the user's own item names and the stored records.
#include "LayoutSnapshot.h"
#include "TestEnv.h"
#include "Windows.h"
#include "app/Program.h"
#include "chart/CsvExport.h"
#include "chart/ProgressActions.h"
#include "chart/ProgressFigures.h"
#include "help/HtmlHelp.h"
#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "settings/frmSettei.h"
#include "shared/ShownDates.h"
#include "shared/Wait.h"
#include "training/frmMain.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStyle>
#include <QTabBar>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

// The user's data, which stays as it is in any language: the items' names and the data files' names.
const QStringList kItemNames = {QStringLiteral("腕立て"), QStringLiteral("腹筋")};
const QRegularExpression kStoredRecord(QStringLiteral("項目一覧|設定\\.txt"));
const QRegularExpression kJapanese(QStringLiteral("[\\x{3000}-\\x{30ff}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));

QString withoutUsersData(QString text)
{
    for (const QString& name : kItemNames)
        text.remove(name);
    return text.remove(kStoredRecord);
}

// Every text a user reads or hears on a window: captions, titles, tips, accessible names, tabs, headers,
// actions and menus, and the entries of lists. The help's pages are left out
// (tests/translations/check_catalogues.py reads the English ones).
QStringList textsOf(const QWidget* window)
{
    QStringList texts;
    QList<const QWidget*> widgets{window};
    for (const QWidget* child : window->findChildren<QWidget*>())
        widgets.append(child);
    for (const QWidget* w : widgets) {
        if (qobject_cast<const QTextBrowser*>(w) ||
            (w->parentWidget() && qobject_cast<const QTextBrowser*>(w->parentWidget())))
            continue;
        texts << w->windowTitle() << w->toolTip() << w->accessibleName() << w->accessibleDescription();
        if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            texts << button->text();
        if (const auto* label = qobject_cast<const QLabel*>(w))
            texts << label->text();
        if (const auto* group = qobject_cast<const QGroupBox*>(w))
            texts << group->title();
        if (const auto* edit = qobject_cast<const QLineEdit*>(w))
            texts << edit->text() << edit->placeholderText();
        if (const auto* combo = qobject_cast<const QComboBox*>(w))
            texts << entries(combo);
        if (const auto* list = qobject_cast<const QListWidget*>(w))
            texts << entries(list);
        if (const auto* tree = qobject_cast<const QTreeWidget*>(w)) {
            for (int column = 0; column < tree->columnCount(); ++column)
                texts << tree->headerItem()->text(column);
            for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree)); *it; ++it)
                texts << (*it)->text(0);
        }
        if (const auto* tabs = qobject_cast<const QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i) << tabs->tabToolTip(i);
        }
        for (const QAction* action : w->actions())
            texts << action->text() << action->toolTip();
        for (const QAction* action : w->findChildren<QAction*>())
            texts << action->text() << action->toolTip();
    }
    return texts;
}

// Fails the test on any text of `texts` with Japanese outside the user's data, naming where it was seen.
void verifyEnglish(const QStringList& texts, const QString& where)
{
    for (const QString& text : texts) {
        if (withoutUsersData(text).contains(kJapanese))
            QTest::qFail(qPrintable(QStringLiteral("%1 shows Japanese: %2").arg(where, text)), __FILE__, __LINE__);
    }
}

// Answers every message box with `answer` and every input box from a list, noting what each said.
class BoxRecorder {
public:
    explicit BoxRecorder(const QStringList& typed = {}, int answer = platform::vbOK)
        : mTyped(typed), mScope(recordingSeams(answer))
    {
    }
    const QStringList& seen() const { return mSeen; }

private:
    QmrM::Seams recordingSeams(int answer)
    {
        QmrM::Seams seams = QmrM::seams();
        seams.messageBox = [this, answer](const QString& text, const QString& title, int, QObject*) {
            mSeen << text << title;
            return answer;
        };
        seams.inputBox = [this](const QString& prompt, const QString& title, const QString&) {
            mSeen << prompt << title;
            return mTyped.isEmpty() ? QString() : mTyped.takeFirst();
        };
        return seams;
    }
    QStringList mTyped;
    QStringList mSeen;
    QmrM::SeamsScope mScope;
};

// How much of a control's width its caption may take: a check box keeps room for its indicator, a push
// button for its frame.
int roomForCaption(const QWidget* control)
{
    const QStyle* style = control->style();
    if (qobject_cast<const QCheckBox*>(control))
        return control->width() - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, control) -
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, control);
    if (qobject_cast<const QAbstractButton*>(control))
        return control->width() - 4;
    return control->contentsRect().width();
}

}  // namespace

class TestEnglish : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quillmora-no-session-bus");
        QVERIFY(platform::interfaceLanguage() != platform::kSourceLanguage);  // the catalogue is there
        platform::setUpApplication(*qobject_cast<QApplication*>(qApp));
    }
    void fixedWindowsKeepTheirEnglishLayout();
    void captionsFitTheirControls();
    void aSessionThroughEveryWindowShowsNoJapanese();
    void helpIsTheEnglishOne();
    void figuresAndDatesReadInEnglish();
    void languageAndDateFormsFollowTheLocale();
};

void TestEnglish::fixedWindowsKeepTheirEnglishLayout()
{
    TestEnv env;
    compareWithLayoutSnapshot(startTraining(QStringLiteral("\"腕立て\",10")).window());
    frmMain::instance().Unload();
    compareWithLayoutSnapshot(openSettings(itemsNamed({})).window());
}

void TestEnglish::captionsFitTheirControls()
{
    TestEnv env;
    for (const QWidget* window : {startTraining(QStringLiteral("\"A\",1"), QStringLiteral("0,0,60")).window(),
                                  static_cast<QWidget*>(leaveFirstPass().window())}) {
        QVERIFY(window);
        for (const QWidget* control : window->findChildren<QWidget*>()) {
            QString caption;
            if (const auto* button = qobject_cast<const QAbstractButton*>(control))
                caption = button->text();
            else if (const auto* label = qobject_cast<const QLabel*>(control); label && !label->wordWrap())
                caption = label->text();
            caption.remove(u'&');
            if (caption.isEmpty() || !control->isVisibleTo(window))
                continue;
            const int needed = control->fontMetrics().horizontalAdvance(caption);
            QVERIFY2(needed <= roomForCaption(control), qPrintable(QStringLiteral("%1 \"%2\" needs %3 px, has %4")
                                                                       .arg(control->objectName(), caption)
                                                                       .arg(needed)
                                                                       .arg(roomForCaption(control))));
        }
    }
}

void TestEnglish::aSessionThroughEveryWindowShowsNoJapanese()
{
    TestEnv env;
    writeHistory(kItemNames[0], recordsOf({"7", "9"}));
    frmMain& training = startTraining(itemsNamed(kItemNames));
    verifyEnglish(textsOf(training.window()), QStringLiteral("the training window"));
    {
        // A count of zero asks first; a count too large is refused.
        BoxRecorder boxes({}, platform::vbCancel);
        control<QLineEdit>(training, QStringLiteral("txtKaisu"))->setText(QStringLiteral("0"));
        clickButton(training, QStringLiteral("cmdNext"));
        control<QLineEdit>(training, QStringLiteral("txtKaisu"))->setText(QStringLiteral("99999999999"));
        clickButton(training, QStringLiteral("cmdNext"));
        QCOMPARE(boxes.seen().size(), 4);
        verifyEnglish(boxes.seen(), QStringLiteral("a box of the training window"));
    }
    clickButton(training, QStringLiteral("cmdCut"));
    frmSettei& settings = frmSettei::instance();
    QVERIFY(settings.window());
    verifyEnglish(textsOf(settings.window()), QStringLiteral("the settings window"));
    // The records in the language's date and time forms (the file keeps its own), the total with its unit.
    QCOMPARE(entriesOf(settings, QStringLiteral("lstRireki")),
             (QStringList{QStringLiteral("1 _ 12/6 _ 9:18:07 AM _ 7"), QStringLiteral("2 _ 12/6 _ 9:18:07 AM _ 9")}));
    QCOMPARE(textOf(settings, QStringLiteral("lblGoukei")), QStringLiteral("Total: 16 reps"));
    auto* items = control<QListWidget>(settings, QStringLiteral("lstKoumoku"));
    for (const QMenu* menu : items->findChildren<QMenu*>())
        verifyEnglish(textsOf(menu), QStringLiteral("the item list's menu"));
    // The chart of the first item, with its own menus.
    chart::showChart(settings.window(), 1);
    QWidget* chartWindow = chart::openChartWindow();
    QVERIFY(chartWindow);
    QStringList chartTexts = textsOf(chartWindow);
    for (const QMenu* menu : chartWindow->findChildren<QMenu*>())
        chartTexts << textsOf(menu);
    verifyEnglish(chartTexts, QStringLiteral("the chart window"));
    chartWindow->close();

    BoxRecorder boxes({QStringLiteral("a/b"), QStringLiteral("Plank"), QStringLiteral("0"), QStringLiteral("Plank"),
                       QStringLiteral("30")});
    clickButton(settings, QStringLiteral("cmdNew"));  // a name it refuses, then a count below 1
    clickButton(settings, QStringLiteral("cmdNew"));  // registered
    clickButton(settings, QStringLiteral("cmdSettei"));
    clickButton(settings, QStringLiteral("cmdHozon"));  // nothing chosen
    items->setCurrentRow(0);
    clickButton(settings, QStringLiteral("cmdHozon"));
    clickButton(settings, QStringLiteral("cmdClear"));
    clickButton(settings, QStringLiteral("cmdDel"));
    QVERIFY2(boxes.seen().size() >= 20, qPrintable(boxes.seen().join(u'|')));
    verifyEnglish(boxes.seen(), QStringLiteral("a box of the settings window"));
    verifyEnglish(textsOf(settings.window()), QStringLiteral("the settings window after the boxes"));
}

void TestEnglish::helpIsTheEnglishOne()
{
    TestEnv env;
    openSettings(itemsNamed(kItemNames));
    // Without the English help file the Japanese one is better than none; with it, Help opens it.
    clickButton(frmSettei::instance(), QStringLiteral("cmdHelp"));
    QVERIFY(QFile::copy(QStringLiteral(QUILLMORA_HELP_CHM_EN), QStringLiteral("KvHelp_en.chm")));
    frmSettei::instance().Unload();
    clickButton(showSettings(), QStringLiteral("cmdHelp"));
    QCOMPARE(env.helpCalls().size(), 2);
    QCOMPARE(env.helpCalls()[0].file, QStringLiteral("KvHelp.chm"));
    QCOMPARE(env.helpCalls()[1].file, QStringLiteral("KvHelp_en.chm"));
    QUILLMORA_SKIP_ON_WINDOWS("Windows' own help viewer shows it there");
    // The viewer on it: its own controls, the file's title, contents and keywords, all in English.
    BoxRecorder boxes;
    QWidget* viewer = help::showTopic(nullptr, QStringLiteral("KvHelp_en.chm"));
    QVERIFY(viewer);
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Quillmora Help"));
    verifyEnglish(textsOf(viewer), QStringLiteral("the help window"));
    QVERIFY(boxes.seen().isEmpty());
    help::closeAll();
}

void TestEnglish::figuresAndDatesReadInEnglish()
{
    // The time left and the chart's dates in English words and order, the year where the week crosses it.
    if (platform::interfaceLanguage() != QStringLiteral("en"))
        QSKIP("English only");
    QCOMPARE(QmrM::timeLeftShort(125 * 1000), QStringLiteral("3 minutes left"));
    QCOMPARE(QmrM::timeLeftShort(59 * 1000), QStringLiteral("less than a minute left"));
    QCOMPARE(chart::formatDay(QDate(2026, 12, 7)), QStringLiteral("Mon 12/7/2026"));
    QCOMPARE(chart::periodText({QDate(2025, 12, 15), QDate(2026, 1, 4), true}), QStringLiteral("12/15/2025–1/4/2026"));
    // A count's unit in its plural form for many, in the singular for one.
    QCOMPARE(chart::barText({QDate(2025, 12, 29), QDate(2026, 1, 4), 250, true, 3}, true),
             QStringLiteral("Mon 12/29/2025–Sun 1/4/2026 · 250 reps"));
    QCOMPARE(chart::barText({QDate(2026, 12, 7), QDate(2026, 12, 7), 1, true, 1}, false),
             QStringLiteral("Mon 12/7/2026 · 1 rep"));
    QCOMPARE(historyTotalText(1), QStringLiteral("Total: 1 rep"));
    QCOMPARE(chart::barText({QDate(2026, 11, 30), QDate(2026, 12, 6), 0, false, 0}, true),
             QStringLiteral("Mon 11/30/2026–Sun 12/6 · No record"));
    chart::Figures figures;
    figures.total = 1234.5;
    figures.recordedDays = 2;
    figures.dailyAverage = 617.25;
    figures.best = 1000;
    figures.bestDate = QDate(2026, 3, 1);
    figures.currentRun = 1;
    figures.longestRun = 2;
    QCOMPARE(chart::figureTexts(figures),
             (QStringList{QStringLiteral("Total: 1,234.5 reps"), QStringLiteral("Days recorded: 2"),
                          QStringLiteral("Daily average: 617.3 reps"), QStringLiteral("Best: 1,000 reps (3/1/2026)"),
                          QStringLiteral("Days in a row: 1 now, 2 at most in this period")}));
    // The CSV file's header is a line of its own in any language.
    TestEnv env;
    writeHistory(QStringLiteral("A"), recordsOf({"25"}));
    QByteArray csv;
    QVERIFY(chart::writeCsv({chart::CsvItem{QStringLiteral("A"), QDate(2026, 12, 8)}},
                            [&csv](QByteArrayView piece) { csv += piece; }));
    QVERIFY2(csv.startsWith("\xEF\xBB\xBFItem,Date,Time,Count\r\nA,"), csv.constData());
}

// The language follows the message locale as the C library takes it (LC_ALL before LC_MESSAGES before LANG),
// Japanese where no catalogue is; dates follow the user's own locale of that language.
void TestEnglish::languageAndDateFormsFollowTheLocale()
{
    QUILLMORA_SKIP_ON_WINDOWS("the language is Windows' display language there, not the environment's");
    if (platform::interfaceLanguage() != QStringLiteral("en"))
        QSKIP("English only");
    const QByteArray lcAll = qgetenv("LC_ALL");
    const auto restore = qScopeGuard([&] {
        qputenv("LC_ALL", lcAll);
        qunsetenv("LC_MESSAGES");
        qunsetenv("LC_TIME");
        platform::useLanguageLocale(platform::interfaceLanguage());
    });
    const auto languageWith = [](const char* all, const char* messages, const char* lang) {
        for (const auto& [name, value] : {std::pair{"LC_ALL", all}, {"LC_MESSAGES", messages}, {"LANG", lang}}) {
            if (value)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
        return platform::interfaceLanguage();
    };
    const QByteArray lang = qgetenv("LANG");
    QCOMPARE(languageWith("C.UTF-8", "en_US.UTF-8", "en_US.UTF-8"), QStringLiteral("ja"));
    QCOMPARE(languageWith(nullptr, "en_GB.UTF-8", "ja_JP.UTF-8"), QStringLiteral("en"));
    QCOMPARE(languageWith(nullptr, nullptr, "en_AU.UTF-8"), QStringLiteral("en"));
    QCOMPARE(languageWith("fr_FR.UTF-8", "en_US.UTF-8", nullptr), QStringLiteral("ja"));  // no French catalogue
    qputenv("LANG", lang);

    qputenv("LC_ALL", "en_GB.UTF-8");
    platform::useLanguageLocale(QStringLiteral("en"));
    QCOMPARE(QmrM::shortDate(QDate(2026, 12, 8)), QStringLiteral("08/12/2026"));
    QCOMPARE(chart::formatDay(QDate(2026, 12, 8)), QStringLiteral("Tue 08/12/2026"));
    QCOMPARE(QmrM::shownRecordDate(QStringLiteral("12月08日")), QStringLiteral("08/12"));
    QCOMPARE(QmrM::shortTime(QTime(23, 2)), QStringLiteral("23:02"));
    qputenv("LC_ALL", "en_US.UTF-8");
    platform::useLanguageLocale(QStringLiteral("en"));
    QCOMPARE(QmrM::shownRecordDate(QStringLiteral("12月08日")), QStringLiteral("12/8"));
    QCOMPARE(QmrM::shownRecordTime(QStringLiteral("23時02分51秒")), QStringLiteral("11:02:51 PM"));
    QCOMPARE(QmrM::shortTime(QTime(23, 2)), QStringLiteral("11:02 PM"));
    QCOMPARE(QmrM::shownRecordTime(QStringLiteral("午後")), QStringLiteral("午後"));  // not the program's: as it is
}

QTEST_MAIN(TestEnglish)
#include "tst_english.moc"
