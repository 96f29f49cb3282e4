// SPDX-License-Identifier: GPL-3.0-or-later
#include "OtherProgram.h"

#include "DesktopView.h"

#include <QFile>
#include <QGuiApplication>
#include <QTest>

namespace {

const QString kWords = QStringLiteral("ab 25");

QString runTool(const QStringList& arguments)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    tool.waitForFinished(5000);
    return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
}

// On GNOME's Wayland, where no X11 tool reaches the windows of Wayland programs.
[[maybe_unused]] bool onGnomeWayland()
{
    return qEnvironmentVariable("QUILLMORA_DESKTOP") == QLatin1String("gnome");
}

// The other program runs on the tests' platform. A Wayland program's focus is the compositor's to tell;
// on X11 the active window says it.
bool hasTheKeyboard(qint64 pid)
{
    if (QGuiApplication::platformName() == QLatin1String("wayland"))
        return shownWindows(pid) == QStringList{QStringLiteral("other-program (focused)")};
    return runTool({QStringLiteral("getactivewindow"), QStringLiteral("getwindowname")}) ==
           QLatin1String("other-program");
}

}  // namespace

OtherProgram::OtherProgram()
{
    mProgram.start(QStringLiteral(QUILLMORA_OTHER_PROGRAM), {mDir.filePath(QStringLiteral("received"))});
    mReady = mProgram.waitForStarted(15000) && tell("activate");
}

OtherProgram::~OtherProgram()
{
    mTyping.kill();
    mTyping.waitForFinished(2000);
    mProgram.closeWriteChannel();
    if (!mProgram.waitForFinished(3000))
        mProgram.kill();
    mProgram.waitForFinished(2000);
}

bool OtherProgram::tell(const QByteArray& command, Keyboard keyboard)
{
    mProgram.write(command + '\n');
    // A loaded machine takes seconds to start a program and hand it the focus: the bounds are generous.
    const bool answered = QTest::qWaitFor([&] { return mProgram.readAllStandardOutput().contains(command); }, 15000);
    if (!answered || keyboard == Keyboard::NotAwaited)
        return answered;
    return QTest::qWaitFor([this] { return hasTheKeyboard(mProgram.processId()); }, 15000);
}

void OtherProgram::typeFor(int ms)
{
#ifdef QUILLMORA_GNOME_TYPIST
    if (onGnomeWayland()) {
        mTyping.start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral(QUILLMORA_GNOME_TYPIST), QStringLiteral("type"), QString::number(ms), kWords,
                       mDir.filePath(QStringLiteral("chunks"))});
        return;
    }
#endif
    // A chunk takes about half a second: never a pause of the kind a user who turns to a window makes.
    const QString script = QStringLiteral(
        "end=$(( $(date +%s%3N) + $1 )); while [ $(date +%s%3N) -lt $end ]; do "
        "xdotool type --delay 150 \"$2\"; xdotool key Return; echo >>\"$3\"; done");
    mTyping.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, QStringLiteral("sh"), QString::number(ms),
                                              kWords, mDir.filePath(QStringLiteral("chunks"))});
}

void OtherProgram::pressKey(const QString& name)
{
#ifdef QUILLMORA_GNOME_TYPIST
    if (onGnomeWayland()) {
        QProcess::execute(QStringLiteral("/usr/bin/python3"),
                          {QStringLiteral(QUILLMORA_GNOME_TYPIST), QStringLiteral("key"), name});
        return;
    }
#endif
    runTool({QStringLiteral("key"), name});
}

QString OtherProgram::typed() const
{
    QFile chunks(mDir.filePath(QStringLiteral("chunks")));
    const int count = chunks.open(QIODevice::ReadOnly) ? int(chunks.readAll().size()) : 0;
    return (kWords + u'\n').repeated(count);
}

QString OtherProgram::received() const
{
    QFile file(mDir.filePath(QStringLiteral("received")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

std::function<void()> typeElsewhere(std::unique_ptr<OtherProgram>& other, int ms)
{
    return [&other, ms] {
        other = std::make_unique<OtherProgram>();
        if (other->isReady())
            other->typeFor(ms);
    };
}

bool typingIsOver(const std::unique_ptr<OtherProgram>& other)
{
    return other && other->isReady() && QTest::qWaitFor([&] { return !other->isTyping(); }, 30000);
}
