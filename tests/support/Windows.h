// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScriptedDialogs.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class frmMain;
class frmSettei;
class TestEnv;
class QWidget;

// The data folder and the windows as the tests set them up: the data files written in the current
// directory (TestEnv's), the windows opened as the program opens them.

// The registration's input boxes.
inline const QString kNamePrompt = QStringLiteral("項目名は何ですか？");
inline const QString kNameTitle = QStringLiteral("項目名入力");
inline const QString kCountPrompt = QStringLiteral("指示数をいくつにしますか？（半角文字で入力）");
inline const QString kCountTitle = QStringLiteral("指示数入力");

// An items list with the given names, each instructed `count` times.
QString itemsNamed(const QStringList& names, int count = 10);
// History records with the given counts, one a line (CR LF), at the test clock's start unless told.
QString recordsOf(const QStringList& counts, const QString& date = QStringLiteral("12月06日"),
                  const QString& time = QStringLiteral("09時18分07秒"));

// Writes the settings file: one line of random timing, random counts and the wait in minutes.
void writeSettings(const QString& line);
// Writes the items list and the settings file (none when `settings` is null).
void writeDataFolder(const QString& items, const QString& settings = QStringLiteral("0,0,1"));
// Writes an item's history file; with `modified`, the file was last written then.
void writeHistory(const QString& item, const QString& records, const QDateTime& modified = QDateTime());

// Writes the data folder and loads the training window as the program's start does.
frmMain& startTraining(const QString& items, const QString& settings = QStringLiteral("0,0,1"));
// Loads the training window on the data files there and leaves its pass with 中断: the settings window.
frmSettei& leaveFirstPass();
// Writes the data folder, starts the program and leaves the first pass.
frmSettei& settingsAfterCut(const QString& items, const QString& settings = QStringLiteral("0,0,1"));
// Reads the data files as the training window's start-up does and shows the settings window.
frmSettei& showSettings();
// Writes the data folder and shows the settings window.
frmSettei& openSettings(const QString& items, const QString& settings = QStringLiteral("0,0,1"));

// Expects the boxes of registering an item: its name and count typed, and the message naming it as
// stored (`stored`, when that differs from the typed name).
ScriptedDialogs& expectRegistration(ScriptedDialogs& dialogs, const QString& typed, const QString& count,
                                    const QString& stored = QString());
// Expects the message that the options were saved (確定).
ScriptedDialogs& expectOptionsSaved(ScriptedDialogs& dialogs);

// Expects the message that an item's name and count were saved (保存), naming it.
ScriptedDialogs& expectItemUpdated(ScriptedDialogs& dialogs, const QString& name);

// The user turns to a pass that came by itself at the end of its wait: looks at it for a few seconds
// before the first key or click, which it then takes (it ignores what comes sooner, meant for other work).
void lookAtThePass(TestEnv& env);

// The entry of the tray's menu with the given object name (nullptr while there is no tray icon).
QAction* trayEntry(const QString& name);

// Registers an item in the settings window as the user does.
void registerItem(TestEnv& env, const QString& typed, const QString& count, const QString& stored = QString());

// The current directory set up, while this lives, as a shared folder whose files may be written but where no
// file may be made (mode 0555). Root writes everywhere, so a test run as root acts meanwhile as nobody
// (65534), who is given `files` and, when given, `runtimeFolder` (a private runtime folder must be its user's).
class FolderWithoutNewFiles {
public:
    explicit FolderWithoutNewFiles(const QStringList& files, const QString& runtimeFolder = QString());
    ~FolderWithoutNewFiles();
    bool isSetUp() const { return mSetUp; }

private:
    bool mRoot;
    bool mSetUp = true;
};

// Notes whether a window of the given name was shown, and calls `onShow` with it each time.
class ShowWatcher : public QObject {
public:
    explicit ShowWatcher(const QString& name, std::function<void(QWidget*)> onShow = nullptr);
    ~ShowWatcher() override;
    bool shown = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString mName;
    std::function<void(QWidget*)> mShown;
};
