// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchSupport.h"

#include "app/Program.h"
#include "platform/Dialogs.h"
#include "shared/QmrM.h"
#include "shared/TextEncoding.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/resource.h>

namespace bench {

int64_t monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double msSince(int64_t startNs)
{
    return static_cast<double>(monotonicNs() - startNs) / 1e6;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) + tv.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long voluntarySwitches()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw;
}

long procStatusKb(const char* key)
{
    FILE* file = std::fopen("/proc/self/status", "r");
    if (!file)
        return 0;
    char line[256];
    long value = 0;
    const size_t keyLength = std::strlen(key);
    while (std::fgets(line, sizeof line, file)) {
        if (std::strncmp(line, key, keyLength) == 0 && line[keyLength] == ':') {
            value = std::strtol(line + keyLength + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(file);
    return value;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

double minimum(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

double maximum(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

void row(const QString& figure, const QString& measured, const QString& target, const QString& verdict)
{
    const QString line = QStringLiteral("ROW\t%1\t%2\t%3\t%4\n")
                             .arg(figure, measured, target.isEmpty() ? QStringLiteral("-") : target,
                                  verdict.isEmpty() ? QStringLiteral("-") : verdict);
    std::fputs(line.toUtf8().constData(), stdout);
    std::fflush(stdout);
}

QString verdict(bool met)
{
    return met ? QStringLiteral("met") : QStringLiteral("MISSED");
}

QString ms(double value, int decimals)
{
    return QString::number(value, 'f', decimals) + QStringLiteral(" ms");
}

DataFolder::DataFolder() : mPrevious(QDir::currentPath())
{
    const QString base = qEnvironmentVariable("BENCH_TMP");
    mDir = base.isEmpty() ? std::make_unique<QTemporaryDir>()
                          : std::make_unique<QTemporaryDir>(base + QStringLiteral("/data-XXXXXX"));
    if (!mDir->isValid())
        qFatal("cannot create a data folder");
    QDir::setCurrent(mDir->path());
}

DataFolder::~DataFolder()
{
    QDir::setCurrent(mPrevious);
}

QString DataFolder::path() const
{
    return mDir->path();
}

void writeDataFile(const QString& name, const QStringList& lines)
{
    writeDataFile(name, int(lines.size()), [&lines](int i) { return lines[i]; });
}

void writeDataFile(const QString& name, int count, const std::function<QString(int)>& line)
{
    constexpr int kLinesAtOnce = 4096;
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(name));
    for (int first = 0; first < count; first += kLinesAtOnce) {
        QString text;
        for (int i = first; i < std::min(count, first + kLinesAtOnce); ++i)
            text += line(i) + QStringLiteral("\r\n");
        const auto bytes = QmrM::encodeCp932(text);
        if (!bytes || file.write(*bytes) != bytes->size())
            qFatal("cannot write %s", qPrintable(name));
    }
}

QString historyRecord(int day, int second, int count)
{
    return QStringLiteral("\"%1月%2日\",\"%3時%4分%5秒\",%6")
        .arg(day / 28 % 12 + 1, 2, 10, QLatin1Char('0'))
        .arg(day % 28 + 1, 2, 10, QLatin1Char('0'))
        .arg(second / 3600, 2, 10, QLatin1Char('0'))
        .arg(second / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(second % 60, 2, 10, QLatin1Char('0'))
        .arg(count);
}

void writeItems(int count)
{
    QStringList items;
    for (int i = 1; i <= count; ++i) {
        const QString name = QStringLiteral("項目%1").arg(i);
        items.append(QStringLiteral("\"%1\",20").arg(name));
        QFile history(QmrM::historyFileName(name));
        if (!history.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot create a history file");
    }
    writeDataFile(QStringLiteral("項目一覧.txt"), items);
    writeDataFile(QStringLiteral("設定.txt"), {QStringLiteral("0,0,1")});
}

namespace {

QmrM::Seams okAnswers(int& shown)
{
    QmrM::Seams seams;
    seams.messageBox = [&shown](const QString&, const QString&, int, QObject*) {
        ++shown;
        return int(platform::vbOK);
    };
    seams.inputBox = [&shown](const QString&, const QString&, const QString&) {
        ++shown;
        return QString();
    };
    return seams;
}

}  // namespace

OkDialogs::OkDialogs() : mSeams(okAnswers(shown)) {}

QWidget* control(const platform::Form& form, const char* name)
{
    QWidget* found = form.window() ? form.window()->findChild<QWidget*>(QLatin1String(name)) : nullptr;
    if (!found)
        qFatal("no control %s in the loaded window", name);
    return found;
}

void click(const platform::Form& form, const char* name)
{
    auto* button = qobject_cast<QAbstractButton*>(control(form, name));
    if (!button)
        qFatal("%s is not a button", name);
    button->click();
}

FrameProbe::FrameProbe(const QString& windowName, std::function<void()> onFrame)
    : mName(windowName), mOnFrame(std::move(onFrame))
{
    QCoreApplication::instance()->installEventFilter(this);
}

void FrameProbe::reset()
{
    mPainted = mFramed = false;
    mFrameNs = 0;
}

bool FrameProbe::eventFilter(QObject* watched, QEvent* event)
{
    if (!mPainted && event->type() == QEvent::Paint && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow() && watched->objectName() == mName) {
        mPainted = true;
        // The window paints its children and flushes within the same cycle: the frame is complete once
        // control is back in the event loop.
        QTimer::singleShot(0, this, [this] {
            mFrameNs = monotonicNs();
            mFramed = true;
            if (mOnFrame)
                mOnFrame();
        });
    }
    return false;
}

bool FrameProbe::wait(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!mFramed && !deadline.hasExpired()) {
        QTimer wake;  // bounds the sleep, so that the deadline is noticed
        wake.setSingleShot(true);
        wake.start(50);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return mFramed;
}

void settle(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QTimer wake;
        wake.setSingleShot(true);
        wake.start(std::max<qint64>(1, deadline.remainingTime()));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

ProgramSetup::ProgramSetup()
{
    Program::setUp(*qApp);
}

ProgramSetup::~ProgramSetup()
{
    Program::tearDown();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace bench
