// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

class QDialog;
class QPagedPaintDevice;
class QTextDocument;
class QWidget;

// Printing a help page with Qt's print and preview dialogs, built apart as the module quillmora-print (PrintModule.cpp)
// and loaded at the first print, so only a program that prints maps the print support, whose types nothing here names.
namespace help {

// Asks for a printer with the print dialog, then prints the document on it; or, for a preview, shows the
// document as printed pages in the print preview dialog, which can print it too.
void printDocument(const QTextDocument& document, QWidget* parent, bool preview = false);

// The dialogs run modally through the seams' runModalDialog when one is set (shared/Seams.h).

// The module's one entry point, looked up by the name kPrintEntry. It runs the print dialog (offering pages and copies)
// or the preview dialog, titled `title`, modally through `runModal`, over a high-resolution printer named after the
// document. `paint` draws the pages: once the print dialog is accepted, or whenever the preview asks.
using PrintEntry = void (*)(QWidget* parent, bool preview, const QString& documentName, const QString& title,
                            const std::function<int(QDialog*)>& runModal,
                            const std::function<void(QPagedPaintDevice*)>& paint);
inline constexpr char kPrintEntry[] = "quillmoraPrint";

}  // namespace help
