// SPDX-License-Identifier: GPL-3.0-or-later
// Makes the help's pictures of the two windows from the program itself: each window is loaded offscreen on
// sample data in a temporary folder, grabbed and written as a PNG file that the help file is compiled with.
// The pictures therefore show the windows as the program draws them, icons, fonts and layout included.
//
// Usage: help_pictures <output folder>     writes training.png, settings.png and chart.png into the folder

#include "app/Program.h"
#include "chart/ProgressActions.h"
#include "platform/AppSetup.h"
#include "platform/Guard.h"
#include "settings/frmSettei.h"
#include "shared/Clock.h"
#include "shared/DataFiles.h"
#include "shared/QmrM.h"
#include "shared/RecordForm.h"
#include "shared/Seams.h"
#include "training/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <QToolButton>

#include <cstdio>
#include <iterator>
#include <stdexcept>
#include <string>

using namespace QmrM;

namespace {

struct SampleItem {
    const char16_t* name;
    int16_t count;
};

// The items the pictures show, as a new user might register them, in the language of the windows.
const SampleItem kSampleItems[] = {
    {u"腕立て伏せ", 20}, {u"腹筋", 30}, {u"スクワット", 25}, {u"背筋", 20}, {u"首のストレッチ", 10},
};
const SampleItem kEnglishSampleItems[] = {
    {u"Push-ups", 20}, {u"Sit-ups", 30}, {u"Squats", 25}, {u"Back raises", 20}, {u"Neck stretch", 10},
};
static_assert(std::size(kSampleItems) == std::size(kEnglishSampleItems));

// The system's clock with a time of day of our choosing, for the dates of the sample records.
class SampleClock final : public Clock {
public:
    QDateTime now() const override { return mNow; }
    qint64 elapsedMs() const override { return systemClock().elapsedMs(); }
    std::unique_ptr<Alarm> alarmAt(qint64 deadlineMs, std::function<void()> wake) override
    {
        return systemClock().alarmAt(deadlineMs, std::move(wake));
    }
    void set(const QDateTime& now) { mNow = now; }

private:
    QDateTime mNow;
};

void writeSampleData(SampleClock& clock)
{
    gKoumoku.assign(1, QString());
    gShijiSu.assign(1, 0);
    const bool english = platform::interfaceLanguage() == QStringLiteral("en");
    for (const SampleItem& item : english ? kEnglishSampleItems : kSampleItems) {
        gKoumoku.push_back(QString::fromUtf16(item.name));
        gShijiSu.push_back(item.count);
    }
    gKoumokuSu = static_cast<int16_t>(std::size(kSampleItems));
    SaveItems();
    // A fixed wait of 15 minutes; the instructed counts as they are.
    gRandomTim = 0;
    gRandomKaisu = 0;
    gWaitJikan = 15;
    const QString settings = RecordWriter().integer(gRandomTim).integer(gRandomKaisu).real(gWaitJikan).line();
    replaceFileAtomically(kSettingsFile, encodeRecords(kSettingsFile, settings));
    // Two passes of the first item on one morning.
    const QDate day(2026, 12, 6);
    clock.set(QDateTime(day, QTime(9, 18, 7)));
    appendHistoryRecord(gKoumoku[1], 20);
    clock.set(QDateTime(day, QTime(10, 2, 45)));
    appendHistoryRecord(gKoumoku[1], 18);
}

// Four weeks of the first item before that morning, a few days skipped, for the picture of the chart.
void writeSampleWeeks(SampleClock& clock)
{
    const QString name = gKoumoku[1];
    const QString history = historyFileName(name);
    const QByteArray morning = readWholeFile(history);
    replaceFileAtomically(history, QByteArray());
    const QDate today(2026, 12, 6);
    for (int daysBack = 27; daysBack >= 1; --daysBack) {
        if (daysBack % 9 == 4 || daysBack % 11 == 2)
            continue;  // a day without training
        const QDate day = today.addDays(-daysBack);
        clock.set(QDateTime(day, QTime(9, 30)));
        appendHistoryRecord(name, 15 + (daysBack * 7) % 11);
        if (daysBack % 3 == 0) {
            clock.set(QDateTime(day, QTime(16, 10)));
            appendHistoryRecord(name, 12 + daysBack % 9);
        }
    }
    appendToFile(history, morning);
    clock.set(QDateTime(today, QTime(10, 2, 45)));
    // The chart counts the records' years from the file's time: the morning of the pictures, whatever
    // day the help is built on.
    QFile file(history);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(QDateTime(today, QTime(10, 2, 45)), QFileDevice::FileModificationTime);
}

// A numbered mark as the help's tables refer to the parts of a window: a red disc with a white number.
void drawMark(QPainter& painter, QPoint centre, int number)
{
    constexpr int kRadius = 9;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.setBrush(QColor(0xCC, 0x22, 0x22));
    painter.drawEllipse(centre, kRadius, kRadius);
    QFont font = platform::namedFont(9);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(centre.x() - kRadius, centre.y() - kRadius, 2 * kRadius, 2 * kRadius), Qt::AlignCenter,
                     QString::number(number));
    painter.restore();
}

