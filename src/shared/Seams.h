// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

class QObject;

namespace QmrM {

class Clock;
class UserBusy;
class UserIdle;

// Everything the program takes from the world and tests replace, in one place: the clock (which also
// drives every wait), the random draw, the modal boxes and dialogs, the help viewer, the file dialogs and
// the end of the program, and what keeps the user busy. An empty member means the real thing.
struct Seams {
    Clock* clock = nullptr;
    // The pace of the user's input (how long since a window came, since the last key), which runs on the
    // system's clock while a test speeds the waits up.
    Clock* inputClock = nullptr;
    // A uniform fraction 0 <= r < 1 in single precision.
    std::function<float()> randomFraction;
    // A modal message box; returns 1 (OK) or 2 (Cancel). For a notice, which does not wait for its answer,
    // `notice` stands for the box on screen: the program closes the box by destroying it.
    std::function<int(const QString& text, const QString& title, int style, QObject* notice)> messageBox;
    // A modal input box; returns the text typed, empty on Cancel.
    std::function<QString(const QString& prompt, const QString& title, const QString& defaultText)> inputBox;
    // The help viewer: a command of the HTML help interface for a help file, asked by a window.
    std::function<void(QObject* caller, const QString& file, int command)> help;
    // A modal dialog of the toolkit's own (print, print preview): runs it, returns its result code.
    std::function<int(QObject* dialog)> runModalDialog;
    // A save dialog; returns the chosen path, empty on Cancel.
    std::function<QString(const QString& title, const QString& suggestedName, const QString& filter)> saveFileName;
    // Ending the program with an exit code.
    std::function<void(int exitCode)> endProgram;
    // What keeps the user from a pass that is due (the desktop's own watch when empty).
    UserBusy* userBusy = nullptr;
    // The pauses in the user's input (the desktop's own watch when empty).
    UserIdle* userIdle = nullptr;
};

// The seams in force.
const Seams& seams();

// Puts seams in place for its lifetime and restores the ones before it.
class SeamsScope {
public:
    explicit SeamsScope(Seams replacement);
    ~SeamsScope();
    SeamsScope(const SeamsScope&) = delete;
    SeamsScope& operator=(const SeamsScope&) = delete;

private:
    Seams mPrevious;
};

// The clock in force.
Clock& clock();
// The clock of the user's input in force.
Clock& inputClock();
// The time of day from the clock in force.
QDateTime currentDateTime();
// A uniform fraction 0 <= r < 1 in single precision, from a generator reseeded from the clock.
float drawRandomFraction();
// The same from the system's generator, whatever the seams say.
float systemRandomFraction();

}  // namespace QmrM
