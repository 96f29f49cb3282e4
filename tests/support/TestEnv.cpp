// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestEnv.h"

#include "app/Program.h"
#include "shared/QmrM.h"
#include "shared/TextEncoding.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QTest>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/resource.h>
#endif

TestEnv::TestEnv()
    : mPreviousDir(QDir::currentPath()),
      mDialogs(std::make_unique<ScriptedDialogs>()),
      mClock(std::make_unique<VirtualClock>())
{
    QDir::setCurrent(mDir.path());
    QmrM::resetSharedState();
    Program::wireWindows();
    QmrM::Seams seams;
    seams.clock = mClock.get();
    seams.inputClock = mClock.get();
    seams.randomFraction = [this] { return mRandomDraw ? *mRandomDraw : QmrM::systemRandomFraction(); };
    mDialogs->standIn(seams);
    seams.help = [this](QObject* caller, const QString& file, int command) {
        mHelpCalls.append(HelpCall{file, command, caller});
    };
    seams.saveFileName = [this](const QString& title, const QString& suggested, const QString&) {
        mSaveRequests.append(SaveRequest{title, suggested});
        return mSaveAnswers.value(mSaveRequests.size() - 1);
    };
    seams.endProgram = [this](int code) { mEndings.append(code); };
    seams.userBusy = &mBusy;
    seams.userIdle = &mIdle;
    mSeams = std::make_unique<QmrM::SeamsScope>(std::move(seams));
}

TestEnv::~TestEnv()
{
    Program::tearDown();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    mSeams.reset();
    QmrM::resetSharedState();
    QDir::setCurrent(mPreviousDir);
}

void TestEnv::answerSaveDialogs(const QStringList& paths)
{
    mSaveAnswers = paths;
    mSaveRequests.clear();
}

void clickButton(const platform::Form& form, const QString& name)
{
    if (auto* button = control<QAbstractButton>(form, name))
        QTest::mouseClick(button, Qt::LeftButton);
}

void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QWidget* focused = QApplication::focusWidget();
    QVERIFY(focused);
    QTest::keyClick(focused, key, modifiers);
}

void typeKey(const platform::Form& form, Qt::Key key, bool autoRepeat)
{
    QWidget* window = form.window();
    QWidget* target = window ? window->focusWidget() : nullptr;
    QVERIFY(target);
    const char ascii = QTest::keyToAscii(key);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, ascii ? QString(QChar(ascii)) : QString(), autoRepeat);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

QString textOf(const platform::Form& form, const QString& name)
{
    QWidget* shown = control(form, name);
    if (const auto* label = qobject_cast<QLabel*>(shown))
        return label->text();
    if (const auto* box = qobject_cast<QLineEdit*>(shown))
        return box->text();
    if (const auto* button = qobject_cast<QAbstractButton*>(shown))
        return button->text();
    if (const auto* combo = qobject_cast<QComboBox*>(shown))
        return combo->currentText();
    if (const auto* frame = qobject_cast<QGroupBox*>(shown))
        return frame->title();
    if (shown)
        QTest::qFail(qPrintable(QStringLiteral("\"%1\" shows no text").arg(name)), __FILE__, __LINE__);
    return QString();
}

QStringList entriesOf(const platform::Form& form, const QString& name)
{
    QWidget* shown = control(form, name);
    if (const auto* list = qobject_cast<QAbstractItemView*>(shown))
        return entries(list);
    if (const auto* combo = qobject_cast<QComboBox*>(shown))
        return entries(combo);
    if (shown)
        QTest::qFail(qPrintable(QStringLiteral("\"%1\" has no entries").arg(name)), __FILE__, __LINE__);
    return QStringList();
}

QWidget* focusIn(const platform::Form& form)
{
    return form.window() ? form.window()->focusWidget() : nullptr;
}

QByteArray cp932(const QString& text)
{
    const auto bytes = QmrM::encodeCp932(text);
    if (!bytes)
        QTest::qFail("text cannot be stored as code page 932", __FILE__, __LINE__);
    return bytes.value_or(QByteArray());
}

void setItems(const QStringList& names, const QList<int>& counts)
{
    QmrM::gKoumokuSu = static_cast<int16_t>(names.size());
    QmrM::gKoumoku.assign(1, QString());
    QmrM::gShijiSu.assign(1, 0);
    for (qsizetype i = 0; i < names.size(); ++i) {
        QmrM::gKoumoku.push_back(names[i]);
        QmrM::gShijiSu.push_back(static_cast<int16_t>(counts.value(i)));
    }
}

void writeBytes(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        QTest::qFail("cannot write test file", __FILE__, __LINE__);
}

void setModified(const QString& name, const QDateTime& when)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
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

QStringList entries(const QAbstractItemView* list)
{
    // What the list shows and reads out: each row's text, as the model gives it to the view.
    const QAbstractItemModel* model = list->model();
    QStringList texts;
    for (int row = 0; row < model->rowCount(list->rootIndex()); ++row)
        texts.append(model->index(row, 0, list->rootIndex()).data().toString());
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
    while (next != from &&
           (from->isAncestorOf(next) || !((next->focusPolicy() & Qt::TabFocus) && next->isVisibleTo(from->window()))))
        next = next->nextInFocusChain();
    return next;
}

QRect drawnCursor(QLineEdit* box)
{
    box->grab();
    return box->inputMethodQuery(Qt::ImCursorRectangle).toRect();
}

double processorSeconds()
{
#ifdef Q_OS_WIN
    FILETIME created{}, ended{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    const auto seconds = [](const FILETIME& time) {
        return double((quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#endif
}
