#include "TestEnv.h"

#include "platform/Guard.h"
#include "shared/TextEncoding.h"
#include "settings/frmSettei.h"
#include "shared/QmrM.h"
#include "training/frmMain.h"

#include <QComboBox>
#include <QLineEdit>
#include <QCoreApplication>
#include <QListWidget>
#include <QDir>
#include <QFile>
#include <QTest>

TestEnv::TestEnv() : mPreviousDir(QDir::currentPath()), mDialogs(std::make_unique<ScriptedDialogs>())
{
    QDir::setCurrent(mDir.path());
    QmrM::ResetSharedState();
    platform::setEndProgramHandler([this](int code) { mEndings.append(code); });
}

TestEnv::~TestEnv()
{
    frmMain::destroyInstance();
    frmSettei::destroyInstance();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    platform::setEndProgramHandler({});
    QmrM::ResetSharedState();
    QDir::setCurrent(mPreviousDir);
}

QByteArray cp932(const QString& text)
{
    const auto bytes = QmrM::encodeCp932(text);
    if (!bytes)
        QTest::qFail("text cannot be stored as code page 932", __FILE__, __LINE__);
    return bytes.value_or(QByteArray());
}

void writeBytes(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        QTest::qFail("cannot write test file", __FILE__, __LINE__);
}

void writeDataFile(const QString& name, const QString& text)
{
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    writeBytes(name, cp932(crlf));
}

QByteArray readBytes(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QString readDataFile(const QString& name)
{
    return QmrM::decodeCp932(readBytes(name)).value_or(QStringLiteral("<not code page 932>"));
}

QStringList entries(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

QStringList entries(const QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemText(i));
    return texts;
}

QWidget* nextTabStop(QWidget* from)
{
    QWidget* next = from->nextInFocusChain();
    while (next != from && (from->isAncestorOf(next) ||
                            !((next->focusPolicy() & Qt::TabFocus) && next->isVisibleTo(from->window()))))
        next = next->nextInFocusChain();
    return next;
}

QRect drawnCursor(QLineEdit* box)
{
    box->grab();
    return box->inputMethodQuery(Qt::ImCursorRectangle).toRect();
}
