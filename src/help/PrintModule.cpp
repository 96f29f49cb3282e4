// SPDX-License-Identifier: GPL-3.0-or-later
// The module quillmora-print: the program's only code linking the toolkit's print support (Printing.h).
#include "Printing.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

extern "C" Q_DECL_EXPORT void quillmoraPrint(QWidget* parent, bool preview, const QString& documentName,
                                             const QString& title, const std::function<int(QDialog*)>& runModal,
                                             const std::function<void(QPagedPaintDevice*)>& paint)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(documentName);
    if (preview) {
        // The preview prints from its own dialog, as often as the user asks.
        QPrintPreviewDialog dialog(&printer, parent);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
        dialog.setWindowTitle(title);
        runModal(&dialog);
        return;
    }
    QPrintDialog dialog(&printer, parent);
    // A help page has no selection worth printing alone; pages and copies are offered.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setWindowTitle(title);
    if (runModal(&dialog) == QDialog::Accepted)
        paint(&printer);
}
