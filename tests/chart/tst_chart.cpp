// SPDX-License-Identifier: GPL-3.0-or-later
// The chart window and its entry points driven as a user drives them, with the keyboard and the mouse:
// the context menu and Ctrl+G on the settings window's lists, the choosers, the bars, the picture, and
// a history made by the program itself across New Year.

#include "TestEnv.h"
#include "Windows.h"

#include "chart/ChartView.h"
#include "chart/ProgressActions.h"
#include "platform/AppSetup.h"
#include "platform/Controls.h"
#include "settings/frmSettei.h"
#include "shared/QmrM.h"
#include "training/frmMain.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace QmrM;

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(10, 0));  // a Monday

// Items A (instructed 10) and B (5) with short histories written on the test's "today".
void writeTwoItems(TestEnv& env)
{
    writeDataFolder(QStringLiteral("\"A\",10\n\"B\",5\n"));
    writeHistory(QStringLiteral("A"),
                 QStringLiteral("\"10月01日\",\"09時00分00秒\",5\n"
                                "\"12月01日\",\"09時00分00秒\",20\n"
                                "\"12月02日\",\"09時00分00秒\",10\n"
                                "\"12月02日\",\"15時00分00秒\",5\n"
                                "\"12月06日\",\"09時00分00秒\",8\n"),
                 kNow);
    writeHistory(QStringLiteral("B"),
                 QStringLiteral("\"12月06日\",\"09時00分00秒\",3\n"
                                "\"12月07日\",\"09時00分00秒\",4\n"),
                 kNow);
    LoadItems();
    env.clock().setTimeOfDay(kNow);
}

// Items "A" (instructed 10) and a name of 40 characters (5), with 400 days ending yesterday: both done as
// instructed on every day trained, which is every day but the 4th, 8th, ... of a month.
void writeLongHistories(TestEnv& env)
{
    const QString longName = QString(38, QChar(u'伸')) + QStringLiteral("体操");
    writeDataFolder(QStringLiteral("\"A\",10\n\"%1\",5\n").arg(longName));
    QString a;
    QString b;
    for (QDate day = kNow.date().addDays(-400); day < kNow.date(); day = day.addDays(1)) {
        if (day.day() % 4 == 0)
            continue;
        const QString date = QStringLiteral("\"%1\",\"09時00分00秒\",").arg(day.toString(QStringLiteral("MM月dd日")));
        a += date + QStringLiteral("10\n");
        b += date + QStringLiteral("5\n");
    }
    writeHistory(QStringLiteral("A"), a, kNow);
    writeHistory(longName, b, kNow);
    LoadItems();
    env.clock().setTimeOfDay(kNow);
}

QWidget* chartWindow()
{
    return chart::openChartWindow();
}

template <class T>
T* control(const char* name)
{
    QWidget* window = chartWindow();
    return window ? window->findChild<T*>(QLatin1String(name)) : nullptr;
}

// Whether the chart window is gone once the deletions it waits for have run.
bool chartWindowDeleted()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return !chartWindow();
}

QString figures()
{
    return control<QLabel>("lblFigures")->text();
}

QString chosenBar()
{
    return control<QLabel>("lblChosenBar")->text();
}

void closeChart()
{
    if (QWidget* window = chartWindow())
        window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The horizontal extents of the runs of columns of a picture that hold a colour, left to right.
QList<QPair<int, int>> columnsOf(const QImage& image, const QColor& colour)
{
    QList<QPair<int, int>> runs;
    for (int x = 0; x < image.width(); ++x) {
        bool found = false;
        for (int y = 0; y < image.height() && !found; ++y)
            found = image.pixelColor(x, y) == colour;
        if (!found)
            continue;
        if (!runs.isEmpty() && runs.last().second == x - 1)
            runs.last().second = x;
        else
            runs.append({x, x});
    }
    return runs;
}

// The lowest point of a column that holds the colour: inside the bar, whatever its height.
QPoint pointIn(const QImage& image, int x, const QColor& colour)
{
    for (int y = image.height() - 1; y >= 0; --y) {
        if (image.pixelColor(x, y) == colour)
            return QPoint(x, y);
    }
    return QPoint(x, image.height() / 2);
}

QMenu* openMenu()
{
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QStringList menuTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions())
        texts.append(action->text());
    return texts;
}

}  // namespace

