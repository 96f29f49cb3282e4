#pragma once

#include "ScriptedDialogs.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>

class QComboBox;
class QLineEdit;
class QListWidget;
class QRect;
class QWidget;

// Each test runs in a fresh temporary current directory, with the shared state reset, scripted dialogs
// and a recorder in place of ending the program.
class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    TestEnv(const TestEnv&) = delete;
    TestEnv& operator=(const TestEnv&) = delete;

    ScriptedDialogs& dialogs() { return *mDialogs; }
    QString dir() const { return mDir.path(); }
    // The exit codes with which the program was told to end.
    const QList<int>& endings() const { return mEndings; }

private:
    QTemporaryDir mDir;
    QString mPreviousDir;
    std::unique_ptr<ScriptedDialogs> mDialogs;
    QList<int> mEndings;
};

// Writes a data file: the text is encoded as code page 932 and its line ends are made CR LF.
void writeDataFile(const QString& name, const QString& text);
// Writes raw bytes.
void writeBytes(const QString& name, const QByteArray& bytes);
// Reads a file's raw bytes; empty when missing.
QByteArray readBytes(const QString& name);
// Reads a code page 932 file as text.
QString readDataFile(const QString& name);
// The entries of a list or combo box, in order.
QStringList entries(const QListWidget* list);
QStringList entries(const QComboBox* combo);

// The control the tab key moves to from `from`; a compound control such as an editable combo box
// takes the focus through its own child, which is skipped.
QWidget* nextTabStop(QWidget* from);

// Where a text box draws its cursor once drawn: the box scrolls its text to the cursor when it is painted.
QRect drawnCursor(QLineEdit* box);

// Encodes text as code page 932 (the test fails on characters that cannot be stored).
QByteArray cp932(const QString& text);
