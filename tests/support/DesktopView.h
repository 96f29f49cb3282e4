// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>

// What the desktop itself shows of the program's windows, asked of the compositor or window manager that
// tests/desktop/on-desktop.sh started (through desktop_view.py beside this file), never of Qt.
struct DesktopWindow {
    QString title;
    bool shown = false;  // on screen: neither minimised nor unmapped
    // Whether it has the keyboard; nothing where the desktop does not tell (headless Weston).
    std::optional<bool> focused;
    // X11 only: the window, its ICCCM state ("Normal", "Iconic"), whether it is mapped, whether it is the
    // top of the window manager's stacking order, and where its whole frame is on the screen (null while the
    // window manager has not framed it).
    WId id = 0;
    QString state;
    bool mapped = false;
    bool top = false;
    QRect frame;
};

// Runs desktop_view.py with the arguments while this program's event loop runs (the desktop may wait for
// it); returns what it printed, or why it failed in `failure`.
QByteArray askTheDesktop(const QStringList& arguments, QString* failure);

// The process's windows that the desktop has taken on; empty, with `failure` set, when it could not be asked.
QList<DesktopWindow> desktopWindows(qint64 pid = QCoreApplication::applicationPid(), QString* failure = nullptr);
// The X11 window as the window manager has it: state "Withdrawn" when it has not taken it on.
DesktopWindow desktopWindow(WId window);

// The windows of the process that the desktop shows, as "title" or "title (focused)"; a window the
// desktop cannot say the focus of counts as focused.
QStringList shownWindows(qint64 pid = QCoreApplication::applicationPid());
// Wait in real time until the desktop shows just the window with the given title, focused (showsFocused)
// or whether focused or not (shows); `seen` says what it showed last.
bool showsFocused(const QString& title, QStringList* seen);
bool shows(const QString& title, QStringList* seen);

// Runs a program and returns what it wrote.
QString runProgram(const QString& program, const QStringList& arguments);