class TestChart : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { platform::setUpApplication(*qobject_cast<QApplication*>(qApp)); }
    void cleanup() { closeChart(); }

    void opensOnTheItemAndSwitchesTheOpenWindow();
    void daysKeptWhileTheFileStaysTheSame();
    void keyboardChoosesRangeAndBars();
    void mouseChoosesTheBarUnderIt();
    void menuAndShortcutOnTheSettingsLists();
    void savesTheChartAsAPicture();
    void longNamesAndLongAxesReadWhole();
    void weeksCompareWithTheirDaysInstructed();
    void aNameTypedWithQuotesIsTheFileWritten();
    void unreadableHistoryIsToldAndLeftOut();
    void historyMadeByTheProgramAcrossNewYear();
};

void TestChart::opensOnTheItemAndSwitchesTheOpenWindow()
{
    TestEnv env;
    writeTwoItems(env);
    const QStringList filesBefore = QDir(env.dir()).entryList(QDir::Files | QDir::Hidden);
    const QByteArray historyBefore = readBytes(QStringLiteral("A.txt"));

    chart::showChart(nullptr, 2);
    QWidget* window = chartWindow();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillmora - グラフ"));
    QCOMPARE(entries(control<QComboBox>("cboItem")), (QStringList{"全項目", "A", "B"}));
    QCOMPARE(entries(control<QComboBox>("cboRange")),
             (QStringList{"直近 4 週間", "直近 12 週間", "直近 1 年", "すべて"}));
    QCOMPARE(control<QComboBox>("cboItem")->currentText(), QStringLiteral("B"));
    QCOMPARE(figures(), QStringLiteral("合計 7 回　記録した日数 2 日　1 日平均 3.5 回　最高 4 回（2026年12月7日）　"
                                       "連続記録 現在 2 日・この期間の最長 2 日"));

    // Asked again for another item: the same window, switched over.
    chart::showChart(nullptr, 1);
    QCOMPARE(chartWindow(), window);
    QCOMPARE(control<QComboBox>("cboItem")->currentText(), QStringLiteral("A"));
    QCOMPARE(figures(), QStringLiteral("合計 43 回　記録した日数 3 日　1 日平均 14.3 回　最高 20 回（2026年12月1日）　"
                                       "連続記録 現在 1 日・この期間の最長 2 日"));

    // All items: the days added up, the instructed counts too.
    chart::showChart(nullptr, 0);
    QCOMPARE(figures(), QStringLiteral("合計 50 回　記録した日数 4 日　1 日平均 12.5 回　最高 20 回（2026年12月1日）　"
                                       "連続記録 現在 2 日・この期間の最長 2 日"));
    // What assistive technology reads: a chart, described by its figures and its last days.
    QAccessibleInterface* chartAccessible = QAccessible::queryAccessibleInterface(control<QWidget>("picChart"));
    QVERIFY(chartAccessible);
    QCOMPARE(chartAccessible->role(), QAccessible::Chart);
    const QString description = chartAccessible->text(QAccessible::Description);
    QVERIFY2(description.startsWith(QStringLiteral("全項目　直近 4 週間（1 日ごと）　2026年11月10日〜2026年12月7日、"
                                                   "指示数 15 回。合計 50 回")),
             qPrintable(description));
    QVERIFY(description.endsWith(QStringLiteral("2026年12月6日（日）　11 回、2026年12月7日（月）　4 回。")));

    // The figures are read out as they are shown.
    QAccessibleInterface* figuresAccessible = QAccessible::queryAccessibleInterface(control<QWidget>("lblFigures"));
    QVERIFY(figuresAccessible);
    QCOMPARE(figuresAccessible->text(QAccessible::Name), figures());

    // Every control says what it is.
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if ((child->focusPolicy() & Qt::TabFocus) && child->isVisibleTo(window)) {
            QVERIFY2(!QAccessible::queryAccessibleInterface(child)->text(QAccessible::Name).isEmpty(),
                     qPrintable(child->objectName() + QLatin1Char(' ') + child->metaObject()->className()));
        }
    }

    QTest::mouseClick(control<QPushButton>("cmdClose"), Qt::LeftButton);
    QVERIFY(chartWindowDeleted());
    // The chart wrote nothing: no settings of its own, no history touched.
    QCOMPARE(QDir(env.dir()).entryList(QDir::Files | QDir::Hidden), filesBefore);
    QCOMPARE(readBytes(QStringLiteral("A.txt")), historyBefore);
    QCOMPARE(QFileInfo(QStringLiteral("A.txt")).lastModified(), kNow);
    QVERIFY(env.dialogs().verify());
}

