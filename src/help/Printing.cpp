// SPDX-License-Identifier: GPL-3.0-or-later
#include "Printing.h"

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

const QString kModuleName = QStringLiteral("quillmora-print");

// The print dialogs' module, loaded for good at the first print from beside the program (a build tree) or where it is
// installed. Where it is in neither, the user is told printing is not installed, and the answer is nullptr.
PrintEntry printEntry()
{
    static const PrintEntry entry = []() -> PrintEntry {
        QStringList places = {QCoreApplication::applicationDirPath()};
#ifdef QUILLMORA_MODULEDIR
        places.append(QString::fromUtf8(QUILLMORA_MODULEDIR));
#endif
        for (const QString& place : std::as_const(places)) {
            QLibrary module(QDir(place).filePath(kModuleName));
            if (const auto found = reinterpret_cast<PrintEntry>(module.resolve(kPrintEntry)))
                return found;
        }
        return nullptr;
    }();
    if (!entry)
        platform::MsgBox(QCoreApplication::translate("Help", "印刷できません。印刷に使うファイル %1 が見つかりません。")
                             .arg(kModuleName),
                         platform::vbExclamation, QCoreApplication::translate("Help", "印刷"));
    return entry;
}

}  // namespace

void printDocument(const QTextDocument& document, QWidget* parent, bool preview)
{
    const PrintEntry print = printEntry();
    if (!print)
        return;
    const auto runModal = [](QDialog* dialog) {
        const auto& replacement = QmrM::seams().runModalDialog;
        return replacement ? replacement(dialog) : dialog->exec();
    };
    const auto paint = [&document](QPagedPaintDevice* printer) { document.print(printer); };
    // The preview draws from its own dialog's events.
    print(parent, preview, document.metaInformation(QTextDocument::DocumentTitle),
          preview ? QCoreApplication::translate("Help", "印刷プレビュー") : QCoreApplication::translate("Help", "印刷"),
          runModal, preview ? std::function<void(QPagedPaintDevice*)>(platform::guardedSlot(paint)) : paint);
}

}  // namespace help
