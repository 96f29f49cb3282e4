// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QDialog;
class QTextDocument;
class QWidget;

// Printing a help page with Qt's print and print preview dialogs.
namespace help {

// Asks for a printer with the print dialog, then prints the document on it.
void printDocument(const QTextDocument& document, QWidget* parent);
// Shows the document as printed pages in the print preview dialog, which can print it too.
void previewDocument(const QTextDocument& document, QWidget* parent);

// Test seam: the one place where the print dialogs run modally. The default runs
// dialog.exec(); a replacement gets the dialog set up (its printer reachable through it)
// and returns the result the user would have given. An empty function restores the default.
using ModalDialogRunner = std::function<int(QDialog& dialog)>;
void setModalDialogRunner(ModalDialogRunner runner);

}  // namespace help
