// SPDX-License-Identifier: GPL-3.0-or-later
#include "Guard.h"

#include "AppSetup.h"
#include "Dialogs.h"
#include "shared/Errors.h"
#include "shared/QmrM.h"
#include "shared/Seams.h"

#include <QApplication>
#include <QWidget>
#include <QCoreApplication>

namespace platform {
namespace {

// Shows an unexpected failure and ends the program.
void reportFatal(const QString& description)
{
    if (QmrM::gProgramEnding)
        return;
    QmrM::gProgramEnding = true;  // nothing else runs while the message is up
    //: %1 is what went wrong
    MsgBox(QCoreApplication::translate("platform", "%1\n\nプログラムを終了します。").arg(description), vbCritical,
           QStringLiteral("Quillmora"));
    endProgram(1);
}

}  // namespace

void endProgram(int exitCode)
{
    QmrM::gProgramEnding = true;
    if (const auto& replacement = QmrM::seams().endProgram) {
        replacement(exitCode);
        return;
    }
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(exitCode);
}

Application::Application(int& argc, char** argv) : QApplication(withJapaneseToolkitLocale(argc), argv)
{
    giveBackLocaleEnvironment();
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    // Events keep flowing while the program ends (the failure's message box needs them), so this does
    // not go through runGuarded, which stops handlers once the program is ending.
    try {
        return QApplication::notify(receiver, event);
    } catch (const QmrM::ProgramEnding&) {
    } catch (const QmrM::ProgramError& error) {
        reportFatal(error.description());
    } catch (...) {
        reportFatal(QCoreApplication::translate("platform", "予期しないエラーが発生しました。"));
    }
    return false;
}

void runGuarded(const std::function<void()>& handler)
{
    if (QmrM::gProgramEnding)
        return;
    try {
        handler();
    } catch (const QmrM::ProgramEnding&) {
        // The program is ending; the handler just unwinds.
    } catch (const QmrM::ProgramError& error) {
        reportFatal(error.description());
    } catch (const std::bad_alloc&) {
        reportFatal(QCoreApplication::translate("platform", "メモリーが足りません。"));
    } catch (const std::exception& error) {
        reportFatal(QCoreApplication::translate("platform", "予期しないエラーが発生しました。\n（%1）")
                        .arg(QString::fromLocal8Bit(error.what())));
    } catch (...) {
        reportFatal(QCoreApplication::translate("platform", "予期しないエラーが発生しました。"));
    }
}

}  // namespace platform
