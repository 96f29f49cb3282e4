// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// Another program on the test's desktop (other_program.cpp), in which the user works: typed into as a
// keyboard would (xdotool on X11, Mutter's remote desktop interface on GNOME's Wayland), made full screen
// and back.
class OtherProgram {
public:
    OtherProgram();
    ~OtherProgram();

    // Whether its window is up and has the keyboard focus.
    bool isReady() const { return mReady; }
    // Turns full screen ("full"), back ("normal"), or just to the front ("activate"), and waits until the
    // program has done it and, unless told not to (a window that comes then may take it), until it has the
    // keyboard.
    enum class Keyboard { Awaited, NotAwaited };
    bool tell(const QByteArray& command, Keyboard keyboard = Keyboard::Awaited);
    // Types "ab 25⏎" over and over for the given time, at a typist's pace, into the focused window; the
    // typing goes on in the background.
    void typeFor(int ms);
    // Presses one key (an X keysym name) wherever the keyboard is.
    static void pressKey(const QString& name);
    bool isTyping() const { return mTyping.state() != QProcess::NotRunning; }
    // What was typed, and what reached the program.
    QString typed() const;
    QString received() const;

private:
    QTemporaryDir mDir;
    QProcess mProgram;
    QProcess mTyping;
    bool mReady = false;
};

// A step for a wait's checks: the other program comes up in front and the user types there for `ms`.
std::function<void()> typeElsewhere(std::unique_ptr<OtherProgram>& other, int ms);
// Waits until the typing is over; false when the other program never came up or the typing never ended.
bool typingIsOver(const std::unique_ptr<OtherProgram>& other);