void TestChart::daysKeptWhileTheFileStaysTheSame()
{
    // The open window keeps each item's days; a record added since is read all the same.
    TestEnv env;
    writeTwoItems(env);
    chart::showChart(nullptr, 1);
    QVERIFY(figures().startsWith(QStringLiteral("合計 43 回")));
    writeHistory(QStringLiteral("A"),
                 readDataFile(QStringLiteral("A.txt")) + QStringLiteral("\"12月07日\",\"09時00分00秒\",6\n"), kNow);
    chart::showChart(nullptr, 2);
    chart::showChart(nullptr, 1);
    QVERIFY2(figures().startsWith(QStringLiteral("合計 49 回　記録した日数 4 日")), qPrintable(figures()));
    QVERIFY(env.dialogs().verify());
}

void TestChart::keyboardChoosesRangeAndBars()
{
    TestEnv env;
    writeTwoItems(env);
    chart::showChart(nullptr, 1);
    QWidget* window = chartWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    auto* items = control<QComboBox>("cboItem");
    auto* ranges = control<QComboBox>("cboRange");
    auto* chartView = control<QWidget>("picChart");
    QCOMPARE(QApplication::focusWidget(), items);
    QWidget* order[] = {items,
                        ranges,
                        chartView,
                        control<QWidget>("lblFigures"),
                        control<QWidget>("cmdSaveImage"),
                        control<QWidget>("cmdExportCsv"),
                        control<QWidget>("cmdClose"),
                        items};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QCOMPARE(nextTabStop(order[i]), order[i + 1]);

    // The range with the arrow keys: 12 weeks reach back to 10月01日.
    pressKey(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ranges);
    pressKey(Qt::Key_Down);
    QCOMPARE(ranges->currentText(), QStringLiteral("直近 12 週間"));
    QVERIFY(figures().startsWith(QStringLiteral("合計 48 回　記録した日数 4 日")));
    pressKey(Qt::Key_Down);
    QVERIFY(chartView->accessibleDescription().contains(QStringLiteral("（1 週ごと）")));
    pressKey(Qt::Key_Up);
    pressKey(Qt::Key_Up);
    QCOMPARE(ranges->currentText(), QStringLiteral("直近 4 週間"));

    // The item through its caption's access key.
    pressKey(Qt::Key_K, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), items);
    pressKey(Qt::Key_Down);
    QCOMPARE(items->currentText(), QStringLiteral("B"));
    pressKey(Qt::Key_Up);

    // Bars with the arrow keys; the chosen bar is told on screen and to assistive technology.
    chartView->setFocus();
    pressKey(Qt::Key_End);
    QCOMPARE(chosenBar(), QStringLiteral("2026年12月7日（月）　記録なし"));
    pressKey(Qt::Key_Left);
    QCOMPARE(chosenBar(), QStringLiteral("2026年12月6日（日）　8 回"));
    QCOMPARE(chartView->accessibleName(), QStringLiteral("グラフ 2026年12月6日（日）　8 回"));
    pressKey(Qt::Key_PageUp);
    QCOMPARE(chosenBar(), QStringLiteral("2026年11月29日（日）　記録なし"));
    pressKey(Qt::Key_Home);
    QCOMPARE(chosenBar(), QStringLiteral("2026年11月10日（火）　記録なし"));
    pressKey(Qt::Key_Left);  // stays on the first bar
    QCOMPARE(chosenBar(), QStringLiteral("2026年11月10日（火）　記録なし"));

    // Escape closes an open drop-down, and only then the window.
    ranges->setFocus();
    ranges->showPopup();
    QTRY_VERIFY(QApplication::activePopupWidget());
    pressKey(Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QVERIFY(!chartWindowDeleted());
    pressKey(Qt::Key_Escape);
    QVERIFY(chartWindowDeleted());
}

