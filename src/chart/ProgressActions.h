// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QByteArray;
class QString;
class QWidget;

// How the other windows reach the chart and the CSV export: two entry points, the settings window's menu and
// shortcut, and the write the chart's files go through. Call the entry points from inside platform::runGuarded.
namespace chart {

// Opens the chart window on item `item` (1-based among QmrM::gKoumoku, 0 for 全項目), or brings the open one forward
// on that item. It belongs to the window of `caller` (may be nullptr), stays above it and closes with it.
void showChart(QWidget* caller, int item);

// Gives a freshly loaded settings window, its controls found by name, the menu on its item list (for the item
// right-clicked or chosen) and on its history list (for the item its combo's list holds as current), and Ctrl+G:
// in the item list for its chosen entry, elsewhere for the item whose history it shows.
void attachToSettingsWindow(QWidget* window);

// The open chart window, or nullptr.
QWidget* openChartWindow();

// Asks where to save (the replaceable save dialog), then writes the history of item `item` (1-based among
// QmrM::gKoumoku, 0: every item) as CSV, off the window's thread, record by record into a temporary file. A long export
// shows its progress; キャンセル stops it, leaving the old file (or none), and `cancelled` (when given) tells whether
// it did. An unwritable target is told before any history is read; a failure, through platform::MsgBox, leaves no
// partial file. Returns the path written, empty for none; the caller tells the user where the file went.
QString exportCsv(QWidget* caller, int item, bool* cancelled = nullptr);

// Writes `content` as the whole file at `path` (a QmrM::FileReplacement), nothing where no temporary file can be
// made: a failure leaves the old file (or none), no partial one, and is told through platform::MsgBox under
// `title`. Returns whether the file was written.
bool writeWholeFile(const QString& path, const QByteArray& content, const QString& title);

}  // namespace chart
