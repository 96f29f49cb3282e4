// SPDX-License-Identifier: GPL-3.0-or-later
#include "OtherProgram.h"

#include <QFile>
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

QString activeWindowName()
{
    return runTool({QStringLiteral("getactivewindow"), QStringLiteral("getwindowname")});
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

bool OtherProgram::tell(const QByteArray& command)
{
    mProgram.write(command + '\n');
    // A loaded machine takes seconds to start a program and hand it the focus: the bounds are generous.
    const bool answered = QTest::qWaitFor([&] { return mProgram.readAllStandardOutput().contains(command); }, 15000);
    return answered && QTest::qWaitFor([] { return activeWindowName() == QLatin1String("other-program"); }, 15000);
}

void OtherProgram::typeFor(int ms)
{
    // A chunk takes about half a second: never a pause of the kind a user who turns to a window makes.
    const QString script = QStringLiteral(
        "end=$(( $(date +%s%3N) + $1 )); while [ $(date +%s%3N) -lt $end ]; do "
        "xdotool type --delay 150 \"$2\"; xdotool key Return; echo >>\"$3\"; done");
    mTyping.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, QStringLiteral("sh"), QString::number(ms),
                                              kWords, mDir.filePath(QStringLiteral("chunks"))});
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
