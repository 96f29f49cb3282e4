// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Dialogs.h"
#include "shared/Seams.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <deque>

// Stands in for the modal boxes in tests: every message box and input box the program shows must have been
// expected, in order, with its exact text, title and style; it returns the scripted answer. A box
// nobody expected is recorded as a failure at once instead of waiting for a user.
class ScriptedDialogs final {
public:
    // Puts this script in place of the message and input boxes of `seams`; it must outlive them.
    void standIn(QmrM::Seams& seams);

    // Expects a message box and answers it with vbOK or vbCancel.
    ScriptedDialogs& expectMessage(const QString& text, const QString& title, int style, int answer = platform::vbOK);
    // Expects an input box and types `answer` (an empty answer is Cancel).
    ScriptedDialogs& expectInput(const QString& prompt, const QString& title, const QString& answer,
                                 const QString& defaultText = QString());
    // Expects a message box of any text with the given title and style (for texts built from system messages).
    ScriptedDialogs& expectAnyMessage(const QString& title, int style, int answer = platform::vbOK);

    int messageBox(const QString& text, const QString& title, int style);
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText);

    bool allShown() const { return mExpected.empty(); }
    // Problems seen so far: unexpected boxes and mismatches.
    const QStringList& failures() const { return mFailures; }
    // How many notices (boxes that do not wait for their answer) are still on screen.
    int openNotices() const;
    // The notice shown last, while it is on screen.
    platform::NoticeBox* lastNotice() const;
    // Texts of every message box shown, in order.
    const QStringList& shownTexts() const { return mShown; }
    // Checks that no problem was seen and every expected box came; reports through QTest.
    bool verify() const;

private:
    void fail(const QString& problem);
    struct Expected {
        bool input = false;
        bool anyText = false;
        QString text;
        QString title;
        int style = 0;
        int answer = platform::vbOK;
        QString inputAnswer;
        QString defaultText;
    };
    std::deque<Expected> mExpected;
    QStringList mFailures;
    QStringList mShown;
    QList<QPointer<QObject>> mNotices;
};

// Only the message and input boxes scripted, every other seam the real one: for the help viewer's tests,
// which drive the real viewer.
class ScriptedBoxesOnly final {
public:
    ScriptedBoxesOnly();
    ScriptedDialogs& dialogs() { return mDialogs; }

private:
    ScriptedDialogs mDialogs;
    QmrM::SeamsScope mScope;
};