void TestChart::mouseChoosesTheBarUnderIt()
{
    TestEnv env;
    writeTwoItems(env);
    chart::showChart(nullptr, 1);
    auto* chartView = control<QWidget>("picChart");
    QVERIFY(QTest::qWaitForWindowExposed(chartView));

    // Item A's four weeks hold three bars: 12月1日, 2日 and 6日, and nothing on the days between. A click
    // anywhere on a bar, its edges too, chooses that bar.
    const QImage before = chartView->grab().toImage();
    const QList<QPair<int, int>> bars = columnsOf(before, chart::kBarColour);
    QCOMPARE(bars.size(), 3);
    const int last = (bars[2].first + bars[2].second) / 2;
    const int second = (bars[1].first + bars[1].second) / 2;
    QTest::mouseClick(chartView, Qt::LeftButton, {}, pointIn(before, bars[2].first, chart::kBarColour));
    QCOMPARE(chosenBar(), QStringLiteral("2026年12月6日（日）　8 回"));
    QTest::mouseClick(chartView, Qt::LeftButton, {}, pointIn(before, bars[1].second, chart::kBarColour));
    QCOMPARE(chosenBar(), QStringLiteral("2026年12月2日（水）　15 回"));
    QTest::mouseClick(chartView, Qt::LeftButton, {}, pointIn(before, bars[2].second, chart::kBarColour));
    QCOMPARE(chosenBar(), QStringLiteral("2026年12月6日（日）　8 回"));
    // The bar clicked is the bar drawn as chosen.
    const QList<QPair<int, int>> chosen = columnsOf(chartView->grab().toImage(), chart::kChosenColour);
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen[0], bars[2]);

    // Halfway between 12月2日 and 12月6日 stands the gap of 12月4日.
    QTest::mouseClick(chartView, Qt::LeftButton, {},
                      QPoint((second + last) / 2, pointIn(before, last, chart::kBarColour).y()));
    QCOMPARE(chosenBar(), QStringLiteral("2026年12月4日（金）　記録なし"));
}

