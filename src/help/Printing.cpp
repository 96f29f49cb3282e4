// SPDX-License-Identifier: GPL-3.0-or-later
#include "Printing.h"

#include "platform/Guard.h"
#include "shared/Seams.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>
#include <QCoreApplication>

namespace help {

namespace {

int runModal(QDialog& dialog)
{
    const auto& replacement = QmrM::seams().runModalDialog;
    return replacement ? replacement(&dialog) : dialog.exec();
}

}  // namespace

void printDocument(const QTextDocument& document, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(document.metaInformation(QTextDocument::DocumentTitle));
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QCoreApplication::translate("Help", "印刷"));
    // A help page has no selection worth printing alone; pages and copies are offered.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    if (runModal(dialog) == QDialog::Accepted)
        document.print(&printer);
}

void previewDocument(const QTextDocument& document, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(document.metaInformation(QTextDocument::DocumentTitle));
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QCoreApplication::translate("Help", "印刷プレビュー"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     platform::guardedSlot([&document](QPrinter* target) { document.print(target); }));
    runModal(preview);
}

}  // namespace help