// The window as the program draws it, inside a thin frame.
QImage grabWindow(QWidget* window)
{
    const QImage content = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage picture(content.width() + 2, content.height() + 2, QImage::Format_RGB32);
    picture.fill(QColor(0x80, 0x80, 0x80));
    QPainter painter(&picture);
    painter.drawImage(1, 1, content);
    return picture;
}

// Where a control lies in the picture of its window.
QRect placeOf(QWidget* window, const char* name)
{
    auto* control = window->findChild<QWidget*>(QLatin1String(name));
    if (!control)
        throw std::runtime_error(std::string("no control ") + name);
    return QRect(control->mapTo(window, QPoint(0, 0)) + QPoint(1, 1), control->size());
}

bool savePicture(const QImage& picture, const QDir& folder, const QString& name)
{
    const QString path = folder.filePath(name);
    if (picture.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "help_pictures: cannot write %s\n", qPrintable(QDir::toNativeSeparators(path)));
    return false;
}

// The training window on its first item, marked with the numbers of the help's table.
bool makeTrainingPicture(const QDir& folder)
{
    frmMain& form = frmMain::instance();
    form.Load();
    if (!form.isLoaded())
        return false;
    QWidget* window = form.window();
    QImage picture = grabWindow(window);
    QPainter painter(&picture);
    const QRect plan = placeOf(window, "Frame1");
    const QRect name = placeOf(window, "lblKoumoku");
    const QRect count = placeOf(window, "lblKaisu");
    const QRect box = placeOf(window, "txtKaisu");
    const QRect bar = placeOf(window, "hsbKaisu");
    const QRect next = placeOf(window, "cmdNext");
    const QRect cut = placeOf(window, "cmdCut");
    drawMark(painter, QPoint(plan.center().x() + 30, plan.top() + 8), 1);
    // Beside the large name and count, on the plan's edge, where they cover no text.
    drawMark(painter, QPoint(name.left(), name.top() + 12), 2);
    drawMark(painter, QPoint(count.left(), count.center().y()), 3);
    drawMark(painter, QPoint(box.left() - 14, box.center().y()), 4);
    drawMark(painter, QPoint(bar.left() - 14, bar.center().y()), 5);
    drawMark(painter, QPoint(next.center().x(), next.top() - 12), 6);
    drawMark(painter, QPoint(cut.left() - 14, cut.center().y()), 7);
    painter.end();
    form.Unload();
    return savePicture(picture, folder, QStringLiteral("training.png"));
}

// The settings window with the first item chosen in the list of items.
bool makeSettingsPicture(const QDir& folder)
{
    frmSettei& form = frmSettei::instance();
    form.Show();
    if (!form.isLoaded())
        return false;
    QWidget* window = form.window();
    window->findChild<QListWidget*>(QStringLiteral("lstKoumoku"))->setCurrentRow(0);
    const QImage picture = grabWindow(window);
    form.Unload();
    return savePicture(picture, folder, QStringLiteral("settings.png"));
}

// The chart window on the first item, as the settings window's menu opens it.
bool makeChartPicture(const QDir& folder)
{
    chart::showChart(nullptr, 1);
    QWidget* window = chart::openChartWindow();
    if (!window)
        return false;
    window->resize(570, 390);
    const QImage picture = window->grab().toImage();
    window->close();
    return savePicture(picture, folder, QStringLiteral("chart.png"));
}

}  // namespace

int main(int argc, char* argv[])
{
    // Offscreen, so that the pictures are the same on any desktop and on a build machine without one.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Program::setUp(app);
    SampleClock clock;
    Seams seams;
    seams.clock = &clock;
    const SeamsScope sampleTime(std::move(seams));
    if (argc != 2) {
        std::fprintf(stderr, "usage: help_pictures <output folder>\n");
        return 2;
    }
    const QDir folder(QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1])));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "help_pictures: cannot create %s\n", argv[1]);
        return 1;
    }
    QTemporaryDir data;
    const QString previous = QDir::currentPath();
    if (!data.isValid() || !QDir::setCurrent(data.path())) {
        std::fprintf(stderr, "help_pictures: no temporary folder for the sample data\n");
        return 1;
    }
    bool made = false;
    try {
        writeSampleData(clock);
        made = makeTrainingPicture(folder) && makeSettingsPicture(folder);
        writeSampleWeeks(clock);
        made = made && makeChartPicture(folder);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "help_pictures: %s\n", error.what());
    }
    Program::tearDown();
    QDir::setCurrent(previous);
    return made ? 0 : 1;
}