void TestChart::menuAndShortcutOnTheSettingsLists()
{
    // The settings window's lists get the menu and Ctrl+G: the item list for its current entry, the history
    // list and the rest of the window for the item the history shows.
    TestEnv env;
    writeTwoItems(env);
    frmSettei& form = showSettings();
    QWidget* settings = form.window();
    QVERIFY(QTest::qWaitForWindowActive(settings));
    auto* itemList = settings->findChild<QListWidget*>(QStringLiteral("lstKoumoku"));
    auto* historyList = settings->findChild<QAbstractItemView*>(QStringLiteral("lstRireki"));

    // Right click on B: the menu for B, and its first entry opens B's chart.
    const QPoint onB = itemList->viewport()->mapTo(settings, itemList->visualItemRect(itemList->item(1)).center());
    QTest::mouseClick(settings->windowHandle(), Qt::RightButton, {}, onB);
    QMenu* menu = openMenu();
    QVERIFY(menu);
    QCOMPARE(menuTexts(menu), (QStringList{"グラフを表示", "CSV 形式で書き出す..."}));
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
    QVERIFY(chartWindow() && chartWindow()->isVisible());
    QCOMPARE(control<QComboBox>("cboItem")->currentText(), QStringLiteral("B"));

    // Shift+F10 on the item list, second entry: the export of B; a box says where the file went.
    const QString csv = QDir(env.dir()).filePath(QStringLiteral("B.csv"));
    {
        env.answerSaveDialogs(csv);
        env.dialogs().expectMessage(QStringLiteral("「%1」に書き出しました。").arg(QDir::toNativeSeparators(csv)),
                                    QStringLiteral("CSV 形式で書き出す"), platform::vbInformation);
        itemList->activateWindow();
        itemList->setFocus();
        QTest::keyClick(itemList, Qt::Key_F10, Qt::ShiftModifier);
        menu = openMenu();
        QVERIFY(menu);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
        QCOMPARE(env.saveRequests().size(), 1);
        QCOMPARE(env.saveRequests()[0].title, QStringLiteral("CSV 形式で書き出す"));
        QCOMPARE(QFileInfo(env.saveRequests()[0].suggestedPath).fileName(), QStringLiteral("B.csv"));
    }
    QVERIFY(QFile::exists(csv));

    // The Menu key on the history list: the menu for the item it shows (A); Escape closes it.
    historyList->setFocus();
    QTest::keyClick(historyList, Qt::Key_Menu);
    menu = openMenu();
    QVERIFY(menu);
    QTest::keyClick(menu, Qt::Key_Escape);
    QVERIFY(!openMenu());

    // Ctrl+G in the settings window brings the open chart to the item shown in the history view.
    QWidget* chart = chartWindow();
    settings->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(settings));
    QTest::keyClick(historyList, Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(chartWindow(), chart);
    QCOMPARE(control<QComboBox>("cboItem")->currentText(), QStringLiteral("A"));
    // In the item list, whose menu shows Ctrl+G beside グラフを表示, it charts the list's entry (B).
    itemList->setCurrentRow(1);
    itemList->setFocus();
    QTest::keyClick(itemList, Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(control<QComboBox>("cboItem")->currentText(), QStringLiteral("B"));

    // The chart belongs to the settings window and goes with it at once, though the window's deletion may
    // wait (for the whole start wait, when 開始 unloads it).
    form.Unload();
    QVERIFY(!chart->isVisible());
    QVERIFY(chartWindowDeleted());
    QVERIFY(env.dialogs().verify());
}

void TestChart::savesTheChartAsAPicture()
{
    TestEnv env;
    writeTwoItems(env);
    chart::showChart(nullptr, 1);
    auto* chartView = control<QWidget>("picChart");
    auto* save = control<QPushButton>("cmdSaveImage");
    const QString path = QDir(env.dir()).filePath(QStringLiteral("グラフ.png"));
    env.answerSaveDialogs(path);
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(QFileInfo(env.saveRequests().value(0).suggestedPath).fileName(), QStringLiteral("A.png"));
    // The picture is what the window shows: the chart with its heading and legend, and the figures below.
    QImage picture;
    QVERIFY(picture.load(path, "PNG"));
    const QImage chartShown = chartView->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage figuresShown = control<QWidget>("lblFigures")->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(picture.size(), QSize(chartShown.width(), chartShown.height() + figuresShown.height()));
    QVERIFY(picture.copy(chartShown.rect()) == chartShown);
    QVERIFY(picture.copy(figuresShown.rect().translated(0, chartShown.height())) == figuresShown);
    QCOMPARE(columnsOf(picture, chart::kBarColour).size(), 3);
    QCOMPARE(control<QLabel>("lblStatus")->text(),
             QStringLiteral("「%1」に画像を保存しました。").arg(QDir::toNativeSeparators(path)));

    // Cancelled: nothing written, nothing said.
    QFile::remove(path);
    env.answerSaveDialogs(QString());
    save->click();
    QVERIFY(!QFile::exists(path));
    QVERIFY(control<QLabel>("lblStatus")->text().isEmpty());

    // The CSV file's place is told the same way.
    const QString csv = QDir(env.dir()).filePath(QStringLiteral("A.csv"));
    env.answerSaveDialogs(csv);
    control<QPushButton>("cmdExportCsv")->click();
    QCOMPARE(control<QLabel>("lblStatus")->text(),
             QStringLiteral("「%1」に書き出しました。").arg(QDir::toNativeSeparators(csv)));
    QVERIFY(env.dialogs().verify());
}

void TestChart::longNamesAndLongAxesReadWhole()
{
    TestEnv env;
    writeLongHistories(env);
    chart::showChart(nullptr, 2);
    auto* chartView = control<chart::ChartView>("picChart");
    auto* ranges = control<QComboBox>("cboRange");
    QWidget* window = chartWindow();
    // The item chooser shows the name's start and "…", drawn as a chooser of that text alone.
    auto* items = control<platform::NameComboBox>("cboItem");
    const QString shownName = items->shownText();
    QVERIFY2(shownName.startsWith(QStringLiteral("伸伸伸")) && shownName.endsWith(QChar(0x2026)),
             qPrintable(shownName));
    platform::NameComboBox alone(platform::NameComboBox::Kind::ChooseOnly);
    alone.addItem(shownName);
    alone.setFont(items->font());
    alone.resize(items->size());
    QCOMPARE(items->grab().toImage().convertToFormat(QImage::Format_RGB32),
             alone.grab().toImage().convertToFormat(QImage::Format_RGB32));
    QFont headingFont = chartView->font();
    headingFont.setBold(true);
    const QFontMetrics heading(headingFont);
    for (const QSize& size : {window->size(), window->minimumSizeHint()}) {
        window->resize(size);
        for (int range = 0; range < ranges->count(); ++range) {
            ranges->setCurrentIndex(range);
            // The heading's lines fit, and its days are whole on one of them.
            const chart::ChartView::Layout layout =
                chart::ChartView::layOut(chartView->content(), chartView->rect(), chartView->font());
            const QStringList& lines = layout.heading;
            const QString span = chartView->content().span;
            QVERIFY2(std::any_of(lines.begin(), lines.end(), [&](const QString& line) { return line.contains(span); }),
                     qPrintable(lines.join(u'|')));
            for (const QString& line : lines)
                QVERIFY2(heading.horizontalAdvance(line) <= chartView->width(), qPrintable(line));
            if (!chartView->content().weekly)
                continue;
            // Weeks over 400 days: January names its year, as does the first month; no date over another.
            const std::vector<chart::ChartView::DateLabel>& labels = layout.dates;
            QStringList texts;
            for (size_t i = 0; i < labels.size(); ++i) {
                texts.append(labels[i].text);
                QVERIFY(i == 0 || labels[i - 1].rect.right() < labels[i].rect.left());
            }
            QVERIFY2(texts.contains(QStringLiteral("2026年1月")), qPrintable(texts.join(u'|')));
            QVERIFY2(texts.first().contains(u'年'), qPrintable(texts.join(u'|')));
        }
    }
}

void TestChart::weeksCompareWithTheirDaysInstructed()
{
    // Every day trained was done as instructed: each week's bar reaches its mark, whatever days it holds.
    TestEnv env;
    writeLongHistories(env);
    chart::showChart(nullptr, 1);
    control<QComboBox>("cboRange")->setCurrentIndex(2);
    const QImage picture = control<QWidget>("picChart")->grab().toImage();
    const QList<QPair<int, int>> bars = columnsOf(picture, chart::kBarColour);
    QCOMPARE(bars.size(), 51);  // this week has no record yet
    const int nearby = 3 * static_cast<int>(picture.devicePixelRatio());
    for (const auto& [left, right] : bars) {
        const int x = (left + right) / 2;
        int top = 0;
        while (picture.pixelColor(x, top) != chart::kBarColour)
            ++top;
        bool marked = false;
        for (int y = std::max(0, top - nearby); y <= top; ++y)
            marked = marked || picture.pixelColor(x, y) == chart::kReferenceColour;
        QVERIFY2(marked, qPrintable(QStringLiteral("the bar at %1 ends at %2 without a mark").arg(x).arg(top)));
    }
}

void TestChart::aNameTypedWithQuotesIsTheFileWritten()
{
    // Qt's own save dialog, typed into as a user types: it would read the quotes as a list of names.
#ifdef Q_OS_WIN
    QSKIP("Windows has its own save dialog, and no quotes in file names");
#endif
    TestEnv env;
    writeTwoItems(env);
    const QDir out(QDir(env.dir()).filePath(QStringLiteral("out")));
    QVERIFY(QDir().mkdir(out.path()));
    env.answerSaveDialogs(out.filePath(QStringLiteral("first.csv")));  // the dialog opens there from now on
    chart::exportCsv(nullptr, 1);
    QmrM::Seams realDialog = QmrM::seams();
    realDialog.saveFileName = nullptr;
    const QmrM::SeamsScope scope(realDialog);
    QTimer::singleShot(0, [] {
        QWidget* dialog = nullptr;
        QTRY_VERIFY((dialog = QApplication::activeModalWidget()) != nullptr);
        QTest::keyClicks(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")), QStringLiteral("-x \"q\" ..."));
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    chart::exportCsv(nullptr, 1);
    QCOMPARE(out.entryList(QDir::Files), (QStringList{"-x \"q\" ...", "first.csv"}));
    QCOMPARE(readBytes(out.filePath(QStringLiteral("-x \"q\" ..."))),
             readBytes(out.filePath(QStringLiteral("first.csv"))));
    QVERIFY(!QFile::exists(QStringLiteral("q.csv")));
}

void TestChart::unreadableHistoryIsToldAndLeftOut()
{
    TestEnv env;
    writeTwoItems(env);
    QFile::remove(QStringLiteral("A.txt"));
    QVERIFY(QDir().mkdir(QStringLiteral("A.txt")));
    env.dialogs().expectMessage(
        QStringLiteral("ファイル「A.txt」を開けませんでした。\n（同じ名前のフォルダーがあります）\n"
                       "この履歴はグラフに入っていません。"),
        QStringLiteral("Quillmora - グラフ"), platform::vbExclamation);
    chart::showChart(nullptr, 0);
    QVERIFY(figures().startsWith(QStringLiteral("合計 7 回　記録した日数 2 日")));

    const QString csv = QDir(env.dir()).filePath(QStringLiteral("all.csv"));
    env.answerSaveDialogs(csv);
    env.dialogs().expectMessage(
        QStringLiteral("ファイル「A.txt」を開けませんでした。\n（同じ名前のフォルダーがあります）\n"
                       "書き出しは行われませんでした。"),
        QStringLiteral("CSV 形式で書き出す"), platform::vbExclamation);
    QTest::mouseClick(control<QPushButton>("cmdExportCsv"), Qt::LeftButton);
    QVERIFY(!QFile::exists(csv));
    QVERIFY(env.dialogs().verify());
}

void TestChart::historyMadeByTheProgramAcrossNewYear()
{
    // Two items registered in the settings window, then five passes of the training window over the turn
    // of the year, one with a count typed in.
    TestEnv env;
    frmSettei& form = frmSettei::instance();
    form.Show();
    registerItem(env, QStringLiteral("腕立て"), QStringLiteral("20"));
    registerItem(env, QStringLiteral("腹筋"), QStringLiteral("15"));
    form.Unload();
    writeSettings(QStringLiteral("0,0,1"));

    const QDateTime passes[] = {
        {QDate(2026, 12, 30), QTime(9, 0)}, {QDate(2026, 12, 30), QTime(15, 0)}, {QDate(2026, 12, 31), QTime(9, 0)},
        {QDate(2027, 1, 1), QTime(10, 0)},  {QDate(2027, 1, 3), QTime(9, 0)},
    };
    for (const QDateTime& when : passes) {
        env.clock().setTimeOfDay(when);
        frmMain& training = frmMain::instance();
        training.Load();
        QWidget* window = training.window();
        QVERIFY(window);
        auto* next = window->findChild<QToolButton*>(QStringLiteral("cmdNext"));
        if (when.time() == QTime(15, 0)) {
            auto* countBox = window->findChild<QLineEdit*>(QStringLiteral("txtKaisu"));
            countBox->selectAll();
            QTest::keyClicks(countBox, QStringLiteral("12"));
        }
        QTest::mouseClick(next, Qt::LeftButton);
        QTest::mouseClick(next, Qt::LeftButton);
        QVERIFY(!training.isLoaded());
        frmSettei::instance().Unload();
    }
    // The files were last written at the last pass; the test's clock does not reach the file system's.
    for (const QString& file : {QStringLiteral("腕立て.txt"), QStringLiteral("腹筋.txt")})
        setModified(file, passes[4].addSecs(1));

    env.clock().setTimeOfDay(QDateTime(QDate(2027, 1, 3), QTime(20, 0)));
    chart::showChart(nullptr, 0);
    QCOMPARE(figures(),
             QStringLiteral("合計 167 回　記録した日数 4 日　1 日平均 41.8 回　最高 62 回（2026年12月30日）　"
                            "連続記録 現在 1 日・この期間の最長 3 日"));
    // Everything of one item agrees with the history view's total.
    chart::showChart(nullptr, 1);
    control<QComboBox>("cboRange")->setCurrentIndex(3);
    QVERIFY(figures().startsWith(QStringLiteral("合計 92 回　記録した日数 4 日")));
    frmSettei::instance().Show();
    QCOMPARE(frmSettei::instance().window()->findChild<QLabel*>(QStringLiteral("lblGoukei"))->text(),
             QStringLiteral("合計回数 ： 92"));

    env.answerSaveDialogs(QDir(env.dir()).filePath(QStringLiteral("腕立て.csv")));
    chart::exportCsv(nullptr, 1);
    QCOMPARE(readBytes(QStringLiteral("腕立て.csv")),
             "\xEF\xBB\xBF" + QStringLiteral("項目,日付,時刻,回数\r\n"
                                             "腕立て,2026-12-30,09:00:00,20\r\n"
                                             "腕立て,2026-12-30,15:00:00,12\r\n"
                                             "腕立て,2026-12-31,09:00:00,20\r\n"
                                             "腕立て,2027-01-01,10:00:00,20\r\n"
                                             "腕立て,2027-01-03,09:00:00,20\r\n")
                                  .toUtf8());
    QVERIFY(env.dialogs().verify());
}

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
