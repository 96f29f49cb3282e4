// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

// Where the chart's files go: the save dialog (the one place the program shows Qt's file dialog, so tests
// can answer it) and the write that puts a whole file in place or nothing.
namespace chart {

struct SaveRequest {
    QString title;          // the dialog's title, also the title of a failure's message
    QString suggestedPath;  // folder and name offered
    QString filter;         // "CSV ファイル (*.csv)"
    QString suffix;         // added to a name typed without one
};

// Answers a save request with the path chosen, or an empty text when the user cancels: Qt's file dialog,
// or the seams' saveFileName (shared/Seams.h).
QString askSaveFileName(QWidget* parent, const SaveRequest& request);

// Writes `content` as the whole file at `path`: into a temporary file beside it, flushed and renamed over
// it, so a failed write leaves the old file (or none) and no partial one. A link is followed to the file
// it names. A failure is told through platform::MsgBox under `title`; returns whether the file was written.
bool writeWholeFile(const QString& path, const QByteArray& content, const QString& title);

}  // namespace chart
