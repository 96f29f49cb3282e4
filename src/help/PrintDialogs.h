// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>
#include <memory>

class QDialog;
class QPagedPaintDevice;
class QWidget;

// The toolkit's print and print preview dialogs, built apart from the program as the module quillmora-print
// (PrintModule.cpp) and loaded at the first print: the toolkit's print support is then mapped only by a
// program that prints. Nothing here names a type of the print support.
namespace help {

// A dialog with the printer it chooses or draws on, at high resolution, named after the document.
class PrintJob {
public:
    virtual ~PrintJob() = default;
    virtual QDialog& dialog() = 0;
    virtual QPagedPaintDevice& printer() = 0;
};

class PrintDialogs {
public:
    virtual ~PrintDialogs() = default;
    // The print dialog, offering pages and copies.
    virtual std::unique_ptr<PrintJob> printDialog(const QString& documentName, QWidget* parent) const = 0;
    // The print preview dialog; `paint` draws the pages on the printer it is given whenever the preview asks.
    virtual std::unique_ptr<PrintJob> previewDialog(const QString& documentName, QWidget* parent,
                                                    std::function<void(QPagedPaintDevice*)> paint) const = 0;
};

// The module's one entry point, looked up by this name.
using PrintDialogsEntry = const PrintDialogs* (*)();
inline constexpr char kPrintDialogsEntry[] = "quillmoraPrintDialogs";

}  // namespace help
