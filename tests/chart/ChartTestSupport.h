// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "VirtualClock.h"
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

// Answers the save dialogs with the paths given, one each, then with Cancel, and notes what they asked.
struct SaveAnswer {
    explicit SaveAnswer(const QString& path) : SaveAnswer(QStringList{path}) {}
    explicit SaveAnswer(const QStringList& paths) : mSeams(answering(paths)) {}
    SaveAnswer(const SaveAnswer&) = delete;
    SaveAnswer& operator=(const SaveAnswer&) = delete;
    struct Asked {
        QString title;
        QString suggestedPath;  // folder and name offered
    };
    QList<Asked> requests;

private:
    QmrM::Seams answering(const QStringList& paths)
    {
        QmrM::Seams seams = QmrM::seams();
        seams.saveFileName = [this, paths](const QString& title, const QString& suggested, const QString&) {
            requests.append(Asked{title, suggested});
            return paths.value(requests.size() - 1);
        };
        return seams;
    }
    QmrM::SeamsScope mSeams;
};
