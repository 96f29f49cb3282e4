// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QByteArray;
class QString;
class QWidget;

// How the other windows reach the chart and the CSV export: two entry points, and the
// menu and shortcut given to the settings window; and the write the chart's files go through.
// Call the entry points from a handler that already runs inside platform::runGuarded.
namespace chart {

// Opens the chart window on item `item` (1-based among QmrM::gKoumoku, 0 for 全項目), or brings the open
// one forward and switches it to that item. `caller` is a widget of the window asking (may be nullptr):
// the chart window belongs to it, stays above it and closes with it.
void showChart(QWidget* caller, int item);

// Gives a freshly loaded settings window the menu on its item list (for the item right-clicked or chosen)
// and on its history list (for the item whose history it shows, which its combo's list holds as current),
// and Ctrl+G: in the item list for its chosen entry, elsewhere for the item whose history it shows. The
// controls are found by their names.
void attachToSettingsWindow(QWidget* window);

// The open chart window, or nullptr.
QWidget* openChartWindow();

// Asks where to save (the replaceable save dialog), then writes the history of item `item` (1-based among
// QmrM::gKoumoku, 0: of every item) as a CSV file. The file is written off the window's thread, record by
// record into its temporary file; a long export shows its progress, and the user may stop it with
// キャンセル, which leaves the old file (or none). A target that cannot be written is told before any
// history is read. A failure is told through platform::MsgBox and leaves no partial file. Returns the path
// written, empty when nothing was; the caller tells the user where the file went. `cancelled`, when given,
// tells whether the user stopped the export with キャンセル.
QString exportCsv(QWidget* caller, int item, bool* cancelled = nullptr);

// Writes `content` as the whole file at `path` (a QmrM::FileReplacement): a failed write leaves the old
// file (or none) and no partial one. A failure is told through platform::MsgBox under `title`; returns
// whether the file was written. Where no temporary file can be made, nothing is written.
bool writeWholeFile(const QString& path, const QByteArray& content, const QString& title);

}  // namespace chart
