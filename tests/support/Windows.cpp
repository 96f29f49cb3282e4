// SPDX-License-Identifier: GPL-3.0-or-later
#include "Windows.h"

#include "TestEnv.h"

#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "settings/frmSettei.h"
#include "shared/DataFileNames.h"
#include "shared/QmrM.h"
#include "training/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFile>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

QString itemsNamed(const QStringList& names, int count)
{
    QString items;
    for (const QString& name : names)
        items += QStringLiteral("\"%1\",%2\r\n").arg(name).arg(count);
    return items;
}

QString recordsOf(const QStringList& counts, const QString& date, const QString& time)
{
    QString records;
    for (const QString& count : counts)
        records += QStringLiteral("\"%1\",\"%2\",%3\r\n").arg(date, time, count);
    return records;
}

void writeSettings(const QString& line)
{
    writeDataFile(QmrM::kSettingsFile, line + QStringLiteral("\r\n"));
}

void writeDataFolder(const QString& items, const QString& settings)
{
    writeDataFile(QmrM::kItemsFile, items);
    if (!settings.isNull())
        writeSettings(settings);
}

void writeHistory(const QString& item, const QString& records, const QDateTime& modified)
{
    writeDataFile(QmrM::historyFileName(item), records);
    if (modified.isValid())
        setModified(QmrM::historyFileName(item), modified);
}

namespace {

// Loads the training window on the data files there, as the program's start does.
frmMain& loadTraining()
{
    frmMain& form = frmMain::instance();
    platform::runGuarded([&] { form.Load(); });
    return form;
}

}  // namespace

frmMain& startTraining(const QString& items, const QString& settings)
{
    writeDataFolder(items, settings);
    return loadTraining();
}

frmSettei& leaveFirstPass()
{
    clickButton(loadTraining(), QStringLiteral("cmdCut"));
    return frmSettei::instance();
}

frmSettei& settingsAfterCut(const QString& items, const QString& settings)
{
    writeDataFolder(items, settings);
    return leaveFirstPass();
}

frmSettei& showSettings()
{
    QmrM::LoadItems();
    QmrM::LoadSettings();
    frmSettei& form = frmSettei::instance();
    platform::runGuarded([&] { form.Show(); });
    return form;
}

frmSettei& openSettings(const QString& items, const QString& settings)
{
    writeDataFolder(items, settings);
    return showSettings();
}

ScriptedDialogs& expectRegistration(ScriptedDialogs& dialogs, const QString& typed, const QString& count,
                                    const QString& stored)
{
    return dialogs.expectInput(kNamePrompt, kNameTitle, typed)
        .expectInput(kCountPrompt, kCountTitle, count)
        .expectMessage((stored.isNull() ? typed : stored) + QStringLiteral(" の設定を新規登録しました"),
                       QStringLiteral("新規登録終了"), platform::vbInformation);
}

ScriptedDialogs& expectOptionsSaved(ScriptedDialogs& dialogs)
{
    return dialogs.expectMessage(QStringLiteral("設定を保存しました"), QStringLiteral("設定保存終了"),
                                 platform::vbInformation);
}

ScriptedDialogs& expectItemUpdated(ScriptedDialogs& dialogs, const QString& name)
{
    return dialogs.expectMessage(name + QStringLiteral(" の設定を更新しました"), QStringLiteral("設定更新終了"),
                                 platform::vbInformation);
}

void registerItem(TestEnv& env, const QString& typed, const QString& count, const QString& stored)
{
    expectRegistration(env.dialogs(), typed, count, stored);
    clickButton(frmSettei::instance(), QStringLiteral("cmdNew"));
}

ShowWatcher::ShowWatcher(const QString& name, std::function<void(QWidget*)> onShow)
    : mName(name), mShown(std::move(onShow))
{
    qApp->installEventFilter(this);
}

ShowWatcher::~ShowWatcher()
{
    qApp->removeEventFilter(this);
}

bool ShowWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType() && watched->objectName() == mName) {
        shown = true;
        if (mShown)
            mShown(static_cast<QWidget*>(watched));
    }
    return false;
}

#ifdef Q_OS_WIN
// Wine keeps no access lists on files: no such folder can be made there.
FolderWithoutNewFiles::FolderWithoutNewFiles(const QStringList&, const QString&) : mRoot(false), mSetUp(false) {}

FolderWithoutNewFiles::~FolderWithoutNewFiles() = default;
#else
FolderWithoutNewFiles::FolderWithoutNewFiles(const QStringList& files, const QString& runtimeFolder)
    : mRoot(::geteuid() == 0)
{
    constexpr uid_t kNobody = 65534;
    if (mRoot) {
        QStringList given = files;
        if (!runtimeFolder.isEmpty())
            given.append(runtimeFolder);
        for (const QString& name : given)
            mSetUp = mSetUp && ::chown(QFile::encodeName(name).constData(), kNobody, kNobody) == 0;
    }
    mSetUp = mSetUp && ::chmod(".", 0555) == 0 && (!mRoot || ::seteuid(kNobody) == 0);
}

FolderWithoutNewFiles::~FolderWithoutNewFiles()
{
    if (mRoot && ::seteuid(0) != 0)
        qFatal("cannot act as root again");
    ::chmod(".", 0700);
}
#endif

void lookAtThePass(TestEnv& env)
{
    env.clock().jump(3000);
}

QAction* trayEntry(const QString& name)
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* entry = window->findChild<QAction*>(name))
            return entry;
    }
    return nullptr;
}
