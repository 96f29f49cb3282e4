// SPDX-License-Identifier: GPL-3.0-or-later
// The module quillmora-print: the only code of the program that links the toolkit's print support
// (PrintDialogs.h).
#include "PrintDialogs.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

class Job final : public help::PrintJob {
public:
    explicit Job(const QString& documentName) : mPrinter(QPrinter::HighResolution)
    {
        mPrinter.setDocName(documentName);
    }
    QDialog& dialog() override { return *mDialog; }
    QPagedPaintDevice& printer() override { return mPrinter; }

    QPrinter mPrinter;
    std::unique_ptr<QDialog> mDialog;  // goes before the printer it works on
};

class Dialogs final : public help::PrintDialogs {
public:
    std::unique_ptr<help::PrintJob> printDialog(const QString& documentName, QWidget* parent) const override
    {
        auto job = std::make_unique<Job>(documentName);
        auto dialog = std::make_unique<QPrintDialog>(&job->mPrinter, parent);
        // A help page has no selection worth printing alone; pages and copies are offered.
        dialog->setOption(QAbstractPrintDialog::PrintSelection, false);
        job->mDialog = std::move(dialog);
        return job;
    }

    std::unique_ptr<help::PrintJob> previewDialog(const QString& documentName, QWidget* parent,
                                                  std::function<void(QPagedPaintDevice*)> paint) const override
    {
        auto job = std::make_unique<Job>(documentName);
        auto preview = std::make_unique<QPrintPreviewDialog>(&job->mPrinter, parent);
        QObject::connect(preview.get(), &QPrintPreviewDialog::paintRequested, preview.get(),
                         [paint = std::move(paint)](QPrinter* printer) { paint(printer); });
        job->mDialog = std::move(preview);
        return job;
    }
};

}  // namespace

extern "C" Q_DECL_EXPORT const help::PrintDialogs* quillmoraPrintDialogs()
{
    static const Dialogs dialogs;
    return &dialogs;
}
