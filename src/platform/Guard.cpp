// SPDX-License-Identifier: GPL-3.0-or-later
#include "Guard.h"

#include "AppSetup.h"
#include "Dialogs.h"
#include "shared/Errors.h"
#include "shared/QmrM.h"
#include "shared/Seams.h"

#include <QWidget>

namespace platform {
namespace {

// Runs the code; a failure that escapes it is shown in a message box naming it, and the program ends.
template <class Code>
void catchFailures(const Code& code)
{
    QString description;
    try {
        code();
        return;
    } catch (const QmrM::ProgramEnding&) {
        return;  // the program is ending; the code just unwinds
    } catch (const QmrM::ProgramError& error) {
        description = error.description();
    } catch (const std::bad_alloc&) {
        description = QCoreApplication::translate("platform", "メモリーが足りません。");
    } catch (const std::exception& error) {
        description = QCoreApplication::translate("platform", "予期しないエラーが発生しました。\n（%1）")
                          .arg(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        description = QCoreApplication::translate("platform", "予期しないエラーが発生しました。");
    }
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
    useLanguageLocale(interfaceLanguage());
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    // Events keep flowing while the program ends (the failure's message box needs them), so this does
    // not go through runGuarded, which stops handlers once the program is ending.
    bool handled = false;
    catchFailures([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void runGuarded(const std::function<void()>& handler)
{
    if (!QmrM::gProgramEnding)
        catchFailures(handler);
}

}  // namespace platform
