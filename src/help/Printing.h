// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QDialog;
class QTextDocument;
class QWidget;

// Printing a help page with Qt's print and print preview dialogs.
namespace help {

// Asks for a printer with the print dialog, then prints the document on it; or, for a preview, shows the
// document as printed pages in the print preview dialog, which can print it too.
void printDocument(const QTextDocument& document, QWidget* parent, bool preview = false);

// The dialogs run modally through the seams' runModalDialog when one is set (shared/Seams.h).

}  // namespace help
