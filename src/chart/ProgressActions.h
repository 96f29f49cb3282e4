// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// How the other windows reach the chart and the CSV export: two entry points, and the
// menu and shortcut given to the settings window.
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

}  // namespace chart
