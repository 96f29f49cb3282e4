// SPDX-License-Identifier: GPL-3.0-or-later
#include "Printing.h"

#include "PrintDialogs.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "shared/Seams.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QLibrary>
#include <QPagedPaintDevice>
#include <QTextDocument>

namespace help {

namespace {

int runModal(QDialog& dialog)
{
    const auto& replacement = QmrM::seams().runModalDialog;
    return replacement ? replacement(&dialog) : dialog.exec();
}

const QString kModuleName = QStringLiteral("quillmora-print");

// The print dialogs' module, loaded at the first print from beside the program (a build tree) or from where
// it is installed; it stays loaded. When it is in neither place, the user is told that printing is not
// installed, and the answer is nullptr.
const PrintDialogs* printDialogs()
{
    static const PrintDialogs* const dialogs = []() -> const PrintDialogs* {
        QStringList places = {QCoreApplication::applicationDirPath()};
#ifdef QUILLMORA_MODULEDIR
        places.append(QString::fromUtf8(QUILLMORA_MODULEDIR));
#endif
        for (const QString& place : std::as_const(places)) {
            QLibrary module(QDir(place).filePath(kModuleName));
            if (const auto entry = reinterpret_cast<PrintDialogsEntry>(module.resolve(kPrintDialogsEntry)))
                return entry();
        }
        return nullptr;
    }();
    if (!dialogs)
        platform::MsgBox(QCoreApplication::translate("Help", "印刷できません。印刷に使うファイル %1 が見つかりません。")
                             .arg(kModuleName),
                         platform::vbExclamation, QCoreApplication::translate("Help", "印刷"));
    return dialogs;
}

}  // namespace

void printDocument(const QTextDocument& document, QWidget* parent, bool preview)
{
    const PrintDialogs* dialogs = printDialogs();
    if (!dialogs)
        return;
    const QString name = document.metaInformation(QTextDocument::DocumentTitle);
    const std::unique_ptr<PrintJob> job =
        preview ? dialogs->previewDialog(name, parent, platform::guardedSlot([&document](QPagedPaintDevice* printer) {
                                             document.print(printer);
                                         }))
                : dialogs->printDialog(name, parent);
    job->dialog().setWindowTitle(preview ? QCoreApplication::translate("Help", "印刷プレビュー")
                                         : QCoreApplication::translate("Help", "印刷"));
    // The preview prints from its own dialog, as often as the user asks.
    if (runModal(job->dialog()) == QDialog::Accepted && !preview)
        document.print(&job->printer());
}

}  // namespace help
