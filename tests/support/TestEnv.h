// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FakeBusy.h"
#include "ScriptedDialogs.h"
#include "VirtualClock.h"
#include "Watchdog.h"

#include "platform/Form.h"
#include "shared/Seams.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>
#include <optional>

class QComboBox;
class QLineEdit;
class QAbstractItemView;
class QRect;

// Each test runs in a fresh temporary current directory, with the shared state reset and every seam in
// place: scripted dialogs, save dialogs that answer Cancel unless told otherwise, a virtual clock, a
// recorded help viewer, a recorder in place of ending the program, and a user whom nothing keeps busy
// unless the test says so (busy()). The random draw is the real one
// unless setRandomDraw() fixes it. A watchdog fails the test when it hangs (Watchdog.h).
class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    TestEnv(const TestEnv&) = delete;
    TestEnv& operator=(const TestEnv&) = delete;

    ScriptedDialogs& dialogs() { return *mDialogs; }
    // What keeps the user busy when a pass falls due (nothing unless set).
    FakeBusy& busy() { return mBusy; }
    // The pauses in the user's input (nobody types unless told).
    FakeIdle& idle() { return mIdle; }
    VirtualClock& clock() { return *mClock; }
    QString dir() const { return mDir.path(); }
    // The exit codes with which the program was told to end.
    const QList<int>& endings() const { return mEndings; }

    // One call of the help viewer.
    struct HelpCall {
        QString file;
        int command;
        QObject* caller;
    };
    const QList<HelpCall>& helpCalls() const { return mHelpCalls; }

    // Every draw of the random generator gives `r` from now on (nothing: the real generator again).
    void setRandomDraw(std::optional<float> r) { mRandomDraw = r; }

    // The save dialogs from now on answer with the paths given, one each, then with Cancel (so does an empty
    // path); saveRequests() notes what they asked from now on.
    void answerSaveDialogs(const QStringList& paths);
    void answerSaveDialogs(const QString& path) { answerSaveDialogs(QStringList{path}); }
    struct SaveRequest {
        QString title;
        QString suggestedPath;  // folder and name offered
    };
    const QList<SaveRequest>& saveRequests() const { return mSaveRequests; }

private:
    Watchdog mWatchdog;
    QTemporaryDir mDir;
    QString mPreviousDir;
    std::unique_ptr<ScriptedDialogs> mDialogs;
    std::unique_ptr<VirtualClock> mClock;
    FakeBusy mBusy;
    FakeIdle mIdle;
    QList<int> mEndings;
    QList<HelpCall> mHelpCalls;
    std::optional<float> mRandomDraw;
    QStringList mSaveAnswers;
    QList<SaveRequest> mSaveRequests;
    std::unique_ptr<QmrM::SeamsScope> mSeams;
};

// The control of a loaded form's window with the given object name; fails the test when there is none.
template <class T = QWidget>
T* control(const platform::Form& form, const QString& name)
{
    QWidget* window = form.window();
    T* found = window ? window->findChild<T*>(name) : nullptr;
    if (!found)
        QTest::qFail(qPrintable(QStringLiteral("no control \"%1\" in the loaded window").arg(name)), __FILE__,
                     __LINE__);
    return found;
}

// Clicks a button of a loaded form's window with the mouse, as a user does.
void clickButton(const platform::Form& form, const QString& name);

// Presses a key in whatever control has the keyboard focus, as a keyboard user does.
void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Presses a key in the control of a loaded form's window that takes its keys (its focus widget), whether
// or not the window is the active one; `autoRepeat` for a key held down.
void typeKey(const platform::Form& form, Qt::Key key, bool autoRepeat = false);

// What a control of a loaded form's window shows: the text of a label, edit box or button, the current
// text of a combo box or the caption of a frame.
QString textOf(const platform::Form& form, const QString& name);
// The entries of a list or combo box of a loaded form's window, in order.
QStringList entriesOf(const platform::Form& form, const QString& name);
// The control that has the keyboard focus within a loaded form's window.
QWidget* focusIn(const platform::Form& form);

// Puts items in the shared state as reading the items list does: each name with the count at its place.
void setItems(const QStringList& names, const QList<int>& counts);

// The processor time this process has used, in seconds.
double processorSeconds();

// What Windows has no counterpart of in a test (a link a user makes: a .lnk shortcut there, which no file
// operation follows; file modes; POSIX processes and limits) is left out there, with the reason.
#ifdef Q_OS_WIN
#define QUILLMORA_SKIP_ON_WINDOWS(reason) QSKIP(reason)
#else
#define QUILLMORA_SKIP_ON_WINDOWS(reason)
#endif

// Writes a data file: the text is encoded as code page 932 and its line ends are made CR LF.
void writeDataFile(const QString& name, const QString& text);
// Writes raw bytes.
void writeBytes(const QString& name, const QByteArray& bytes);
// Sets when a file was last written (the test clock does not reach the file system's).
void setModified(const QString& name, const QDateTime& when);
// Reads a file's raw bytes; empty when missing.
QByteArray readBytes(const QString& name);
// Reads a code page 932 file as text.
QString readDataFile(const QString& name);
// The entries of a list (its rows' texts) or combo box, in order.
QStringList entries(const QAbstractItemView* list);
QStringList entries(const QComboBox* combo);

// The control the tab key moves to from `from`; a compound control such as an editable combo box
// takes the focus through its own child, which is skipped.
QWidget* nextTabStop(QWidget* from);

// Where a text box draws its cursor once drawn: the box scrolls its text to the cursor when it is painted.
QRect drawnCursor(QLineEdit* box);

// Encodes text as code page 932 (the test fails on characters that cannot be stored).
QByteArray cp932(const QString& text);
