// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "VirtualClock.h"
#include "chart/SaveFile.h"
#include "shared/Seams.h"

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QTest>

// Sets a file's modification time: the day the chart's years are counted from. The tests' clock does not
// reach the file system's.
inline void setModified(const QString& file, const QDateTime& when)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

// Sets the time of day of the tests' virtual clock (installed by TestEnv).
inline void setNow(const QDateTime& when)
{
    static_cast<VirtualClock&>(QmrM::clock()).setTimeOfDay(when);
}

// Answers the save dialog with a fixed path (empty: Cancel) and notes what it was asked.
struct SaveAnswer {
    explicit SaveAnswer(const QString& path) : mSeams(answering(path)) {}
    SaveAnswer(const SaveAnswer&) = delete;
    SaveAnswer& operator=(const SaveAnswer&) = delete;
    QList<chart::SaveRequest> requests;

private:
    QmrM::Seams answering(const QString& path)
    {
        QmrM::Seams seams = QmrM::seams();
        seams.saveFileName = [this, path](const QString& title, const QString& suggested, const QString& filter) {
            requests.append(chart::SaveRequest{title, suggested, filter, {}});
            return path;
        };
        return seams;
    }
    QmrM::SeamsScope mSeams;
};
