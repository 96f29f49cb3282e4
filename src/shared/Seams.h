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

// All the program takes from the world that tests replace: the clock (which drives every wait), the random
// draw, modal boxes and dialogs, help, file dialogs, the program's end, the user's business. Empty means real.
struct Seams {
    Clock* clock = nullptr;
    // The pace of the user's input, on the system's clock while a test speeds the waits up.
    Clock* inputClock = nullptr;
    // A uniform fraction 0 <= r < 1 in single precision.
    std::function<float()> randomFraction;
    // Returns 1 (OK) or 2 (Cancel). A notice does not wait for its answer: `notice` stands for the box on
    // screen, closed by destroying it.
    std::function<int(const QString& text, const QString& title, int style, QObject* notice)> messageBox;
    // A modal input box; returns the text typed, empty on Cancel.
    std::function<QString(const QString& prompt, const QString& title, const QString& defaultText)> inputBox;
    // A command of the HTML help interface for a help file, asked by a window.
    std::function<void(QObject* caller, const QString& file, int command)> help;
    // The toolkit's own (print, print preview): runs it, returns its result code.
    std::function<int(QObject* dialog)> runModalDialog;
    // Empty on Cancel.
    std::function<QString(const QString& title, const QString& suggestedName, const QString& filter)> saveFileName;
    std::function<void(int exitCode)> endProgram;
    // What keeps the user from a pass that is due (the desktop's own watch when empty).
    UserBusy* userBusy = nullptr;
    // The pauses in the user's input (the desktop's own watch when empty).
    UserIdle* userIdle = nullptr;
};

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

// The ones in force.
Clock& clock();
Clock& inputClock();
QDateTime currentDateTime();
// From a generator reseeded from the clock.
float drawRandomFraction();
// From the system's generator, whatever the seams say.
float systemRandomFraction();

}  // namespace QmrM
