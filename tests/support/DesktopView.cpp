// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopView.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

QByteArray askTheDesktop(const QStringList& arguments, QString* failure)
{
    QProcess view;
    view.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral(QUILLMORA_DESKTOP_VIEW)} + arguments);
    if (!QTest::qWaitFor([&] { return view.state() == QProcess::NotRunning; }, 15000))
        *failure = QStringLiteral("no answer from the desktop");
    else if (view.exitCode() != 0)
        *failure = QStringLiteral("desktop_view failed: ") + QString::fromLocal8Bit(view.readAllStandardError());
    return view.readAllStandardOutput();
}

QList<DesktopWindow> desktopWindows(qint64 pid, QString* failure)
{
    QString why;
    const QByteArray answer = askTheDesktop({QString::number(pid)}, &why);
    if (failure)
        *failure = why;
    QList<DesktopWindow> windows;
    for (const QJsonValue entry : QJsonDocument::fromJson(answer).array()) {
        const QJsonObject seen = entry.toObject();
        DesktopWindow window;
        window.title = seen[QStringLiteral("title")].toString();
        window.shown = seen[QStringLiteral("shown")].toBool();
        if (seen[QStringLiteral("focused")].isBool())
            window.focused = seen[QStringLiteral("focused")].toBool();
        window.id = WId(seen[QStringLiteral("id")].toDouble());
        window.state = seen[QStringLiteral("state")].toString();
        window.mapped = seen[QStringLiteral("mapped")].toBool();
        window.top = seen[QStringLiteral("top")].toBool();
        if (const QJsonArray frame = seen[QStringLiteral("frame")].toArray(); frame.size() == 4)
            window.frame = QRect(frame[0].toInt(), frame[1].toInt(), frame[2].toInt(), frame[3].toInt());
        windows.append(window);
    }
    return windows;
}

DesktopWindow desktopWindow(WId window)
{
    for (const DesktopWindow& seen : desktopWindows()) {
        if (seen.id == window)
            return seen;
    }
    DesktopWindow withdrawn;
    withdrawn.id = window;
    withdrawn.state = QStringLiteral("Withdrawn");
    return withdrawn;
}

QStringList shownWindows(qint64 pid)
{
    QString failure;
    const QList<DesktopWindow> windows = desktopWindows(pid, &failure);
    if (!failure.isEmpty())
        return {failure};
    QStringList shown;
    for (const DesktopWindow& window : windows) {
        if (window.shown)
            shown.append(window.title + (window.focused.value_or(true) ? QStringLiteral(" (focused)") : QString()));
    }
    return shown;
}

bool showsFocused(const QString& title, QStringList* seen)
{
    const QStringList expected{title + QStringLiteral(" (focused)")};
    return QTest::qWaitFor([&] { return (*seen = shownWindows()) == expected; }, 10000);
}

bool shows(const QString& title, QStringList* seen)
{
    return QTest::qWaitFor(
        [&] {
            *seen = shownWindows();
            return seen->size() == 1 && seen->first().section(QStringLiteral(" ("), 0, 0) == title;
        },
        10000);
}

QString runProgram(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(5000);
    return QString::fromUtf8(process.readAllStandardOutput());
}
