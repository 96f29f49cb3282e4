// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedDialogs.h"

#include <QTest>

#include <algorithm>

void ScriptedDialogs::standIn(QmrM::Seams& seams)
{
    seams.messageBox = [this](const QString& text, const QString& title, int style, QObject* notice) {
        if (notice)
            mNotices.append(notice);
        return messageBox(text, title, style);
    };
    seams.inputBox = [this](const QString& prompt, const QString& title, const QString& defaultText) {
        return inputBox(prompt, title, defaultText);
    };
}

ScriptedDialogs& ScriptedDialogs::expectMessage(const QString& text, const QString& title, int style, int answer)
{
    mExpected.push_back(Expected{false, false, text, title, style, answer, {}, {}});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectAnyMessage(const QString& title, int style, int answer)
{
    mExpected.push_back(Expected{false, true, {}, title, style, answer, {}, {}});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectInput(const QString& prompt, const QString& title, const QString& answer,
                                              const QString& defaultText)
{
    mExpected.push_back(Expected{true, false, prompt, title, 0, 0, answer, defaultText});
    return *this;
}

int ScriptedDialogs::messageBox(const QString& text, const QString& title, int style)
{
    mShown.append(text);
    const QString shown = QStringLiteral("message box \"%1\" / \"%2\" / %3").arg(text, title).arg(style);
    if (mExpected.empty() || mExpected.front().input) {
        fail(QStringLiteral("unexpected ") + shown);
        return platform::vbCancel;
    }
    const Expected expected = mExpected.front();
    mExpected.pop_front();
    if ((!expected.anyText && expected.text != text) || expected.title != title || expected.style != style)
        fail(QStringLiteral("expected \"%1\" / \"%2\" / %3 but got %4")
                 .arg(expected.text, expected.title)
                 .arg(expected.style)
                 .arg(shown));
    return expected.answer;
}

QString ScriptedDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    const QString shown = QStringLiteral("input box \"%1\" / \"%2\"").arg(prompt, title);
    if (mExpected.empty() || !mExpected.front().input) {
        fail(QStringLiteral("unexpected ") + shown);
        return QString();
    }
    const Expected expected = mExpected.front();
    mExpected.pop_front();
    if (expected.text != prompt || expected.title != title || expected.defaultText != defaultText)
        fail(QStringLiteral("expected input \"%1\" / \"%2\" but got %3").arg(expected.text, expected.title, shown));
    return expected.inputAnswer;
}

void ScriptedDialogs::fail(const QString& problem)
{
    mFailures.append(problem);
    // Marks the running test as failed at once; the program goes on with a Cancel answer.
    QTest::qFail(problem.toUtf8().constData(), __FILE__, __LINE__);
}

int ScriptedDialogs::openNotices() const
{
    return static_cast<int>(std::count_if(mNotices.begin(), mNotices.end(), [](const auto& n) { return !n.isNull(); }));
}

platform::NoticeBox* ScriptedDialogs::lastNotice() const
{
    return mNotices.isEmpty() ? nullptr : dynamic_cast<platform::NoticeBox*>(mNotices.last().data());
}

bool ScriptedDialogs::verify() const
{
    for (const Expected& e : mExpected)
        qWarning().noquote() << "never shown:" << e.text << "/" << e.title;
    return mFailures.isEmpty() && mExpected.empty();
}

namespace {

QmrM::Seams boxesOf(ScriptedDialogs& dialogs)
{
    QmrM::Seams seams;
    dialogs.standIn(seams);
    return seams;
}

}  // namespace

ScriptedBoxesOnly::ScriptedBoxesOnly() : mScope(boxesOf(mDialogs)) {}
