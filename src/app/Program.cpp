// SPDX-License-Identifier: GPL-3.0-or-later
#include "Program.h"

#include "chart/ProgressActions.h"
#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "platform/Handover.h"
#include "platform/SingleInstance.h"
#include "schedule/PassSchedule.h"
#include "settings/frmSettei.h"
#include "shared/DataFiles.h"
#include "shared/OwnOptions.h"
#include "shared/QmrM.h"
#include "shared/Wait.h"
#include "training/frmMain.h"
#include "tray/WaitView.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QCoreApplication>

namespace Program {
namespace {

std::unique_ptr<platform::SingleInstance> gInstance;
std::unique_ptr<tray::WaitView> gWaitView;

const QString kTitle = QStringLiteral("Quillmora");

// Another copy rewrites this folder's files (links into another data folder's, or an unanswering copy here
// that no lock file marks): two copies would undo each other's changes.
void tellFilesInUse(const platform::SingleInstance& instance)
{
    platform::MsgBox(QCoreApplication::translate("Program",
                                                 "ファイル「%1」は、ほかの Quillmora が使っています（このフォルダーか、"
                                                 "リンクで同じファイルを使っている別のフォルダーで動いています）。\n"
                                                 "その Quillmora を終了してから、もう一度起動してください。")
                         .arg(QDir::toNativeSeparators(instance.blockedFile())),
                     platform::vbExclamation, kTitle);
}

// Where taking the lock over fails, says why: another copy still uses the folder's files, or `failure`.
bool tookOver(platform::SingleInstance& instance, const QString& failure)
{
    if (instance.takeOver())
        return true;
    if (!instance.blockedFile().isEmpty())
        tellFilesInUse(instance);
    else
        platform::MsgBox(failure, platform::vbExclamation, kTitle);
    return false;
}

// The lock's holder did not answer. A copy running on this computer holds its lock file open and keeps the
// lock: this start ends. Else the lock's process number went to another program: the lock is taken over. A lock
// from another computer sharing the folder (told by its machine id, as host names may repeat) may be left from
// a copy long gone: the user, who can tell, may take it.
bool takeOverSilentLock(platform::SingleInstance& instance)
{
    const platform::SingleInstance::LockHolder holder = instance.lockHolder();
    if (holder.onThisComputer)
        return tookOver(instance,
                        QCoreApplication::translate(
                            "Program",
                            "このフォルダーでは Quillmora が既に動いていますが、応答がありません。\n"
                            "動いている Quillmora（プロセス番号 %1）を終了してから、もう一度起動してください。")
                            .arg(holder.pid));
    const QString holderText =
        holder.known && !holder.host.isEmpty()
            ? QCoreApplication::translate(
                  "Program",
                  "このフォルダーは、コンピューター「%1」の Quillmora が使っていることになっていますが、"
                  "応答がありません。")
                  .arg(holder.host)
            : QCoreApplication::translate(
                  "Program", "このフォルダーは、ほかの Quillmora が使っていることになっていますが、応答がありません。");
    //: %1 says who holds the folder, %2 is the lock file's path
    const QString question =
        QCoreApplication::translate("Program",
                                    "%1\nロックファイル: %2\n\n"
                                    "ほかのコンピューターで Quillmora が動いていないことを確かめてから OK を押すと、"
                                    "このロックを引き継いで起動します。キャンセルを押すと終了します。")
            .arg(holderText, QDir::toNativeSeparators(instance.lockFilePath()));
    // Taking the lock of a copy that still runs would let two copies undo each other's changes: Enter cancels.
    if (platform::MsgBox(question, platform::vbOKCancel | platform::vbExclamation | platform::vbDefaultButton2,
                         kTitle) != platform::vbOK)
        return false;
    return tookOver(instance, QCoreApplication::translate("Program",
                                                          "ロックファイル「%1」を引き継げませんでした。\n"
                                                          "Quillmora がまだ使っているか、ファイルを削除できません。")
                                  .arg(QDir::toNativeSeparators(instance.lockFilePath())));
}

// Once the last window is closed and no start wait runs (a closed waiting window still gets its pass).
void endWhenNothingIsLeft()
{
    QTimer::singleShot(0, [] {
        if (!platform::Form::anyLoaded() && !QmrM::StartWaits::current())
            platform::runGuarded([] { platform::endProgram(0); });
    });
}

}  // namespace

void anotherStartRequested(const QString& activationToken)
{
    schedule::PassSchedule& passes = schedule::PassSchedule::instance();
    if (passes.phase() == schedule::PassSchedule::Phase::WaitingForPause) {
        passes.turnToPass(activationToken);  // the user looks for the pass that is due: it comes now
        return;
    }
    if (QmrM::StartWait* wait = QmrM::StartWaits::current()) {
        // The training window waits out of the user's way (minimised, out of sight, or closed): say when the
        // pass comes instead of showing a window early.
        if (!gWaitView)
            showTheWait();
        gWaitView->tellTimeLeft(*wait);
        return;
    }
    for (platform::Form* form : {&platform::trainingWindow(), &platform::settingsWindow()}) {
        if (form->isLoaded()) {
            form->bringForward(activationToken);
            return;
        }
    }
}

bool claimDataFolder()
{
    gInstance = std::make_unique<platform::SingleInstance>(QDir::currentPath());
    using Outcome = platform::SingleInstance::Outcome;
    const Outcome outcome = gInstance->claim();
    bool running = outcome == Outcome::Running;  // a start handed over ends quietly
    if (outcome == Outcome::FilesInUse)
        tellFilesInUse(*gInstance);
    else if (outcome == Outcome::OtherSilent)
        running = takeOverSilentLock(*gInstance);
    if (!running)
        return false;
    QObject::connect(gInstance.get(), &platform::SingleInstance::anotherStart, [](const QString& activationToken) {
        platform::runGuarded([&] { anotherStartRequested(activationToken); });
    });
    // Only the one running copy may clear leftovers of interrupted rewrites and finish an interrupted deletion.
    QmrM::removeLeftoverTemporaryFiles(
        {QmrM::kItemsFile, QmrM::kSettingsFile, QmrM::kOwnOptionsFile, QmrM::kDeletionFile});
    QmrM::finishItemDeletion();
    // Said once, at the start: each change would be refused all the same.
    if (!QmrM::dataFolderWritable())
        platform::MsgBox(
            QCoreApplication::translate("Program",
                                        "このフォルダーには書き込めないため、回数の記録も設定の変更も保存できません。\n"
                                        "フォルダー: %1")
                .arg(QDir::toNativeSeparators(QDir::currentPath())),
            platform::vbExclamation, kTitle);
    return true;
}

void wireWindows()
{
    for (platform::Form* form : {&platform::trainingWindow(), &platform::settingsWindow()}) {
        QObject::disconnect(form, &platform::Form::closedByUser, nullptr, nullptr);
        QObject::connect(form, &platform::Form::closedByUser, form, endWhenNothingIsLeft);
    }
    // The chart and CSV export are reached from the settings window's lists; holding while busy, from its
    // context menu.
    QObject::connect(&frmSettei::instance(), &platform::Form::controlsCreated, &frmSettei::instance(),
                     [](QWidget* window) {
                         chart::attachToSettingsWindow(window);
                         // A right click, or the menu key on a control without a menu of its own.
                         window->setContextMenuPolicy(Qt::ActionsContextMenu);
                         window->addAction(schedule::PassSchedule::instance().holdWhileBusyAction());
                     });
}

void showTheWait()
{
    gWaitView = std::make_unique<tray::WaitView>();
}

void setUp(QApplication& app)
{
    platform::setUpApplication(app);
    wireWindows();
    showTheWait();
}

bool start()
{
    if (!platform::enterDataFolderAskedFor(QCoreApplication::arguments()) || !claimDataFolder())
        return false;

    // The training window is the startup window; with no items it hands over to the settings window.
    platform::runGuarded([] { frmMain::instance().Load(); });
    return !QmrM::gProgramEnding;
}

void tearDown()
{
    gWaitView.reset();
    gInstance.reset();
    frmMain::destroyInstance();
    frmSettei::destroyInstance();
}

}  // namespace Program

namespace platform {

Form& trainingWindow()
{
    return frmMain::instance();
}

Form& settingsWindow()
{
    return frmSettei::instance();
}

PresentedItem presentedItem()
{
    return frmMain::instance().presentedItem();
}

bool passUntouched()
{
    return frmMain::instance().passUntouched();
}

}  // namespace platform
