#pragma once

#include <QString>

class QWidget;

// The one seam through which every modal message box and input box of the program goes.
// The default provider shows Qt dialogs; tests install a scripted provider.
namespace platform {

// Message box styles (button set + icon), as the program's messages use them.
enum MsgStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbCritical = 16,
    vbExclamation = 48,
    vbInformation = 64,
};

// Buttons a message box can answer with.
enum MsgResult : int {
    vbOK = 1,
    vbCancel = 2,
};

class DialogProvider {
public:
    virtual ~DialogProvider() = default;
    // Shows a modal message box; returns vbOK or vbCancel.
    virtual int messageBox(const QString& text, const QString& title, int style) = 0;
    // Shows a modal input box; returns the text typed, or an empty text on Cancel.
    virtual QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) = 0;
};

// Replaces the provider (nullptr restores the Qt dialogs). The caller keeps ownership.
void setDialogProvider(DialogProvider* provider);
DialogProvider* dialogProvider();

int MsgBox(const QString& text, int style, const QString& title);
QString InputBox(const QString& prompt, const QString& title, const QString& defaultText = QString());

}  // namespace platform
