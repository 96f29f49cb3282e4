// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Form.h"
#include "shared/Seams.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

// What every benchmark program shares: clocks, process figures, data folders, answers to the program's
// boxes and the rows of the result table.
namespace bench {

// Nanoseconds on the monotonic clock, comparable between processes of the machine.
int64_t monotonicNs();
double msSince(int64_t startNs);

// Processor time (user + system) of the whole process, all threads, in seconds.
double cpuSeconds();
// Voluntary context switches of the whole process: each one is a sleep the process woke up from.
long voluntarySwitches();
// A "Vm..." line of /proc/self/status in kilobytes, 0 when missing.
long procStatusKb(const char* key);

double median(std::vector<double> values);
double minimum(const std::vector<double>& values);
double maximum(const std::vector<double>& values);

// One row of the result table: figure, measured value, target and whether it is met
// ("met", "MISSED" or empty when the figure has no target).
void row(const QString& figure, const QString& measured, const QString& target = QString(),
         const QString& verdict = QString());
QString verdict(bool met);
QString ms(double value, int decimals = 1);

// A fresh data folder made the current directory for the life of the object; it lies in $BENCH_TMP when
// set, so that the files live on the same disk as the program's own data.
class DataFolder {
public:
    DataFolder();
    ~DataFolder();
    QString path() const;

private:
    std::unique_ptr<QTemporaryDir> mDir;
    QString mPrevious;
};

// Writes a data file in code page 932; lines are given without their ends, which are written as CR LF.
void writeDataFile(const QString& name, const QStringList& lines);
// The same for `count` lines made one after the other, a few thousand at a time: a long history is written
// without the memory of it all, which would stay with the process and blur its memory figures.
void writeDataFile(const QString& name, int count, const std::function<QString(int)>& line);
// The items list with `count` items named "項目1", "項目2", ..., each instructed 20 times, with their empty
// history files, and the settings "0,0,1".
void writeItems(int count);
// A history record as the program writes it, on day `day` of a year of 12 months of 28 days (0-based, from
// 01月01日 on, again after 336 days), `second` seconds into the day, with the count given.
QString historyRecord(int day, int second, int count);

// Answers every message box with OK and every input box with Cancel, at once, for as long as it lives;
// the other seams stay the real ones (the system's clock above all, so that the waits are real).
class OkDialogs final {
public:
    OkDialogs();
    int shown = 0;

private:
    QmrM::SeamsScope mSeams;
};

// A control of a loaded window by its object name; ends the benchmark when there is none.
QWidget* control(const platform::Form& form, const char* name);
// Clicks a button of a loaded window, as the mouse does.
void click(const platform::Form& form, const char* name);

// Notices the first frame of a top-level window by its object name: the first paint event of the window,
// and then the end of that paint cycle (the backing store flushed), when `onFrame` runs.
class FrameProbe : public QObject {
public:
    explicit FrameProbe(const QString& windowName, std::function<void()> onFrame = {});
    // Forgets the frame seen, to notice the next window of that name.
    void reset();
    bool framed() const { return mFramed; }
    int64_t frameNs() const { return mFrameNs; }
    // Handles events until the frame has been seen; false after `timeoutMs` without it.
    bool wait(int timeoutMs = 10000);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString mName;
    std::function<void()> mOnFrame;
    bool mPainted = false;
    bool mFramed = false;
    int64_t mFrameNs = 0;
};

// Handles events for the given time, sleeping while there are none.
void settle(int ms);

// Common start of an in-process benchmark: the application set up as the program sets itself up, with
// the windows linked to each other.
struct ProgramSetup {
    ProgramSetup();
    ~ProgramSetup();
    OkDialogs dialogs;
};

}  // namespace bench
