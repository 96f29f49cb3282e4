// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QCoreApplication>

class QWidget;

// Where the chart's files go: the save dialog (the one place the program shows Qt's file dialog, so tests
// can answer it), the checks that keep an export off the program's own files, and the write that puts a
// whole file in place or nothing.
namespace chart {

inline QString exportCsvMenuText()
{
    return QCoreApplication::translate("Chart", "CSV 形式で書き出す...");
}
inline QString exportCsvTitle()
{
    return QCoreApplication::translate("Chart", "CSV 形式で書き出す");
}

struct SaveRequest {
    QString title;          // the dialog's title, also the title of the messages about the choice
    QString suggestedName;  // file name offered, with the folder that asks for it
    QString filter;         // "CSV ファイル (*.csv)"
    QString suffix;         // added to a name typed without one
};

// Asks where to save an export until the user names a file that may be written, or cancels (an empty
// text). The dialog opens in the folder last chosen during this run, at first in the user's documents
// folder, never on its own in the data folder. A file of the program's own (QmrM::programFileAt) is refused
// with a message and the dialog comes back; an existing file is replaced only when the user confirms it. The dialog is
// Qt's, or the seams' saveFileName (shared/Seams.h), which is given the folder and name offered.
QString chooseExportFile(QWidget* parent, const SaveRequest& request);

// Writes `content` as the whole file at `path` (a QmrM::FileReplacement): a failed write leaves the old
// file (or none) and no partial one. A failure is told through platform::MsgBox under `title`; returns whether the file
// was written. Where no temporary file can be made, nothing is written.
bool writeWholeFile(const QString& path, const QByteArray& content, const QString& title);

// Asks where to save (the replaceable save dialog), then writes the history of item `item` (1-based among
// QmrM::gKoumoku, 0: of every item) as a CSV file. The file is written off the window's thread, record by
// record into its temporary file; a long export shows its progress, and the user may stop it with
// キャンセル, which leaves the old file (or none). A target that cannot be written is told before any
// history is read. A failure is told through platform::MsgBox and leaves no partial file. Returns the path
// written, empty when nothing was; the caller tells the user where the file went. `cancelled`, when given,
// tells whether the user stopped the export with キャンセル.
QString exportCsv(QWidget* caller, int item, bool* cancelled = nullptr);

}  // namespace chart
