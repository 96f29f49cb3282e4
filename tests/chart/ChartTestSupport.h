// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/SaveFile.h"

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

// Answers the save dialog with a fixed path (empty: Cancel) and notes what it was asked.
struct SaveAnswer {
    explicit SaveAnswer(const QString& path)
    {
        chart::setSaveFileAsker([this, path](QWidget*, const chart::SaveRequest& request) {
            requests.append(request);
            return path;
        });
    }
    ~SaveAnswer() { chart::setSaveFileAsker({}); }
    SaveAnswer(const SaveAnswer&) = delete;
    SaveAnswer& operator=(const SaveAnswer&) = delete;
    QList<chart::SaveRequest> requests;
};
