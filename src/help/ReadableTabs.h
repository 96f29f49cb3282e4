// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTabBar>
#include <QTabWidget>

namespace help {

// A tab bar that assistive technology reads as what it is: a list of page tabs with a name of its
// own (its accessible name), each tab under its accessible tab name ("目次", not "目次(C)"), the current one
// selected. Qt's own tab bar takes the name of its current tab, and marks that tab as focused
// wherever the focus is, which tells a screen reader neither what the bar is nor which tab is on.
class ReadableTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit ReadableTabBar(QWidget* parent = nullptr);
};

// A tab widget with a ReadableTabBar.
class ReadableTabWidget : public QTabWidget {
    Q_OBJECT
public:
    explicit ReadableTabWidget(QWidget* parent = nullptr);
};

}  // namespace help
